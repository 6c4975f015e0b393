#include "render/DynamicPageReplacer.h"

#include <algorithm>
#include <vector>

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "web/HTMLEscaping.h"

namespace zt {

namespace {

constexpr std::string_view kLineBreakTag = "</br>";

std::string replacingAll(std::string text, std::string_view from, std::string_view to)
{
    size_t position = 0;
    while ((position = text.find(from, position)) != std::string::npos) {
        text.replace(position, from.size(), to);
        position += to.size();
    }
    return text;
}

}  // namespace

std::string DynamicPageReplacer::pageTextForValue(const std::string& value)
{
    std::string lines = replacingAll(value, kLineBreakTag, "\n");
    return replacingAll(ws_stringByEscapingForHTML(lines), "\n", kLineBreakTag);
}

std::string DynamicPageReplacer::fillPage(std::string_view page, const plat::Dictionary& replacementDictionary)
{
    struct Replacement {
        std::string key;
        std::string text;
    };
    std::vector<Replacement> replacements;
    for (const auto& [key, value] : replacementDictionary) {
        auto text = value.asString();
        if (key.empty() || !text)
            continue;  // a key without a text leaves its placeholder alone
        replacements.push_back({key, pageTextForValue(*text)});
    }
    // Longest first, so that of two keys starting at one place the longer one is taken.
    std::stable_sort(replacements.begin(), replacements.end(),
        [](const Replacement& a, const Replacement& b) { return a.key.size() > b.key.size(); });

    std::string filled;
    filled.reserve(page.size());
    size_t position = 0;
    while (position < page.size()) {
        const Replacement* match = nullptr;
        for (const Replacement& replacement : replacements) {
            if (page.compare(position, replacement.key.size(), replacement.key) == 0) {
                match = &replacement;
                break;
            }
        }
        if (match) {
            filled += match->text;
            position += match->key.size();
        } else {
            filled += page[position++];
        }
    }
    return filled;
}

std::string DynamicPageReplacer::processFileAtPath(
    const std::string& path, const plat::Dictionary& replacementDictionary)
{
    auto bytes = plat::readFile(plat::Bundle::mainBundle().resourcePath() + "/" + path);
    if (!bytes.ok()) {
        plat::log("cards: cannot read the page {}: {}", path, bytes.error().localizedDescription());
        return {};
    }
    const plat::Data& data = bytes.value();
    return fillPage(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()), replacementDictionary);
}

}  // namespace zt
