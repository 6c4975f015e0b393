#include "glimage/GLImageUIElement.h"

#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>

#include "glimage/GLImageContext.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Layer.h"
#include "platform/ui/View.h"

namespace zt {

namespace {

constexpr int32_t kFrameTimescale = 600;

double secondsSinceReferenceDate()
{
    return plat::Clock::current().date().timeIntervalSinceReferenceDate();
}

}  // namespace

GLImageUIElement::GLImageUIElement(std::shared_ptr<plat::View> inputView)
    : view(std::move(inputView))
    , layer(view->layer())
{
    update();
}

GLImageUIElement::GLImageUIElement(std::shared_ptr<plat::Layer> inputLayer)
    : layer(std::move(inputLayer))
{
    update();
}

plat::Size GLImageUIElement::layerSizeInPixels() const
{
    const plat::Size pointSize = layer->bounds().size;
    const double scale = layer->contentsScale();
    return {pointSize.width * scale, pointSize.height * scale};
}

void GLImageUIElement::update()
{
    const double now = secondsSinceReferenceDate();
    if (!time.isValid()) {
        time = plat::MediaTime::make(0, kFrameTimescale);
    } else {
        time = time + plat::MediaTime::makeWithSeconds(now - actualTimeOfLastUpdate, kFrameTimescale);
    }
    actualTimeOfLastUpdate = now;

    const plat::Size layerPixelSize = layerSizeInPixels();
    const int width = int(layerPixelSize.width);
    const int height = int(layerPixelSize.height);
    // Row 0 of the drawing is the layer's top, as frames are kept.
    auto context = width > 0 && height > 0
        ? plat::GraphicsContext::bitmapContext(width, height, layer->contentsScale(), plat::ContextOpacity::Transparent)
        : nullptr;
    if (!context) {
        plat::log(
            "GLImageUIElement: a layer of {} x {} pixels cannot be drawn", layerPixelSize.width, layerPixelSize.height);
        return;
    }
    layer->renderInContext(*context);
    auto drawn = context->makeImage();
    if (!drawn) {
        plat::log("GLImageUIElement: out of memory for a layer of {} x {} pixels", width, height);
        return;
    }
    std::shared_ptr<const plat::Bitmap> pixels = drawn->bitmap();

    // Upload and send on the context queue, where every other GL call runs.
    runSynchronouslyOnContextQueue([&] {
        GLImageContext::useImageProcessingContext();
        initializeOutputTextureIfNeeded();
        glBindTexture(GL_TEXTURE_2D, outputTexture.name());
        const GLenum format = pixels->order() == plat::PixelOrder::BGRA ? GL_BGRA_EXT : GL_RGBA;
        if (pixels->hasPackedRows()) {
            glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, format, GL_UNSIGNED_BYTE, pixels->bytes());
        } else {
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, format, GL_UNSIGNED_BYTE, nullptr);
            for (int y = 0; y < height; ++y)
                glTexSubImage2D(GL_TEXTURE_2D, 0, 0, y, width, 1, format, GL_UNSIGNED_BYTE, pixels->row(y));
        }
        glBindTexture(GL_TEXTURE_2D, 0);

        auto ignored = targetToIgnoreForUpdates();
        auto targets = _targets;
        auto indices = targetTextureIndices;
        for (size_t i = 0; i < targets.size(); ++i) {
            if (targets[i] == ignored || !hasTargetAt(targets[i], indices[i]))
                continue;
            targets[i]->setInputSize(layerPixelSize, indices[i]);
            targets[i]->newFrameReadyAtTime(time, indices[i]);
        }
    });
}

}  // namespace zt
