#pragma once
#include <optional>
#include <string>

#include "platform/foundation/Value.h"
#include "web/LiteJsonBase.h"

namespace zt {

// What a JSON writer offers: platform values to text, or empty with the
// writer's error trace telling why.
class LiteJsonWriterProtocol {
public:
    virtual ~LiteJsonWriterProtocol() = default;
    // A dictionary or an array only.
    virtual std::optional<std::string> stringWithObject(const plat::Value& value) = 0;
    // Any value JSON can hold.
    virtual std::optional<std::string> stringWithFragment(const plat::Value& value) = 0;
    virtual bool humanReadable() const = 0;
    virtual void setHumanReadable(bool humanReadable) = 0;
    virtual bool sortKeys() const = 0;
    virtual void setSortKeys(bool sortKeys) = 0;
};

// Writes platform values as JSON text: compact, or human-readable with a
// line and two spaces of indent per level; dictionary keys in the
// dictionary's order or sorted. Data, dates, archived objects and numbers
// that are not finite cannot be written. One thread at a time.
class LiteJsonWriter : public LiteJsonBase, public LiteJsonWriterProtocol {
public:
    std::optional<std::string> stringWithObject(const plat::Value& value) override;
    std::optional<std::string> stringWithFragment(const plat::Value& value) override;
    bool humanReadable() const override { return _humanReadable; }
    void setHumanReadable(bool humanReadable) override { _humanReadable = humanReadable; }
    bool sortKeys() const override { return _sortKeys; }
    void setSortKeys(bool sortKeys) override { _sortKeys = sortKeys; }

private:
    bool appendValue(const plat::Value& value, std::string& text);
    bool appendDictionary(const plat::Dictionary& dictionary, std::string& text);
    bool appendArray(const plat::Array& array, std::string& text);
    void appendString(std::string_view string, std::string& text);
    void appendIndent(std::string& text);
    bool enterContainer();

    bool _humanReadable = false;
    bool _sortKeys = false;
};

}  // namespace zt
