#include "web/WSReadMonitorInputStream.h"

#include "platform/foundation/DispatchQueue.h"

namespace zt {

std::shared_ptr<WSReadMonitorInputStream> WSReadMonitorInputStream::inputStreamWithStream(
    std::shared_ptr<plat::InputStream> stream)
{
    return std::make_shared<WSReadMonitorInputStream>(Passkey(), std::move(stream));
}

WSReadMonitorInputStream::WSReadMonitorInputStream(Passkey, std::shared_ptr<plat::InputStream> stream)
    : inputStream_(std::move(stream))
    , thread_(std::this_thread::get_id())
{
}

int64_t WSReadMonitorInputStream::read(uint8_t* buffer, size_t maxLength)
{
    const int64_t count = inputStream_->read(buffer, maxLength);
    if (count <= 0)
        return count;
    std::shared_ptr<SelectorTarget> delegate;
    ReadSelector selector;
    {
        std::lock_guard guard(_lock);
        delegate = readDelegate_.lock();
        selector = readSelector_;
    }
    if (!delegate || !selector.respondsTo(*delegate))
        return count;
    if (std::this_thread::get_id() == thread_) {
        selector(*delegate, *this, buffer, static_cast<uint64_t>(count));
        return count;
    }
    // The only thread with a run loop is the main thread, where monitors are made.
    plat::Data copy(buffer, buffer + count);
    plat::DispatchQueue::mainQueue().async(
        [weakSelf = std::weak_ptr<plat::InputStream>(shared_from_this()),
            weakDelegate = std::weak_ptr<SelectorTarget>(delegate), selector, copy = std::move(copy)] {
            auto self = weakSelf.lock();
            auto target = weakDelegate.lock();
            if (self && target)
                selector(*target, *self, copy.data(), copy.size());
        });
    return count;
}

void WSReadMonitorInputStream::setReadDelegate(const std::shared_ptr<SelectorTarget>& delegate)
{
    std::lock_guard guard(_lock);
    readDelegate_ = delegate;
}

std::shared_ptr<SelectorTarget> WSReadMonitorInputStream::readDelegate() const
{
    std::lock_guard guard(_lock);
    return readDelegate_.lock();
}

void WSReadMonitorInputStream::setReadSelector(ReadSelector selector)
{
    std::lock_guard guard(_lock);
    readSelector_ = std::move(selector);
}

void WSReadMonitorInputStream::setRunLoopModes(std::vector<std::string> modes)
{
    std::lock_guard guard(_lock);
    runLoopModes_ = std::move(modes);
}

std::vector<std::string> WSReadMonitorInputStream::runLoopModes() const
{
    std::lock_guard guard(_lock);
    return runLoopModes_;
}

}  // namespace zt
