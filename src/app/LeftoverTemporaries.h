#pragma once

namespace zt {

// Removes what a run that was killed left half-made, where the app makes
// it: the items that imports, duplicates and shares build beside their
// place in Documents, files handed over on their way into the inbox, saves
// beside a project's files (the sample's in Caches too), projects being
// deleted (the sample's in Caches), the renderers' unfinished exports in
// the render cache, the preferences' and the keychain's writes in Library, and
// everything in the app's tmp folder; a frame whose change was cut short
// gets its files back as they were. Only names the app makes, in folders
// the app writes, are touched: never a person's files, nor anything in a
// folder of their own. At start, on the main thread, before anything else
// writes.
void removeLeftoverTemporaries();

}  // namespace zt
