#include "app/PassCodeViewController.h"

#include "document/DataManager.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"

namespace zt {

PassCodeViewController::PassCodeViewController(std::string nibName)
    : plat::ViewController(std::move(nibName))
{
}

PassCodeViewController::~PassCodeViewController() = default;

bool PassCodeViewController::shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const
{
    return orientation == plat::InterfaceOrientation::LandscapeRight
        || orientation == plat::InterfaceOrientation::LandscapeLeft;
}

unsigned PassCodeViewController::supportedInterfaceOrientations() const
{
    return plat::InterfaceOrientationMaskLandscapeRight | plat::InterfaceOrientationMaskLandscapeLeft;
}

void PassCodeViewController::viewDidLoad()
{
    plat::ViewController::viewDidLoad();
    auto self = std::static_pointer_cast<PassCodeViewController>(shared_from_this());
    std::weak_ptr<PassCodeViewController> weakSelf = self;

    _passcodeField = std::make_shared<plat::TextField>(plat::makeRect(320, 480, 10, 10));
    _passcodeField->setDelegate(std::weak_ptr<plat::TextFieldDelegate>(self));
    _textObserver = plat::NotificationCenter::defaultCenter().addObserver(
        plat::TextFieldTextDidChangeNotification, _passcodeField.get(), [weakSelf](const auto&) {
            if (auto screen = weakSelf.lock())
                screen->textDidChange();
        });
    _passcodeField->setKeyboardType(plat::KeyboardType::NumberPad);
    _passcodeField->setKeyboardAppearance(plat::KeyboardAppearance::Dark);
    // The digit boxes show what it holds: on a device the keyboard lies over
    // it, here nothing does, so it is not seen at all (no text, no caret, no
    // touches), yet takes the typing.
    _passcodeField->setAlpha(0);
    view()->addSubview(_passcodeField);

    auto doneButton = std::make_shared<plat::BarButtonItem>(plat::BarButtonSystemItem::Done);
    doneButton->setTarget(this, &PassCodeViewController::done);
    navigationItem()->setRightBarButtonItem(doneButton);
    navigationItem()->setTitle(plat::localized("Parental Control"));
    if (auto navigation = navigationController())
        navigation->navigationBar()->setBarStyle(plat::BarStyle::Black);

    loadPassCode();
    if (_passCode) {
        if (_outlets.statusLabel)
            _outlets.statusLabel->setText(plat::localized("Enter your Restriction Passcode"));
    } else {
        _isFirstTime = true;
        if (_outlets.statusLabel)
            _outlets.statusLabel->setText(plat::localized("Enter a Restriction Passcode"));
    }
    _passcodeField->becomeFirstResponder();
}

void PassCodeViewController::viewDidAppear(bool animated)
{
    plat::ViewController::viewDidAppear(animated);
    // A field takes the keyboard only once it is in a window, which a newly loaded screen is not yet.
    if (_passcodeField && !_passcodeField->isFirstResponder())
        _passcodeField->becomeFirstResponder();
}

bool PassCodeViewController::textFieldShouldChangeCharactersInRangeReplacementString(
    plat::TextField& field, plat::Range range, const std::string& replacement)
{
    if (plat::lengthInUtf16(field.text()) != static_cast<int64_t>(kDigits))
        return true;
    // Full: only one deletion goes through.
    return range.length == 1 && replacement.empty();
}

void PassCodeViewController::textDidChange()
{
    const std::string text = _passcodeField->text();
    const int64_t length = plat::lengthInUtf16(text);
    if (length > static_cast<int64_t>(kDigits))
        return;
    const std::shared_ptr<plat::TextField> boxes[]
        = {_outlets.firstField, _outlets.secondField, _outlets.thirdField, _outlets.fourthField};
    for (int64_t index = 0; index < static_cast<int64_t>(kDigits); ++index) {
        if (boxes[index])
            boxes[index]->setText(index < length ? plat::substringWithRange(text, {index, 1}) : std::string());
    }
    if (length == static_cast<int64_t>(kDigits)) {
        std::weak_ptr<PassCodeViewController> weakSelf
            = std::static_pointer_cast<PassCodeViewController>(shared_from_this());
        plat::DispatchQueue::mainQueue().after(kCheckDelaySeconds, [weakSelf] {
            if (auto self = weakSelf.lock())
                self->checkPasscode();
        });
    }
}

void PassCodeViewController::checkPasscode()
{
    const std::string entry = _passcodeField->text();
    if (_isFirstTime) {
        if (!_passCode) {
            _passCode = entry;
            if (_outlets.statusLabel)
                _outlets.statusLabel->setText(plat::localized("Re-enter your Restrictions Passcode"));
        } else if (entry == *_passCode) {
            savePassCode();
            report(true);
            return;
        } else {
            _passCode.reset();
            if (_outlets.statusLabel)
                _outlets.statusLabel->setText(plat::localized("Passcodes did not match. Try again."));
        }
    } else if (_passCode && entry == *_passCode) {
        report(true);
        return;
    } else {
        if (_outlets.headerView)
            _outlets.headerView->setImage(plat::Image::imageNamed("passcodeTopBackground_red.png"));
        if (_outlets.statusLabel)
            _outlets.statusLabel->setText(plat::localized("Wrong Passcode"));
    }
    clearEntry();
}

void PassCodeViewController::clearEntry()
{
    _passcodeField->setText("");
    for (const auto& box : {_outlets.firstField, _outlets.secondField, _outlets.thirdField, _outlets.fourthField}) {
        if (box)
            box->setText("");
    }
}

void PassCodeViewController::done()
{
    report(false);
}

void PassCodeViewController::report(bool success)
{
    // The handler may close and release the screen: keep it alive until it returns.
    auto self = shared_from_this();
    if (auto handler = _completionHandler)
        handler(success);
}

void PassCodeViewController::loadPassCode()
{
    _passCode = DataManager::sharedDataManager().passCode();
}

void PassCodeViewController::savePassCode()
{
    DataManager::sharedDataManager().setPassCode(_passCode);
    DataManager::saveState();
}

void PassCodeViewController::removePassCode()
{
    DataManager::sharedDataManager().setPassCode(std::nullopt);
    DataManager::saveState();
}

}  // namespace zt
