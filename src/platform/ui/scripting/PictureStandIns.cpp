#include "platform/ui/scripting/PictureStandIns.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Layer.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "platform/ui/scripting/ViewDescription.h"

namespace plat::scripting::detail {

namespace {

// Two pictures are compared on a grid of every this many pixels, and differ
// where a channel differs by more than the tolerance (a picture encoded
// again blurs a little).
constexpr int kSampleStep = 8;
constexpr int kSampleTolerance = 24;
constexpr uint8_t kOpaqueAlpha = 255;

// Draws what waits to be drawn: a view learns whether it draws anything of
// its own when it first draws, and tells its drawing from a given picture
// only then.
void displayWaiting(Layer& layer)
{
    if (!isShown(layer))
        return;
    layer.displayIfNeeded();
    for (const auto& sublayer : layer.sublayers())
        displayWaiting(*sublayer);
}

void collectGiven(const std::shared_ptr<Layer>& layer, const std::map<const Layer*, std::shared_ptr<View>>& views,
    std::vector<ShownPicture>& out)
{
    if (!isShown(*layer))
        return;
    if (layer->contents()) {
        auto owner = views.find(layer.get());
        const bool ownDrawing = owner != views.end() && owner->second->drawsLayerContent(*layer);
        if (!ownDrawing)
            out.push_back({layer, layer->contents()});
    }
    for (const auto& sublayer : layer->sublayers())
        collectGiven(sublayer, views, out);
}

bool isOpaquePicture(const Bitmap& bitmap)
{
    if (bitmap.isOpaque())
        return true;
    for (int y = 0; y < bitmap.height(); y += kSampleStep) {
        const uint8_t* row = bitmap.row(y);
        for (int x = 0; x < bitmap.width(); x += kSampleStep)
            if (row[4 * x + 3] != kOpaqueAlpha)
                return false;
    }
    return true;
}

bool differ(const Image& a, const Image& b)
{
    const Bitmap& first = *a.bitmap();
    const Bitmap& second = *b.bitmap();
    if (first.width() != second.width() || first.height() != second.height() || first.order() != second.order())
        return true;
    for (int y = 0; y < first.height(); y += kSampleStep) {
        const uint8_t* p = first.row(y);
        const uint8_t* q = second.row(y);
        for (int x = 0; x < first.width(); x += kSampleStep)
            for (int channel = 0; channel < 4; ++channel)
                if (std::abs(p[4 * x + channel] - q[4 * x + channel]) > kSampleTolerance)
                    return true;
    }
    return false;
}

}  // namespace

std::vector<ShownPicture> givenPictures(Window& window)
{
    window.layoutIfNeeded();
    displayWaiting(*window.layer());
    std::vector<ShownPicture> pictures;
    collectGiven(window.layer(), viewsByLayer(window), pictures);
    return pictures;
}

std::vector<ShownPicture> filmedPictures(Window& window)
{
    std::vector<ShownPicture> filmed;
    const Layer* root = window.layer().get();
    for (ShownPicture& shown : givenPictures(window)) {
        const Rect frame = shown.layer->convertRect(shown.layer->bounds(), root);
        if (shown.picture->resourceName().empty() && shown.picture->bitmap() && frame.width() >= kSmallestFilmedPoints
            && frame.height() >= kSmallestFilmedPoints && isOpaquePicture(*shown.picture->bitmap()))
            filmed.push_back(std::move(shown));
    }
    return filmed;
}

std::vector<ShownPicture> changedPictures(const std::vector<ShownPicture>& before, const std::vector<ShownPicture>& now)
{
    std::vector<ShownPicture> changed;
    for (const ShownPicture& earlier : before) {
        auto later = std::find_if(
            now.begin(), now.end(), [&](const ShownPicture& shown) { return shown.layer == earlier.layer; });
        if (later != now.end() && later->picture != earlier.picture && earlier.picture->bitmap()
            && later->picture->bitmap() && differ(*earlier.picture, *later->picture))
            changed.push_back(earlier);
    }
    return changed;
}

std::shared_ptr<const Image> plainPictureLike(const Image& picture, const Color& color)
{
    const Bitmap& like = *picture.bitmap();
    auto bitmap = Bitmap::allocate(like.width(), like.height(), PixelOrder::BGRA);
    if (!bitmap)
        return nullptr;
    auto byte
        = [](double component) { return static_cast<uint8_t>(std::lround(std::clamp(component, 0.0, 1.0) * 255)); };
    const uint8_t pixel[4] = {byte(color.blue()), byte(color.green()), byte(color.red()), kOpaqueAlpha};
    for (int y = 0; y < bitmap->height(); ++y) {
        uint8_t* row = bitmap->mutableRow(y);
        for (int x = 0; x < bitmap->width(); ++x)
            std::copy(pixel, pixel + 4, row + 4 * x);
    }
    bitmap->setOpaque(true);
    return std::make_shared<const Image>(bitmap, picture.scale(), picture.imageOrientation());
}

StandInPictures::StandInPictures(const std::vector<ShownPicture>& standIns)
{
    for (const ShownPicture& standIn : standIns) {
        _replaced.push_back({standIn.layer, standIn.layer->contents()});
        standIn.layer->setContents(standIn.picture);
    }
}

StandInPictures::~StandInPictures()
{
    for (auto it = _replaced.rbegin(); it != _replaced.rend(); ++it)
        it->layer->setContents(it->picture);
}

}  // namespace plat::scripting::detail
