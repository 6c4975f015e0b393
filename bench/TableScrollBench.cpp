// Scrolling a phone-sized table of 10,000 rows from top to bottom, 16
// points a step (a flick of 960 points a second at 60 steps a second):
// each step moves the content, reuses the cells that left the screen for
// the rows that came in (asking the data source), and, in the second
// benchmark, draws what changed, as the app's run loop does each frame.
// The reference moves a screenful of labels by hand and gives one of them
// new text per step: the least any scrolling list costs.
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "BenchRatio.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Device.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"
#include "platform/ui/UpdateCycle.h"
#include "platform/ui/Window.h"

namespace {

constexpr int64_t kRows = 10000;
constexpr double kStep = 16;

class Rows : public plat::TableViewDataSource {
public:
    int64_t tableViewNumberOfRowsInSection(plat::TableView&, int64_t) override { return kRows; }
    std::shared_ptr<plat::TableViewCell> tableViewCellForRowAtIndexPath(
        plat::TableView& table, plat::IndexPath path) override
    {
        auto cell = table.dequeueReusableCellWithIdentifier("Row");
        if (!cell)
            cell = std::make_shared<plat::TableViewCell>(plat::TableViewCellStyle::Subtitle, "Row");
        cell->textLabel()->setText("Frame " + std::to_string(path.row));
        cell->detailTextLabel()->setText("held " + std::to_string(path.row % 7 + 1) + " times");
        cell->setAccessoryType(plat::TableViewCellAccessoryType::DisclosureIndicator);
        return cell;
    }
};

struct Screen {
    std::shared_ptr<plat::Window> window;
    std::shared_ptr<plat::TableView> table;
    std::shared_ptr<Rows> rows = std::make_shared<Rows>();
};

Screen makeScreen()
{
    plat::Device::setCurrentDevice(plat::Device(plat::UserInterfaceIdiom::Phone));
    Screen screen;
    screen.window = std::make_shared<plat::Window>();
    screen.table = std::make_shared<plat::TableView>(screen.window->bounds(), plat::TableViewStyle::Plain);
    screen.table->setDataSource(screen.rows);
    screen.window->addSubview(screen.table);
    screen.window->makeKeyAndVisible();
    plat::RunLoop::main().drain();
    return screen;
}

void scrollTopToBottom(benchmark::State& state, bool draw)
{
    auto screen = makeScreen();
    double end = screen.table->maximumContentOffset().y;
    int64_t steps = 0;
    for (auto _ : state) {
        screen.table->setContentOffset({0, 0});
        plat::RunLoop::main().drain();
        for (double y = kStep; y <= end; y += kStep) {
            screen.table->setContentOffset({0, y});
            if (draw)
                plat::RunLoop::main().drain();  // layout, then drawing of what changed
            else
                screen.table->layoutIfNeeded();
            ++steps;
        }
    }
    state.counters["steps"] = benchmark::Counter(static_cast<double>(steps));
    state.counters["per_step"]
        = benchmark::Counter(static_cast<double>(steps), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["cells"] = static_cast<double>(screen.table->visibleCells().size());
}

void ScrollTenThousandRowsLayout(benchmark::State& state)
{
    scrollTopToBottom(state, /*draw=*/false);
}

void ScrollTenThousandRowsLayoutAndDrawing(benchmark::State& state)
{
    scrollTopToBottom(state, /*draw=*/true);
}

// The reference: a screenful of labels moved by hand, one new text a step.
void MoveAScreenfulOfLabelsByHand(benchmark::State& state)
{
    plat::Device::setCurrentDevice(plat::Device(plat::UserInterfaceIdiom::Phone));
    auto window = std::make_shared<plat::Window>();
    auto content = std::make_shared<plat::View>(window->bounds());
    window->addSubview(content);
    std::vector<std::shared_ptr<plat::Label>> labels;
    for (int i = 0; i < 9; ++i) {
        auto label = std::make_shared<plat::Label>(plat::makeRect(15, i * 44.0, 290, 44));
        label->setText("Frame " + std::to_string(i));
        content->addSubview(label);
        labels.push_back(label);
    }
    window->makeKeyAndVisible();
    plat::RunLoop::main().drain();
    int64_t steps = 0;
    double end = kRows * 44.0 - window->bounds().height();
    for (auto _ : state) {
        for (double y = kStep; y <= end; y += kStep) {
            for (size_t i = 0; i < labels.size(); ++i) {
                double top = std::floor(y / 44) * 44 + static_cast<double>(i) * 44 - y;
                labels[i]->setFrame(plat::makeRect(15, top, 290, 44));
            }
            labels[static_cast<size_t>(steps % 9)]->setText("Frame " + std::to_string(steps));
            plat::RunLoop::main().drain();
            ++steps;
        }
    }
    state.counters["steps"] = benchmark::Counter(static_cast<double>(steps));
    state.counters["per_step"]
        = benchmark::Counter(static_cast<double>(steps), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

const zt::bench::Comparison kScroll(
    "ScrollTenThousandRowsLayoutAndDrawing", "MoveAScreenfulOfLabelsByHand", zt::bench::Measure::CpuTime);

}  // namespace

BENCHMARK(ScrollTenThousandRowsLayout)->Unit(benchmark::kMillisecond);
BENCHMARK(ScrollTenThousandRowsLayoutAndDrawing)->Unit(benchmark::kMillisecond);
BENCHMARK(MoveAScreenfulOfLabelsByHand)->Unit(benchmark::kMillisecond);
