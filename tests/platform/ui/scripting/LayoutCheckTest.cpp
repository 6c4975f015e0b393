#include "platform/ui/scripting/LayoutCheck.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"

namespace {

std::shared_ptr<plat::Button> button(const std::string& title, plat::Rect frame)
{
    auto made = plat::Button::buttonWithType(plat::ButtonType::System);
    made->setTitle(title, plat::ControlStateNormal);
    made->setFrame(frame);
    return made;
}

std::shared_ptr<plat::Label> label(const std::string& text, plat::Rect frame)
{
    auto made = std::make_shared<plat::Label>(frame);
    made->setText(text);
    made->setTextColor(plat::Color::whiteColor());
    return made;
}

std::shared_ptr<plat::View> panel(plat::Rect frame, std::optional<plat::Color> colour, bool clips = false)
{
    auto made = std::make_shared<plat::View>(frame);
    made->setBackgroundColor(colour);
    made->setClipsToBounds(clips);
    return made;
}

// A catch button across the screen, as a panel puts behind itself.
std::shared_ptr<plat::Button> catchButton()
{
    auto made = plat::Button::buttonWithType(plat::ButtonType::Custom);
    made->setFrame(plat::makeRect(0, 0, 568, 320));
    made->setBackgroundColor(plat::Color::clearColor());
    return made;
}

// Two sections of six rows, each section under a white header with its
// title, for a plain table (which keeps the top section's header pinned).
class SectionedRows : public plat::TableViewDataSource, public plat::TableViewDelegate {
public:
    int64_t numberOfSectionsInTableView(plat::TableView&) override { return 2; }
    int64_t tableViewNumberOfRowsInSection(plat::TableView&, int64_t) override { return 6; }
    std::shared_ptr<plat::TableViewCell> tableViewCellForRowAtIndexPath(plat::TableView&, plat::IndexPath path) override
    {
        auto cell = std::make_shared<plat::TableViewCell>(plat::TableViewCellStyle::Default, "Row");
        cell->textLabel()->setText("Row " + std::to_string(path.section) + "." + std::to_string(path.row));
        return cell;
    }
    std::optional<double> tableViewHeightForHeaderInSection(plat::TableView&, int64_t) override { return 40; }
    std::shared_ptr<plat::View> tableViewViewForHeaderInSection(plat::TableView&, int64_t section) override
    {
        auto header = panel(plat::makeRect(0, 0, 300, 40), plat::Color::whiteColor());
        auto title = label("Section " + std::to_string(section), plat::makeRect(20, 0, 200, 30));
        title->setTextColor(plat::Color::blackColor());
        header->addSubview(title);
        return header;
    }
};

class LayoutCheck : public ::testing::Test {
protected:
    LayoutCheck()
    {
        screen->view()->setBackgroundColor(plat::Color::blackColor());
        window->setRootViewController(screen);
        window->makeKeyAndVisible();
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>();
    std::shared_ptr<plat::ViewController> screen = std::make_shared<plat::ViewController>();
};

}  // namespace

// Each screen of the table is checked alone; a fault is found by the
// words that say what is wrong, and a sound screen has none.
TEST_F(LayoutCheck, FindsControlsAndTextsCutOffOrCoveredAndNothingElse)
{
    struct Case {
        const char* name;
        std::function<void(plat::View& root)> build;
        const char* fault;  // empty when the screen is sound
    };
    auto rows = std::make_shared<SectionedRows>();
    const Case cases[] = {
        {"a button and a caption in the open",
            [](plat::View& root) {
                root.addSubview(button("Play", plat::makeRect(20, 20, 80, 40)));
                root.addSubview(label("Loop", plat::makeRect(20, 80, 100, 20)));
            },
            ""},
        {"a button past the screen's right edge",
            [](plat::View& root) { root.addSubview(button("Play", plat::makeRect(520, 20, 80, 40))); },
            "Button \"Play\" of ViewController at (520, 20, 80, 40) is cut off by the screen's edge"},
        {"a button below the screen",
            [](plat::View& root) { root.addSubview(button("Play", plat::makeRect(20, 330, 80, 40))); },
            "Button \"Play\" of ViewController at (20, 330, 80, 40) is cut off by the screen's edge"},
        {"a caption reaching out of the panel that clips it",
            [](plat::View& root) {
                auto box = panel(plat::makeRect(0, 200, 200, 60), plat::Color::darkGrayColor(), /*clips=*/true);
                box->addSubview(label("Volume", plat::makeRect(150, 10, 100, 20)));
                root.addSubview(box);
            },
            "Label \"Volume\" of ViewController at (150, 210, 100, 20) is cut off by View of ViewController"},
        {"a bar slid out of the view that clips it, its buttons with it",
            [](plat::View& root) {
                auto frame = panel(plat::makeRect(0, 0, 568, 100), std::nullopt, /*clips=*/true);
                auto bar = panel(plat::makeRect(0, -60, 568, 50), plat::Color::darkGrayColor());
                bar->addSubview(button("Grid", plat::makeRect(8, 4, 40, 36)));
                frame->addSubview(bar);
                root.addSubview(frame);
            },
            ""},
        {"a row of a list scrolled half out of it",
            [](plat::View& root) {
                auto list = std::make_shared<plat::ScrollView>(plat::makeRect(0, 100, 300, 100));
                list->setContentSize({300, 400});
                list->addSubview(label("Share", plat::makeRect(10, 90, 200, 20)));
                root.addSubview(list);
            },
            ""},
        {"the last row of a list that does not scroll, cut by the list's end",
            [](plat::View& root) {
                auto list = std::make_shared<plat::ScrollView>(plat::makeRect(0, 100, 300, 100));
                list->setContentSize({300, 110});
                list->setScrollEnabled(false);
                list->addSubview(button("Faster", plat::makeRect(10, 80, 100, 30)));
                root.addSubview(list);
            },
            "Button \"Faster\" of ViewController at (10, 180, 100, 30) is cut off by ScrollView of ViewController"},
        {"a row below the end of a list's content, where scrolling cannot bring it",
            [](plat::View& root) {
                auto list = std::make_shared<plat::ScrollView>(plat::makeRect(0, 100, 300, 100));
                list->setContentSize({300, 100});
                list->addSubview(button("Faster", plat::makeRect(10, 80, 100, 30)));
                root.addSubview(list);
            },
            "Button \"Faster\" of ViewController at (10, 180, 100, 30) is cut off by ScrollView of ViewController"},
        {"a caption whose frame reaches past a list's end while its text stays whole",
            [](plat::View& root) {
                auto list = std::make_shared<plat::ScrollView>(plat::makeRect(0, 100, 300, 100));
                list->setScrollEnabled(false);
                list->addSubview(label("Remote Camera", plat::makeRect(10, 64, 200, 44)));
                root.addSubview(list);
            },
            ""},
        {"a row of a list scrolled under the section header it keeps at its top",
            [rows](plat::View& root) {
                auto list
                    = std::make_shared<plat::TableView>(plat::makeRect(0, 0, 300, 200), plat::TableViewStyle::Plain);
                list->setDataSource(rows);
                list->setDelegate(rows);
                root.addSubview(list);
                list->reloadData();
                list->setContentOffset({0, 30});
            },
            ""},
        {"a translucent bar over a caption",
            [](plat::View& root) {
                root.addSubview(label("Share", plat::makeRect(100, 250, 200, 30)));
                root.addSubview(panel(plat::makeRect(0, 240, 568, 80), plat::Color::colorWithWhite(1, 0.8)));
            },
            "Label \"Share\" of ViewController at (100, 250, 200, 30) is covered by View of ViewController at (0, 240, "
            "568, 80)"},
        {"a counter over a button's title",
            [](plat::View& root) {
                root.addSubview(button("Options", plat::makeRect(400, 20, 100, 36)));
                auto counter = label("7 / 13", plat::makeRect(410, 28, 80, 20));
                counter->setBackgroundColor(plat::Color::colorWithWhite(0, 0.6));
                root.addSubview(counter);
            },
            "Button \"Options\" of ViewController at (400, 20, 100, 36) is covered by Label \"7 / 13\""},
        {"a line through the empty end of a caption's frame",
            [](plat::View& root) {
                root.addSubview(label("Loop", plat::makeRect(20, 100, 300, 40)));
                root.addSubview(panel(plat::makeRect(200, 118, 300, 2), plat::Color::whiteColor()));
            },
            ""},
        {"a transparent catch button over the screen",
            [](plat::View& root) {
                root.addSubview(button("Play", plat::makeRect(20, 20, 80, 40)));
                root.addSubview(catchButton());
            },
            ""},
        {"a panel over a button, opened behind its catch button",
            [](plat::View& root) {
                root.addSubview(button("First Frame", plat::makeRect(200, 200, 100, 30)));
                root.addSubview(catchButton());
                root.addSubview(panel(plat::makeRect(150, 180, 300, 140), plat::Color::darkGrayColor()));
            },
            ""},
        {"a strip moved over a button behind a panel's catch button",
            [](plat::View& root) {
                root.addSubview(button("Source", plat::makeRect(480, 10, 80, 36)));
                root.addSubview(panel(plat::makeRect(0, 0, 568, 75), plat::Color::grayColor()));
                root.addSubview(catchButton());
            },
            "Button \"Source\" of ViewController at (480, 10, 80, 36) is covered by View of ViewController at (0, 0, "
            "568, 75)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto root = screen->view();
        for (const auto& view : std::vector<std::shared_ptr<plat::View>>(root->subviews()))
            view->removeFromSuperview();
        c.build(*root);
        std::string found;
        for (const std::string& fault : plat::scripting::layoutFaults(*window))
            found += fault + "\n";
        if (std::string(c.fault).empty())
            EXPECT_EQ(found, "");
        else
            EXPECT_NE(found.find(c.fault), std::string::npos) << found;
    }
}
