#include "render/OutlineViewController.h"

#include "document/FailureAlerts.h"
#include "document/ProjectModel.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/TableView.h"
#include "render/LookNotifications.h"
#include "render/OutlinePlaceholders.h"
#include "render/UnderlinedAPTextFieldCell.h"
#include "uikit/APInsetTextField.h"

namespace zt {

namespace {

constexpr const char* kRecordNameKey = "RecordName";
constexpr const char* kDefaultTitle = "My Plovix Movie";
const plat::Color kCaptionColour = plat::Color::darkGrayColor();

// The captions of the outline's fields, in its order, by section: name,
// cast, studio, credits.
const std::vector<std::vector<const char*>>& captions()
{
    static const std::vector<std::vector<const char*>> sections = {
        {"Movie Name"},
        {"Starring"},
        {"Studio Name"},
        {"Directed By", "Executive\nProducer", "Written By", "Edited By", "Music By"},
    };
    return sections;
}

const char* const kSectionTitles[] = {"Name", "Cast", "Studio", "Credits"};

bool isMovieName(plat::IndexPath path)
{
    return path.section == 0 && path.row == 0;
}

}  // namespace

OutlineViewController::OutlineViewController(std::shared_ptr<ProjectModel> project)
    : OutlineViewController("OutlineViewController", std::move(project))
{
}

OutlineViewController::OutlineViewController(std::string nibName, std::shared_ptr<ProjectModel> project)
    : LookSheetPageViewController(std::move(nibName), Page::Outline)
    , _project(std::move(project))
{
    initArrays();
}

OutlineViewController::~OutlineViewController() = default;

void OutlineViewController::initArrays()
{
    _metadataIds.clear();
    _labels.clear();
    _placeholders.clear();
    _values.clear();
    const std::vector<OutlinePlaceholder> fields = outlinePlaceholders();
    size_t next = 0;
    for (const auto& section : captions()) {
        auto& ids = _metadataIds.emplace_back();
        auto& labels = _labels.emplace_back();
        auto& placeholders = _placeholders.emplace_back();
        auto& values = _values.emplace_back();
        for (const char* caption : section) {
            const OutlinePlaceholder& field = fields.at(next++);
            ids.push_back(field.key);
            labels.push_back(plat::localized(caption));
            placeholders.push_back(field.placeholder);
            values.emplace_back();
        }
    }
}

plat::Dictionary OutlineViewController::getPlaceholderOutline()
{
    return _project ? zt::getPlaceholderOutline(*_project) : plat::Dictionary();
}

void OutlineViewController::viewDidLoad()
{
    LookSheetPageViewController::viewDidLoad();
    auto table = tableView();
    table->setBackgroundView(nullptr);
    table->setSeparatorColor(plat::Color::clearColor());
    table->registerClass<UnderlinedAPTextFieldCell>(kReuseIdentifier);
    setUpSheetBar();

    initArrays();
    auto metadata = _project ? _project->getMetaData() : std::nullopt;
    std::optional<plat::Dictionary> stored;
    if (metadata)
        stored = metadata->getDictionary(kOutlineKey);
    for (size_t section = 0; section < _metadataIds.size(); ++section) {
        for (size_t row = 0; row < _metadataIds[section].size(); ++row) {
            auto text = stored ? stored->getString(_metadataIds[section][row]) : std::nullopt;
            // A stored placeholder shows as the placeholder: an empty field.
            if (text && !text->empty() && *text != _placeholders[section][row])
                _values[section][row] = *text;
        }
    }
    auto title = metadata ? metadata->getString(kRecordNameKey) : std::nullopt;
    _values[0][0] = title ? *title : plat::localized(kDefaultTitle);

    plat::NotificationCenter::defaultCenter().post(ThemeShowTitleNotification, this);
    std::weak_ptr<OutlineViewController> weakSelf = sharedAs<OutlineViewController>();
    auto& center = plat::NotificationCenter::defaultCenter();
    _keyboardShowObserver = center.addObserver(
        plat::KeyboardWillShowNotification, nullptr, [weakSelf](const plat::Notification& notification) {
            if (auto self = weakSelf.lock())
                self->receivedKeyboardWillShowNotification(notification);
        });
    _keyboardHideObserver = center.addObserver(
        plat::KeyboardWillHideNotification, nullptr, [weakSelf](const plat::Notification& notification) {
            if (auto self = weakSelf.lock())
                self->receivedKeyboardWillHideNotification(notification);
        });
}

void OutlineViewController::viewWillDisappear(bool animated)
{
    // Closing the sheet (or leaving the page) keeps what was typed.
    saveIfChanged();
    LookSheetPageViewController::viewWillDisappear(animated);
}

int64_t OutlineViewController::numberOfSectionsInTableView(plat::TableView&)
{
    return static_cast<int64_t>(_metadataIds.size());
}

int64_t OutlineViewController::tableViewNumberOfRowsInSection(plat::TableView&, int64_t section)
{
    if (section < 0 || section >= static_cast<int64_t>(_metadataIds.size()))
        return 0;
    return static_cast<int64_t>(_metadataIds[static_cast<size_t>(section)].size());
}

std::shared_ptr<plat::View> OutlineViewController::tableViewViewForHeaderInSection(plat::TableView&, int64_t section)
{
    if (section < 0 || section >= static_cast<int64_t>(std::size(kSectionTitles)))
        return nullptr;
    return makeSectionHeader(kSectionTitles[section]);
}

std::shared_ptr<plat::TableViewCell> OutlineViewController::tableViewCellForRowAtIndexPath(
    plat::TableView& tableView, plat::IndexPath path)
{
    auto cell = std::dynamic_pointer_cast<UnderlinedAPTextFieldCell>(
        tableView.dequeueReusableCellWithIdentifier(kReuseIdentifier, path));
    if (!cell)
        cell = std::make_shared<UnderlinedAPTextFieldCell>(plat::TableViewCellStyle::Default, kReuseIdentifier);
    const auto section = static_cast<size_t>(path.section);
    const auto row = static_cast<size_t>(path.row);
    cell->setBackgroundColor(plat::Color::whiteColor());
    cell->setLeftLabelText(_labels[section][row] + ":");
    cell->leftLabel()->setTextColor(kCaptionColour);
    cell->leftLabel()->setFont(plat::Font::fontWithName("Courier", 12));
    const auto& field = cell->rightTextField();
    field->setPlaceholder(_placeholders[section][row]);
    field->setText(_values[section][row]);
    field->setFont(plat::Font::fontWithName("Chalkduster", 15));
    field->setTextColor(plat::Color::blackColor());
    const bool last = section + 1 == _metadataIds.size() && row + 1 == _metadataIds[section].size();
    field->setReturnKeyType(last ? plat::ReturnKeyType::Done : plat::ReturnKeyType::Next);
    cell->setIndexPath(path);
    cell->setDelegate(std::weak_ptr<APTextFieldDelegate>(sharedAs<OutlineViewController>()));
    cell->setSelectionStyle(plat::TableViewCellSelectionStyle::None);
    return cell;
}

std::optional<plat::IndexPath> OutlineViewController::pathOfField(const plat::TextField& textField) const
{
    for (auto view = textField.superview(); view; view = view->superview())
        if (auto* cell = dynamic_cast<APTextFieldCell*>(view.get()))
            return cell->indexPath();
    return std::nullopt;
}

void OutlineViewController::setValue(plat::IndexPath path, const std::string& value)
{
    if (path.section < 0 || path.section >= static_cast<int64_t>(_values.size()))
        return;
    auto& section = _values[static_cast<size_t>(path.section)];
    if (path.row < 0 || path.row >= static_cast<int64_t>(section.size()))
        return;
    section[static_cast<size_t>(path.row)] = value;
    _lastCardUsed = isMovieName(path) ? kTitleCard : kCreditsCard;
}

bool OutlineViewController::textFieldShouldBeginEditing(plat::TextField& textField)
{
    _isOutlineChanged = true;
    if (navigationController() && !isPanelRaised())
        actionChangeSize();
    _lastTextField = textField.sharedAs<plat::TextField>();
    return true;
}

void OutlineViewController::textFieldDidEndEditing(plat::TextField& textField)
{
    if (auto path = pathOfField(textField))
        setValue(*path, textField.text());
    _lastTextField.reset();
}

void OutlineViewController::textFieldCellUpdateTextLabelAtIndexPathString(
    APTextFieldCell&, plat::IndexPath path, const std::string& string)
{
    setValue(path, string);
}

std::optional<bool> OutlineViewController::textFieldCellShouldReturnForIndexPathWithValue(
    APTextFieldCell& cell, plat::IndexPath path, const std::string&)
{
    if (cell.rightTextField()->returnKeyType() == plat::ReturnKeyType::Done)
        return true;
    auto table = tableView();
    plat::IndexPath next {path.section, path.row + 1};
    if (next.row >= table->numberOfRowsInSection(path.section))
        next = path.section + 1 < table->numberOfSections() ? plat::IndexPath {path.section + 1, 0}
                                                            : plat::IndexPath {0, 0};
    if (auto nextCell = std::dynamic_pointer_cast<APTextFieldCell>(table->cellForRowAtIndexPath(next)))
        nextCell->rightTextField()->becomeFirstResponder();
    return false;
}

void OutlineViewController::saveDataAndFinish()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (auto field = _lastTextField.lock(); field && field->isEditing())
        field->resignFirstResponder();  // its text becomes its value
    plat::Dictionary outline;
    for (size_t section = 0; section < _metadataIds.size(); ++section) {
        for (size_t row = 0; row < _metadataIds[section].size(); ++row) {
            const std::string& value = _values[section][row];
            outline.set(_metadataIds[section][row], value.empty() ? _placeholders[section][row] : value);
        }
    }
    if (!_project)
        return;
    auto stored = _project->changeMetaData(
        {{kRecordNameKey, _values[0][0]}, {kOutlineKey, outline}, {"RecordNeedsRendering", true}});
    if (!stored.ok()) {
        // The cards keep the stored texts; the form keeps what was typed, and
        // the next edit tries again (closing the sheet now tells nothing twice).
        plat::log("outline: the outline is not stored: {}", stored.error().description());
        _isOutlineChanged = false;
        showFailureAlert(plat::localized("The texts could not be saved."), stored.error());
        return;
    }
    plat::Dictionary payload;
    payload.set(OutlineLastCardUsedKey, static_cast<int64_t>(_lastCardUsed));
    plat::NotificationCenter::defaultCenter().post(OutlineHasChangedNotification, this, payload);
    _isOutlineChanged = false;
}

void OutlineViewController::saveIfChanged()
{
    if (auto field = _lastTextField.lock(); field && field->isEditing())
        field->resignFirstResponder();
    if (_isOutlineChanged)
        saveDataAndFinish();
}

void OutlineViewController::panelDidChangeSize()
{
    if (!isPanelRaised() && _isOutlineChanged)
        saveDataAndFinish();
}

void OutlineViewController::actionUpload()
{
    saveIfChanged();
    if (auto navigation = navigationController())
        navigation->popViewControllerAnimated(/*animated=*/false);
}

void OutlineViewController::actionDone()
{
    auto self = sharedAs<OutlineViewController>();
    saveIfChanged();
    LookSheetPageViewController::actionDone();
}

}  // namespace zt
