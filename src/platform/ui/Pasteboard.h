#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

namespace plat {
class Image;

inline constexpr const char* PasteboardNameGeneral = "com.apple.UIKit.pboard.general";
// Posted (object: the pasteboard) after this process changed a pasteboard.
inline constexpr const char* PasteboardChangedNotification = "UIPasteboardChangedNotification";

// One item on a pasteboard: its representations, each data of a type
// identifier, in the order they were given.
struct PasteboardItem {
    std::vector<std::pair<std::string, Data>> representations;

    void set(const std::string& type, Data data);
    const Data* find(const std::string& type) const;
    std::vector<std::string> types() const;
};

// The platform's pasteboard: items with several representations by type,
// with conveniences for text, URLs and images (stored as PNG). The
// contents live in a file of the device sandbox ("Pasteboards/<name>.plist",
// written atomically), so they survive the app and reach every pasteboard
// object of that name in this or another process: each read looks at the
// file and loads it again when it changed. A damaged file reads as an empty
// pasteboard. Convenience getters look at the first item, as the platform's
// do. Any thread.
class Pasteboard {
public:
    // The system-wide pasteboard, in the current sandbox.
    static std::shared_ptr<Pasteboard> generalPasteboard();
    // A named pasteboard; without create, none unless its file exists.
    static std::shared_ptr<Pasteboard> pasteboardWithName(const std::string& name, bool create);
    static void removePasteboardWithName(const std::string& name);

    explicit Pasteboard(std::string name);

    const std::string& name() const { return _name; }
    // Grows with every change of the contents, also by other processes.
    int64_t changeCount() const;

    size_t numberOfItems() const;
    std::vector<PasteboardItem> items() const;
    void setItems(std::vector<PasteboardItem> items);
    void addItems(std::vector<PasteboardItem> items);

    // The first item.
    std::vector<std::string> pasteboardTypes() const;
    // True when the first item has one of the types (or a type conforming to one).
    bool containsPasteboardTypes(const std::vector<std::string>& types) const;
    std::optional<Data> dataForPasteboardType(const std::string& type) const;
    // Makes the pasteboard one item holding the data.
    void setData(Data data, const std::string& type);

    // Every item's data of the type, in item order; items without it are skipped.
    std::vector<Data> dataForPasteboardTypeInAllItems(const std::string& type) const;

    std::optional<std::string> string() const;
    void setString(const std::string& text);
    std::vector<std::string> strings() const;
    std::optional<URL> url() const;
    void setURL(const URL& url);
    // Decoded from the first item that holds a picture (PNG, JPEG, GIF or TIFF...).
    std::shared_ptr<Image> image() const;
    void setImage(const Image& image);
    std::vector<std::shared_ptr<Image>> images() const;
    void setImages(const std::vector<std::shared_ptr<Image>>& images);

private:
    struct Contents {
        int64_t changeCount = 0;
        std::vector<PasteboardItem> items;
    };
    struct FileStamp {
        std::filesystem::file_time_type modified {};
        uintmax_t size = 0;
        bool exists = false;
        friend bool operator==(const FileStamp&, const FileStamp&) = default;
    };

    std::string path() const;
    // The contents as the file has them now. Called with _lock held.
    const Contents& current() const;
    void store(std::vector<PasteboardItem> items);

    std::string _name;
    mutable std::mutex _lock;
    mutable std::string _loadedPath;  // guarded by _lock
    mutable FileStamp _loadedStamp;  // guarded by _lock
    mutable Contents _contents;  // guarded by _lock
};

}  // namespace plat
