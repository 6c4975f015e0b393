#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zt {

// A normal play time ("1:02:03.5", "75", "now"), as media thumbnails give
// their time offset. Value type; the offset of "now" is -1.
class VSNormalPlayTime {
public:
    static VSNormalPlayTime normalPlayTimeWithString(std::string_view text);
    void setFromString(std::string_view text);

    int64_t timeOffsetInMilliseconds() const { return _milliseconds; }
    // Also makes the value "now" exactly when the offset is -1.
    void setTimeOffsetInMilliseconds(int64_t milliseconds);
    bool isNow() const { return _isNow; }
    void setIsNow(bool isNow);

    // "H:MM:SS" or "H:MM:SS.mmm"; hours are not wrapped.
    std::string HHMMSSString() const;
    std::string secondsString() const;
    std::string description() const;
    bool isEqual(const VSNormalPlayTime& other) const;
    friend bool operator==(const VSNormalPlayTime& left, const VSNormalPlayTime& right) { return left.isEqual(right); }

private:
    int64_t _milliseconds = 0;
    bool _isNow = false;
};

}  // namespace zt
