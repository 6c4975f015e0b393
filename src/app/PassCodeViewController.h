#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ViewController.h"

namespace plat {
class ImageView;
class Label;
}  // namespace plat

namespace zt {

// The parental passcode screen: with no passcode stored it asks for a new
// four-digit code twice and stores it; with one stored it asks for it. It
// reports YES after a code was set or matched and NO when the user leaves
// with Done; the presenter acts on the result and closes the screen. The
// digits go into a small field of the screen's own that holds the
// keyboard; the layout's four boxes show them. Main thread.
class PassCodeViewController : public plat::ViewController, public plat::TextFieldDelegate {
public:
    static constexpr size_t kDigits = 4;
    static constexpr double kCheckDelaySeconds = 0.3;

    // The layout's views.
    struct Outlets {
        std::shared_ptr<plat::TextField> firstField;
        std::shared_ptr<plat::TextField> secondField;
        std::shared_ptr<plat::TextField> thirdField;
        std::shared_ptr<plat::TextField> fourthField;
        std::shared_ptr<plat::ImageView> headerView;
        std::shared_ptr<plat::Label> statusLabel;
    };

    explicit PassCodeViewController(std::string nibName);  // initWithNibName:bundle:
    ~PassCodeViewController() override;

    void setOutlets(Outlets outlets) { _outlets = std::move(outlets); }
    const Outlets& outlets() const { return _outlets; }

    const std::function<void(bool success)>& completionHandler() const { return _completionHandler; }
    void setCompletionHandler(std::function<void(bool success)> handler) { _completionHandler = std::move(handler); }

    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const override;
    unsigned supportedInterfaceOrientations() const override;

    bool textFieldShouldChangeCharactersInRangeReplacementString(
        plat::TextField& field, plat::Range range, const std::string& replacement) override;

    void textDidChange();
    void checkPasscode();
    void done();
    void loadPassCode();
    void savePassCode();
    void removePassCode();

    const std::shared_ptr<plat::TextField>& passcodeField() const { return _passcodeField; }
    bool isFirstTime() const { return _isFirstTime; }

private:
    void report(bool success);
    void clearEntry();

    Outlets _outlets;
    std::shared_ptr<plat::TextField> _passcodeField;
    std::optional<std::string> _passCode;
    bool _isFirstTime = false;
    std::function<void(bool success)> _completionHandler;
    plat::ObserverToken _textObserver;
};

// Registers the layout "PassCodeViewController".
void registerPassCodeLayout();

}  // namespace zt
