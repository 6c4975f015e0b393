#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Value.h"
#include "platform/ui/TextField.h"
#include "render/LookSheetPageViewController.h"
#include "uikit/APTextFieldCell.h"

namespace zt {
class ProjectModel;

// The "Outline" page of the look sheet: a form of the texts the title and
// credits cards show (the movie's name, star, studio and five credits),
// stored in the metadata under "META_RECORD_OUTLINE_DATA" with the project's
// title. A field left empty shows, and stores, its placeholder. Typed text
// is stored whenever the person leaves it: Done, the "Theme" title, lowering
// the sheet and closing it; storing tells the frame editor which card to
// show. Main thread.
class OutlineViewController : public LookSheetPageViewController, public APTextFieldDelegate {
public:
    static constexpr const char* kReuseIdentifier = "Cell";
    static constexpr const char* kOutlineKey = "META_RECORD_OUTLINE_DATA";
    static constexpr const char* kMovieNameKey = "META_RECORD_OUTLINE_MOVIE_NAME";
    static constexpr int kTitleCard = 0;
    static constexpr int kCreditsCard = 1;

    explicit OutlineViewController(std::shared_ptr<ProjectModel> project);  // initWithProject:
    OutlineViewController(std::string nibName, std::shared_ptr<ProjectModel> project);
    ~OutlineViewController() override;

    void initArrays();
    // Every key with its placeholder; the movie's name is the project's title
    // (or the default title). What the cards show while no outline is stored.
    plat::Dictionary getPlaceholderOutline();
    void saveDataAndFinish();
    void actionUpload() override;
    void actionDone() override;

    using Table = std::vector<std::vector<std::string>>;
    const Table& metadataIds() const { return _metadataIds; }
    const Table& labels() const { return _labels; }
    const Table& placeholders() const { return _placeholders; }
    const Table& values() const { return _values; }
    int lastCardUsed() const { return _lastCardUsed; }
    bool isOutlineChanged() const { return _isOutlineChanged; }

    void viewDidLoad() override;
    void viewWillDisappear(bool animated) override;

    int64_t numberOfSectionsInTableView(plat::TableView&) override;
    int64_t tableViewNumberOfRowsInSection(plat::TableView&, int64_t section) override;
    std::shared_ptr<plat::TableViewCell> tableViewCellForRowAtIndexPath(
        plat::TableView& tableView, plat::IndexPath path) override;
    std::shared_ptr<plat::View> tableViewViewForHeaderInSection(plat::TableView&, int64_t section) override;

    // The fields' cells.
    std::optional<bool> textFieldCellShouldReturnForIndexPathWithValue(
        APTextFieldCell& cell, plat::IndexPath path, const std::string& value) override;
    void textFieldCellUpdateTextLabelAtIndexPathString(
        APTextFieldCell& cell, plat::IndexPath path, const std::string& string) override;
    void updateTextLabelAtIndexPath(plat::IndexPath, const std::optional<std::string>&) override { }
    bool textFieldShouldBeginEditing(plat::TextField& textField) override;
    void textFieldDidEndEditing(plat::TextField& textField) override;

    void receivedKeyboardWillShowNotification(const plat::Notification&) { }
    void receivedKeyboardWillHideNotification(const plat::Notification&) { }

protected:
    void panelDidChangeSize() override;

private:
    void setValue(plat::IndexPath path, const std::string& value);
    void saveIfChanged();
    std::optional<plat::IndexPath> pathOfField(const plat::TextField& textField) const;

    std::shared_ptr<ProjectModel> _project;
    Table _metadataIds;
    Table _labels;
    Table _placeholders;
    Table _values;
    int _lastCardUsed = kTitleCard;
    std::weak_ptr<plat::TextField> _lastTextField;
    bool _isOutlineChanged = false;
    plat::ObserverToken _keyboardShowObserver;
    plat::ObserverToken _keyboardHideObserver;
};

}  // namespace zt
