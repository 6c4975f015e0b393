#pragma once

namespace zt {

// Registers the layouts of the audio pickers: "MQMediaQueryViewController"
// (a list filling the screen, outlet itemTableView), "MQAlbumViewController"
// (the album's table under its header) and "MQAlbumTrackTableViewCell" (a
// track row). Main thread.
void registerAudioPickerLayouts();

}  // namespace zt
