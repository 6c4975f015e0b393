#pragma once
#include <memory>
#include <string>

#include "app/screens/UntitledAppDelegate.h"

namespace plat {
class AlertView;
}

namespace zt {

// The delegate the app runs with. Before the base start-up it imports the
// project archives waiting in the inbox Documents/"Import" and makes the
// shared audio inbox; files opened from other apps are imported as projects
// (archives) or into the audio inbox (audio) before the base's Dropbox
// handling. Imports run on the default global queue; what they report is
// shown on the main queue, for 3 s. Main thread.
class ZantropeAppDelegate : public UntitledAppDelegate {
public:
    static constexpr const char* kArchiveType = "com.quorvane.zantrope.archive";
    static constexpr const char* kInboxFileSuffix = "zantropemobile";
    static constexpr double kMessageSeconds = 3.0;

    ~ZantropeAppDelegate() override;

    bool applicationDidFinishLaunchingWithOptions(
        plat::Application& application, const plat::Dictionary& launchOptions) override;
    bool applicationOpenURLSourceApplicationAnnotation(plat::Application& application, const plat::URL& url,
        const std::string& sourceApplication, const plat::Value& annotation) override;

    static std::string inboxPath();
    void createInboxFolder();
    void importProjectsFromInbox();
    // Dismisses the alert with button index 0, animated.
    void dismissAlertView(const std::shared_ptr<plat::AlertView>& alert);

private:
    bool importArchiveAtURL(const plat::URL& url);
    void importAudioFileAtURL(const plat::URL& url);
    void dismissAfterMessageTime(std::shared_ptr<plat::AlertView> alert);
};

}  // namespace zt
