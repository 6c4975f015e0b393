#pragma once
// The welcome and what's-new screens: one design in two configurations. A
// gradient behind everything, a list of features (icon, title, detail)
// under a header, and a full-width button at the bottom that closes the
// screen. Main thread.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Value.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/EdgeInsets.h"
#include "platform/ui/CollectionView.h"
#include "platform/ui/CollectionViewCell.h"
#include "platform/ui/CollectionViewFlowLayout.h"
#include "platform/ui/ViewController.h"

namespace plat {
class Button;
class Image;
class ImageView;
class Label;
class LayoutConstraint;
class Toolbar;
}  // namespace plat

namespace zt {
class QVGradientView;

enum class FeatureConfiguration { Welcome, WhatsNew };

// Content colouring: light content on a dark background, or dark on light.
enum FeatureScreenStyle : unsigned { FeatureScreenStyleLight = 0, FeatureScreenStyleDark = 1 };

// The screen base of both configurations (WelcomeViewController,
// QVWhatsNewViewController): the gradient, the content area, the button
// bar, the style that follows the top colour, the content insets.
class FeatureScreen : public plat::ViewController {
public:
    static constexpr double kButtonBarHeight = 50;
    static constexpr double kLargeButtonBarHeightWelcome = 62;
    static constexpr double kLargeButtonBarHeightWhatsNew = 82;

    FeatureScreen(FeatureConfiguration configuration, std::optional<plat::Dictionary> features);
    ~FeatureScreen() override;

    FeatureConfiguration configuration() const { return _configuration; }
    const plat::Dictionary& features() const { return _features; }
    virtual void setFeatures(const plat::Dictionary& features);

    const std::shared_ptr<plat::View>& contentView() const { return _contentView; }
    const std::shared_ptr<QVGradientView>& backgroundView() const { return _backgroundView; }
    unsigned style() const { return _style; }
    void setStyle(unsigned style);
    bool automaticallySetsStyle() const { return _automaticallySetStyle; }
    void setAutomaticallySetStyle(bool automatic);
    const plat::Color& backgroundGradientTopColor() const { return _topColor; }
    void setBackgroundGradientTopColor(const plat::Color& color);
    const plat::Color& backgroundGradientBottomColor() const { return _bottomColor; }
    void setBackgroundGradientBottomColor(const plat::Color& color);
    const std::string& dismissButtonTitle() const { return _dismissButtonTitle; }
    void setDismissButtonTitle(const std::string& title);
    const std::shared_ptr<plat::Button>& dismissButton() const { return _dismissButton; }
    const std::shared_ptr<plat::Toolbar>& buttonBackground() const { return _buttonBackground; }
    const plat::EdgeInsets& contentInset() const { return _contentInset; }
    void setContentInset(const plat::EdgeInsets& insets);

    // 1 (dark content) for a light colour, else 0.
    static unsigned appropriateStyleForBackgroundOfColor(const plat::Color& color);
    void reloadAutomaticStyle();
    bool shouldUseLargeButton();
    void reloadButtonHeight();
    void didTapContinueButton();

    void viewDidLoad() override;
    void viewWillLayoutSubviews() override;
    bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const override;
    unsigned supportedInterfaceOrientations() const override;

protected:
    virtual void styleDidChange() { }
    virtual void contentInsetDidChange() { }

private:
    void applyGradient();

    const FeatureConfiguration _configuration;
    plat::Dictionary _features;
    std::shared_ptr<plat::View> _contentView;
    std::shared_ptr<QVGradientView> _backgroundView;
    unsigned _style = FeatureScreenStyleDark;
    bool _automaticallySetStyle = true;
    plat::Color _topColor = plat::Color::whiteColor();
    plat::Color _bottomColor = plat::Color::whiteColor();
    std::string _dismissButtonTitle;
    std::shared_ptr<plat::Button> _dismissButton;
    std::shared_ptr<plat::Toolbar> _buttonBackground;
    plat::EdgeInsets _contentInset;
    double _barHeight = 0;  // the height the bar's constraints hold; 0 before
};

// The screen base goes by the names of both configurations.
using WelcomeViewController = FeatureScreen;
using QVWhatsNewViewController = FeatureScreen;

// A feature row of either configuration (WelcomeFeatureCollectionViewCell,
// QVWhatsNewFeatureCollectionViewCell): title, detail and icon, laid out as
// a list row or a grid tile.
class FeatureCell : public plat::CollectionViewCell {
public:
    static constexpr unsigned kNoLayout = ~0u;

    explicit FeatureCell(FeatureConfiguration configuration);

    const plat::Color& contentColor() const { return _contentColor; }
    void setContentColor(const plat::Color& color);
    unsigned layoutStyle() const { return _layoutStyle; }
    void setLayoutStyle(unsigned style);
    std::string title() const;
    void setTitle(const std::optional<std::string>& title);
    std::string detail() const;
    void setDetail(const std::optional<std::string>& detail);
    std::shared_ptr<const plat::Image> icon() const;
    void setIcon(std::shared_ptr<const plat::Image> icon);

