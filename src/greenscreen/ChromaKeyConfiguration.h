#pragma once
#include <optional>

#include "platform/graphics/Color.h"

namespace zt {

class DataManager;

// The green screen's key colour and sensitivity as the settings keep them:
// the dictionary "CHROMA_KEY_CAMERA_CONFIGURATION" of the free "METADATA"
// dictionary, replaced whole at each save. Main thread (the settings').
struct ChromaKeyConfiguration {
    static constexpr const char* kConfigurationKey = "CHROMA_KEY_CAMERA_CONFIGURATION";
    static constexpr const char* kColorKey = "CHROMA_KEY_CAMERA_COLOR";
    static constexpr const char* kThresholdKey = "CHROMA_KEY_CAMERA_THRESHOLD_SENSITIVITY";

    // Each only when the settings hold it in a usable form.
    std::optional<plat::Color> color;
    std::optional<float> thresholdSensitivity;

    static ChromaKeyConfiguration savedConfiguration(const DataManager& settings);
    static void saveConfiguration(DataManager& settings, const plat::Color& color, float thresholdSensitivity);
};

}  // namespace zt
