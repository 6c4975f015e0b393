#include "videoservice/VSQuery.h"

#include <algorithm>
#include <cstdio>

#include "platform/foundation/Text.h"
#include "videoservice/VSNumberText.h"
#include "videoservice/VSUtilities.h"

namespace zt {

namespace {
VSCategory::List copiesOf(const VSCategory::List& categories)
{
    VSCategory::List copies;
    for (const auto& category : categories)
        copies.push_back(category->copy());
    return copies;
}

std::string textOfCategory(const VSCategory& category)
{
    std::string text;
    if (auto scheme = category.scheme())
        text = "{" + *scheme + "}";
    return text + category.term().value_or("");
}

std::string identityOf(const void* object)
{
    char text[32];
    std::snprintf(text, sizeof text, "%p", object);
    return text;
}
}  // namespace

// VSCategoryFilter

VSCategoryFilter::VSCategoryFilter(const VSCategoryFilter& other)
    : _categories(copiesOf(other._categories))
    , _excludeCategories(copiesOf(other._excludeCategories))
{
}

VSCategoryFilter& VSCategoryFilter::operator=(const VSCategoryFilter& other)
{
    if (this != &other) {
        _categories = copiesOf(other._categories);
        _excludeCategories = copiesOf(other._excludeCategories);
    }
    return *this;
}

void VSCategoryFilter::addCategory(const std::shared_ptr<VSCategory>& category)
{
    if (category)
        _categories.push_back(category);
}

void VSCategoryFilter::addCategoryWithScheme(
    const std::optional<std::string>& scheme, const std::optional<std::string>& term)
{
    addCategory(VSCategory::categoryWithScheme(scheme, term));
}

void VSCategoryFilter::addExcludeCategory(const std::shared_ptr<VSCategory>& category)
{
    if (category)
        _excludeCategories.push_back(category);
}

void VSCategoryFilter::addExcludeCategoryWithScheme(
    const std::optional<std::string>& scheme, const std::optional<std::string>& term)
{
    addExcludeCategory(VSCategory::categoryWithScheme(scheme, term));
}

std::string VSCategoryFilter::stringValue() const
{
    std::string text;
    for (const auto& category : _categories) {
        if (!text.empty())
            text += "|";
        text += textOfCategory(*category);
    }
    for (const auto& category : _excludeCategories) {
        if (!text.empty())
            text += "|";
        text += "-" + textOfCategory(*category);
    }
    return text;
}

std::string VSCategoryFilter::description() const
{
    return "VSCategoryFilter " + identityOf(this) + ": {" + stringValue() + "}";
}

// VSQuery

VSQuery::VSQuery(plat::URL feedURL)
    : _feedURL(std::move(feedURL))
{
}

std::shared_ptr<VSQuery> VSQuery::queryWithFeedURL(const plat::URL& feedURL)
{
    return std::make_shared<VSQuery>(feedURL);
}

void VSQuery::addCustomParameterWithName(const std::string& name, const std::optional<std::string>& value)
{
    if (value)
        _customParameters[name] = *value;
    else
        _customParameters.erase(name);
}

void VSQuery::removeCustomParameterWithName(const std::string& name)
{
    _customParameters.erase(name);
}

std::optional<std::string> VSQuery::valueForParameterWithName(const std::string& name) const
{
    auto found = _customParameters.find(name);
    return found != _customParameters.end() ? std::optional<std::string>(found->second) : std::nullopt;
}

void VSQuery::addCustomParameterWithName(const std::string& name, const std::optional<VSDateTime>& dateTime)
{
    addCustomParameterWithName(name, dateTime ? std::optional<std::string>(dateTime->RFC3339String()) : std::nullopt);
}

std::optional<VSDateTime> VSQuery::dateTimeForParameterWithName(const std::string& name) const
{
    auto text = valueForParameterWithName(name);
    if (!text)
        return std::nullopt;
    return VSDateTime::dateTimeWithRFC3339String(*text);
}

void VSQuery::addCustomParameterWithNameIntValue(const std::string& name, int64_t value, int64_t removeForValue)
{
    if (value == removeForValue)
        removeCustomParameterWithName(name);
    else
        addCustomParameterWithName(name, std::to_string(value));
}

int64_t VSQuery::intValueForParameterWithName(const std::string& name, int64_t missingParameterValue) const
{
    auto text = valueForParameterWithName(name);
    if (!text)
        return missingParameterValue;
    return detail::longLongValueOfText(*text);
}

void VSQuery::addCustomParameterWithNameBoolValue(const std::string& name, bool value, bool defaultValue)
{
    if (value == defaultValue)
        removeCustomParameterWithName(name);
    else
        addCustomParameterWithName(name, std::string(value ? "true" : "false"));
}

bool VSQuery::boolValueForParameterWithName(const std::string& name, bool defaultValue) const
{
    auto text = valueForParameterWithName(name);
    if (!text)
        return defaultValue;
    return plat::lowercaseString(*text) == "true";
}

bool VSQuery::isAscendingOrder() const
{
    auto text = valueForParameterWithName("sortorder");
    return text && plat::lowercaseString(*text) == "ascending";
}

void VSQuery::setIsAscendingOrder(bool isAscending)
{
    addCustomParameterWithName("sortorder", std::string(isAscending ? "ascending" : "descending"));
}

bool VSQuery::shouldFormatErrorsAsXML() const
{
    auto text = valueForParameterWithName("err");
    return text && plat::lowercaseString(*text) == "xml";
}

void VSQuery::setShouldFormatErrorsAsXML(bool formatAsXML)
{
    addCustomParameterWithName("err", formatAsXML ? std::optional<std::string>("xml") : std::nullopt);
}

void VSQuery::addCategoryFilter(const std::shared_ptr<VSCategoryFilter>& filter)
{
    if (filter)
        _categoryFilters.push_back(filter);
}

void VSQuery::addCategoryFilterWithCategory(const std::shared_ptr<VSCategory>& category)
{
    auto filter = VSCategoryFilter::categoryFilter();
    filter->addCategory(category);
    addCategoryFilter(filter);
}

void VSQuery::addCategoryFilterWithScheme(
    const std::optional<std::string>& scheme, const std::optional<std::string>& term)
{
    addCategoryFilterWithCategory(VSCategory::categoryWithScheme(scheme, term));
}

std::string VSQuery::categoryFilterString() const
{
    if (_categoryFilters.empty())
        return "";
    std::string path = "-";
    for (const auto& filter : _categoryFilters) {
        std::string encoded = VSUtilities::stringByURLEncodingForURI(filter->stringValue());
        if (!encoded.empty())
            path += "/" + encoded;
    }
    return path;
}

std::string VSQuery::queryParamString() const
{
    std::vector<std::string> names;
    for (const auto& [name, value] : _customParameters)
        names.push_back(name);
    std::stable_sort(names.begin(), names.end(), [](const std::string& left, const std::string& right) {
        return plat::lowercaseString(left) < plat::lowercaseString(right);
    });
    std::string text;
    for (const auto& name : names) {
        if (!text.empty())
            text += "&";
        text += VSUtilities::stringByURLEncodingStringParameter(name) + "="
            + VSUtilities::stringByURLEncodingStringParameter(_customParameters.at(name));
    }
    return text;
}

std::optional<plat::URL> VSQuery::URL() const
{
    const std::string& feed = _feedURL.absoluteString();
    size_t question = feed.find('?');
    std::string base = question == std::string::npos ? feed : feed.substr(0, question);
    std::string existing = question == std::string::npos ? "" : feed.substr(question + 1);
    std::string filters = categoryFilterString();
    if (!filters.empty()) {
        if (!base.ends_with("/"))
            base += "/";
        base += filters;
    }
    std::string parameters = queryParamString();
    std::string query = existing.empty() ? parameters : parameters.empty() ? existing : existing + "&" + parameters;
    if (!query.empty())
        base += "?" + query;
    return plat::URL::URLWithString(base);
}

std::string VSQuery::description() const
{
    auto url = URL();
    return std::string(className()) + " " + identityOf(this) + ": {"
        + (url ? url->absoluteString() : std::string("(null)")) + "}";
}

}  // namespace zt
