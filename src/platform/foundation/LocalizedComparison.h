#pragma once
#include <memory>
#include <string>
#include <string_view>

namespace plat {

// The platform's localizedCaseInsensitiveCompare: the collation of a
// locale's language, where case does not count but accents do, so "Éclair"
// sorts among the E's and "abc" ties with "ABC". Made once for a sort, as
// the collation rules take a while to load. One thread at a time.
class LocalizedCaseInsensitiveComparison {
public:
    // For Locale::currentLocale().
    LocalizedCaseInsensitiveComparison();
    explicit LocalizedCaseInsensitiveComparison(const std::string& localeIdentifier);
    ~LocalizedCaseInsensitiveComparison();
    LocalizedCaseInsensitiveComparison(const LocalizedCaseInsensitiveComparison&) = delete;
    LocalizedCaseInsensitiveComparison& operator=(const LocalizedCaseInsensitiveComparison&) = delete;

    // Negative, 0 or positive as left sorts before, with or after right.
    int compare(std::string_view left, std::string_view right) const;
    bool operator()(std::string_view left, std::string_view right) const { return compare(left, right) < 0; }

private:
    struct Impl;
    std::unique_ptr<Impl> _impl;
};

}  // namespace plat
