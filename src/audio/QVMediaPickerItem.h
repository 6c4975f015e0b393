#pragma once
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/URL.h"
#include "platform/media/AssetForward.h"

namespace zt {

// One sound of the app's own lists: a file with the title the list shows,
// its asset and its playing time. Main thread (immutable but for isRecord).
class QVMediaPickerItem {
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    // nullptr without a URL. The title is the given one, else the file name
    // without its extension, then looked up in the string table.
    static std::shared_ptr<QVMediaPickerItem> initWithURL(const std::optional<plat::URL>& url);
    static std::shared_ptr<QVMediaPickerItem> initWithURL(
        const std::optional<plat::URL>& url, const std::optional<std::string>& title);

    QVMediaPickerItem(Passkey, plat::URL url, std::string title);

    const plat::URL& URL() const { return _url; }
    const std::string& title() const { return _title; }
    const std::shared_ptr<plat::URLAsset>& asset() const { return _asset; }
    // The asset's playing time as the lists show it ("1:01").
    std::string getDuration() const;
    bool isRecord() const { return _isRecord; }
    void setIsRecord(bool isRecord) { _isRecord = isRecord; }

private:
    plat::URL _url;
    std::string _title;
    std::shared_ptr<plat::URLAsset> _asset;
    bool _isRecord = false;
};

}  // namespace zt
