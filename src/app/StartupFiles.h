#pragma once
#include <string>
#include <vector>

// The files start-up looks after before the first screen shows: the settings
// reset, the sample project and a projects list to show. Main thread.
namespace zt::detail {

// Deletes the settings file, keeping the parental controls (the passcode
// and the gallery switch), which a reset must not undo behind a parent's back.
void resetSettingsKeepingParentalControls();

// Unpacks the bundle's sample project into Caches, unless it is there.
void installSampleProject();
// The same from the given archive; true when the sample is in place. A
// failed unpack leaves no folder behind.
bool installSampleProjectFromArchive(const std::string& archive);

// Names in Documents that name project folders (".plovix-..."), in listing order.
std::vector<std::string> projectFolderNames();

// When Documents/".projects.plist" cannot be read as a list of names, writes
// one: the sample's entry first when its folder exists (or withIntroduction
// says so), then every project folder found, newest first. A damaged file is
// kept beside as ".projects.plist.damaged" ("-2", "-3"... when taken). True
// when a list was written.
enum class IntroductionEntry { WhenItsFolderExists, Always };
bool createProjectsListIfUnreadable(IntroductionEntry introduction);

}  // namespace zt::detail
