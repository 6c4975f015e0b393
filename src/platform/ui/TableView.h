#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/ui/IndexPath.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TableViewCell.h"
#include "platform/ui/TableViewTypes.h"

namespace plat {
class TableView;
class TableViewHeaderFooterView;
class SwipeGestureRecognizer;
namespace detail {
class TableGeometry;
class TableSectionIndex;
struct TableUpdateBatch;
}  // namespace detail

// What a table asks of its data source. Operations are named after their
// whole selector, as every one begins with "tableView"; optional ones have
// the platform's answer as default. The platform offers deleting by a
// swipe only when the data source commits edits, and shows reorder
// controls only when it moves rows: a data source that does says so with
// commitsEditingStyles or movesRows.
class TableViewDataSource {
public:
    virtual ~TableViewDataSource() = default;
    virtual int64_t tableViewNumberOfRowsInSection(TableView& tableView, int64_t section) = 0;
    virtual std::shared_ptr<TableViewCell> tableViewCellForRowAtIndexPath(TableView& tableView, IndexPath path) = 0;
    virtual int64_t numberOfSectionsInTableView(TableView&) { return 1; }
    virtual std::optional<std::string> tableViewTitleForHeaderInSection(TableView&, int64_t) { return std::nullopt; }
    virtual std::optional<std::string> tableViewTitleForFooterInSection(TableView&, int64_t) { return std::nullopt; }
    virtual bool tableViewCanEditRowAtIndexPath(TableView&, IndexPath) { return true; }
    virtual bool commitsEditingStyles() const { return false; }
    virtual void tableViewCommitEditingStyleForRowAtIndexPath(TableView&, TableViewCellEditingStyle, IndexPath) { }
    virtual bool tableViewCanMoveRowAtIndexPath(TableView&, IndexPath) { return true; }
    virtual bool movesRows() const { return false; }
    // The model moves the row; the table has moved its cell already.
    virtual void tableViewMoveRowAtIndexPathToIndexPath(TableView&, IndexPath /*from*/, IndexPath /*to*/) { }
    // The titles of the index along the right edge; none shows no index.
    virtual std::vector<std::string> sectionIndexTitlesForTableView(TableView&) { return {}; }
    virtual int64_t tableViewSectionForSectionIndexTitleAtIndex(TableView&, const std::string& /*title*/, int64_t index)
    {
        return index;
    }
};

// What a table tells and asks its delegate, besides the scroll view's callbacks.
class TableViewDelegate : public ScrollViewDelegate {
public:
    // Empty: the table's rowHeight (or section header and footer heights).
    virtual std::optional<double> tableViewHeightForRowAtIndexPath(TableView&, IndexPath) { return std::nullopt; }
    virtual std::optional<double> tableViewHeightForHeaderInSection(TableView&, int64_t) { return std::nullopt; }
    virtual std::optional<double> tableViewHeightForFooterInSection(TableView&, int64_t) { return std::nullopt; }
    virtual std::shared_ptr<View> tableViewViewForHeaderInSection(TableView&, int64_t) { return nullptr; }
    virtual std::shared_ptr<View> tableViewViewForFooterInSection(TableView&, int64_t) { return nullptr; }
    virtual void tableViewWillDisplayCellForRowAtIndexPath(TableView&, TableViewCell&, IndexPath) { }
    virtual void tableViewDidEndDisplayingCellForRowAtIndexPath(TableView&, TableViewCell&, IndexPath) { }
    virtual bool tableViewShouldHighlightRowAtIndexPath(TableView&, IndexPath) { return true; }
    // The row to select instead, or none to refuse.
    virtual std::optional<IndexPath> tableViewWillSelectRowAtIndexPath(TableView&, IndexPath path) { return path; }
    virtual void tableViewDidSelectRowAtIndexPath(TableView&, IndexPath) { }
    virtual std::optional<IndexPath> tableViewWillDeselectRowAtIndexPath(TableView&, IndexPath path) { return path; }
    virtual void tableViewDidDeselectRowAtIndexPath(TableView&, IndexPath) { }
    virtual void tableViewAccessoryButtonTappedForRowWithIndexPath(TableView&, IndexPath) { }
    virtual TableViewCellEditingStyle tableViewEditingStyleForRowAtIndexPath(TableView&, IndexPath)
    {
        return TableViewCellEditingStyle::Delete;
    }
    virtual std::string tableViewTitleForDeleteConfirmationButtonForRowAtIndexPath(TableView&, IndexPath)
    {
        return "Delete";
    }
    virtual IndexPath tableViewTargetIndexPathForMoveFromRowAtIndexPath(
        TableView&, IndexPath /*from*/, IndexPath proposed)
    {
        return proposed;
    }
};

// The platform's table view: a vertical list of sections of rows, asked of
// its data source and laid out with the heights its delegate gives. Only
// the rows on screen have cells: leaving cells wait (hidden) for reuse by
// identifier, and a reload measures rows without making them, so a list
// of any length scrolls at the cost of the rows that come into view.
// Plain tables keep the header of the top section pinned while its rows
// pass. A tap selects a row (the delegate may redirect or refuse it); in
// editing mode rows show delete or insert controls and, where the data
// source moves rows, reorder controls; a swipe to the left offers delete
// outside editing mode. Inserts, deletes, reloads and moves animate over
// kRowAnimationSeconds, in batches between beginUpdates and endUpdates.
// Main thread.
class TableView : public ScrollView {
public:
    static constexpr double kRowAnimationSeconds = 0.3;
    static constexpr double kDefaultRowHeight = 44;

