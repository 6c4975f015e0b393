#include "platform/media/AssetReader.h"

#include <algorithm>

#include "platform/media/Asset.h"
#include "platform/media/AssetReaderOutput.h"
#include "platform/media/MediaConstants.h"

namespace plat {

AssetReader::AssetReader(std::shared_ptr<const Asset> asset)
    : _asset(std::move(asset))
    , _timeRange(MediaTimeRange::make(MediaTime::zero(), _asset->duration()))
{
}

Result<std::shared_ptr<AssetReader>> AssetReader::assetReaderWithAsset(std::shared_ptr<const Asset> asset)
{
    if (!asset)
        return Error(kMediaErrorDomain, kMediaErrorUnknown, "cannot read without an asset");
    if (auto file = std::dynamic_pointer_cast<const URLAsset>(asset); file && file->error())
        return *file->error();
    return std::make_shared<AssetReader>(std::move(asset));
}

void AssetReader::setTimeRange(const MediaTimeRange& timeRange)
{
    if (status() == AssetReaderStatus::Unknown && timeRange.isValid())
        _timeRange = timeRange;
}

bool AssetReader::canAddOutput(const std::shared_ptr<AssetReaderOutput>& output) const
{
    if (!output || status() != AssetReaderStatus::Unknown)
        return false;
    auto own = _asset->tracks();
    for (const auto& track : output->tracksRead()) {
        if (std::find(own.begin(), own.end(), track) == own.end())
            return false;
    }
    return output->validate().ok();
}

void AssetReader::addOutput(std::shared_ptr<AssetReaderOutput> output)
{
    if (canAddOutput(output))
        _outputs.push_back(std::move(output));
}

bool AssetReader::startReading()
{
    if (status() != AssetReaderStatus::Unknown)
        return false;
    for (const auto& output : _outputs) {
        auto prepared = output->prepare(shared_from_this(), _timeRange);
        if (!prepared.ok()) {
            fail(prepared.error());
            return false;
        }
    }
    AssetReaderStatus expected = AssetReaderStatus::Unknown;
    _status.compare_exchange_strong(expected, AssetReaderStatus::Reading);
    return status() == AssetReaderStatus::Reading;
}

void AssetReader::cancelReading()
{
    AssetReaderStatus current = status();
    while ((current == AssetReaderStatus::Unknown || current == AssetReaderStatus::Reading)
        && !_status.compare_exchange_weak(current, AssetReaderStatus::Cancelled)) { }
}

std::optional<Error> AssetReader::error() const
{
    std::lock_guard lock(_lock);
    return _error;
}

void AssetReader::outputDidFinish()
{
    if (++_finishedOutputs < _outputs.size())
        return;
    AssetReaderStatus expected = AssetReaderStatus::Reading;
    _status.compare_exchange_strong(expected, AssetReaderStatus::Completed);
}

void AssetReader::fail(Error error)
{
    {
        std::lock_guard lock(_lock);
        _error = std::move(error);
    }
    _status = AssetReaderStatus::Failed;
}

void AssetReaderOutput::reportEnd(AssetReader& reader)
{
    reader.outputDidFinish();
}

void AssetReaderOutput::reportFailure(AssetReader& reader, Error error)
{
    reader.fail(std::move(error));
}

}  // namespace plat
