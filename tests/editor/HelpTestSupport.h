#pragma once
// A stand-in for the frame editor's screen that the help overlay and the
// coach marks point into: a host view with the editor's toolbar buttons in
// two side panels, the picture and the strip container, placed as the
// editor places them on a phone or a tablet.
#include <memory>
#include <string>

#include "editor/EditorTestSupport.h"
#include "editor/FrameEditorHelpControls.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"

namespace zt::test {

class StandInEditorScreen {
public:
    explicit StandInEditorScreen(plat::Window& window)
    {
        const bool tablet = plat::Device::currentDevice().isTablet();
        const plat::Rect screen = window.bounds();
        host = std::make_shared<plat::View>(screen);
        host->setBackgroundColor(plat::Color::colorWithWhite(0.16, 1));
        window.addSubview(host);
        controls.screenView = host;

        const double stripHeight = tablet ? 148 : 90;
        const double pictureHeight = tablet ? 450 : screen.height() - stripHeight;
        const double pictureWidth = pictureHeight * 16 / 9;
        const double sideWidth = (screen.width() - pictureWidth) / 2;
        leftPanel = makePanel(plat::makeRect(0, 0, sideWidth, pictureHeight));
        rightPanel = makePanel(plat::makeRect(screen.width() - sideWidth, 0, sideWidth, pictureHeight));

        auto picture = std::make_shared<plat::ImageView>(plat::makeRect(sideWidth, 0, pictureWidth, pictureHeight));
        picture->setBackgroundColor(plat::Color::colorWithRed(0.35, 0.5, 0.62, 1));
        host->addSubview(picture);
        controls.imageViewFrame = picture;

        auto strip = std::make_shared<plat::View>(
            plat::makeRect(0, screen.height() - stripHeight, screen.width(), stripHeight));
        strip->setBackgroundColor(plat::Color::colorWithRed(0.3, 0.3, 0.34, 1));
        for (int i = 0; i < 6; ++i) {
            auto thumb = std::make_shared<plat::View>(
                plat::makeRect(10 + i * (stripHeight * 1.3 + 10), 10, stripHeight * 1.3, stripHeight - 20));
            thumb->setBackgroundColor(plat::Color::colorWithRed(0.55, 0.42 + 0.05 * i, 0.3, 1));
            strip->addSubview(thumb);
        }
        host->addSubview(strip);
        controls.viewPlayerViewController = strip;

        const double buttonWidth = sideWidth - 16;
        auto left = [&](const char* title, int row) {
            return makeButton(*leftPanel, title, plat::makeRect(8, 10 + row * (tablet ? 90 : 55), buttonWidth, 40));
        };
        auto right = [&](const char* title, int row) {
            return makeButton(*rightPanel, title, plat::makeRect(8, 20 + row * (tablet ? 110 : 70), buttonWidth, 40));
        };
        controls.btnExplorer = left("Projects", 0);
        controls.btnAudio = left("Voice", 1);
        controls.btnMusic = left("Music", 2);
        controls.btnTheme = left("Look", 3);
        if (!tablet)
            controls.btnCamera = right("Camera", 0);
        controls.btnMore = right("Options", tablet ? 0 : 1);
        controls.btnPlay = right("Play", tablet ? 1 : 2);
    }

    std::shared_ptr<plat::View> host;
    std::shared_ptr<plat::View> leftPanel;
    std::shared_ptr<plat::View> rightPanel;
    FrameEditorHelpControls controls;

private:
    std::shared_ptr<plat::View> makePanel(plat::Rect frame)
    {
        auto panel = std::make_shared<plat::View>(frame);
        panel->setBackgroundColor(plat::Color::colorWithWhite(0.24, 1));
        host->addSubview(panel);
        return panel;
    }

    static std::shared_ptr<plat::Button> makeButton(plat::View& panel, const std::string& title, plat::Rect frame)
    {
        auto button = plat::Button::buttonWithType(plat::ButtonType::Custom);
        button->setFrame(frame);
        button->setTitle(title, plat::ControlStateNormal);
        button->setTitleColor(plat::Color::whiteColor(), plat::ControlStateNormal);
        button->setBackgroundColor(plat::Color::colorWithWhite(0.4, 1));
        panel.addSubview(button);
        return button;
    }
};

}  // namespace zt::test