    TableView(Rect frame, TableViewStyle style);
    ~TableView() override;

    TableViewStyle style() const { return _style; }
    std::weak_ptr<TableViewDataSource> dataSource() const { return _dataSource; }
    void setDataSource(std::weak_ptr<TableViewDataSource> dataSource);
    std::weak_ptr<TableViewDelegate> delegate() const { return _delegate; }
    void setDelegate(std::weak_ptr<TableViewDelegate> delegate);

    double rowHeight() const { return _rowHeight; }
    void setRowHeight(double height);
    double sectionHeaderHeight() const { return _sectionHeaderHeight; }
    void setSectionHeaderHeight(double height);
    double sectionFooterHeight() const { return _sectionFooterHeight; }
    void setSectionFooterHeight(double height);
    TableViewCellSeparatorStyle separatorStyle() const { return _separatorStyle; }
    void setSeparatorStyle(TableViewCellSeparatorStyle style);
    const Color& separatorColor() const { return _separatorColor; }
    void setSeparatorColor(const Color& color);
    EdgeInsets separatorInset() const { return _separatorInset; }
    void setSeparatorInset(EdgeInsets inset);
    const std::shared_ptr<View>& backgroundView() const { return _backgroundView; }
    void setBackgroundView(std::shared_ptr<View> view);
    const std::shared_ptr<View>& tableHeaderView() const { return _tableHeaderView; }
    void setTableHeaderView(std::shared_ptr<View> view);
    const std::shared_ptr<View>& tableFooterView() const { return _tableFooterView; }
    void setTableFooterView(std::shared_ptr<View> view);

    // Reuse: a registered class or layout makes cells for an identifier
    // when none waits for reuse.
    template <typename Cell> void registerClass(const std::string& reuseIdentifier)
    {
        _cellFactories[reuseIdentifier] = [](const std::string& identifier) {
            return std::make_shared<Cell>(TableViewCellStyle::Default, identifier);
        };
    }
    // A layout whose root view is a cell (built with the table's controller as owner).
    void registerNib(const std::string& layoutName, const std::string& reuseIdentifier);
    // A waiting cell of the identifier, or nullptr.
    std::shared_ptr<TableViewCell> dequeueReusableCellWithIdentifier(const std::string& reuseIdentifier);
    // A waiting cell, or a new one of the registered class or layout; an
    // identifier never registered is a programmer error.
    std::shared_ptr<TableViewCell> dequeueReusableCellWithIdentifier(
        const std::string& reuseIdentifier, IndexPath path);
    template <typename HeaderFooter> void registerClassForHeaderFooterViewReuseIdentifier(const std::string& identifier)
    {
        _headerFactories[identifier] = [](const std::string& id) { return std::make_shared<HeaderFooter>(id); };
    }
    std::shared_ptr<TableViewHeaderFooterView> dequeueReusableHeaderFooterViewWithIdentifier(
        const std::string& identifier);

