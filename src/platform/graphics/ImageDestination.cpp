#include "platform/graphics/ImageDestination.h"

#include <cmath>

#include "platform/foundation/Log.h"
#include "platform/foundation/UniformTypeIdentifiers.h"
#include "platform/graphics/GIFEncoding.h"
#include "platform/graphics/Image.h"

namespace plat {

namespace {

// Delays are stored in hundredths of a second.
int centisecondsFromSeconds(double seconds)
{
    if (!std::isfinite(seconds) || seconds <= 0)
        return 0;
    return static_cast<int>(std::min(std::lround(seconds * 100), 0xFFFFL));
}

}  // namespace

ImageDestination::ImageDestination(std::string path, size_t count)
    : _path(std::move(path))
    , _count(count)
    , _frames(std::make_unique<detail::GIFFrameQueue>())
{
}

ImageDestination::~ImageDestination() = default;

std::shared_ptr<ImageDestination> ImageDestination::createWithURL(
    const URL& url, const std::string& type, size_t count, const std::optional<Dictionary>& options)
{
    (void)options;  // no options apply to GIF files
    if (type != kUTTypeGIF || !url.isFileURL() || count == 0)
        return nullptr;
    return std::make_shared<ImageDestination>(url.path(), count);
}

void ImageDestination::setProperties(const Dictionary& properties)
{
    if (auto gif = properties.getDictionary(kImagePropertyGIFDictionary)) {
        if (auto loops = gif->getInt64(kImagePropertyGIFLoopCount))
            _loopCount = *loops;
    }
}

void ImageDestination::addImage(std::shared_ptr<const Image> image, const std::optional<Dictionary>& properties)
{
    if (!image || _finalized)
        return;
    if (_added >= _count) {
        plat::log("image destination: more pictures than the {} announced; left out", _count);
        return;
    }
    ++_added;
    double delay = 0;
    if (auto gif = properties ? properties->getDictionary(kImagePropertyGIFDictionary) : std::nullopt)
        delay = gif->getDouble(kImagePropertyGIFDelayTime).value_or(0);
    _frames->add(std::move(image), centisecondsFromSeconds(delay));
}

bool ImageDestination::finalize()
{
    if (_finalized)
        return false;
    _finalized = true;
    auto written = _frames->writeFile(_path, _loopCount);
    if (!written.ok()) {
        plat::log("image destination: cannot write {}: {}", _path, written.error().localizedDescription());
        _error = written.error();
        return false;
    }
    return true;
}

}  // namespace plat
