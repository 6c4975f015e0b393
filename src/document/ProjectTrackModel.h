#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document/ProjectTrackItemModel.h"
#include "platform/foundation/Value.h"

namespace zt {

// One timeline track of a project: a typed lane of items, each covering a
// span of frames. The type is given by the key the track is filed under in
// the project's "Tracks" dictionary, not by the record. Main queue.
class ProjectTrackModel {
public:
    ProjectTrackModel();  // type 0
    explicit ProjectTrackModel(int trackType);
    // Items get the track's type; fields of the wrong type read as absent.
    static std::shared_ptr<ProjectTrackModel> initFromDictonary(const plat::Dictionary& record, int trackType);
    plat::Dictionary encode() const;

    // The type of a stored key name, or kNotFound for an unknown name.
    static int64_t getTrackTypeForName(const std::string& name);
    // The stored key name of a type; empty for a type outside 0 to 5.
    static std::optional<std::string> getTrackStoreNameForTrackType(int64_t type);
    std::string getDefaultName() const;

    void addItem(std::shared_ptr<ProjectTrackItemModel> item);
    void deleteItem(const std::shared_ptr<ProjectTrackItemModel>& item);
    const std::vector<std::shared_ptr<ProjectTrackItemModel>>& getItems() const { return _items; }
    // The first item, in list order, with start <= index < start + duration.
    std::shared_ptr<ProjectTrackItemModel> getItemAtIndex(int64_t frameIndex) const;
    // Among the items that start at or after the index, the one that starts
    // nearest to it (the first in list order on a tie).
    std::shared_ptr<ProjectTrackItemModel> getClosestItemToIndex(int64_t frameIndex) const;

    const std::string& trackID() const { return _trackID; }
    const std::string& name() const { return _name; }
    void setName(std::string name) { _name = std::move(name); }
    int type() const { return _type; }
    bool isHidden() const { return _isHidden; }
    void setIsHidden(bool hidden) { _isHidden = hidden; }
    bool isEnabled() const { return _isEnabled; }
    void setIsEnabled(bool enabled) { _isEnabled = enabled; }

private:
    std::string _trackID;
    std::string _name;
    int _type = ProjectTrackTypeDefault;
    bool _isHidden = false;
    bool _isEnabled = true;
    std::vector<std::shared_ptr<ProjectTrackItemModel>> _items;
};

}  // namespace zt