    // Data.
    void reloadData();
    int64_t numberOfSections();
    int64_t numberOfRowsInSection(int64_t section);
    void beginUpdates();
    void endUpdates();
    void insertSections(const std::set<int64_t>& sections, TableViewRowAnimation animation);
    void deleteSections(const std::set<int64_t>& sections, TableViewRowAnimation animation);
    void reloadSections(const std::set<int64_t>& sections, TableViewRowAnimation animation);
    void insertRowsAtIndexPaths(const std::vector<IndexPath>& paths, TableViewRowAnimation animation);
    void deleteRowsAtIndexPaths(const std::vector<IndexPath>& paths, TableViewRowAnimation animation);
    void reloadRowsAtIndexPaths(const std::vector<IndexPath>& paths, TableViewRowAnimation animation);
    void moveRowAtIndexPath(IndexPath from, IndexPath to);

    // Geometry, in content coordinates.
    Rect rectForSection(int64_t section);
    Rect rectForHeaderInSection(int64_t section);
    Rect rectForFooterInSection(int64_t section);
    Rect rectForRowAtIndexPath(IndexPath path);
    std::optional<IndexPath> indexPathForRowAtPoint(Point point);
    std::vector<IndexPath> indexPathsForRowsInRect(Rect rect);
    std::optional<IndexPath> indexPathForCell(const TableViewCell& cell);
    // The cell of a row on screen, else nullptr (no cell is made for it).
    std::shared_ptr<TableViewCell> cellForRowAtIndexPath(IndexPath path);
    std::vector<std::shared_ptr<TableViewCell>> visibleCells();
    std::vector<IndexPath> indexPathsForVisibleRows();
    std::shared_ptr<View> headerViewForSection(int64_t section);
    std::shared_ptr<View> footerViewForSection(int64_t section);
    void scrollToRowAtIndexPath(IndexPath path, TableViewScrollPosition position, bool animated);

    // Selection.
    bool allowsSelection() const { return _allowsSelection; }
    void setAllowsSelection(bool allows) { _allowsSelection = allows; }
    bool allowsMultipleSelection() const { return _allowsMultipleSelection; }
    void setAllowsMultipleSelection(bool allows) { _allowsMultipleSelection = allows; }
    bool allowsSelectionDuringEditing() const { return _allowsSelectionDuringEditing; }
    void setAllowsSelectionDuringEditing(bool allows) { _allowsSelectionDuringEditing = allows; }
    std::optional<IndexPath> indexPathForSelectedRow() const;
    std::vector<IndexPath> indexPathsForSelectedRows() const;
    // By code: the delegate is not told, as on the platform.
    void selectRowAtIndexPath(std::optional<IndexPath> path, bool animated, TableViewScrollPosition position);
    void deselectRowAtIndexPath(IndexPath path, bool animated);

    // Editing.
    bool isEditing() const { return _editing; }
    void setEditing(bool editing) { setEditing(editing, false); }
    void setEditing(bool editing, bool animated);

    // The section index.
    int64_t sectionIndexMinimumDisplayRowCount() const { return _sectionIndexMinimumDisplayRowCount; }
    void setSectionIndexMinimumDisplayRowCount(int64_t count);
    std::shared_ptr<View> sectionIndexView() const;
    // Chosen through the index view: scrolls to the section its data source names.
    void scrollToSectionIndexTitle(int64_t titleIndex);

    void layoutSubviews() override;
    void touchesBegan(const TouchSet& touches, const Event& event) override;
    void touchesMoved(const TouchSet& touches, const Event& event) override;
    void touchesEnded(const TouchSet& touches, const Event& event) override;
    void touchesCancelled(const TouchSet& touches, const Event& event) override;
    void didMoveToSuperview() override;

private:
    friend class TableViewCell;
    friend class detail::CellEditingControl;
    friend class detail::CellDetailButton;
    friend class detail::CellReorderControl;

