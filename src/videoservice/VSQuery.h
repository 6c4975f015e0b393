#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/URL.h"
#include "videoservice/AtomElements.h"
#include "videoservice/VSDateTime.h"

namespace zt {

// Categories of which at least one must match, and categories that must not.
// Copies hold new lists of copied categories.
class VSCategoryFilter {
public:
    static std::shared_ptr<VSCategoryFilter> categoryFilter() { return std::make_shared<VSCategoryFilter>(); }
    VSCategoryFilter() = default;
    VSCategoryFilter(const VSCategoryFilter& other);
    VSCategoryFilter& operator=(const VSCategoryFilter& other);

    void addCategory(const std::shared_ptr<VSCategory>& category);
    void addCategoryWithScheme(const std::optional<std::string>& scheme, const std::optional<std::string>& term);
    void addExcludeCategory(const std::shared_ptr<VSCategory>& category);
    void addExcludeCategoryWithScheme(const std::optional<std::string>& scheme, const std::optional<std::string>& term);
    const VSCategory::List& categories() const { return _categories; }
    void setCategories(const VSCategory::List& categories) { _categories = categories; }
    const VSCategory::List& excludeCategories() const { return _excludeCategories; }
    void setExcludeCategories(const VSCategory::List& categories) { _excludeCategories = categories; }

    // "A|B|-C" before encoding: alternatives of one path segment.
    std::string stringValue() const;
    std::string description() const;

private:
    VSCategory::List _categories;
    VSCategory::List _excludeCategories;
};

// A feed URL with named parameters and category filters, turned into the URL
// the service fetches. Every named parameter lives in the one parameter
// dictionary. One thread at a time.
class VSQuery {
public:
    explicit VSQuery(plat::URL feedURL);
    virtual ~VSQuery() = default;
    VSQuery(const VSQuery&) = default;  // the same filter objects, a new list
    VSQuery& operator=(const VSQuery&) = default;
    static std::shared_ptr<VSQuery> queryWithFeedURL(const plat::URL& feedURL);

    const plat::URL& feedURL() const { return _feedURL; }
    void setFeedURL(const plat::URL& feedURL) { _feedURL = feedURL; }

    void addCustomParameterWithName(const std::string& name, const std::optional<std::string>& value);
    void removeCustomParameterWithName(const std::string& name);
    std::optional<std::string> valueForParameterWithName(const std::string& name) const;
    void addCustomParameterWithName(const std::string& name, const std::optional<VSDateTime>& dateTime);
    std::optional<VSDateTime> dateTimeForParameterWithName(const std::string& name) const;
    void addCustomParameterWithNameIntValue(const std::string& name, int64_t value, int64_t removeForValue);
    int64_t intValueForParameterWithName(const std::string& name, int64_t missingParameterValue) const;
    void addCustomParameterWithNameBoolValue(const std::string& name, bool value, bool defaultValue);
    bool boolValueForParameterWithName(const std::string& name, bool defaultValue) const;

    int64_t startIndex() const { return intValueForParameterWithName("start-index", -1); }
    void setStartIndex(int64_t index) { addCustomParameterWithNameIntValue("start-index", index, -1); }
    int64_t maxResults() const { return intValueForParameterWithName("max-results", -1); }
    void setMaxResults(int64_t count) { addCustomParameterWithNameIntValue("max-results", count, -1); }
#define VS_TEXT_PARAMETER(getter, setter, parameter)                                                                   \
    std::optional<std::string> getter() const                                                                          \
    {                                                                                                                  \
        return valueForParameterWithName(parameter);                                                                   \
    }                                                                                                                  \
    void setter(const std::optional<std::string>& value)                                                               \
    {                                                                                                                  \
        addCustomParameterWithName(parameter, value);                                                                  \
    }
#define VS_BOOL_PARAMETER(getter, setter, parameter)                                                                   \
    bool getter() const                                                                                                \
    {                                                                                                                  \
        return boolValueForParameterWithName(parameter, false);                                                        \
    }                                                                                                                  \
    void setter(bool value)                                                                                            \
    {                                                                                                                  \
        addCustomParameterWithNameBoolValue(parameter, value, false);                                                  \
    }
#define VS_DATE_PARAMETER(getter, setter, parameter)                                                                   \
    std::optional<VSDateTime> getter() const                                                                           \
    {                                                                                                                  \
        return dateTimeForParameterWithName(parameter);                                                                \
    }                                                                                                                  \
    void setter(const std::optional<VSDateTime>& value)                                                                \
    {                                                                                                                  \
        addCustomParameterWithName(parameter, value);                                                                  \
    }
    VS_TEXT_PARAMETER(fieldSelection, setFieldSelection, "fields")
    VS_TEXT_PARAMETER(fullTextQueryString, setFullTextQueryString, "q")
    VS_TEXT_PARAMETER(author, setAuthor, "author")
    VS_TEXT_PARAMETER(orderBy, setOrderBy, "orderby")
    VS_BOOL_PARAMETER(shouldShowDeleted, setShouldShowDeleted, "showdeleted")
    VS_BOOL_PARAMETER(shouldRequireAllDeleted, setShouldRequireAllDeleted, "requirealldeleted")
    VS_BOOL_PARAMETER(shouldShowOnlyDeleted, setShouldShowOnlyDeleted, "onlydeleted")
    VS_BOOL_PARAMETER(isStrict, setIsStrict, "strict")
    VS_BOOL_PARAMETER(shouldPrettyPrint, setShouldPrettyPrint, "prettyprint")
    VS_TEXT_PARAMETER(protocolVersion, setProtocolVersion, "v")
    VS_TEXT_PARAMETER(resultFormat, setResultFormat, "alt")
    VS_TEXT_PARAMETER(language, setLanguage, "hl")
    VS_DATE_PARAMETER(publishedMinDateTime, setPublishedMinDateTime, "published-min")
    VS_DATE_PARAMETER(publishedMaxDateTime, setPublishedMaxDateTime, "published-max")
    VS_DATE_PARAMETER(updatedMinDateTime, setUpdatedMinDateTime, "updated-min")
    VS_DATE_PARAMETER(updatedMaxDateTime, setUpdatedMaxDateTime, "updated-max")
    // "ascending" or "descending"; never removed.
    bool isAscendingOrder() const;
    void setIsAscendingOrder(bool isAscending);
    // "xml" or absent.
    bool shouldFormatErrorsAsXML() const;
    void setShouldFormatErrorsAsXML(bool formatAsXML);

