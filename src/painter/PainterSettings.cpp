#include "painter/PainterSettings.h"

#include <cmath>

#include "document/FileUtil.h"
#include "platform/foundation/Log.h"

namespace zt {

namespace {
constexpr const char* kToolKey = "PAINTER_TOOL";
constexpr const char* kToolColorsKey = "PAINTER_TOOL_COLORS";
constexpr const char* kColorListKey = "PAINTER_TOOL_COLORLIST";
constexpr const char* kSizesKey = "PAINTER_TOOL_SIZES";

plat::Color rgb(int red, int green, int blue)
{
    return plat::Color::colorWithRed(red / 255.0, green / 255.0, blue / 255.0, 1.0);
}

// Whole numbers only: an integer, or a real without a fraction.
std::optional<int64_t> wholeNumber(const plat::Value& value)
{
    if (value.isInteger())
        return value.int64Value();
    if (value.isReal()) {
        const double number = *value.doubleValue();
        if (std::isfinite(number) && number == std::trunc(number) && std::fabs(number) < 1e15)
            return static_cast<int64_t>(number);
    }
    return std::nullopt;
}

std::optional<int64_t> wholeNumberIn(const plat::Value& value, int64_t lowest, int64_t highest)
{
    auto number = wholeNumber(value);
    if (!number || *number < lowest || *number > highest)
        return std::nullopt;
    return number;
}

std::optional<plat::Color> colorOf(const plat::Value& value)
{
    auto dictionary = value.asDictionary();
    if (!dictionary)
        return std::nullopt;
    double components[4] = {};
    const char* keys[] = {"red", "green", "blue", "alpha"};
    for (int index = 0; index < 4; ++index) {
        const plat::Value* component = dictionary->find(keys[index]);
        if (!component || !(component->isInteger() || component->isReal()))
            return std::nullopt;
        const double number = *component->doubleValue();
        if (!(number >= 0 && number <= 1))  // NaN fails too
            return std::nullopt;
        components[index] = number;
    }
    return plat::Color::colorWithRed(components[0], components[1], components[2], components[3]);
}

void logIgnored(const char* key)
{
    plat::log("painter settings: {} is not usable, the default takes its place", key);
}
}  // namespace

PainterSettings::Palette PainterSettings::defaultPalette()
{
    return {rgb(228, 73, 19), rgb(253, 182, 50), rgb(40, 127, 136), rgb(106, 128, 19), rgb(184, 143, 170), rgb(0, 0, 0),
        rgb(178, 173, 163), rgb(246, 246, 246), rgb(138, 122, 86)};
}

PainterSettings PainterSettings::fromValue(const plat::Value& stored)
{
    PainterSettings settings;
    auto dictionary = stored.asDictionary();
    if (!dictionary) {
        if (!stored.isNull())
            logIgnored(kSettingsKey);
        return settings;
    }
    if (const plat::Value* tool = dictionary->find(kToolKey)) {
        settings.tool = wholeNumberIn(*tool, 0, kToolCount - 1);
        if (!settings.tool)
            logIgnored(kToolKey);
    }
    if (const plat::Value* colors = dictionary->find(kToolColorsKey)) {
        auto list = colors->asArray();
        settings.toolColors = kDefaultToolColors;
        for (int64_t index = 0; index < kColorToolCount; ++index) {
            auto entry = list && size_t(index) < list->count()
                ? wholeNumberIn(list->at(size_t(index)), 0, kPaletteCount - 1)
                : std::nullopt;
            if (entry)
                (*settings.toolColors)[size_t(index)] = *entry;
            else
                logIgnored(kToolColorsKey);
        }
    }
    if (const plat::Value* colorList = dictionary->find(kColorListKey)) {
        auto list = colorList->asArray();
        settings.palette = defaultPalette();
        for (int64_t index = 0; index < kPaletteCount; ++index) {
            auto entry = list && size_t(index) < list->count() ? colorOf(list->at(size_t(index))) : std::nullopt;
            if (entry)
                (*settings.palette)[size_t(index)] = *entry;
            else
                logIgnored(kColorListKey);
        }
    }
    if (const plat::Value* sizes = dictionary->find(kSizesKey)) {
        auto list = sizes->asArray();
        settings.sizes = kDefaultSizes;
        for (int64_t index = 0; index < kToolCount; ++index) {
            auto entry = list && size_t(index) < list->count()
                ? wholeNumberIn(list->at(size_t(index)), kMinimumBrushSize, kMaximumBrushSize)
                : std::nullopt;
            if (entry)
                (*settings.sizes)[size_t(index)] = *entry;
            else
                logIgnored(kSizesKey);
        }
    }
    return settings;
}

plat::Dictionary PainterSettings::toDictionary() const
{
    plat::Dictionary dictionary;
    if (tool)
        dictionary.set(kToolKey, *tool);
    if (toolColors) {
        plat::Array colors;
        for (int64_t index : *toolColors)
            colors.append(index);
        dictionary.set(kToolColorsKey, colors);
    }
    if (palette) {
        plat::Array colorList;
        for (const plat::Color& color : *palette)
            colorList.append(FileUtil::getDictionaryFromUIColor(color));
        dictionary.set(kColorListKey, colorList);
    }
    if (sizes) {
        plat::Array sizeList;
        for (int64_t size : *sizes)
            sizeList.append(size);
        dictionary.set(kSizesKey, sizeList);
    }
    return dictionary;
}

}  // namespace zt
