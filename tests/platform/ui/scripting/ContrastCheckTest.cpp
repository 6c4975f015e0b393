#include "platform/ui/scripting/ContrastCheck.h"

#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"

namespace {

plat::Color grey(double white)
{
    return plat::Color::colorWithWhite(white, 1);
}

std::shared_ptr<plat::Label> text(
    const std::string& words, plat::Rect frame, const plat::Color& colour, const plat::Font& font)
{
    auto made = std::make_shared<plat::Label>(frame);
    made->setText(words);
    made->setTextColor(colour);
    made->setFont(font);
    return made;
}

std::shared_ptr<plat::Label> text(const std::string& words, plat::Rect frame, const plat::Color& colour)
{
    return text(words, frame, colour, plat::Font::systemFontOfSize(15));
}

std::shared_ptr<plat::View> box(plat::Rect frame, const plat::Color& colour)
{
    auto made = std::make_shared<plat::View>(frame);
    made->setBackgroundColor(colour);
    return made;
}

// A photograph as a camera gives it: opaque, of one mid-dark colour, not the app's art.
std::shared_ptr<plat::ImageView> photo(plat::Rect frame)
{
    auto bitmap = plat::Bitmap::allocate(64, 48, plat::PixelOrder::BGRA);
    for (int y = 0; y < bitmap->height(); ++y)
        for (int x = 0; x < bitmap->width(); ++x) {
            uint8_t* pixel = bitmap->mutableRow(y) + 4 * x;
            pixel[0] = 40;
            pixel[1] = 60;
            pixel[2] = 50;
            pixel[3] = 255;
        }
    bitmap->setOpaque(true);
    auto view = std::make_shared<plat::ImageView>(plat::Image::imageWithBitmap(bitmap));
    view->setFrame(frame);
    return view;
}

class ContrastCheck : public ::testing::Test {
protected:
    ContrastCheck()
    {
        screen->view()->setBackgroundColor(plat::Color::whiteColor());
        window->setRootViewController(screen);
        window->makeKeyAndVisible();
    }