    void addCategoryFilter(const std::shared_ptr<VSCategoryFilter>& filter);
    void addCategoryFilterWithCategory(const std::shared_ptr<VSCategory>& category);
    void addCategoryFilterWithScheme(const std::optional<std::string>& scheme, const std::optional<std::string>& term);
    const std::vector<std::shared_ptr<VSCategoryFilter>>& categoryFilters() const
    {
        return _categoryFilters;
    }
    void setCategoryFilters(const std::vector<std::shared_ptr<VSCategoryFilter>>& filters)
    {
        _categoryFilters = filters;
    }
    const std::map<std::string, std::string>& customParameters() const
    {
        return _customParameters;
    }
    void setCustomParameters(const std::map<std::string, std::string>& parameters)
    {
        _customParameters = parameters;
    }

    // "-/A/B" of the encoded filters; empty without filters.
    std::string categoryFilterString() const;
    // The parameters, case-insensitively sorted by name, encoded, joined by "&".
    std::string queryParamString() const;
    std::optional<plat::URL> URL() const;
    // "<class> <address>: {<URL>}", the class being the object's own.
    std::string description() const;

protected:
    virtual const char* className() const
    {
        return "VSQuery";
    }

private:
    plat::URL _feedURL;
    std::vector<std::shared_ptr<VSCategoryFilter>> _categoryFilters;
    std::map<std::string, std::string> _customParameters;
};

// The video service's own parameters.
class VSQueryYouTube : public VSQuery {
public:
    using VSQuery::VSQuery;
    static std::shared_ptr<VSQueryYouTube> youTubeQueryWithFeedURL(const plat::URL& feedURL)
    {
        return std::make_shared<VSQueryYouTube>(feedURL);
    }
    VS_TEXT_PARAMETER(videoQuery, setVideoQuery, "q")
    VS_TEXT_PARAMETER(format, setFormat, "format")
    VS_TEXT_PARAMETER(captionTrackFormat, setCaptionTrackFormat, "fmt")
    VS_TEXT_PARAMETER(timePeriod, setTimePeriod, "time")
    VS_TEXT_PARAMETER(restriction, setRestriction, "restriction")
    VS_TEXT_PARAMETER(languageRestriction, setLanguageRestriction, "lr")
    VS_TEXT_PARAMETER(location, setLocation, "location")
    VS_TEXT_PARAMETER(locationRadius, setLocationRadius, "location-radius")
    VS_BOOL_PARAMETER(hasCaptions, setHasCaptions, "caption")
    VS_BOOL_PARAMETER(shouldRequire3D, setShouldRequire3D, "3d")
    VS_BOOL_PARAMETER(shouldInline, setShouldInline, "inline")
    VS_TEXT_PARAMETER(uploader, setUploader, "uploader")
    VS_TEXT_PARAMETER(safeSearch, setSafeSearch, "safeSearch")

protected:
    const char* className() const override { return "VSQueryYouTube"; }
};

#undef VS_TEXT_PARAMETER
#undef VS_BOOL_PARAMETER
#undef VS_DATE_PARAMETER

}  // namespace zt
