#include "platform/ui/ViewRendering.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Layer.h"
#include "platform/ui/LayerRenderer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace plat {

std::shared_ptr<Image> renderViewToImage(View& view, double scale, bool opaque)
{
    if (scale <= 0)
        scale = Screen::mainScreen().scale();
    view.layoutIfNeeded();
    return detail::LayerRenderer::renderToImage(*view.layer(), scale, opaque);
}

std::shared_ptr<Image> snapshotWindow(Window& window, double scale)
{
    return renderViewToImage(window, scale, /*opaque=*/true);
}

std::shared_ptr<Image> snapshotWindowWithin(Window& window, double scale, const std::vector<Rect>& areas)
{
    if (scale <= 0)
        scale = Screen::mainScreen().scale();
    window.layoutIfNeeded();
    return detail::LayerRenderer::renderToImageWithin(*window.layer(), scale, /*opaque=*/true, areas);
}

std::vector<TextOnScreen> redrawWindowTexts(Window& window, TextInk ink)
{
    window.layoutIfNeeded();
    Layer& root = *window.layer();
    std::vector<TextOnScreen> texts;
    detail::LayerRenderer::redrawBackingPictures(root, ink, [&](Layer& layer, const DrawnText& text, Rect area) {
        texts.push_back({text.text, text.font, text.color, layer.convertRect(area, &root), layer.sharedAs<Layer>()});
    });
    return texts;
}

}  // namespace plat
