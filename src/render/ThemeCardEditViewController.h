#pragma once
#include <memory>
#include <string>

#include "document/Frame.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/TextView.h"
#include "platform/ui/ViewController.h"

namespace plat {
class ImageView;
}

namespace zt {
class ProjectModel;
class WebRenderer;

// Edits the text of one text card over its background and renders the
// card's picture again when the text changed. Ends with
// ThemeCardEditFinishedNotification (object this screen), also when the
// render failed. Views from the layout "ThemeCardEditViewController" (or its
// "_iPad" variant). Main queue.
class ThemeCardEditViewController : public plat::ViewController, public plat::TextViewDelegate {
public:
    static constexpr const char* kThemeCardEditFinishedNotification = "ThemeCardEditFinishedNotification";
    static constexpr double kKeyboardShiftPoints = 15;
    static constexpr double kKeyboardAnimationSeconds = 0.25;

    // initWithNibName:bundle:andFrame:andProject:
    ThemeCardEditViewController(std::string nibName, Frame frame, std::shared_ptr<ProjectModel> project);
    ~ThemeCardEditViewController() override;

    void viewDidLoad() override;

    void actionClose();
    void renderNewCard();
    bool textViewShouldBeginEditing(plat::TextView& textView) override;
    void textViewDidEndEditing(plat::TextView&) override { }
    void keyboardWillShow(const plat::Notification&);
    void keyboardWillHide(const plat::Notification&);
    void receiveWebRenderingFinishedNotification(const plat::Notification& notification);

    // Outlets the layout connects.
    void setImageViewTextEditBG(std::shared_ptr<plat::ImageView> view) { _imageViewTextEditBG = std::move(view); }
    void setTextViewCardEdit(std::shared_ptr<plat::TextView> view) { _textViewCardEdit = std::move(view); }
    void setTextView(std::shared_ptr<plat::View> view) { _textView = std::move(view); }
    const std::shared_ptr<plat::TextView>& textViewCardEdit() const { return _textViewCardEdit; }
    const std::shared_ptr<plat::View>& textView() const { return _textView; }
    const std::shared_ptr<WebRenderer>& webRenderer() const { return _webRenderer; }

private:
    plat::Dictionary cardData() const;
    void finish();

    std::shared_ptr<ProjectModel> _project;
    Frame _frame;
    std::shared_ptr<WebRenderer> _webRenderer;
    std::shared_ptr<plat::ImageView> _imageViewTextEditBG;
    std::shared_ptr<plat::TextView> _textViewCardEdit;
    std::shared_ptr<plat::View> _textView;
    std::vector<plat::ObserverToken> _observers;
    plat::ObserverToken _renderingObserver;
};

// Registers "ThemeCardEditViewController" and "ThemeCardEditViewController_iPad".
void registerThemeCardLayouts();

}  // namespace zt
