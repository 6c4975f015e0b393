#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/foundation/Value.h"
#include "platform/graphics/Color.h"

namespace zt {

// The kinds of timeline tracks; the number is the index of the track's key
// name in the project's "Tracks" dictionary.
enum ProjectTrackType : int {
    ProjectTrackTypeDefault = 0,
    ProjectTrackTypeMarker = 1,
    ProjectTrackTypeEffect = 2,
    ProjectTrackTypeForeground = 3,
    ProjectTrackTypeBackground = 4,
    ProjectTrackTypeAudio = 5,
};
inline constexpr int kProjectTrackTypeCount = 6;

// The item colour of a track type (type 0's for unknown types).
plat::Color defaultItemColorForTrackType(int type);

// One item of a timeline track: a span of frames with a name, a colour and
// free data. Main queue.
class ProjectTrackItemModel {
public:
    ProjectTrackItemModel();  // type 0
    explicit ProjectTrackItemModel(int trackType);
    // Fields of the wrong type read as absent; the type is the caller's to set.
    static std::shared_ptr<ProjectTrackItemModel> initFromDictonary(const plat::Dictionary& record);
    plat::Dictionary encode() const;

    int64_t getEnd() const { return _start + _duration; }
    // A new item from this one's record with a new ID; its type is 0.
    std::shared_ptr<ProjectTrackItemModel> duplicate() const;

    const std::string& itemID() const { return _itemID; }
    void setItemID(std::string itemID) { _itemID = std::move(itemID); }
    const std::string& name() const { return _name; }
    void setName(std::string name) { _name = std::move(name); }
    int64_t start() const { return _start; }
    void setStart(int64_t start) { _start = start; }
    int64_t duration() const { return _duration; }
    void setDuration(int64_t duration) { _duration = duration; }
    const plat::Dictionary& meta() const { return _meta; }
    void setMeta(plat::Dictionary meta) { _meta = std::move(meta); }
    const std::string& information() const { return _information; }
    void setInformation(std::string information) { _information = std::move(information); }
    const plat::Color& color() const { return _color; }
    void setColor(plat::Color color) { _color = color; }
    int type() const { return _type; }
    void setType(int type) { _type = type; }

private:
    std::string _itemID;
    std::string _name;
    int64_t _start = 0;
    int64_t _duration = 0;
    plat::Dictionary _meta;
    std::string _information;
    plat::Color _color;
    int _type = ProjectTrackTypeDefault;
};

}  // namespace zt
