#include "platform/security/Keychain.h"

#include <mutex>

#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Sandbox.h"

namespace plat {

namespace {

constexpr const char* kServiceKey = "svce";
constexpr const char* kAccountKey = "acct";
constexpr const char* kLabelKey = "labl";
constexpr const char* kDataKey = "v_Data";
constexpr uint32_t kOwnerOnly = 0600;
constexpr uint32_t kOwnerOnlyFolder = 0700;

std::mutex storeLock;  // serialises every read-modify-write of a store

struct Item {
    KeychainItemAttributes attributes;
    Data data;
};

// A damaged store reads as empty and tells writers to set it aside. One
// that could not be read at all (out of file descriptors, an I/O error) may
// be whole: calls fail with errSecIO and leave it as it is.
struct Store {
    std::vector<Item> items;
    bool damaged = false;
    bool unreadable = false;
};

Store readStore(const std::string& path)
{
    Store store;
    if (!fileExists(path))
        return store;
    auto root = readPropertyListFile(path);
    if (!root.ok() && root.error().domain() == kPOSIXErrorDomain) {
        log("keychain: cannot read {}: {}", path, root.error().localizedDescription());
        store.unreadable = true;
        return store;
    }
    auto entries = root.ok() ? root.value().asArray() : std::nullopt;
    if (!entries) {
        // Reads find nothing in it: say why, or a lost login is a mystery.
        log("keychain: {} is damaged ({}); it reads as empty and the next change sets it aside", path,
            root.ok() ? std::string("not a list") : root.error().localizedDescription());
        store.damaged = true;
        return store;
    }
    for (const Value& entry : *entries) {
        auto record = entry.asDictionary();
        auto service = record ? record->getString(kServiceKey) : std::nullopt;
        auto account = record ? record->getString(kAccountKey) : std::nullopt;
        if (!service || !account) {
            log("keychain: {} holds an item without a service or account; it is left out", path);
            store.damaged = true;
            continue;
        }
        store.items.push_back({{*service, *account, record->getString(kLabelKey).value_or(std::string())},
            record->getData(kDataKey).value_or(Data())});
    }
    return store;
}

OSStatus writeStore(const std::string& path, const Store& store)
{
    std::string folder = deletingLastPathComponent(path);
    if (!createDirectory(folder, IntermediateDirectories::Yes).ok() || !setPermissions(folder, kOwnerOnlyFolder).ok())
        return errSecIO;
    if (store.damaged && fileExists(path)) {
        // Keep what could not be read; a new store starts beside it.
        auto aside = moveDamagedFileAside(path);
        if (!aside.ok()) {
            log("keychain: cannot set the damaged store aside: {}", aside.error().localizedDescription());
            return errSecIO;
        }
        log("keychain: set aside the damaged store {}", aside.value());
    }
    Array entries;
    for (const Item& item : store.items) {
        entries.append(Dictionary {{kServiceKey, item.attributes.service}, {kAccountKey, item.attributes.account},
            {kLabelKey, item.attributes.label}, {kDataKey, item.data}});
    }
    auto bytes = PropertyListSerialization::dataWithPropertyList(entries, PropertyListFormat::Binary);
    if (!bytes.ok())
        return errSecIO;
    auto written = writeFileAtomically(
        path, std::string_view(reinterpret_cast<const char*>(bytes.value().data()), bytes.value().size()), kOwnerOnly);
    if (!written.ok()) {
        log("keychain: cannot write {}: {}", path, written.error().localizedDescription());
        return errSecIO;
    }
    return errSecSuccess;
}

bool matches(const KeychainQuery& query, const KeychainItemAttributes& attributes)
{
    return (!query.service || *query.service == attributes.service)
        && (!query.account || *query.account == attributes.account)
        && (!query.label || *query.label == attributes.label);
}

}  // namespace

Keychain::Keychain(std::string storePath)
    : _storePath(std::move(storePath))
{
}

Keychain Keychain::forCurrentSandbox()
{
    return Keychain(
        appendingPathComponent(Sandbox::current()->libraryDirectory(), "Keychains/generic-passwords.plist"));
}

OSStatus Keychain::copyAttributes(const KeychainQuery& query, KeychainItemAttributes* attributes) const
{
    std::lock_guard lock(storeLock);
    Store store = readStore(_storePath);
    if (store.unreadable)
        return errSecIO;
    for (const Item& item : store.items) {
        if (matches(query, item.attributes)) {
            if (attributes)
                *attributes = item.attributes;
            return errSecSuccess;
        }
    }
    return errSecItemNotFound;
}

OSStatus Keychain::copyData(const KeychainQuery& query, Data* data) const
{
    std::lock_guard lock(storeLock);
    Store store = readStore(_storePath);
    if (store.unreadable)
        return errSecIO;
    for (const Item& item : store.items) {
        if (matches(query, item.attributes)) {
            if (data)
                *data = item.data;
            return errSecSuccess;
        }
    }
    return errSecItemNotFound;
}

OSStatus Keychain::add(const KeychainItemAttributes& attributes, const Data& data)
{
    std::lock_guard lock(storeLock);
    Store store = readStore(_storePath);
    if (store.unreadable)
        return errSecIO;
    for (const Item& item : store.items) {
        if (item.attributes.service == attributes.service && item.attributes.account == attributes.account)
            return errSecDuplicateItem;
    }
    store.items.push_back({attributes, data});
    return writeStore(_storePath, store);
}

OSStatus Keychain::update(const KeychainQuery& query, const Data& data)
{
    std::lock_guard lock(storeLock);
    Store store = readStore(_storePath);
    if (store.unreadable)
        return errSecIO;
    bool found = false;
    for (Item& item : store.items) {
        if (matches(query, item.attributes)) {
            item.data = data;
            found = true;
        }
    }
    return found ? writeStore(_storePath, store) : errSecItemNotFound;
}

OSStatus Keychain::remove(const KeychainQuery& query)
{
    std::lock_guard lock(storeLock);
    Store store = readStore(_storePath);
    if (store.unreadable)
        return errSecIO;
    size_t before = store.items.size();
    std::erase_if(store.items, [&](const Item& item) { return matches(query, item.attributes); });
    if (store.items.size() == before)
        return errSecItemNotFound;
    return writeStore(_storePath, store);
}

}  // namespace plat
