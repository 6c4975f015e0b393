#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Date.h"
#include "platform/foundation/ICUObjectPool.h"
#include "platform/foundation/TimeZone.h"

namespace plat::detail {

struct PooledDateFormat;

// ICU's date format for one locale and pattern, lent from a pool of them for
// one use, on one thread. Besides ICU's own rules it keeps what the
// platform's formatter does that ICU does not: letters that are no pattern
// letters stay as text; reading is strict (no February 30) and takes the
// whole text; fields the text leaves out are those of 2000-01-01 00:00 in
// the zone; two-digit years name 1950 to 2049.
class LentDateFormat {
public:
    LentDateFormat(const std::string& localeIdentifier, const std::string& pattern);
    ~LentDateFormat();
    LentDateFormat(const LentDateFormat&) = delete;
    LentDateFormat& operator=(const LentDateFormat&) = delete;

    std::string format(Date date, const TimeZone& timeZone);
    // Empty unless the whole text matches and names a date that exists.
    std::optional<Date> parse(std::string_view text, const TimeZone& timeZone);

private:
    ICUObjectPool<PooledDateFormat>::Loan _format;
};

}  // namespace plat::detail
