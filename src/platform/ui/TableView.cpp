#include "platform/ui/TableView.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/foundation/Fatal.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/SwipeGestureRecognizer.h"
#include "platform/ui/TableGeometry.h"
#include "platform/ui/TableSectionIndex.h"
#include "platform/ui/TableUpdates.h"
#include "platform/ui/TableViewHeaderFooterView.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/VisibleCells.h"

namespace plat {

namespace {

constexpr double kPlainSupplementaryHeight = 22;
constexpr double kGroupedSupplementaryHeight = 28;
// Grouped sections keep this apart even without titles.
constexpr double kGroupedSectionGap = 10;
constexpr const char* kTitleViewIdentifier = "\x01title";  // headers made for titles
const Color kGroupedBackground = Color::colorWithRed(0.937, 0.937, 0.957, 1);

// How much taller than one line a title shown in a header or footer view
// of the table's width is: 0 for one line, and before the table has a width.
double extraTitleLinesHeight(const std::string& title, double tableWidth)
{
    const double textWidth = tableWidth - 2 * TableViewHeaderFooterView::kTextInset;
    if (textWidth <= 0)
        return 0;
    Label measuring;
    measuring.setFont(TableViewHeaderFooterView::titleFont());
    measuring.setNumberOfLines(0);
    measuring.setText(title);
    const double whole = measuring.sizeThatFits({textWidth, 1e6}).height;
    measuring.setText("X");
    const double oneLine = measuring.sizeThatFits({textWidth, 1e6}).height;
    return std::max(0.0, std::ceil(whole - oneLine));
}

}  // namespace

TableView::TableView(Rect frame, TableViewStyle style)
    : ScrollView(frame)
    , _style(style)
    , _sectionHeaderHeight(style == TableViewStyle::Plain ? kPlainSupplementaryHeight : kGroupedSupplementaryHeight)
    , _sectionFooterHeight(style == TableViewStyle::Plain ? kPlainSupplementaryHeight : kGroupedSupplementaryHeight)
    , _geometry(std::make_unique<detail::TableGeometry>())
    , _swipe(std::make_shared<SwipeGestureRecognizer>())
{
    setAlwaysBounceVertical(true);
    setBackgroundColor(style == TableViewStyle::Grouped ? kGroupedBackground : Color::whiteColor());
    _swipe->setDirection(SwipeGestureRecognizerDirectionLeft);
    _swipe->addTarget(this, &TableView::handleSwipe);
}

TableView::~TableView() = default;

void TableView::didMoveToSuperview()
{
    ScrollView::didMoveToSuperview();
    if (!_swipe->view())
        addGestureRecognizer(_swipe);
}

// Settings

void TableView::setDataSource(std::weak_ptr<TableViewDataSource> dataSource)
{
    _dataSource = std::move(dataSource);
    reloadData();
}

void TableView::setDelegate(std::weak_ptr<TableViewDelegate> delegate)
{
    ScrollView::setDelegate(delegate);
    _delegate = std::move(delegate);
    reloadData();
}

void TableView::setRowHeight(double height)
{
    _rowHeight = height;
    _needsReload = true;
    setNeedsLayout();
}

void TableView::setSectionHeaderHeight(double height)
{
    _sectionHeaderHeight = height;
    _needsReload = true;
    setNeedsLayout();
}

void TableView::setSectionFooterHeight(double height)
{
    _sectionFooterHeight = height;
    _needsReload = true;
    setNeedsLayout();
}

void TableView::setSeparatorStyle(TableViewCellSeparatorStyle style)
{
    _separatorStyle = style;
    for (const auto& [path, cell] : _visibleCells)
        cell->setSeparator(style != TableViewCellSeparatorStyle::None, _separatorColor, _separatorInset);
}

void TableView::setSeparatorColor(const Color& color)
{
    _separatorColor = color;
    setSeparatorStyle(_separatorStyle);
}

void TableView::setSeparatorInset(EdgeInsets inset)
{
    _separatorInset = inset;
    setSeparatorStyle(_separatorStyle);
}

void TableView::setBackgroundView(std::shared_ptr<View> view)
{
    if (_backgroundView && _backgroundView->superview().get() == this)
        _backgroundView->removeFromSuperview();
    _backgroundView = std::move(view);
    if (_backgroundView) {
        _backgroundView->setUserInteractionEnabled(false);
        insertSubview(_backgroundView, 0);
    }
    setNeedsLayout();
}

void TableView::setTableHeaderView(std::shared_ptr<View> view)
{
    if (_tableHeaderView && _tableHeaderView->superview().get() == this)
        _tableHeaderView->removeFromSuperview();
    _tableHeaderView = std::move(view);
    if (_tableHeaderView)
        addSubview(_tableHeaderView);
    _needsReload = true;
    setNeedsLayout();
}

void TableView::setTableFooterView(std::shared_ptr<View> view)
{
    if (_tableFooterView && _tableFooterView->superview().get() == this)
        _tableFooterView->removeFromSuperview();
    _tableFooterView = std::move(view);
    if (_tableFooterView)
        addSubview(_tableFooterView);
    _needsReload = true;
    setNeedsLayout();
}

void TableView::setSectionIndexMinimumDisplayRowCount(int64_t count)
{
    _sectionIndexMinimumDisplayRowCount = count;
    setNeedsLayout();
}

std::shared_ptr<View> TableView::sectionIndexView() const
{
    return _sectionIndex && !_sectionIndex->isHidden() ? _sectionIndex : nullptr;
}

// Reuse

void TableView::registerNib(const std::string& layoutName, const std::string& reuseIdentifier)
{
    std::weak_ptr<Object> weakSelf = weak_from_this();
    _cellFactories[reuseIdentifier] = [weakSelf, layoutName](const std::string& identifier) {
        // The controller the table belongs to owns what the layout connects.
        std::shared_ptr<ViewController> owner;
        if (auto self = std::static_pointer_cast<TableView>(weakSelf.lock()))
            for (auto responder = self->nextResponder(); responder && !owner; responder = responder->nextResponder())
                owner = std::dynamic_pointer_cast<ViewController>(responder);
        if (!owner)
            owner = std::make_shared<ViewController>();
        auto cell = std::dynamic_pointer_cast<TableViewCell>(LayoutRegistry::loadNibNamed(layoutName, *owner));
        if (!cell)
            detail::fatal("layout \"{}\" registered for cells made no table cell", layoutName);
        cell->setReuseIdentifier(identifier);
        return cell;
    };
}

std::shared_ptr<TableViewCell> TableView::dequeueReusableCellWithIdentifier(const std::string& reuseIdentifier)
{
    auto it = _reusableCells.find(reuseIdentifier);
    if (it == _reusableCells.end() || it->second.empty())
        return nullptr;
    auto cell = std::move(it->second.back());
    it->second.pop_back();
    cell->prepareForReuse();
    return cell;
}

std::shared_ptr<TableViewCell> TableView::dequeueReusableCellWithIdentifier(
    const std::string& reuseIdentifier, IndexPath)
{
    if (auto cell = dequeueReusableCellWithIdentifier(reuseIdentifier))
        return cell;
    auto factory = _cellFactories.find(reuseIdentifier);
    if (factory == _cellFactories.end())
        detail::fatal(
            "unable to dequeue a cell with identifier \"{}\": register a class or a layout for it", reuseIdentifier);
    return factory->second(reuseIdentifier);
}

std::shared_ptr<TableViewHeaderFooterView> TableView::dequeueReusableHeaderFooterViewWithIdentifier(
    const std::string& identifier)
{
    auto& pool = _reusableHeaders[identifier];
    if (!pool.empty()) {
        auto view = std::move(pool.back());
        pool.pop_back();
        view->prepareForReuse();
        view->setHidden(false);
        return view;
    }
    auto factory = _headerFactories.find(identifier);
    if (factory != _headerFactories.end())
        return factory->second(identifier);
    if (identifier == kTitleViewIdentifier)
        return std::make_shared<TableViewHeaderFooterView>(identifier);
    return nullptr;
}

void TableView::recycleCell(const std::shared_ptr<TableViewCell>& cell, IndexPath path)
{
    if (auto delegate = _delegate.lock())
        delegate->tableViewDidEndDisplayingCellForRowAtIndexPath(*this, *cell, path);
    cell->setHighlighted(false);
    // Waiting cells stay subviews, hidden: taking them out and back costs more than hiding.
    cell->setHidden(true);
    if (cell->reuseIdentifier().empty()) {
        cell->removeFromSuperview();
        return;
    }
    _reusableCells[cell->reuseIdentifier()].push_back(cell);
}

// Data

void TableView::reloadData()
{
    {
        // The delegate hears of each cell; a layout it asks for meanwhile waits (see the end).
        bool wasTiling = std::exchange(_tiling, true);
        for (const auto& [path, cell] : _visibleCells)
            recycleCell(cell, path);
        _tiling = wasTiling;
    }
    _visibleCells.clear();
    for (auto* views : {&_visibleHeaders, &_visibleFooters}) {
        for (const auto& [section, view] : *views) {
            if (auto reusable = std::dynamic_pointer_cast<TableViewHeaderFooterView>(view)) {
                reusable->setHidden(true);
                _reusableHeaders[reusable->reuseIdentifier()].push_back(reusable);
            } else {
                view->removeFromSuperview();
            }
        }
        views->clear();
    }
    _selected.clear();
    _deleteConfirmationRow.reset();
    _needsReload = true;
    setNeedsLayout();
}

void TableView::rebuildGeometry()
{
    auto source = _dataSource.lock();
    auto delegate = _delegate.lock();
    _geometry->reset(_tableHeaderView ? _tableHeaderView->frame().height() : 0);
    _titlesMeasuredAtWidth.reset();
    int64_t sections = source ? std::max<int64_t>(0, source->numberOfSectionsInTableView(*this)) : 0;
    bool grouped = _style == TableViewStyle::Grouped;
    for (int64_t s = 0; s < sections; ++s) {
        int64_t rows = std::max<int64_t>(0, source->tableViewNumberOfRowsInSection(*this, s));
        std::vector<double> heights;
        if (delegate) {
            bool varies = false;
            std::vector<double> asked(static_cast<size_t>(rows));
            for (int64_t r = 0; r < rows; ++r) {
                double height = delegate->tableViewHeightForRowAtIndexPath(*this, {s, r}).value_or(_rowHeight);
                asked[static_cast<size_t>(r)] = height;
                varies = varies || height != _rowHeight;
            }
            if (varies)
                heights = std::move(asked);
        }
        auto measure = [&](std::optional<double> asked, const std::optional<std::string>& title, double standard) {
            if (asked)
                return *asked;
            if (!title)
                return grouped ? kGroupedSectionGap : 0.0;
            if (!grouped)
                return standard;
            // A grouped table's title takes the lines it needs, as the platform's do.
            _titlesMeasuredAtWidth = bounds().width();
            return standard + extraTitleLinesHeight(*title, bounds().width());
        };
        double header = measure(delegate ? delegate->tableViewHeightForHeaderInSection(*this, s) : std::nullopt,
            source->tableViewTitleForHeaderInSection(*this, s), _sectionHeaderHeight);
        double footer = measure(delegate ? delegate->tableViewHeightForFooterInSection(*this, s) : std::nullopt,
            source->tableViewTitleForFooterInSection(*this, s), _sectionFooterHeight);
        _geometry->addSection(header, footer, rows, _rowHeight, std::move(heights));
    }
    _geometry->finish(_tableFooterView ? _tableFooterView->frame().height() : 0);
    _needsReload = false;
}

std::vector<int64_t> TableView::currentRowCounts()
{
    std::vector<int64_t> counts;
    for (int64_t s = 0; s < _geometry->numberOfSections(); ++s)
        counts.push_back(_geometry->numberOfRows(s));
    return counts;
}

int64_t TableView::numberOfSections()
{
    if (_needsReload)
        rebuildGeometry();
    return _geometry->numberOfSections();
}

int64_t TableView::numberOfRowsInSection(int64_t section)
{
    if (_needsReload)
        rebuildGeometry();
    return _geometry->numberOfRows(section);
}

// Geometry

Rect TableView::rowFrame(IndexPath path) const
{
    auto span = _geometry->row(path);
    double indexWidth = sectionIndexView() ? detail::TableSectionIndex::kWidth : 0;
    return makeRect(0, span.top, std::max(0.0, bounds().width() - indexWidth), span.height);
}

Rect TableView::rectForSection(int64_t section)
{
    if (_needsReload)
        rebuildGeometry();
    if (section < 0 || section >= _geometry->numberOfSections())
        return {};
    auto span = _geometry->section(section);
    return makeRect(0, span.top, bounds().width(), span.height);
}

Rect TableView::rectForHeaderInSection(int64_t section)
{
    if (_needsReload)
        rebuildGeometry();
    if (section < 0 || section >= _geometry->numberOfSections())
        return {};
    auto span = _geometry->header(section);
    return makeRect(0, span.top, bounds().width(), span.height);
}

Rect TableView::rectForFooterInSection(int64_t section)
{
    if (_needsReload)
        rebuildGeometry();
    if (section < 0 || section >= _geometry->numberOfSections())
        return {};
    auto span = _geometry->footer(section);
    return makeRect(0, span.top, bounds().width(), span.height);
}

Rect TableView::rectForRowAtIndexPath(IndexPath path)
{
    if (_needsReload)
        rebuildGeometry();
    return _geometry->contains(path) ? rowFrame(path) : Rect {};
}

std::optional<IndexPath> TableView::indexPathForRowAtPoint(Point point)
{
    if (_needsReload)
        rebuildGeometry();
    if (point.x < 0 || point.x >= bounds().width())
        return std::nullopt;
    return _geometry->rowAt(point.y);
}

std::vector<IndexPath> TableView::indexPathsForRowsInRect(Rect rect)
{
    if (_needsReload)
        rebuildGeometry();
    return _geometry->rowsBetween(rect.minY(), rect.maxY());
}

std::optional<IndexPath> TableView::indexPathForCell(const TableViewCell& cell)
{
    return detail::indexPathOfVisibleCell(_visibleCells, cell);
}

std::shared_ptr<TableViewCell> TableView::cellForRowAtIndexPath(IndexPath path)
{
    layoutIfNeeded();
    return detail::visibleCellAt(_visibleCells, path);
}

std::vector<std::shared_ptr<TableViewCell>> TableView::visibleCells()
{
    layoutIfNeeded();
    return detail::cellsInPathOrder(_visibleCells);
}

std::vector<IndexPath> TableView::indexPathsForVisibleRows()
{
    layoutIfNeeded();
    return detail::indexPathsInOrder(_visibleCells);
}

std::shared_ptr<View> TableView::headerViewForSection(int64_t section)
{
    layoutIfNeeded();
    auto it = _visibleHeaders.find(section);
    return it == _visibleHeaders.end() ? nullptr : it->second;
}

std::shared_ptr<View> TableView::footerViewForSection(int64_t section)
{
    layoutIfNeeded();
    auto it = _visibleFooters.find(section);
    return it == _visibleFooters.end() ? nullptr : it->second;
}

void TableView::scrollToRowAtIndexPath(IndexPath path, TableViewScrollPosition position, bool animated)
{
    Rect row = rectForRowAtIndexPath(path);
    if (row.isEmpty() && !_geometry->contains(path))
        detail::fatal("TableView::scrollToRowAtIndexPath: no row {}", path.description());
    EdgeInsets inset = contentInset();
    double visibleHeight = bounds().height() - inset.top - inset.bottom;
    double y = contentOffset().y;
    switch (position) {
    case TableViewScrollPosition::Top:
        y = row.minY() - inset.top;
        break;
    case TableViewScrollPosition::Middle:
        y = row.midY() - visibleHeight / 2 - inset.top;
        break;
    case TableViewScrollPosition::Bottom:
        y = row.maxY() - bounds().height() + inset.bottom;
        break;
    case TableViewScrollPosition::None:
        scrollRectToVisible(row, animated);
        return;
    }
    y = std::clamp(y, minimumContentOffset().y, maximumContentOffset().y);
    setContentOffset({contentOffset().x, y}, animated);
}

void TableView::scrollToSectionIndexTitle(int64_t titleIndex)
{
    auto source = _dataSource.lock();
    if (!source || !_sectionIndex || titleIndex < 0
        || titleIndex >= static_cast<int64_t>(_sectionIndex->titles().size()))
        return;
    int64_t section = source->tableViewSectionForSectionIndexTitleAtIndex(
        *this, _sectionIndex->titles()[static_cast<size_t>(titleIndex)], titleIndex);
    if (_needsReload)
        rebuildGeometry();
    if (section < 0 || section >= _geometry->numberOfSections())
        return;
    double y = std::clamp(
        _geometry->section(section).top - contentInset().top, minimumContentOffset().y, maximumContentOffset().y);
    setContentOffset({contentOffset().x, y}, /*animated=*/false);
}

// Layout: only the rows on screen have cells

void TableView::layoutSubviews()
{
    if (_tiling)
        return;
    _tiling = true;
    Rect visible = bounds();
    // Titles that wrap take another height at another width.
    if (_titlesMeasuredAtWidth && *_titlesMeasuredAtWidth != visible.width())
        _needsReload = true;
    if (_needsReload)
        rebuildGeometry();
    Size content {visible.width(), _geometry->contentHeight()};
    if (content != contentSize())
        setContentSize(content);
    if (_backgroundView)
        _backgroundView->setFrame(visible);
    if (_tableHeaderView)
        _tableHeaderView->setFrame(makeRect(0, 0, visible.width(), _tableHeaderView->frame().height()));
    if (_tableFooterView) {
        auto span = _geometry->tableFooter();
        _tableFooterView->setFrame(makeRect(0, span.top, visible.width(), span.height));
    }
    layoutSectionIndex(visible);
    tileRows(visible);
    tileSupplementaryViews(visible);
    ScrollView::layoutSubviews();
    _tiling = false;
}

void TableView::placeContentView(const std::shared_ptr<View>& view)
{
    // Cells go to the back, just in front of the background view.
    size_t index = _backgroundView && _backgroundView->superview().get() == this ? 1 : 0;
    insertSubview(view, index);
}

std::shared_ptr<TableViewCell> TableView::makeCell(IndexPath path)
{
    auto source = _dataSource.lock();
    auto cell = source ? source->tableViewCellForRowAtIndexPath(*this, path) : nullptr;
    if (!cell)
        detail::fatal("TableView: the data source gave no cell for row {}", path.description());
    if (cell->superview().get() != this)
        placeContentView(cell);
    cell->setHidden(false);
    cell->setAlpha(1);
    configureForDisplay(*cell, path);
    // The data source may have changed what the cell shows while it kept its size.
    cell->setNeedsLayout();
    return cell;
}

void TableView::configureForDisplay(TableViewCell& cell, IndexPath path)
{
    auto source = _dataSource.lock();
    auto delegate = _delegate.lock();
    cell.setSelected(_selected.count(path) != 0);
    bool editable = _editing && source && source->tableViewCanEditRowAtIndexPath(*this, path);
    cell.setEditingStyle(editable && delegate ? delegate->tableViewEditingStyleForRowAtIndexPath(*this, path)
            : editable                        ? TableViewCellEditingStyle::Delete
                                              : TableViewCellEditingStyle::None);
    cell.setEditing(_editing);
    cell.setShowsReorderControl(
        _editing && source && source->movesRows() && source->tableViewCanMoveRowAtIndexPath(*this, path));
    cell.setSeparator(_separatorStyle != TableViewCellSeparatorStyle::None, _separatorColor, _separatorInset);
}

void TableView::tileRows(Rect visible)
{
    std::vector<IndexPath> needed = _geometry->rowsBetween(visible.minY(), visible.maxY());
    // Cells that left the screen wait for reuse; both lists are in row order.
    auto next = needed.begin();
    for (auto it = _visibleCells.begin(); it != _visibleCells.end();) {
        while (next != needed.end() && *next < it->first)
            ++next;
        bool stays = next != needed.end() && *next == it->first;
        bool moving = _reorder && _reorder->cell == it->second;
        if (stays || moving) {
            ++it;
            continue;
        }
        recycleCell(it->second, it->first);
        it = _visibleCells.erase(it);
    }
    auto delegate = _delegate.lock();
    for (const IndexPath& path : needed) {
        auto it = _visibleCells.find(path);
        if (it == _visibleCells.end()) {
            auto cell = makeCell(path);
            it = _visibleCells.emplace(path, cell).first;
            cell->setFrame(rowFrame(path));
            if (delegate)
                delegate->tableViewWillDisplayCellForRowAtIndexPath(*this, *cell, path);
        } else if (!(_reorder && _reorder->cell == it->second)) {
            it->second->setFrame(rowFrame(path));
        }
    }
}

std::shared_ptr<View> TableView::supplementaryView(int64_t section, bool header)
{
    auto source = _dataSource.lock();
    auto delegate = _delegate.lock();
    if (delegate)
        if (auto view = header ? delegate->tableViewViewForHeaderInSection(*this, section)
                               : delegate->tableViewViewForFooterInSection(*this, section))
            return view;
    if (!source)
        return nullptr;
    auto title = header ? source->tableViewTitleForHeaderInSection(*this, section)
                        : source->tableViewTitleForFooterInSection(*this, section);
    if (!title)
        return nullptr;
    auto view = dequeueReusableHeaderFooterViewWithIdentifier(kTitleViewIdentifier);
    view->textLabel()->setNumberOfLines(_style == TableViewStyle::Grouped ? 0 : 1);
    view->textLabel()->setText(*title);
    view->setNeedsLayout();
    return view;
}

void TableView::tileSupplementaryViews(Rect visible)
{
    auto sections = _geometry->sectionsBetween(visible.minY(), visible.maxY());
    std::set<int64_t> shown(sections.begin(), sections.end());
    bool pinned = _style == TableViewStyle::Plain;
    for (bool header : {true, false}) {
        auto& views = header ? _visibleHeaders : _visibleFooters;
        for (auto it = views.begin(); it != views.end();) {
            double height = header ? _geometry->header(it->first).height : _geometry->footer(it->first).height;
            if (it->first < _geometry->numberOfSections() && shown.count(it->first) && height > 0) {
                ++it;
                continue;
            }
            if (auto reusable = std::dynamic_pointer_cast<TableViewHeaderFooterView>(it->second)) {
                reusable->setHidden(true);
                _reusableHeaders[reusable->reuseIdentifier()].push_back(reusable);
            } else {
                it->second->removeFromSuperview();
            }
            it = views.erase(it);
        }
        for (int64_t section : sections) {
            auto span = header ? _geometry->header(section) : _geometry->footer(section);
            if (span.height <= 0)
                continue;
            auto it = views.find(section);
            if (it == views.end()) {
                auto view = supplementaryView(section, header);
                if (!view)
                    continue;
                it = views.emplace(section, view).first;
            }
            const auto& view = it->second;
            if (view->superview().get() != this)
                addSubview(view);  // in front of the cells
            double top = span.top;
            if (header && pinned) {
                // The header of the top section stays in view while its rows pass under it.
                auto whole = _geometry->section(section);
                top = std::clamp(visible.minY() + contentInset().top, span.top, whole.bottom() - span.height);
                bringSubviewToFront(*view);
            }
            view->setFrame(makeRect(0, top, visible.width(), span.height));
        }
    }
    if (_sectionIndex && _sectionIndex->superview().get() == this)
        bringSubviewToFront(*_sectionIndex);
}

void TableView::layoutSectionIndex(Rect visible)
{
    auto source = _dataSource.lock();
    std::vector<std::string> titles
        = source ? source->sectionIndexTitlesForTableView(*this) : std::vector<std::string> {};
    int64_t rows = 0;
    for (int64_t s = 0; s < _geometry->numberOfSections(); ++s)
        rows += _geometry->numberOfRows(s);
    bool show = !titles.empty() && rows >= _sectionIndexMinimumDisplayRowCount;
    if (!show) {
        if (_sectionIndex)
            _sectionIndex->setHidden(true);
        return;
    }
    if (!_sectionIndex) {
        _sectionIndex = std::make_shared<detail::TableSectionIndex>();
        addSubview(_sectionIndex);
    }
    _sectionIndex->setHidden(false);
    _sectionIndex->setTitles(std::move(titles));
    _sectionIndex->setFrame(makeRect(visible.maxX() - detail::TableSectionIndex::kWidth, visible.minY(),
        detail::TableSectionIndex::kWidth, visible.height()));
}

}  // namespace plat
