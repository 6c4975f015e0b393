#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/UntitledAppDelegate.h"
#include "platform/foundation/Result.h"
#include "platform/ui/AlertView.h"

namespace zt {

// The delegate the app runs with. Before the base start-up it imports the
// project archives waiting in the inbox Documents/"Import" and makes the
// shared audio inbox; files opened from other apps are imported as projects
// (archives) or into the audio inbox (sounds, by their type or by what they
// hold) before the base's Dropbox handling. A file opened from another app that is not taken is refused
// with the reason, and the system's copy of it is kept with the refused
// archives. Imports run on the default global queue; what they report is
// shown on the main queue, for 3 s from when it shows. Main thread.
class ZantropeAppDelegate : public UntitledAppDelegate, public plat::AlertViewDelegate {
public:
    static constexpr const char* kArchiveType = "com.quorvane.zantrope.archive";
    static constexpr const char* kInboxFileSuffix = "zantropemobile";
    static constexpr double kMessageSeconds = 3.0;

    ~ZantropeAppDelegate() override;

    bool applicationDidFinishLaunchingWithOptions(
        plat::Application& application, const plat::Dictionary& launchOptions) override;
    bool applicationOpenURLSourceApplicationAnnotation(plat::Application& application, const plat::URL& url,
        const std::string& sourceApplication, const plat::Value& annotation) override;
    // A file that could not even be handed over: the person hears why.
    void applicationDidFailToReceiveURL(
        plat::Application& application, const plat::URL& url, const plat::Error& error) override;

    // An inbox archive that could not be imported, and why; set aside when it
    // was moved out of the inbox into notImportedPath().
    struct FailedImport {
        std::string fileName;
        std::string reason;
        bool setAside = false;
    };

    static std::string inboxPath();
    // Documents/"Not Imported": archives that could not be imported wait
    // there for the person, and the next start does not try them again.
    static std::string notImportedPath();
    // Moves the archive there (" 2", " 3"... when the name is taken); its new path.
    static plat::Result<std::string> setAsideArchive(const std::string& archive);
    void createInboxFolder();
    // Imports the archives in the inbox, and those another app handed over
    // (in Documents/Inbox) that an earlier run did not finish importing.
    void importProjectsFromInbox();
    // Dismisses the alert with button index 0, animated.
    void dismissAlertView(const std::shared_ptr<plat::AlertView>& alert);

    // A message that waited (behind another alert, or for the welcome) starts its time as it shows.
    void willPresentAlertView(plat::AlertView& alert) override;

private:
    std::shared_ptr<plat::AlertView> makeMessage(const std::string& message, std::optional<std::string> button = {});
    // The handed-over archives a run left in Documents/Inbox; any other file
    // left there goes to "Not Imported", and the person hears which and why.
    std::vector<std::string> takeHandedOverLeftovers();
    bool importArchiveAtURL(const plat::URL& url);
    void importAudioFileAtURL(const plat::URL& url);
    // A file of a kind this app does not take: the person hears so, and
    // the system's copy goes out of the inbox.
    void refuseFileAtURL(const plat::URL& url);
    // Dismisses the message kMessageSeconds after it shows; one that is not on screen yet waits for its turn.
    void dismissAfterMessageTime(std::shared_ptr<plat::AlertView> alert);
    void startMessageTime(std::shared_ptr<plat::AlertView> alert);
    // Shows the inbox message, or, while the first start's welcome screen
    // is still to come (it would cover the message), once it has closed.
    void showInboxMessage(const std::shared_ptr<plat::AlertView>& alert);

    // Messages that go by themselves once they have shown for their time.
    std::vector<std::weak_ptr<plat::AlertView>> _dismissWhenShown;
};

}  // namespace zt
