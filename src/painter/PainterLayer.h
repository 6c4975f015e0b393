#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace plat {
class ImageView;
}

namespace zt {

// One layer of the frame being painted: whether it is shown, what it may
// do, its opacity, its strokes (the painter canvas archive, taken from the
// canvas when it stops being current), the image view that shows its flat
// picture meanwhile, its name and its identity (a UUID, which names its
// files). Main queue.
class PainterLayer {
public:
    // A layer of this type can be neither edited, deleted nor stored.
    static constexpr int64_t kLockedType = 2;

    // Enabled, opaque, named by the localized "Layer", with a new UUID.
    PainterLayer();

    // The dictionary form: "name", "UUID", "enabled", "obacity", "type".
    plat::Dictionary encode() const;
    // Layer dictionaries come from project files: "UUID" must be a UUID (it
    // names files) and the other entries of their kinds, or the dictionary
    // is refused (domain "PainterLayer"). A missing "enabled" or "obacity"
    // gives a hidden layer or an opacity of 0, as stored.
    static plat::Result<std::shared_ptr<PainterLayer>> initWithDict(const plat::Dictionary& dictionary);
    static bool isLayerIdentifier(const std::string& text);

    bool isEnabled() const { return _isEnabled; }
    void setIsEnabled(bool enabled) { _isEnabled = enabled; }
    bool canDeleted() const { return _canDeleted; }
    bool canEdit() const { return _canEdit; }
    bool canStored() const { return _canStored; }
    float obacity() const { return _obacity; }
    void setObacity(float opacity) { _obacity = opacity; }
    const std::optional<plat::Data>& bufferData() const { return _bufferData; }
    void setBufferData(std::optional<plat::Data> data) { _bufferData = std::move(data); }
    const std::shared_ptr<plat::ImageView>& viewImage() const { return _viewImage; }
    void setViewImage(std::shared_ptr<plat::ImageView> view) { _viewImage = std::move(view); }
    const std::string& name() const { return _name; }
    void setName(std::string name) { _name = std::move(name); }
    const std::string& UUID() const { return _UUID; }
    int64_t type() const { return _type; }
    void setType(int64_t type);

    static constexpr const char* kErrorDomain = "PainterLayer";
    static constexpr int64_t kNotALayer = 1;

private:
    bool _isEnabled = true;
    bool _canDeleted = true;
    bool _canEdit = true;
    bool _canStored = true;
    float _obacity = 1.0f;
    std::optional<plat::Data> _bufferData;
    std::shared_ptr<plat::ImageView> _viewImage;
    std::string _name;
    std::string _UUID;
    int64_t _type = 0;
};

}  // namespace zt