    // A row being dragged by its reorder control.
    struct Reorder {
        IndexPath from;
        IndexPath current;
        std::shared_ptr<TableViewCell> cell;
        double grabOffset = 0;  // from the cell's top to the finger
    };
    using CellFactory = std::function<std::shared_ptr<TableViewCell>(const std::string&)>;
    using HeaderFactory = std::function<std::shared_ptr<TableViewHeaderFooterView>(const std::string&)>;

    void rebuildGeometry();
    void updateVisibleCellsIfNeeded();
    void tileRows(Rect visible);
    void tileSupplementaryViews(Rect visible);
    void layoutSectionIndex(Rect visible);
    std::shared_ptr<TableViewCell> makeCell(IndexPath path);
    void configureForDisplay(TableViewCell& cell, IndexPath path);
    void recycleCell(const std::shared_ptr<TableViewCell>& cell, IndexPath path);
    std::shared_ptr<View> supplementaryView(int64_t section, bool header);
    void placeContentView(const std::shared_ptr<View>& view);
    Rect rowFrame(IndexPath path) const;
    std::vector<int64_t> currentRowCounts();

    void applyBatch(detail::TableUpdateBatch batch);
    void animateRowChanges(const std::map<IndexPath, Rect>& oldFrames,
        std::vector<std::pair<std::shared_ptr<TableViewCell>, TableViewRowAnimation>> leaving,
        const std::map<IndexPath, TableViewRowAnimation>& arriving);

    std::optional<IndexPath> rowUnderTouch(const TouchSet& touches) const;
    void selectRowByUser(IndexPath path);
    void deselectRowByUser(IndexPath path);
    void handleSwipe(SwipeGestureRecognizer& swipe);
    bool dataSourceCommitsEdits();
    void hideDeleteConfirmation();
    // From the cells' controls.
    void editingControlTapped(TableViewCell& cell);
    void deleteConfirmed(TableViewCell& cell);
    void accessoryButtonTapped(TableViewCell& cell);
    void beginReorder(TableViewCell& cell, double y);
    void continueReorder(double y);
    void endReorder();

    TableViewStyle _style;
    std::weak_ptr<TableViewDataSource> _dataSource;
    std::weak_ptr<TableViewDelegate> _delegate;
    double _rowHeight = kDefaultRowHeight;
    double _sectionHeaderHeight;
    double _sectionFooterHeight;
    TableViewCellSeparatorStyle _separatorStyle = TableViewCellSeparatorStyle::SingleLine;
    Color _separatorColor = Color::colorWithWhite(0.78, 1);
    EdgeInsets _separatorInset {0, TableViewCell::kMargin, 0, 0};
    std::shared_ptr<View> _backgroundView;
    std::shared_ptr<View> _tableHeaderView;
    std::shared_ptr<View> _tableFooterView;
    std::map<std::string, CellFactory> _cellFactories;
    std::map<std::string, HeaderFactory> _headerFactories;
    std::map<std::string, std::vector<std::shared_ptr<TableViewCell>>> _reusableCells;
    std::map<std::string, std::vector<std::shared_ptr<TableViewHeaderFooterView>>> _reusableHeaders;

    std::unique_ptr<detail::TableGeometry> _geometry;
    bool _needsReload = true;
    std::optional<double> _titlesMeasuredAtWidth;  // the width titles were wrapped at, when any was
    std::map<IndexPath, std::shared_ptr<TableViewCell>> _visibleCells;
    std::map<int64_t, std::shared_ptr<View>> _visibleHeaders;
    std::map<int64_t, std::shared_ptr<View>> _visibleFooters;
    std::set<IndexPath> _selected;
    std::optional<IndexPath> _touchedRow;
    bool _allowsSelection = true;
    bool _allowsMultipleSelection = false;
    bool _allowsSelectionDuringEditing = false;
    bool _editing = false;
    std::optional<IndexPath> _deleteConfirmationRow;
    int _updateDepth = 0;
    std::unique_ptr<detail::TableUpdateBatch> _pendingBatch;
    std::unique_ptr<Reorder> _reorder;
    std::shared_ptr<SwipeGestureRecognizer> _swipe;
    int64_t _sectionIndexMinimumDisplayRowCount = 0;
    std::shared_ptr<detail::TableSectionIndex> _sectionIndex;
    bool _tiling = false;
};

}  // namespace plat
