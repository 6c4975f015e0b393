#include "platform/graphics/IncrementalImageSource.h"

#include <algorithm>
#include <cstring>

#include "platform/graphics/Image.h"
#include "platform/graphics/ImageDecoding.h"

namespace plat {

namespace {

detail::PartialPicture decodePartially(const Data& data, detail::PartialRows wanted)
{
    if (detail::looksLikeJPEG(data.data(), data.size()))
        return detail::decodePartialJPEG(data.data(), data.size(), wanted);
    if (detail::looksLikePNG(data.data(), data.size()))
        return detail::decodePartialPNG(data.data(), data.size(), wanted);
    return {};
}

}  // namespace

void IncrementalImageSource::updateData(const Data& data, bool isFinal)
{
    _data = data;
    _isFinal = isFinal;
}

std::optional<PixelSize> IncrementalImageSource::pixelSizeAtIndex0() const
{
    auto picture = decodePartially(_data, detail::PartialRows::Skip);
    if (!picture.hasHeader)
        return std::nullopt;
    return PixelSize {picture.width, picture.height};
}

std::shared_ptr<Image> IncrementalImageSource::createImageAtIndex0() const
{
    if (_isFinal)
        return Image::imageWithData(_data);
    auto picture = decodePartially(_data, detail::PartialRows::Decode);
    if (!picture.rows)
        return nullptr;
    return Image::imageWithBitmap(std::move(picture.rows));
}

namespace detail {

RowCollector::RowCollector(int width, int maxRows)
    : _width(std::max(width, 0))
    , _maxRows(std::max(maxRows, 0))
{
}

uint8_t* RowCollector::nextRow()
{
    if (_rows >= _maxRows || _width == 0)
        return nullptr;
    const size_t rowBytes = static_cast<size_t>(_width) * 4;
    if (_rows == _capacityRows) {
        // Doubling keeps the copies linear in the rows; the first step is small for slow arrivals.
        int capacity = std::min(_maxRows, std::max(16, _capacityRows * 2));
        auto bytes = std::make_unique_for_overwrite<uint8_t[]>(rowBytes * static_cast<size_t>(capacity));
        if (_rows > 0)
            std::memcpy(bytes.get(), _bytes.get(), rowBytes * static_cast<size_t>(_rows));
        _bytes = std::move(bytes);
        _capacityRows = capacity;
    }
    return _bytes.get() + rowBytes * static_cast<size_t>(_rows);
}

void RowCollector::commitRow(bool rowIsOpaque)
{
    ++_rows;
    _opaque = _opaque && rowIsOpaque;
}

std::shared_ptr<Bitmap> RowCollector::finish()
{
    if (_rows == 0)
        return nullptr;
    auto bitmap
        = std::make_shared<Bitmap>(_width, _rows, PixelOrder::BGRA, static_cast<size_t>(_width) * 4, std::move(_bytes));
    bitmap->setOpaque(_opaque);
    _rows = 0;
    _capacityRows = 0;
    return bitmap;
}

}  // namespace detail

}  // namespace plat
