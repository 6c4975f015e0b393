#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/foundation/Geometry.h"
#include "platform/ui/ViewController.h"

namespace plat {
class Button;
class Control;
class ImageView;
class Label;
}  // namespace plat

namespace zt {
class HelpManagerDelegate;
class VerticallyAlignedLabel;

// A coach mark: a dimmed overlay over the whole screen that rings one spot
// with a circle, points at it with an arrow and explains it with a title
// and a description, until Next is tapped. Each name is shown once per
// installation: the names dismissed are kept in the help state file
// (HelpStateFile). Its texts come from "HelpManager.bundle", table
// "HelpManager"; its view from the layout "HelpManager". The caller sizes
// the view, sets the spot and the Next button's place, adds the view and
// calls show. Main thread.
class HelpManager : public plat::ViewController {
public:
    static constexpr const char* kLayoutName = "HelpManager";
    static constexpr double kFadeSeconds = 0.25;
    static constexpr double kDimmingAlpha = 0.8;
    // The overlay's alpha before show.
    static constexpr double kHiddenAlpha = 0.01;

    // Where the Next button goes (positionNextBtn).
    enum NextButtonPosition : uint64_t {
        NextButtonTopLeft = 0,
        NextButtonUpperLeft = 1,
        NextButtonTopRight = 2,
        NextButtonBottomRight = 3,
    };

    // The views the layout connects (the circle is a weak outlet of its own).
    struct Outlets {
        std::shared_ptr<plat::Button> btnNext;
        std::shared_ptr<plat::Label> labelTitle;
        std::shared_ptr<VerticallyAlignedLabel> labelDescription;
        std::shared_ptr<plat::ImageView> imageViewArrow;
    };

    // initWithName: nullptr when that coach mark was dismissed before.
    static std::shared_ptr<HelpManager> initWithName(const std::string& name);
    // Use initWithName; public for make_shared.
    explicit HelpManager(std::string name);
    ~HelpManager() override;

    void setOutlets(Outlets outlets) { _outlets = std::move(outlets); }
    const Outlets& outlets() const { return _outlets; }

    const std::string& name() const { return _name; }
    void setName(std::string name) { _name = std::move(name); }
    std::shared_ptr<HelpManagerDelegate> delegate() const { return _delegate.lock(); }
    void setDelegate(std::weak_ptr<HelpManagerDelegate> delegate) { _delegate = std::move(delegate); }
    uint64_t positionNextBtn() const { return _positionNextBtn; }
    void setPositionNextBtn(uint64_t position) { _positionNextBtn = position; }
    // The spot, in the overlay's coordinates; positionView's centre wins when set.
    plat::Point positionLabel() const { return _positionLabel; }
    void setPositionLabel(plat::Point position) { _positionLabel = position; }
    std::shared_ptr<plat::ImageView> imageViewCircle() const { return _imageViewCircle.lock(); }
    void setImageViewCircle(const std::shared_ptr<plat::ImageView>& view) { _imageViewCircle = view; }
    std::shared_ptr<plat::View> positionView() const { return _positionView.lock(); }
    void setPositionView(const std::shared_ptr<plat::View>& view) { _positionView = view; }
    bool isRemoving() const { return _isRemoving; }

    void viewDidLoad() override;
    void viewWillLayoutSubviews() override;
    bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const override;

    // Fades the overlay in.
    void show();
    // Next: fades the overlay out, then records the name, removes the
    // overlay and tells the delegate. Later taps do nothing.
    void actionNext(plat::Control& sender);
    // Places the Next button, the circle, the arrow and the texts.
    void layoutViews();

private:
    void finishRemoving();

    std::string _name;
    Outlets _outlets;
    bool _isRemoving = false;
    std::weak_ptr<HelpManagerDelegate> _delegate;
    uint64_t _positionNextBtn = NextButtonTopLeft;
    std::weak_ptr<plat::ImageView> _imageViewCircle;
    std::weak_ptr<plat::View> _positionView;
    plat::Point _positionLabel;
};

}  // namespace zt