    std::string faultsOf(const std::function<void(plat::View& root)>& build)
    {
        auto root = screen->view();
        for (const auto& view : std::vector<std::shared_ptr<plat::View>>(root->subviews()))
            view->removeFromSuperview();
        build(*root);
        std::string found;
        for (const std::string& fault : plat::scripting::contrastFaults(*window))
            found += fault + "\n";
        return found;
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>();
    std::shared_ptr<plat::ViewController> screen = std::make_shared<plat::ViewController>();
};

}  // namespace

// Each screen of the table is checked alone; a fault is found by the words
// that say what is wrong, and a sound screen has none. Greys on white:
// 0.35 reads 7.4:1, 0.5 reads 4.0:1, 0.6 reads 2.8:1, 0.85 reads 1.5:1.
TEST_F(ContrastCheck, FindsTextsThatStandOutTooLittleAndNothingElse)
{
    struct Case {
        const char* name;
        std::function<void(plat::View& root)> build;
        const char* fault;  // empty when every text reads
    };
    const Case cases[] = {
        {"dark grey text on white",
            [](plat::View& root) { root.addSubview(text("Volume", plat::makeRect(20, 20, 200, 24), grey(0.35))); }, ""},
        {"mid grey text on white",
            [](plat::View& root) { root.addSubview(text("Volume", plat::makeRect(20, 20, 200, 24), grey(0.5))); },
            "\"Volume\" in Label \"Volume\" of ViewController at (20, 20, 200, 24) stands out 3."},
        {"pale text on white",
            [](plat::View& root) { root.addSubview(text("Volume", plat::makeRect(20, 20, 200, 24), grey(0.85))); },
            "\"Volume\" in Label \"Volume\" of ViewController at (20, 20, 200, 24) stands out 1."},
        {"text at 2.8:1, large at 18 points: it needs 3:1",
            [](plat::View& root) {
                root.addSubview(
                    text("Chapter", plat::makeRect(20, 20, 200, 30), grey(0.6), plat::Font::systemFontOfSize(18)));
            },
            "\"Chapter\" in Label \"Chapter\" of ViewController at (20, 20, 200, 30) stands out 2."},
        {"text at 4:1, large at 18 points",
            [](plat::View& root) {
                root.addSubview(
                    text("Chapter", plat::makeRect(20, 20, 200, 30), grey(0.5), plat::Font::systemFontOfSize(18)));
            },
            ""},
        {"text at 4:1, 14 points bold",
            [](plat::View& root) {
                root.addSubview(
                    text("Chapter", plat::makeRect(20, 20, 200, 30), grey(0.5), plat::Font::boldSystemFontOfSize(14)));
            },
            ""},
        {"text at 4:1, 14 points regular",
            [](plat::View& root) {
                root.addSubview(
                    text("Chapter", plat::makeRect(20, 20, 200, 30), grey(0.5), plat::Font::systemFontOfSize(14)));
            },
            "less than 4.50:1"},
        {"white text on a dark panel",
            [](plat::View& root) {
                root.addSubview(box(plat::makeRect(0, 0, 300, 60), grey(0.15)));
                root.addSubview(text("Record", plat::makeRect(20, 20, 200, 24), plat::Color::whiteColor()));
            },
            ""},
        {"a word that runs from a dark panel onto white",
            [](plat::View& root) {
                root.addSubview(box(plat::makeRect(0, 0, 70, 60), grey(0.1)));
                root.addSubview(text("Soundtrack", plat::makeRect(20, 20, 200, 24), plat::Color::whiteColor()));
            },
            "\"Soundtrack\" in Label \"Soundtrack\" of ViewController at (20, 20, 200, 24) stands out 1.0"},
        {"white text over a dark photograph, which could as well be light",
            [](plat::View& root) {
                root.addSubview(photo(plat::makeRect(0, 0, 300, 100)));
                root.addSubview(text("Frame", plat::makeRect(20, 20, 200, 24), plat::Color::whiteColor()));
            },
            "\"Frame\" in Label \"Frame\" of ViewController at (20, 20, 200, 24) stands out 1.19:1 over a light "
            "picture"},
        {"white text on a shade over a photograph",
            [](plat::View& root) {
                root.addSubview(photo(plat::makeRect(0, 0, 300, 100)));
                root.addSubview(box(plat::makeRect(10, 10, 220, 44), plat::Color::colorWithWhite(0, 0.7)));
                root.addSubview(text("Frame", plat::makeRect(20, 20, 200, 24), plat::Color::whiteColor()));
            },
            ""},
        {"text drawn in the colour behind it",
            [](plat::View& root) {
                root.addSubview(text("Hidden", plat::makeRect(20, 20, 200, 24), plat::Color::whiteColor()));
            },
            "\"Hidden\" in Label \"Hidden\" of ViewController at (20, 20, 200, 24) stands out 1.00:1"},
        {"a disabled button's pale title",
            [](plat::View& root) {
                auto button = plat::Button::buttonWithType(plat::ButtonType::System);
                button->setTitle("Paste", plat::ControlStateNormal);
                button->setTitleColor(grey(0.85), plat::ControlStateDisabled);
                button->setFrame(plat::makeRect(20, 20, 100, 40));
                button->setEnabled(false);
                root.addSubview(button);
            },
            ""},
        {"pale text behind a sheet's dimming across the screen",
            [](plat::View& root) {
                root.addSubview(text("Volume", plat::makeRect(20, 20, 200, 24), grey(0.85)));
                root.addSubview(box(plat::makeRect(0, 0, 568, 320), plat::Color::colorWithWhite(0, 0.4)));
            },
            ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string found = faultsOf(c.build);
        if (std::string(c.fault).empty())
            EXPECT_EQ(found, "");
        else
            EXPECT_NE(found.find(c.fault), std::string::npos) << found;
    }
}

TEST_F(ContrastCheck, NamesThePictureThatTheTextFailsOver)
{
    const std::string found = faultsOf([](plat::View& root) {
        root.addSubview(photo(plat::makeRect(0, 0, 300, 100)));
        root.addSubview(text("Frame", plat::makeRect(20, 20, 200, 24), plat::Color::whiteColor()));
    });
    EXPECT_NE(found.find("over a light picture, less than 4.50:1"), std::string::npos) << found;
}

TEST_F(ContrastCheck, LeavesTheScreenDrawnAsItWas)
{
    screen->view()->addSubview(photo(plat::makeRect(0, 0, 300, 100)));
    screen->view()->addSubview(text("Frame", plat::makeRect(20, 20, 200, 24), plat::Color::whiteColor()));
    auto before = plat::snapshotWindow(*window, 1);
    (void)plat::scripting::contrastFaults(*window);
    auto after = plat::snapshotWindow(*window, 1);
    ASSERT_TRUE(before && after);
    const plat::Bitmap& a = *before->bitmap();
    const plat::Bitmap& b = *after->bitmap();
    ASSERT_EQ(a.width(), b.width());
    int64_t differing = 0;
    for (int y = 0; y < a.height(); ++y)
        differing += std::memcmp(a.row(y), b.row(y), static_cast<size_t>(a.width()) * 4) != 0;
    EXPECT_EQ(differing, 0);
}
