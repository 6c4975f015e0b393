#pragma once
#include <array>
#include <cstdint>
#include <optional>

#include "platform/foundation/Value.h"
#include "platform/graphics/Color.h"

namespace zt {

// The painter's settings as stored under "PAINTER_CONFIGURATION" in the
// app's settings: the selected drawing tool, the palette index of each
// colour-taking tool, the nine palette colours and the sizes of the four
// drawing brushes. The settings file is outside input: reading takes each
// entry only when it has the right type and range, and anything else (a
// wrong type, a short list, a colour component outside 0...1, a size
// outside the size slider's range) falls back to its default, entry by
// entry. Any thread (value type).
struct PainterSettings {
    static constexpr const char* kSettingsKey = "PAINTER_CONFIGURATION";
    static constexpr int64_t kToolCount = 4;  // brush, pen, fountain pen, eraser
    static constexpr int64_t kColorToolCount = 3;
    static constexpr int64_t kPaletteCount = 9;
    static constexpr int64_t kMinimumBrushSize = 1;
    static constexpr int64_t kMaximumBrushSize = 50;

    using ToolColors = std::array<int64_t, kColorToolCount>;
    using Palette = std::array<plat::Color, kPaletteCount>;
    using Sizes = std::array<int64_t, kToolCount>;
    // The palette colour each tool shows at first: the brush colour 2, the
    // pen 0, the fountain pen 1.
    static constexpr ToolColors kDefaultToolColors {2, 0, 1};
    // Brushes 200, 300, 400 and 100, in that order.
    static constexpr Sizes kDefaultSizes {2, 15, 10, 5};

    // Each is absent when its key is: the screen then keeps what it set up.
    // Absent tool: the canvas keeps its own first brush, tool 0 shows selected.
    std::optional<int64_t> tool;
    std::optional<ToolColors> toolColors;
    std::optional<Palette> palette;
    std::optional<Sizes> sizes;

    static Palette defaultPalette();
    // The settings of a stored value (null or anything but a dictionary gives none).
    static PainterSettings fromValue(const plat::Value& stored);
    // Writes the keys that are set.
    plat::Dictionary toDictionary() const;
};

}  // namespace zt
