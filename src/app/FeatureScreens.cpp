#include "app/FeatureScreens.h"

#include <algorithm>

#include "app/LayoutConstraintCommon.h"
#include "app/WelcomeMain.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/Button.h"
#include "platform/ui/FontCatalog.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Toolbar.h"
#include "uikit/QVGradientView.h"

namespace zt {

namespace {

constexpr const char* kFeatureCellIdentifier = "feature";
constexpr const char* kHeaderIdentifier = "whatsnew";
constexpr double kLargeButtonMinimumHeight = 620;
constexpr double kLargeButtonMinimumWidth = 540;
constexpr double kGridMinimumWidth = 540;
constexpr double kDividerWidth = 296;
constexpr double kDividerHeight = 0.5;
constexpr double kDividerAlpha = 0.75;
constexpr double kGridTopInset = 16;
constexpr int64_t kGridItemsGettingTopInset = 5;

// A font of that name where the platform has one; the label keeps its own otherwise.
void setFontNamed(plat::Label& label, const std::string& name, double size)
{
    if (auto font = plat::FontCatalog::fontWithName(name, size))
        label.setFont(*font);
}

std::shared_ptr<plat::Label> constrainedLabel()
{
    auto label = std::make_shared<plat::Label>();
    label->setTranslatesAutoresizingMaskIntoConstraints(false);
    return label;
}

void add(plat::View& holder, const Constraints& constraints)
{
    holder.addConstraints(constraints);
}

Constraints format(
    const std::string& text, uint64_t options, const std::map<std::string, std::shared_ptr<plat::View>>& views)
{
    return plat::LayoutConstraint::constraintsWithVisualFormat(text, options, {}, views);
}

std::shared_ptr<plat::LayoutConstraint> centreOn(
    const std::shared_ptr<plat::View>& view, const std::shared_ptr<plat::View>& on)
{
    return plat::LayoutConstraint::constraintWithItem(
        view, plat::LayoutAttribute::CenterX, plat::LayoutRelation::Equal, on, plat::LayoutAttribute::CenterX, 1, 0);
}

}  // namespace

// ---- The screen base.

FeatureScreen::FeatureScreen(FeatureConfiguration configuration, std::optional<plat::Dictionary> features)
    : _configuration(configuration)
{
    setModalTransitionStyle(plat::ModalTransitionStyle::CoverVertical);
    setModalPresentationStyle(plat::ModalPresentationStyle::FormSheet);
    if (_configuration == FeatureConfiguration::WhatsNew)
        _dismissButtonTitle = plat::localizedStringFromTable("Get Started", "WhatsNew");
    if (features)
        FeatureScreen::setFeatures(*features);
}

FeatureScreen::~FeatureScreen() = default;

void FeatureScreen::setFeatures(const plat::Dictionary& features)
{
    _features = features.copy();
    if (_configuration == FeatureConfiguration::Welcome)
        setDismissButtonTitle(_features.getString("BtnTitle").value_or(std::string()));
}

void FeatureScreen::viewDidLoad()
{
    plat::ViewController::viewDidLoad();
    auto root = view();
    _backgroundView = std::make_shared<QVGradientView>();
    _backgroundView->setTranslatesAutoresizingMaskIntoConstraints(false);
    root->addSubview(_backgroundView);
    add(*root, constraintsToFillToSuperview(_backgroundView));
    _backgroundView->setGradientLocations({0.0, 1.0});
    applyGradient();

    _contentView = std::make_shared<plat::View>(root->bounds());
    _contentView->setTranslatesAutoresizingMaskIntoConstraints(false);
    root->addSubview(_contentView);
    add(*root, constraintsToFillToSuperview(_contentView));

    _buttonBackground = std::make_shared<plat::Toolbar>();
    _buttonBackground->setTranslatesAutoresizingMaskIntoConstraints(false);
    root->addSubview(_buttonBackground);
    add(*root, constraintsToStickView(_buttonBackground, StickEdgeLeft | StickEdgeBottom | StickEdgeRight));

    _dismissButton = plat::Button::buttonWithType(plat::ButtonType::System);
    _dismissButton->setTranslatesAutoresizingMaskIntoConstraints(false);
    _dismissButton->setTitle(_dismissButtonTitle, plat::ControlStateNormal);
    _buttonBackground->addSubview(_dismissButton);
    _dismissButton->addTarget(this, &FeatureScreen::didTapContinueButton, plat::ControlEventTouchUpInside);
    reloadButtonHeight();
}

void FeatureScreen::applyGradient()
{
    if (_backgroundView)
        _backgroundView->setGradientColors({_topColor, _bottomColor});
}

void FeatureScreen::setStyle(unsigned style)
{
    _style = style;
    _automaticallySetStyle = false;
    styleDidChange();
}

void FeatureScreen::setAutomaticallySetStyle(bool automatic)
{
    _automaticallySetStyle = automatic;
    reloadAutomaticStyle();
}

void FeatureScreen::setBackgroundGradientTopColor(const plat::Color& color)
{
    _topColor = color;
    applyGradient();
    reloadAutomaticStyle();
}

void FeatureScreen::setBackgroundGradientBottomColor(const plat::Color& color)
{
    _bottomColor = color;
    applyGradient();
    reloadAutomaticStyle();
}

void FeatureScreen::reloadAutomaticStyle()
{
    if (!_automaticallySetStyle)
        return;
    unsigned style = appropriateStyleForBackgroundOfColor(_topColor);
    if (style == _style)
        return;
    _style = style;
    styleDidChange();
}

unsigned FeatureScreen::appropriateStyleForBackgroundOfColor(const plat::Color& color)
{
    double darkness = 1 - (0.299 * color.red() + 0.587 * color.green() + 0.114 * color.blue());
    return darkness < 0.5 ? FeatureScreenStyleDark : FeatureScreenStyleLight;
}

void FeatureScreen::setDismissButtonTitle(const std::string& title)
{
    _dismissButtonTitle = title;
    if (_dismissButton)
        _dismissButton->setTitle(title, plat::ControlStateNormal);
}

void FeatureScreen::setContentInset(const plat::EdgeInsets& insets)
{
    _contentInset = insets;
    contentInsetDidChange();
}

bool FeatureScreen::shouldUseLargeButton()
{
    if (!isViewLoaded())
        return false;
    plat::Rect frame = view()->frame();
    return frame.height() >= kLargeButtonMinimumHeight && frame.width() >= kLargeButtonMinimumWidth;
}

void FeatureScreen::reloadButtonHeight()
{
    if (!_buttonBackground)
        return;
    const bool large = shouldUseLargeButton();
    plat::Font font = plat::Font::systemFontOfSize(large ? 29 : 18);
    if (auto named = plat::FontCatalog::fontWithName(large ? "HelveticaNeue-Light" : "HelveticaNeue", large ? 29 : 18))
        font = *named;
    _dismissButton->titleLabel()->setFont(font);
    double height = kButtonBarHeight;
    if (large) {
        height = _configuration == FeatureConfiguration::Welcome ? kLargeButtonBarHeightWelcome
                                                                 : kLargeButtonBarHeightWhatsNew;
    }
    // Layout runs this again and again: the constraints change only with the height.
    if (height != _barHeight) {
        _barHeight = height;
        _buttonBackground->removeConstraints(_buttonBackground->constraints());
        _buttonBackground->addConstraint(constraintToSetStaticHeight(height, _buttonBackground));
        add(*_buttonBackground, constraintsToFillToSuperview(_dismissButton));
    }
    plat::EdgeInsets insets {topLayoutGuide().length, 0, height + bottomLayoutGuide().length, 0};
    if (insets != _contentInset)
        setContentInset(insets);
}

void FeatureScreen::viewWillLayoutSubviews()
{
    plat::ViewController::viewWillLayoutSubviews();
    reloadButtonHeight();
}

void FeatureScreen::didTapContinueButton()
{
    if (_configuration != FeatureConfiguration::Welcome) {
        dismissViewControllerAnimated(true, nullptr);
        return;
    }
    // What waited for the welcome to close (a message of the first start) comes in front only now.
    dismissViewControllerAnimated(
        true, [] { plat::NotificationCenter::defaultCenter().post(WelcomeMain::kDidCloseNotification); });
}

bool FeatureScreen::shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const
{
    if (_configuration == FeatureConfiguration::Welcome)
        return true;
    return plat::ViewController::shouldAutorotateToInterfaceOrientation(orientation);
}

unsigned FeatureScreen::supportedInterfaceOrientations() const
{
    if (_configuration == FeatureConfiguration::Welcome)
        return plat::InterfaceOrientationMaskAll;
    return plat::ViewController::supportedInterfaceOrientations();
}

// ---- The feature cell.

FeatureCell::FeatureCell(FeatureConfiguration configuration)
    : _configuration(configuration)
{
    setBackgroundColor(plat::Color::clearColor());
    _textLabel = constrainedLabel();
    _textLabel->setTextColor(plat::Color::whiteColor());
    setFontNamed(*_textLabel, "HelveticaNeue-Regular", 20);
    _detailTextLabel = constrainedLabel();
    _detailTextLabel->setTextColor(plat::Color::whiteColor());
    setFontNamed(*_detailTextLabel, "HelveticaNeue-Light", 14);
    _detailTextLabel->setNumberOfLines(0);
    _detailTextLabel->setLineBreakMode(plat::LineBreakMode::WordWrapping);
    if (_configuration == FeatureConfiguration::Welcome) {
        _textLabel->setAdjustsFontSizeToFitWidth(true);
        _textLabel->setNumberOfLines(2);
        _textLabel->setLineBreakMode(plat::LineBreakMode::WordWrapping);
        _detailTextLabel->setAdjustsFontSizeToFitWidth(true);
    }
    _imageView = std::make_shared<plat::ImageView>();
    _imageView->setTranslatesAutoresizingMaskIntoConstraints(false);
    _imageView->setContentMode(plat::ContentMode::ScaleAspectFit);
    contentView()->addSubview(_textLabel);
    contentView()->addSubview(_detailTextLabel);
    contentView()->addSubview(_imageView);
}

void FeatureCell::setContentColor(const plat::Color& color)
{
    _contentColor = color;
    _textLabel->setTextColor(color);
    _detailTextLabel->setTextColor(color);
    _imageView->setTintColor(color);
}

void FeatureCell::setLayoutStyle(unsigned style)
{
    if (style == _layoutStyle)
        return;
    _layoutStyle = style;
    if (style == 1)
        layoutForGrid();
    else if (style == 0)
        layoutForList();
}

std::string FeatureCell::title() const
{
    return _textLabel->text();
}

void FeatureCell::setTitle(const std::optional<std::string>& title)
{
    _textLabel->setText(title.value_or(std::string()));
}

std::string FeatureCell::detail() const
{
    return _detailTextLabel->text();
}

void FeatureCell::setDetail(const std::optional<std::string>& detail)
{
    _detailTextLabel->setText(detail.value_or(std::string()));
}

std::shared_ptr<const plat::Image> FeatureCell::icon() const
{
    return _imageView->image();
}

void FeatureCell::setIcon(std::shared_ptr<const plat::Image> icon)
{
    _imageView->setImage(std::move(icon));
}

void FeatureCell::prepareForReuse()
{
    plat::CollectionViewCell::prepareForReuse();
    setTitle(std::nullopt);
    setDetail(std::nullopt);
    setIcon(nullptr);
}

void FeatureCell::removeAllConstraints()
{
    for (const auto& view : {contentView(), std::static_pointer_cast<plat::View>(_textLabel),
             std::static_pointer_cast<plat::View>(_detailTextLabel), std::static_pointer_cast<plat::View>(_imageView)})
        view->removeConstraints(view->constraints());
}

void FeatureCell::layoutForList()
{
    removeAllConstraints();
    _textLabel->setTextAlignment(plat::TextAlignment::Left);
    _detailTextLabel->setTextAlignment(plat::TextAlignment::Left);
    auto& holder = *contentView();
    holder.addConstraint(constraintToCenterViewVerticallyToSuperview(_imageView));
    std::map<std::string, std::shared_ptr<plat::View>> views {
        {"icon", _imageView}, {"title", _textLabel}, {"detail", _detailTextLabel}};
    add(holder,
        format("H:|-(26)-[icon(64)]-(10)-[title(>=194)]-(26)-|", plat::LayoutFormatDirectionLeftToRight, views));
    add(holder,
        format("H:|-(26)-[icon(64)]-(10)-[detail(>=194)]-(26)-|", plat::LayoutFormatDirectionLeftToRight, views));
    add(holder,
        format(_configuration == FeatureConfiguration::Welcome ? "V:|-(>=0)-[title(>=20)]-(0)-[detail(>=34)]-(>=29)-|"
                                                               : "V:|-(>=0)-[title(20)]-(0)-[detail(>=34)]-(>=29)-|",
            0, views));
}

void FeatureCell::layoutForGrid()
{
    removeAllConstraints();
    _textLabel->setTextAlignment(plat::TextAlignment::Center);
    _detailTextLabel->setTextAlignment(plat::TextAlignment::Center);
    auto& holder = *contentView();
    std::map<std::string, std::shared_ptr<plat::View>> views {
        {"icon", _imageView}, {"title", _textLabel}, {"detail", _detailTextLabel}};
    for (const char* text : {"H:|-(>=0)-[icon(64)]-(>=0)-|", "H:|-(32)-[title(>=206)]-(32)-|",
             "H:|-(32)-[detail(>=206)]-(32)-|", "V:|-(>=0)-[icon(64)]-10-[title(20)]-4-[detail(34)]-(>=28)-|"})
        add(holder, format(text, plat::LayoutFormatAlignAllCenterX, views));
    holder.addConstraint(constraintToCenterViewHorizontallyToSuperview(_imageView));
}

// ---- The collection view.

FeatureCollectionView::FeatureCollectionView(plat::Rect frame, std::shared_ptr<plat::CollectionViewLayout> layout)
    : plat::CollectionView(frame, std::move(layout))
{
}

void FeatureCollectionView::setContentSize(plat::Size size)
{
    plat::CollectionView::setContentSize(size);
    determineScrollingAbility();
}

void FeatureCollectionView::setFrame(plat::Rect frame)
{
    plat::CollectionView::setFrame(frame);
    determineScrollingAbility();
}

void FeatureCollectionView::determineScrollingAbility()
{
    const plat::Size content = contentSize();
    const plat::Rect box = frame();
    setScrollEnabled(content.height > box.height() || content.width > box.width());
}

// ---- The feature list screen.

FeatureListScreen::FeatureListScreen(FeatureConfiguration configuration, std::optional<plat::Dictionary> features)
    : FeatureScreen(configuration, std::nullopt)
{
    if (features)
        FeatureListScreen::setFeatures(*features);
}

void FeatureListScreen::setFeatures(const plat::Dictionary& features)
{
    FeatureScreen::setFeatures(features);
    _allFeatures = plat::Array();
    if (configuration() == FeatureConfiguration::Welcome) {
        if (auto rows = this->features().getArray("Features"))
            _allFeatures = rows->copy();
        // A tablet's sheet grows to show the header and every row above the
        // button bar (it stays as high as the screen allows); a phone's
        // screen scrolls them.
        const auto rowCount = static_cast<double>(_allFeatures.count());
        const double list
            = kWelcomeHeaderHeight + rowCount * kWelcomeRowHeight + std::max(0.0, rowCount - 1) * kLineSpacing;
        const plat::Size sheet = kFormSheetSize;
        setPreferredContentSize({sheet.width, std::max(sheet.height, list + kLargeButtonBarHeightWelcome)});
    } else {
        std::vector<std::string> versions = this->features().keys();
        std::sort(versions.begin(), versions.end(),
            [](const std::string& a, const std::string& b) { return QVWhatsNew::compareVersions(a, b) > 0; });
        for (const std::string& version : versions) {
            if (auto rows = this->features().getArray(version)) {
                for (const plat::Value& row : *rows)
                    _allFeatures.append(row);
            }
        }
    }
    if (_collectionView)
        _collectionView->reloadData();
}

void FeatureListScreen::viewDidLoad()
{
    FeatureScreen::viewDidLoad();
    _flowLayout = std::make_shared<plat::CollectionViewFlowLayout>();
    _flowLayout->setMinimumLineSpacing(kLineSpacing);
    _flowLayout->setMinimumInteritemSpacing(0.0);
    _flowLayout->setHeaderReferenceSize({0, 0});
    _flowLayout->setFooterReferenceSize({0, 0});
    _collectionView = std::make_shared<FeatureCollectionView>(contentView()->bounds(), _flowLayout);
    _collectionView->setTranslatesAutoresizingMaskIntoConstraints(false);
    // The features are read, not chosen: a tap on one does nothing, so it takes no selection.
    _collectionView->setAllowsSelection(false);
    contentView()->addSubview(_collectionView);
    add(*contentView(), constraintsToFillToSuperview(_collectionView));
    auto self = std::static_pointer_cast<FeatureListScreen>(shared_from_this());
    _collectionView->setDelegate(std::weak_ptr<plat::CollectionViewDelegate>(self));
    _collectionView->setDataSource(std::weak_ptr<plat::CollectionViewDataSource>(self));
    _collectionView->registerClassForSupplementaryViewOfKind<plat::CollectionReusableView>(
        plat::CollectionElementKindSectionHeader, kHeaderIdentifier);
    if (configuration() == FeatureConfiguration::Welcome)
        _collectionView->registerClassForCellWithReuseIdentifier<WelcomeFeatureCollectionViewCell>(
            kFeatureCellIdentifier);
    else
        _collectionView->registerClassForCellWithReuseIdentifier<QVWhatsNewFeatureCollectionViewCell>(
            kFeatureCellIdentifier);
    _collectionView->setBackgroundColor(plat::Color::clearColor());
    _collectionView->setContentInset(contentInset());
    _collectionView->setScrollIndicatorInsets(contentInset());
    _collectionView->setIndicatorStyle(style() == FeatureScreenStyleLight ? plat::ScrollViewIndicatorStyle::White
                                                                          : plat::ScrollViewIndicatorStyle::Black);
    calculateLayoutItemSize();
    _templatedIcons = true;
}

void FeatureListScreen::viewDidAppear(bool animated)
{
    FeatureScreen::viewDidAppear(animated);
    std::weak_ptr<FeatureCollectionView> weakView = _collectionView;
    plat::DispatchQueue::mainQueue().after(0.0, [weakView] {
        if (auto view = weakView.lock())
            view->flashScrollIndicators();
    });
}

void FeatureListScreen::viewDidLayoutSubviews()
{
    FeatureScreen::viewDidLayoutSubviews();
    calculateLayoutItemSize();
}

void FeatureListScreen::styleDidChange()
{
    if (!_collectionView)
        return;
    _collectionView->reloadData();
    _collectionView->setIndicatorStyle(style() == FeatureScreenStyleLight ? plat::ScrollViewIndicatorStyle::White
                                                                          : plat::ScrollViewIndicatorStyle::Black);
}

void FeatureListScreen::contentInsetDidChange()
{
    if (!_collectionView)
        return;
    _collectionView->setContentInset(contentInset());
    _collectionView->setScrollIndicatorInsets(contentInset());
}

plat::Color FeatureListScreen::contentColor() const
{
    return style() == FeatureScreenStyleLight ? plat::Color::whiteColor() : plat::Color::blackColor();
}

bool FeatureListScreen::shouldUseGridLayout() const
{
    if (configuration() == FeatureConfiguration::Welcome || !_collectionView)
        return false;
    return _collectionView->bounds().width() >= kGridMinimumWidth;
}

void FeatureListScreen::calculateLayoutItemSize()
{
    if (!_flowLayout)
        return;
    plat::Size size = kListItemSize;
    if (configuration() == FeatureConfiguration::Welcome)
        size = {view()->frame().width(), kWelcomeRowHeight};
    else if (shouldUseGridLayout())
        size = kGridItemSize;
    if (_flowLayout->itemSize() == size)
        return;
    _flowLayout->setItemSize(size);
    plat::CollectionViewFlowLayoutInvalidationContext context;
    context.setInvalidateFlowLayoutAttributes(true);
    context.setInvalidateFlowLayoutDelegateMetrics(true);
    _flowLayout->invalidateLayoutWithContext(context);
}

int64_t FeatureListScreen::collectionViewNumberOfItemsInSection(plat::CollectionView&, int64_t)
{
    return static_cast<int64_t>(_allFeatures.count());
}

std::shared_ptr<plat::CollectionViewCell> FeatureListScreen::collectionViewCellForItemAtIndexPath(
    plat::CollectionView& view, plat::IndexPath path)
{
    auto cell = std::dynamic_pointer_cast<FeatureCell>(
        view.dequeueReusableCellWithReuseIdentifier(kFeatureCellIdentifier, path));
    if (!cell)
        return nullptr;
    plat::Dictionary feature;
    if (path.item() >= 0 && path.item() < static_cast<int64_t>(_allFeatures.count()))
        feature = _allFeatures.at(static_cast<size_t>(path.item())).asDictionary().value_or(plat::Dictionary());
    auto localizedOrEmpty = [&](const char* key) -> std::optional<std::string> {
        auto text = feature.getString(key);
        return text ? std::optional<std::string>(plat::localized(*text)) : std::nullopt;
    };
    cell->setTitle(localizedOrEmpty("title"));
    cell->setDetail(localizedOrEmpty("detail"));
    if (auto name = feature.getString("icon")) {
        auto image = plat::Image::imageNamed(*name);
        if (image)
            cell->setIcon(image->imageWithRenderingMode(
                _templatedIcons ? plat::ImageRenderingMode::AlwaysTemplate : plat::ImageRenderingMode::Automatic));
    }
    cell->setContentColor(contentColor());
    cell->setLayoutStyle(shouldUseGridLayout() ? 1 : 0);
    return cell;
}

std::shared_ptr<plat::CollectionReusableView>
FeatureListScreen::collectionViewViewForSupplementaryElementOfKindAtIndexPath(
    plat::CollectionView& view, const std::string& kind, plat::IndexPath path)
{
    auto header = view.dequeueReusableSupplementaryViewOfKind(kind, kHeaderIdentifier, path);
    // A reused header is built afresh.
    for (const auto& subview : std::vector<std::shared_ptr<plat::View>>(header->subviews()))
        subview->removeFromSuperview();
    header->removeConstraints(header->constraints());
    if (configuration() == FeatureConfiguration::Welcome)
        buildWelcomeHeader(*header);
    else
        buildWhatsNewHeader(*header);
    return header;
}

void FeatureListScreen::buildWelcomeHeader(plat::View& header)
{
    const plat::Color color = contentColor();
    auto title = constrainedLabel();
    title->setText(features().getString("Title").value_or(std::string()));
    title->setTextColor(color);
    title->setTextAlignment(plat::TextAlignment::Center);
    setFontNamed(*title, "HelveticaNeue-Ultralight", 62);
    title->setAdjustsFontSizeToFitWidth(true);
    title->setMinimumScaleFactor(0.1);
    header.addSubview(title);
    add(header, constraintsToStretchHorizontallyToSuperview(title));
    add(header, constraintsToStickView(title, StickEdgeTop | StickEdgeLeft | StickEdgeRight));

    auto divider = std::make_shared<plat::View>();
    divider->setTranslatesAutoresizingMaskIntoConstraints(false);
    divider->setBackgroundColor(color.colorWithAlphaComponent(kDividerAlpha));
    header.addSubview(divider);
    divider->addConstraint(constraintToSetStaticWidth(kDividerWidth, divider));
    divider->addConstraint(constraintToSetStaticHeight(kDividerHeight, divider));
    header.addConstraint(centreOn(divider, title));

    auto subtitle = constrainedLabel();
    subtitle->setText(features().getString("Subtitle").value_or(std::string()));
    subtitle->setTextColor(color);
    subtitle->setTextAlignment(plat::TextAlignment::Center);
    subtitle->setNumberOfLines(2);
    header.addSubview(subtitle);
    add(header, format("H:|-[label]-|", 0, {{"label", subtitle}}));
    header.addConstraint(centreOn(subtitle, title));

    auto hero = std::make_shared<plat::ImageView>(plat::Image::imageNamed("welcome_hero"));
    hero->setTranslatesAutoresizingMaskIntoConstraints(false);
    hero->setContentMode(plat::ContentMode::ScaleAspectFit);
    header.addSubview(hero);
    add(header, constraintsToStretchHorizontallyToSuperview(hero));
    header.addConstraint(centreOn(hero, title));

    add(header,
        format("V:[label][divider]-10-[labelDescription]-30-[imageView]", 0,
            {{"label", title}, {"divider", divider}, {"labelDescription", subtitle}, {"imageView", hero}}));
}

void FeatureListScreen::buildWhatsNewHeader(plat::View& header)
{
    const plat::Color color = contentColor();
    auto title = constrainedLabel();
    title->setText(plat::localizedStringFromTable("What\u2019s New", "WhatsNew"));
    title->setTextColor(color);
    title->setTextAlignment(plat::TextAlignment::Center);
    header.addSubview(title);
    if (!shouldUseGridLayout()) {
        setFontNamed(*title, "HelveticaNeue-Thin", 30);
        add(header, constraintsToFillToSuperview(title));
        return;
    }
    setFontNamed(*title, "HelveticaNeue-Ultralight", 62);
    add(header, constraintsToStretchHorizontallyToSuperview(title));
    add(header, constraintsToStickView(title, StickEdgeTop | StickEdgeLeft | StickEdgeRight));
    auto divider = std::make_shared<plat::View>();
    divider->setTranslatesAutoresizingMaskIntoConstraints(false);
    divider->setBackgroundColor(color.colorWithAlphaComponent(kDividerAlpha));
    header.addSubview(divider);
    divider->addConstraint(constraintToSetStaticWidth(kDividerWidth, divider));
    divider->addConstraint(constraintToSetStaticHeight(kDividerHeight, divider));
    header.addConstraint(centreOn(divider, title));
    add(header, format("V:[label][divider]", 0, {{"label", title}, {"divider", divider}}));
}

std::optional<plat::Size> FeatureListScreen::collectionViewLayoutReferenceSizeForHeaderInSection(
    plat::CollectionView& view, plat::CollectionViewFlowLayout&, int64_t section)
{
    if (section != 0)
        return plat::Size {0, 0};
    double height = kWelcomeHeaderHeight;
    if (configuration() == FeatureConfiguration::WhatsNew)
        height = shouldUseGridLayout() ? kWhatsNewGridHeaderHeight : kWhatsNewListHeaderHeight;
    return plat::Size {view.bounds().width(), height};
}

std::optional<plat::EdgeInsets> FeatureListScreen::collectionViewLayoutInsetForSectionAtIndex(
    plat::CollectionView& view, plat::CollectionViewFlowLayout&, int64_t section)
{
    if (section == 0 && shouldUseGridLayout() && view.numberOfSections() < 2
        && view.numberOfItemsInSection(0) < kGridItemsGettingTopInset)
        return plat::EdgeInsets {kGridTopInset, 0, 0, 0};
    return plat::EdgeInsets {};
}

}  // namespace zt
