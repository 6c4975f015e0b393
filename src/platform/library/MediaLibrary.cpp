#include "platform/library/MediaLibrary.h"

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Sandbox.h"
#include "platform/foundation/Timer.h"
#include "platform/library/MediaLibraryIndex.h"

namespace plat {

MediaLibrary::MediaLibrary(std::string deviceRoot)
    : _deviceRoot(std::move(deviceRoot))
{
}

MediaLibrary::~MediaLibrary()
{
    if (_checkTimer)
        _checkTimer->invalidate();
}

std::shared_ptr<MediaLibrary> MediaLibrary::defaultMediaLibrary()
{
    static std::mutex lock;
    static std::shared_ptr<MediaLibrary> library;
    std::string root = Sandbox::current()->root();
    std::lock_guard guard(lock);
    if (!library || library->deviceRoot() != root)
        library = std::make_shared<MediaLibrary>(root);
    return library;
}

std::string MediaLibrary::folder() const
{
    std::string standard = appendingPathComponent(_deviceRoot, kFolderName);
    std::string settings = appendingPathComponent(standard, kSettingsFileName);
    if (!fileExists(settings))
        return standard;
    auto read = readPropertyListFile(settings);
    auto dictionary = read.ok() ? read.value().asDictionary() : std::nullopt;
    if (!dictionary) {
        log("music library: {} is no settings dictionary; the library is {}", settings, standard);
        return standard;
    }
    auto chosen = dictionary->getString(kFolderKey);
    if (!chosen || chosen->empty())
        return standard;
    return chosen->front() == '/' ? *chosen : appendingPathComponent(_deviceRoot, *chosen);
}

std::shared_ptr<const detail::MediaLibraryIndex> MediaLibrary::index()
{
    // The settings may have named another folder since: that one is read then.
    std::string current = folder();
    {
        std::lock_guard guard(_lock);
        if (_index && _index->folder == current)
            return _index;
    }
    std::lock_guard reading(_readLock);
    auto read = detail::readMediaLibraryIndex(current, nullptr);
    std::lock_guard guard(_lock);
    if (!_index || _index->folder != current)
        _index = std::move(read);
    return _index;
}

Date MediaLibrary::lastModifiedDate()
{
    return index()->readAt;
}

bool MediaLibrary::checkForChanges()
{
    std::lock_guard reading(_readLock);
    std::shared_ptr<const detail::MediaLibraryIndex> previous;
    {
        std::lock_guard guard(_lock);
        previous = _index;
    }
    // Read without holding _lock: queries go on with the reading before.
    auto current = detail::readMediaLibraryIndex(folder(), previous);
    if (current == previous)
        return false;
    {
        std::lock_guard guard(_lock);
        _index = current;
    }
    if (_notificationClients.load() > 0) {
        std::weak_ptr<MediaLibrary> weakSelf = weak_from_this();
        DispatchQueue::mainQueue().async([weakSelf] {
            if (auto self = weakSelf.lock())
                NotificationCenter::defaultCenter().post(kMediaLibraryDidChangeNotification, self.get());
        });
    }
    return true;
}

void MediaLibrary::beginGeneratingLibraryChangeNotifications()
{
    assertOnQueue(DispatchQueue::mainQueue());
    if (_notificationClients.fetch_add(1) == 0)
        scheduleChecks();
}

void MediaLibrary::endGeneratingLibraryChangeNotifications()
{
    assertOnQueue(DispatchQueue::mainQueue());
    if (_notificationClients.load() <= 0)
        return;
    if (_notificationClients.fetch_sub(1) == 1 && _checkTimer) {
        _checkTimer->invalidate();
        _checkTimer.reset();
    }
}

void MediaLibrary::scheduleChecks()
{
    // The first reading is the one changes are measured against.
    (void)index();
    std::weak_ptr<MediaLibrary> weakSelf = weak_from_this();
    _checkTimer = Timer::scheduledTimerWithTimeInterval(
        kChangeCheckSeconds,
        [weakSelf] {
            if (auto self = weakSelf.lock())
                self->checkInBackground();
        },
        /*repeats=*/true);
}

void MediaLibrary::checkInBackground()
{
    // A check still running (a large library) is not joined by another.
    if (_checking.exchange(true))
        return;
    DispatchQueue::globalQueue(DispatchQueue::Priority::Background).async([self = shared_from_this()] {
        self->checkForChanges();
        self->_checking = false;
    });
}

}  // namespace plat
