// The texts of the title, credits and theme cards must read well over
// whatever picture a card shows: its theme's own, or the first or last
// frame of the film, which may be light or dark.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "TitleCardsTestSupport.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/web/WebResourceLocator.h"
#include "platform/ui/web/WebView.h"
#include "render/OutlinePlaceholders.h"
#include "render/ThemeCardPages.h"
#include "render/WebRenderer.h"
#include "support/TextContrast.h"

namespace {

using plat::test::Rgba;

// What a person needs to read a text: 4.5 to 1. No card text counts as
// large: a card is shown far smaller than it is drawn (on a phone its
// 24-pixel credits are about 10 points high).
constexpr double kTextContrast = 4.5;

// Hears the page's load end.
class LoadWaiter : public plat::WebViewDelegate {
public:
    void webViewDidFinishLoad(plat::WebView&) override { done = true; }
    void webViewDidFailLoadWithError(plat::WebView&, const plat::Error&) override { done = true; }
    bool done = false;
};

// A card's picture drawn as the renderer draws it, from the page at hand.
std::shared_ptr<plat::Image> drawCard(const std::string& page, std::shared_ptr<const plat::Image> background)
{
    zt::CardCanvas canvas = zt::makeCardCanvas(std::move(background));
    auto waiter = std::make_shared<LoadWaiter>();
    canvas.page->setDelegate(waiter);
    canvas.page->loadHTMLString(page, plat::WebResourceLocator(canvas.page->resourceFolder()).folderURL());
    EXPECT_TRUE(plat::test::runMainLoopUntil([&] { return waiter->done; }));
    return plat::renderViewToImage(*canvas.picture, 1, /*opaque=*/true);
}

// The same page with every text drawn in no colour at all: what lies behind the texts.
std::string withoutTexts(std::string page)
{
    const std::string hidden = "<style>html body .card, html body .card * { color: rgba(0, 0, 0, 0); }</style>\n";
    const size_t end = page.find("</head>");
    return end == std::string::npos ? hidden + page : page.insert(end, hidden);
}

// The texts a new film's cards show.
plat::Dictionary newFilmTexts()
{
    plat::Dictionary texts;
    for (const zt::OutlinePlaceholder& field : zt::outlinePlaceholders())
        texts.set(field.key, field.placeholder);
    return texts;
}

struct Card {
    std::string page;
    std::string background;  // a picture of the bundle, or "light" or "dark" for a frame of the film
};

std::shared_ptr<const plat::Image> backgroundOf(const Card& card)
{
    if (card.background == "light")
        return plat::test::makeFlatImage(1280, 720, Rgba {250, 250, 250, 255});
    if (card.background == "dark")
        return plat::test::makeFlatImage(1280, 720, Rgba {8, 8, 8, 255});
    return zt::bundlePicture(card.background);
}

// Every theme's title and credits cards over the theme's picture and, as the
// film's first and last frames may stand behind them, over a light and a dark
// frame; and the text cards over their pictures.
std::vector<Card> everyCard()
{
    std::vector<Card> cards;
    for (int theme = 1; theme <= 8; ++theme) {
        for (const std::string& page : {zt::themeTitlePageName(theme), zt::themeCreditsPageName(theme)})
            for (const std::string& background :
                {zt::themeBackgroundName(theme), std::string("light"), std::string("dark")})
                cards.push_back({page, background});
    }
    for (int card = 20; card <= 24; ++card)
        cards.push_back({zt::themeCardPageName(card), zt::themeBackgroundName(card)});
    return cards;
}

class CardTextContrast : public ::testing::Test {
protected:
    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
};

}  // namespace

TEST_F(CardTextContrast, EveryTextOfEveryCardReadsOverItsPictureAndOverLightAndDarkFrames)
{
    const plat::Dictionary texts = newFilmTexts();
    std::ostringstream unreadable;
    for (const Card& card : everyCard()) {
        const std::string page = zt::filledCardPage(card.page, texts);
        ASSERT_FALSE(page.empty()) << card.page;
        auto background = backgroundOf(card);
        ASSERT_TRUE(background) << card.background;
        auto shown = drawCard(page, background);
        auto behind = drawCard(withoutTexts(page), background);
        ASSERT_TRUE(shown && behind) << card.page;
        const auto pieces = plat::test::measureTextPieces(*shown->bitmap(), *behind->bitmap());
        EXPECT_GE(pieces.size(), 2u) << card.page << " over " << card.background << ": too little text found";
        const plat::test::TextPiece* least = nullptr;
        int below = 0;
        for (const plat::test::TextPiece& piece : pieces) {
            if (!least || piece.contrast.ratio < least->contrast.ratio)
                least = &piece;
            below += piece.contrast.ratio < kTextContrast;
        }
        if (below == 0)
            continue;
        char ratio[16];
        std::snprintf(ratio, sizeof ratio, "%.2f", least->contrast.ratio);
        unreadable << card.page << " over " << card.background << ": " << below << " of " << pieces.size()
                   << " pieces of text below 4.5:1, the least " << ratio << ":1 at (" << least->left << ", "
                   << least->top << ")\n";
    }
    EXPECT_EQ(unreadable.str(), "");
}
