#pragma once
#include <optional>
#include <string>

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

namespace zt {

// The per-frame metadata "meta-<FRAME_ID>.meta" in a project folder, where
// title and theme cards keep their card data. Main queue.
class FrameMeta {
public:
    // Loads the frame's file as a dictionary, or starts an empty one (also
    // when the file is damaged or the FRAME_ID could not safely name a file).
    FrameMeta(std::string frameID, std::string projectPath);
    static FrameMeta initMetaDataForFrameWithID(std::string frameID, std::string projectPath)
    {
        return FrameMeta(std::move(frameID), std::move(projectPath));
    }

    plat::Value objectForKey(const std::string& key) const { return _metadata.get(key); }
    void setValue(const plat::Value& value, const std::string& key) { _metadata.set(key, value); }

    // An empty dictionary writes nothing and succeeds; otherwise the file is
    // written atomically as an XML property list. error (when given) says why it failed.
    bool saveMetaData(std::optional<plat::Error>* error = nullptr) const;

    static std::string fileNameForFrameID(const std::string& frameID) { return "meta-" + frameID + ".meta"; }

private:
    std::string _frameID;
    std::string _projectPath;
    plat::Dictionary _metadata;
};

}  // namespace zt
