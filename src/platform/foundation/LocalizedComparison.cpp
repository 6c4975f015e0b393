#include "platform/foundation/LocalizedComparison.h"

#include <unicode/coll.h>

#include "platform/foundation/ICUSupport.h"
#include "platform/foundation/Locale.h"
#include "platform/foundation/Log.h"

namespace plat {

struct LocalizedCaseInsensitiveComparison::Impl {
    std::unique_ptr<icu::Collator> collator;
};

LocalizedCaseInsensitiveComparison::LocalizedCaseInsensitiveComparison()
    : LocalizedCaseInsensitiveComparison(Locale::currentLocale().localeIdentifier())
{
}

LocalizedCaseInsensitiveComparison::LocalizedCaseInsensitiveComparison(const std::string& localeIdentifier)
    : _impl(std::make_unique<Impl>())
{
    UErrorCode status = U_ZERO_ERROR;
    _impl->collator.reset(icu::Collator::createInstance(detail::icuLocaleFor(localeIdentifier), status));
    if (U_FAILURE(status) || !_impl->collator) {
        log("text: no collation for {} ({}); comparing case-folded code points", localeIdentifier, u_errorName(status));
        _impl->collator.reset();
        return;
    }
    // Secondary strength: base letters and accents count, case does not.
    _impl->collator->setStrength(icu::Collator::SECONDARY);
}

LocalizedCaseInsensitiveComparison::~LocalizedCaseInsensitiveComparison() = default;

int LocalizedCaseInsensitiveComparison::compare(std::string_view left, std::string_view right) const
{
    const icu::UnicodeString a = detail::unicodeFromUtf8(left);
    const icu::UnicodeString b = detail::unicodeFromUtf8(right);
    if (!_impl->collator)
        return a.caseCompare(b, U_FOLD_CASE_DEFAULT);
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result = _impl->collator->compare(a, b, status);
    if (U_FAILURE(status))
        return a.caseCompare(b, U_FOLD_CASE_DEFAULT);
    return result == UCOL_LESS ? -1 : result == UCOL_GREATER ? 1 : 0;
}

}  // namespace plat
