#include "render/ThemeCardEditViewController.h"

#include "document/FailureAlerts.h"
#include "document/FrameMeta.h"
#include "document/ProjectModel.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Keyboard.h"
#include "render/ThemeCardPages.h"
#include "render/WebRenderer.h"

namespace zt {

namespace {

constexpr plat::Size kRequestedSize {800, 600};  // passed along; the render ignores it
constexpr const char* kCardDataKey = "THEME_CARD_DATA";
constexpr const char* kCardIDKey = "THEME_CARD_ID";
constexpr const char* kCardTextKey = "THEME_CARD_TEXT";

}  // namespace

ThemeCardEditViewController::ThemeCardEditViewController(
    std::string nibName, Frame frame, std::shared_ptr<ProjectModel> project)
    : plat::ViewController(std::move(nibName))
    , _project(std::move(project))
    , _frame(std::move(frame))
{
}

ThemeCardEditViewController::~ThemeCardEditViewController()
{
    if (_textViewCardEdit)
        _textViewCardEdit->setDelegate({});
}

plat::Dictionary ThemeCardEditViewController::cardData() const
{
    auto folder = _project->getProjectPath();
    if (!folder)
        return {};
    FrameMeta meta(_frame.frameID(), *folder);
    auto data = meta.objectForKey(kCardDataKey).asDictionary();
    return data ? *data : plat::Dictionary {};
}

void ThemeCardEditViewController::viewDidLoad()
{
    plat::ViewController::viewDidLoad();
    std::weak_ptr<ThemeCardEditViewController> weakSelf = sharedAs<ThemeCardEditViewController>();
    auto& center = plat::NotificationCenter::defaultCenter();
    _observers.push_back(
        center.addObserver(plat::KeyboardWillShowNotification, nullptr, [weakSelf](const plat::Notification& note) {
            if (auto self = weakSelf.lock())
                self->keyboardWillShow(note);
        }));
    _observers.push_back(
        center.addObserver(plat::KeyboardWillHideNotification, nullptr, [weakSelf](const plat::Notification& note) {
            if (auto self = weakSelf.lock())
                self->keyboardWillHide(note);
        }));
    plat::Dictionary data = cardData();
    const int card = static_cast<int>(data.getInt64(kCardIDKey).value_or(0));
    if (_imageViewTextEditBG)
        _imageViewTextEditBG->setImage(bundlePicture(themeBackgroundName(card)));
    if (_textViewCardEdit) {
        _textViewCardEdit->setText(data.getString(kCardTextKey).value_or(std::string()));
        _textViewCardEdit->setDelegate(std::weak_ptr<plat::TextViewDelegate>(sharedAs<ThemeCardEditViewController>()));
    }
}

bool ThemeCardEditViewController::textViewShouldBeginEditing(plat::TextView& textView)
{
    if (textView.text() == plat::localized("Tap to edit."))
        textView.setText({});
    return true;
}

void ThemeCardEditViewController::keyboardWillShow(const plat::Notification&)
{
    if (!_textView)
        return;
    auto holder = _textView;
    plat::View::animateWithDuration(kKeyboardAnimationSeconds, [holder] {
        plat::Rect frame = holder->frame();
        frame.origin.y -= kKeyboardShiftPoints;
        holder->setFrame(frame);
    });
}

void ThemeCardEditViewController::keyboardWillHide(const plat::Notification&)
{
    if (!_textView)
        return;
    auto holder = _textView;
    plat::View::animateWithDuration(kKeyboardAnimationSeconds, [holder] {
        plat::Rect frame = holder->frame();
        frame.origin.y += kKeyboardShiftPoints;
        holder->setFrame(frame);
    });
}

void ThemeCardEditViewController::actionClose()
{
    if (isViewLoaded())
        view()->endEditing(true);
    renderNewCard();
}

void ThemeCardEditViewController::renderNewCard()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    const std::string text = _textViewCardEdit ? _textViewCardEdit->text() : std::string();
    plat::Dictionary data = cardData();
    if (auto stored = data.getString(kCardTextKey); stored && *stored == text) {
        finish();
        return;
    }
    auto folder = _project->getProjectPath();
    if (!folder) {
        plat::log("cards: the card {} has no project folder to keep its text in", _frame.frameID());
        finish();
        return;
    }
    FrameMeta meta(_frame.frameID(), *folder);
    const plat::Dictionary before = data.deepCopy();
    data.set(kCardTextKey, text);
    meta.setValue(data, kCardDataKey);
    std::optional<plat::Error> failure;
    if (!meta.saveMetaData(&failure)) {
        // The card keeps its stored text and picture; the person hears why.
        plat::log("cards: cannot save the text of card {}", _frame.frameID());
        showFailureAlert(plat::localized("The text could not be saved."),
            failure.value_or(plat::Error("ThemeCardEditViewController", 1, "The card's text cannot be stored.")));
        finish();
        return;
    }
    // The movie shows the card's new picture only when it is made again.
    if (auto marked = _project->changeMetaData({{"RecordNeedsRendering", true}}); !marked.ok()) {
        plat::log("cards: cannot save the metadata: {}", marked.error().localizedDescription());
        meta.setValue(before, kCardDataKey);
        if (!meta.saveMetaData())
            plat::log("cards: the text of card {} is not put back", _frame.frameID());
        showFailureAlert(plat::localized("The text could not be saved."), marked.error());
        finish();
        return;
    }
    const int card = static_cast<int>(data.getInt64(kCardIDKey).value_or(0));
    _webRenderer = std::make_shared<WebRenderer>(_project);
    std::weak_ptr<ThemeCardEditViewController> weakSelf = sharedAs<ThemeCardEditViewController>();
    _renderingObserver
        = plat::NotificationCenter::defaultCenter().addObserver(WebRenderer::kWebRenderingFinishedNotification,
            _webRenderer.get(), [weakSelf](const plat::Notification& notification) {
                if (auto self = weakSelf.lock())
                    self->receiveWebRenderingFinishedNotification(notification);
            });
    _webRenderer->renderContent(themeCardPageName(card), kRequestedSize, _frame.frameID(), themeCardReplacements(text),
        bundlePicture(themeBackgroundName(card)));
}

void ThemeCardEditViewController::receiveWebRenderingFinishedNotification(const plat::Notification&)
{
    _renderingObserver = {};
    finish();
}

void ThemeCardEditViewController::finish()
{
    auto keepAlive = sharedAs<ThemeCardEditViewController>();
    plat::NotificationCenter::defaultCenter().post(kThemeCardEditFinishedNotification, this);
}

}  // namespace zt