    const std::shared_ptr<plat::Label>& textLabel() const { return _textLabel; }
    const std::shared_ptr<plat::Label>& detailTextLabel() const { return _detailTextLabel; }
    const std::shared_ptr<plat::ImageView>& imageView() const { return _imageView; }

    void prepareForReuse() override;

private:
    void removeAllConstraints();
    void layoutForList();
    void layoutForGrid();

    const FeatureConfiguration _configuration;
    plat::Color _contentColor = plat::Color::whiteColor();
    unsigned _layoutStyle = kNoLayout;
    std::shared_ptr<plat::Label> _textLabel;
    std::shared_ptr<plat::Label> _detailTextLabel;
    std::shared_ptr<plat::ImageView> _imageView;
};

class WelcomeFeatureCollectionViewCell final : public FeatureCell {
public:
    WelcomeFeatureCollectionViewCell()
        : FeatureCell(FeatureConfiguration::Welcome)
    {
    }
};

class QVWhatsNewFeatureCollectionViewCell final : public FeatureCell {
public:
    QVWhatsNewFeatureCollectionViewCell()
        : FeatureCell(FeatureConfiguration::WhatsNew)
    {
    }
};

// The feature list's collection view (WelcomeCollectionView,
// QVCollectionView): it scrolls only when its content is larger than it.
class FeatureCollectionView : public plat::CollectionView {
public:
    FeatureCollectionView(plat::Rect frame, std::shared_ptr<plat::CollectionViewLayout> layout);
    void setContentSize(plat::Size size) override;
    void setFrame(plat::Rect frame) override;
    void determineScrollingAbility();
};

using WelcomeCollectionView = FeatureCollectionView;
using QVCollectionView = FeatureCollectionView;

// The feature list screen of either configuration.
class FeatureListScreen : public FeatureScreen,
                          public plat::CollectionViewDataSource,
                          public plat::CollectionViewDelegateFlowLayout {
public:
    static constexpr double kWelcomeRowHeight = 108;
    static constexpr double kLineSpacing = 2.0;
    static constexpr plat::Size kGridItemSize {270, 187};
    static constexpr plat::Size kListItemSize {320, 108};
    static constexpr double kWelcomeHeaderHeight = 360;
    static constexpr double kWhatsNewGridHeaderHeight = 115;
    static constexpr double kWhatsNewListHeaderHeight = 70;

    FeatureListScreen(FeatureConfiguration configuration, std::optional<plat::Dictionary> features);

    void setFeatures(const plat::Dictionary& features) override;
    const plat::Array& allFeatures() const { return _allFeatures; }
    bool templatedIcons() const { return _templatedIcons; }
    const std::shared_ptr<FeatureCollectionView>& collectionView() const { return _collectionView; }
    const std::shared_ptr<plat::CollectionViewFlowLayout>& flowLayout() const { return _flowLayout; }
    plat::Color contentColor() const;
    bool shouldUseGridLayout() const;
    void calculateLayoutItemSize();

    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    void viewDidLayoutSubviews() override;

    int64_t collectionViewNumberOfItemsInSection(plat::CollectionView&, int64_t section) override;
    std::shared_ptr<plat::CollectionViewCell> collectionViewCellForItemAtIndexPath(
        plat::CollectionView& view, plat::IndexPath path) override;
    std::shared_ptr<plat::CollectionReusableView> collectionViewViewForSupplementaryElementOfKindAtIndexPath(
        plat::CollectionView& view, const std::string& kind, plat::IndexPath path) override;
    std::optional<plat::Size> collectionViewLayoutReferenceSizeForHeaderInSection(
        plat::CollectionView& view, plat::CollectionViewFlowLayout&, int64_t section) override;
    std::optional<plat::EdgeInsets> collectionViewLayoutInsetForSectionAtIndex(
        plat::CollectionView& view, plat::CollectionViewFlowLayout&, int64_t section) override;
    bool collectionViewShouldSelectItemAtIndexPath(plat::CollectionView&, plat::IndexPath) override { return false; }
    bool collectionViewShouldHighlightItemAtIndexPath(plat::CollectionView&, plat::IndexPath) override { return false; }

protected:
    void styleDidChange() override;
    void contentInsetDidChange() override;

private:
    void buildWelcomeHeader(plat::View& header);
    void buildWhatsNewHeader(plat::View& header);

    plat::Array _allFeatures;
    bool _templatedIcons = true;
    std::shared_ptr<FeatureCollectionView> _collectionView;
    std::shared_ptr<plat::CollectionViewFlowLayout> _flowLayout;
};

// initWithFeatures: with the "Welcome" list.
class WelcomeGridViewController final : public FeatureListScreen {
public:
    explicit WelcomeGridViewController(std::optional<plat::Dictionary> features)
        : FeatureListScreen(FeatureConfiguration::Welcome, std::move(features))
    {
    }
};

// initWithFeatures: with the versions to show of the "What's New" list.
class QVWhatsNewGridViewController final : public FeatureListScreen {
public:
    explicit QVWhatsNewGridViewController(std::optional<plat::Dictionary> versions)
        : FeatureListScreen(FeatureConfiguration::WhatsNew, std::move(versions))
    {
    }
};

}  // namespace zt
