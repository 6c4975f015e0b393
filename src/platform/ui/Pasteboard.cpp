#include "platform/ui/Pasteboard.h"

#include <algorithm>
#include <map>
#include <system_error>

#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Sandbox.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/ui/TypeIdentifiers.h"

namespace plat {

namespace {

constexpr const char* kChangeCountKey = "ChangeCount";
constexpr const char* kItemsKey = "Items";
constexpr const char* kTypeKey = "Type";
constexpr const char* kDataKey = "Data";

// A name becomes one file name in the pasteboards folder.
std::string fileNameFor(const std::string& name)
{
    std::string safe = name;
    std::replace(safe.begin(), safe.end(), '/', '_');
    if (safe.empty() || safe == "." || safe == "..")
        safe = "_" + safe;
    return safe + ".plist";
}

std::string pasteboardsFolder()
{
    return appendingPathComponent(Sandbox::current()->root(), "Pasteboards");
}

std::vector<PasteboardItem> itemsFromPropertyList(const Value& root, int64_t& changeCount)
{
    std::vector<PasteboardItem> items;
    auto dictionary = root.asDictionary();
    if (!dictionary)
        return items;
    changeCount = dictionary->getInt64(kChangeCountKey).value_or(0);
    auto list = dictionary->getArray(kItemsKey);
    if (!list)
        return items;
    for (const Value& entry : *list) {
        auto representations = entry.asArray();
        if (!representations)
            continue;
        PasteboardItem item;
        for (const Value& representation : *representations) {
            auto fields = representation.asDictionary();
            if (!fields)
                continue;
            auto type = fields->getString(kTypeKey);
            auto data = fields->getData(kDataKey);
            if (type && data)
                item.set(*type, std::move(*data));
        }
        items.push_back(std::move(item));
    }
    return items;
}

Value propertyListFromItems(const std::vector<PasteboardItem>& items, int64_t changeCount)
{
    Array list;
    for (const auto& item : items) {
        Array representations;
        for (const auto& [type, data] : item.representations)
            representations.append(Dictionary {{kTypeKey, Value(type)}, {kDataKey, Value(data)}});
        list.append(representations);
    }
    return Dictionary {{kChangeCountKey, Value(changeCount)}, {kItemsKey, Value(list)}};
}

bool isPictureType(const std::string& type)
{
    return UTTypeConformsTo(type, kUTTypeImage);
}

std::shared_ptr<Image> pictureOf(const PasteboardItem& item)
{
    for (const auto& [type, data] : item.representations)
        if (isPictureType(type))
            if (auto image = Image::imageWithData(data))
                return image;
    return nullptr;
}

Data bytesOf(const std::string& text)
{
    return Data(text.begin(), text.end());
}

}  // namespace

// Items

void PasteboardItem::set(const std::string& type, Data data)
{
    for (auto& [existing, bytes] : representations) {
        if (UTTypeEqual(existing, type)) {
            bytes = std::move(data);
            return;
        }
    }
    representations.emplace_back(type, std::move(data));
}

const Data* PasteboardItem::find(const std::string& type) const
{
    for (const auto& [existing, bytes] : representations)
        if (UTTypeEqual(existing, type))
            return &bytes;
    return nullptr;
}

std::vector<std::string> PasteboardItem::types() const
{
    std::vector<std::string> list;
    for (const auto& representation : representations)
        list.push_back(representation.first);
    return list;
}

// Pasteboards

std::shared_ptr<Pasteboard> Pasteboard::generalPasteboard()
{
    static const auto general = std::make_shared<Pasteboard>(PasteboardNameGeneral);
    return general;
}

std::shared_ptr<Pasteboard> Pasteboard::pasteboardWithName(const std::string& name, bool create)
{
    if (name == PasteboardNameGeneral)
        return generalPasteboard();
    auto pasteboard = std::make_shared<Pasteboard>(name);
    if (!create && !fileExists(pasteboard->path()))
        return nullptr;
    return pasteboard;
}

void Pasteboard::removePasteboardWithName(const std::string& name)
{
    auto path = appendingPathComponent(pasteboardsFolder(), fileNameFor(name));
    if (fileExists(path))
        if (auto removed = removeItem(path); !removed.ok())
            log("pasteboard: cannot remove {}: {}", name, removed.error().localizedDescription());
}

Pasteboard::Pasteboard(std::string name)
    : _name(std::move(name))
{
}

std::string Pasteboard::path() const
{
    return appendingPathComponent(pasteboardsFolder(), fileNameFor(_name));
}

const Pasteboard::Contents& Pasteboard::current() const
{
    std::string file = path();
    FileStamp stamp;
    std::error_code error;
    auto size = std::filesystem::file_size(file, error);
    if (!error) {
        auto modified = std::filesystem::last_write_time(file, error);
        if (!error)
            stamp = {modified, size, true};
    }
    if (file == _loadedPath && stamp == _loadedStamp)
        return _contents;
    _loadedPath = file;
    _loadedStamp = stamp;
    _contents = Contents {};
    if (!stamp.exists)
        return _contents;
    auto root = readPropertyListFile(file);
    if (!root.ok()) {
        log("pasteboard: {} is unreadable, taken as empty: {}", _name, root.error().localizedDescription());
        return _contents;
    }
    _contents.items = itemsFromPropertyList(root.value(), _contents.changeCount);
    return _contents;
}

void Pasteboard::store(std::vector<PasteboardItem> items)
{
    {
        std::lock_guard lock(_lock);
        int64_t changeCount = current().changeCount + 1;
        std::string file = path();
        if (auto made = createDirectory(deletingLastPathComponent(file), IntermediateDirectories::Yes); !made.ok())
            log("pasteboard: cannot make the folder for {}: {}", _name, made.error().localizedDescription());
        auto written
            = writePropertyListFile(propertyListFromItems(items, changeCount), file, PropertyListFormat::Binary);
        if (!written.ok())
            log("pasteboard: cannot write {}: {}", _name, written.error().localizedDescription());
        // What this object wrote is what it reads until the file changes again.
        _contents = Contents {changeCount, std::move(items)};
        _loadedPath = file;
        std::error_code error;
        auto size = std::filesystem::file_size(file, error);
        auto modified = std::filesystem::last_write_time(file, error);
        _loadedStamp = error ? FileStamp {} : FileStamp {modified, size, true};
    }
    NotificationCenter::defaultCenter().post(PasteboardChangedNotification, this, {});
}

int64_t Pasteboard::changeCount() const
{
    std::lock_guard lock(_lock);
    return current().changeCount;
}

size_t Pasteboard::numberOfItems() const
{
    std::lock_guard lock(_lock);
    return current().items.size();
}

std::vector<PasteboardItem> Pasteboard::items() const
{
    std::lock_guard lock(_lock);
    return current().items;
}

void Pasteboard::setItems(std::vector<PasteboardItem> items)
{
    store(std::move(items));
}

void Pasteboard::addItems(std::vector<PasteboardItem> items)
{
    auto all = this->items();
    for (auto& item : items)
        all.push_back(std::move(item));
    store(std::move(all));
}

std::vector<std::string> Pasteboard::pasteboardTypes() const
{
    std::lock_guard lock(_lock);
    const auto& items = current().items;
    return items.empty() ? std::vector<std::string>() : items.front().types();
}

bool Pasteboard::containsPasteboardTypes(const std::vector<std::string>& types) const
{
    for (const auto& present : pasteboardTypes())
        for (const auto& wanted : types)
            if (UTTypeConformsTo(present, wanted))
                return true;
    return false;
}

std::optional<Data> Pasteboard::dataForPasteboardType(const std::string& type) const
{
    std::lock_guard lock(_lock);
    const auto& items = current().items;
    if (items.empty())
        return std::nullopt;
    if (const Data* data = items.front().find(type))
        return *data;
    return std::nullopt;
}

void Pasteboard::setData(Data data, const std::string& type)
{
    PasteboardItem item;
    item.set(type, std::move(data));
    store({std::move(item)});
}

std::vector<Data> Pasteboard::dataForPasteboardTypeInAllItems(const std::string& type) const
{
    std::lock_guard lock(_lock);
    std::vector<Data> list;
    for (const auto& item : current().items)
        if (const Data* data = item.find(type))
            list.push_back(*data);
    return list;
}

std::optional<std::string> Pasteboard::string() const
{
    auto list = strings();
    if (list.empty())
        return std::nullopt;
    return list.front();
}

std::vector<std::string> Pasteboard::strings() const
{
    std::lock_guard lock(_lock);
    std::vector<std::string> list;
    for (const auto& item : current().items)
        for (const auto& [type, data] : item.representations)
            if (UTTypeConformsTo(type, kUTTypePlainText)) {
                list.emplace_back(data.begin(), data.end());
                break;
            }
    return list;
}

void Pasteboard::setString(const std::string& text)
{
    setData(bytesOf(text), kUTTypeUTF8PlainText);
}

std::optional<URL> Pasteboard::url() const
{
    auto data = dataForPasteboardType(kUTTypeURL);
    if (!data)
        return std::nullopt;
    return URL::URLWithString(std::string(data->begin(), data->end()));
}

void Pasteboard::setURL(const URL& url)
{
    setData(bytesOf(url.absoluteString()), kUTTypeURL);
}

std::shared_ptr<Image> Pasteboard::image() const
{
    std::lock_guard lock(_lock);
    for (const auto& item : current().items)
        if (auto picture = pictureOf(item))
            return picture;
    return nullptr;
}

std::vector<std::shared_ptr<Image>> Pasteboard::images() const
{
    std::lock_guard lock(_lock);
    std::vector<std::shared_ptr<Image>> list;
    for (const auto& item : current().items)
        if (auto picture = pictureOf(item))
            list.push_back(std::move(picture));
    return list;
}

void Pasteboard::setImage(const Image& image)
{
    auto png = PNGRepresentation(image);
    if (!png) {
        log("pasteboard: cannot encode the picture for {}", _name);
        return;
    }
    setData(std::move(*png), kUTTypePNG);
}

void Pasteboard::setImages(const std::vector<std::shared_ptr<Image>>& images)
{
    std::vector<PasteboardItem> items;
    for (const auto& image : images) {
        if (!image)
            continue;
        auto png = PNGRepresentation(*image);
        if (!png) {
            log("pasteboard: cannot encode a picture for {}", _name);
            continue;
        }
        PasteboardItem item;
        item.set(kUTTypePNG, std::move(*png));
        items.push_back(std::move(item));
    }
    store(std::move(items));
}

}  // namespace plat
