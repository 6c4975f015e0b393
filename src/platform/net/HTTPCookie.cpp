#include "platform/net/HTTPCookie.h"

#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <cstdint>

#include "platform/foundation/Text.h"
#include "platform/net/HTTPHeaders.h"

namespace plat {

namespace {

constexpr size_t kMaxSetCookieBytes = 8192;
constexpr size_t kMaxCookiesPerResponse = 64;

bool isCookieDateDelimiter(unsigned char c)
{
    return c == 0x09 || (c >= 0x20 && c <= 0x2F) || (c >= 0x3B && c <= 0x40) || (c >= 0x5B && c <= 0x60)
        || (c >= 0x7B && c <= 0x7E);
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads 1..maxDigits digits at the start of token; the count read, 0 for none.
size_t readDigits(std::string_view token, size_t maxDigits, int& value)
{
    size_t count = 0;
    value = 0;
    while (count < token.size() && isDigit(token[count])) {
        if (count == maxDigits)
            return 0;
        value = value * 10 + (token[count] - '0');
        ++count;
    }
    return count;
}

bool parseTime(std::string_view token, int& hour, int& minute, int& second)
{
    int* fields[] = {&hour, &minute, &second};
    for (int i = 0; i < 3; ++i) {
        size_t count = readDigits(token, 2, *fields[i]);
        if (count == 0)
            return false;
        token.remove_prefix(count);
        if (i < 2) {
            if (token.empty() || token.front() != ':')
                return false;
            token.remove_prefix(1);
        }
    }
    return true;
}

int64_t daysFromCivil(int64_t year, unsigned month, unsigned day)
{
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<int64_t>(dayOfEra) - 719468;
}

std::string defaultPath(const URL& url)
{
    std::string path = url.encodedPath();
    if (path.empty() || path.front() != '/')
        return "/";
    size_t slash = path.rfind('/');
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

}  // namespace

bool isIPAddressLiteral(std::string_view host)
{
    std::string text(host);
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']')
        text = text.substr(1, text.size() - 2);
    std::array<unsigned char, 16> buffer {};
    return ::inet_pton(AF_INET, text.c_str(), buffer.data()) == 1
        || ::inet_pton(AF_INET6, text.c_str(), buffer.data()) == 1;
}

HTTPCookie::HTTPCookie(Properties properties)
    : _properties(std::move(properties))
{
}

bool HTTPCookie::isExpiredAt(Date now) const
{
    return _properties.expiresDate && *_properties.expiresDate <= now;
}

bool operator==(const HTTPCookie& left, const HTTPCookie& right)
{
    const auto& a = left._properties;
    const auto& b = right._properties;
    return a.name == b.name && a.value == b.value && a.domain == b.domain && a.path == b.path
        && a.expiresDate == b.expiresDate && a.secure == b.secure && a.httpOnly == b.httpOnly;
}

bool HTTPCookie::domainMatches(std::string_view hostText, std::string_view cookieDomainText)
{
    std::string host = lowercaseString(hostText);
    std::string domain = lowercaseString(cookieDomainText);
    if (host.empty() || domain.empty())
        return false;
    if (domain.front() != '.')
        return host == domain;
    if (host == domain.substr(1))
        return true;
    // A domain cookie covers hosts below it, label by label: ".example.com"
    // covers "a.example.com" but never "badexample.com". Addresses have no labels.
    return !isIPAddressLiteral(host) && hasSuffix(host, domain);
}

bool HTTPCookie::pathMatches(std::string_view requestPath, std::string_view cookiePath)
{
    if (requestPath.empty())
        requestPath = "/";
    if (requestPath == cookiePath)
        return true;
    if (!hasPrefix(requestPath, cookiePath))
        return false;
    return cookiePath.back() == '/' || requestPath[cookiePath.size()] == '/';
}

std::optional<Date> HTTPCookie::parseCookieDate(std::string_view text)
{
    if (text.size() > kMaxSetCookieBytes)
        return std::nullopt;
    bool foundTime = false, foundDay = false, foundMonth = false, foundYear = false;
    int hour = 0, minute = 0, second = 0, day = 0, month = 0, year = 0;
    static constexpr std::array<std::string_view, 12> kMonths
        = {"jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    size_t position = 0;
    while (position < text.size()) {
        while (position < text.size() && isCookieDateDelimiter(static_cast<unsigned char>(text[position])))
            ++position;
        size_t end = position;
        while (end < text.size() && !isCookieDateDelimiter(static_cast<unsigned char>(text[end])))
            ++end;
        std::string_view token = text.substr(position, end - position);
        position = end;
        if (token.empty())
            continue;
        int value = 0;
        if (!foundTime && parseTime(token, hour, minute, second)) {
            foundTime = true;
        } else if (size_t count = readDigits(token, 2, value); !foundDay && count > 0) {
            foundDay = true;
            day = value;
        } else if (!foundMonth && token.size() >= 3) {
            std::string prefix = lowercaseString(token.substr(0, 3));
            for (size_t i = 0; i < kMonths.size(); ++i) {
                if (prefix == kMonths[i]) {
                    foundMonth = true;
                    month = static_cast<int>(i) + 1;
                }
            }
            if (!foundMonth && !foundYear) {
                if (size_t digits = readDigits(token, 4, value); digits >= 2) {
                    foundYear = true;
                    year = value;
                }
            }
        } else if (size_t digits = readDigits(token, 4, value); !foundYear && digits >= 2) {
            foundYear = true;
            year = value;
        }
    }
    if (foundYear && year >= 70 && year <= 99)
        year += 1900;
    else if (foundYear && year >= 0 && year <= 69)
        year += 2000;
    if (!foundTime || !foundDay || !foundMonth || !foundYear || day < 1 || day > 31 || year < 1601 || hour > 23
        || minute > 59 || second > 59)
        return std::nullopt;
    static constexpr std::array<int, 12> kDaysInMonth = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (day > kDaysInMonth[static_cast<size_t>(month - 1)] || (month == 2 && day == 29 && !leap))
        return std::nullopt;
    const int64_t days = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    const double seconds = static_cast<double>(days) * 86400.0 + hour * 3600.0 + minute * 60.0 + second;
    return Date::withTimeIntervalSince1970(seconds);
}

std::optional<HTTPCookie> HTTPCookie::cookieFromSetCookieValue(std::string_view text, const URL& url, Date now)
{
    const std::string host = url.host();
    if (text.size() > kMaxSetCookieBytes || host.empty())
        return std::nullopt;
    size_t semicolon = text.find(';');
    std::string_view pair = text.substr(0, semicolon);
    size_t equals = pair.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    Properties properties;
    properties.name = std::string(trimmingOptionalWhitespace(pair.substr(0, equals)));
    properties.value = std::string(trimmingOptionalWhitespace(pair.substr(equals + 1)));
    if (properties.name.empty())
        return std::nullopt;
    for (char c : properties.name + properties.value) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return std::nullopt;
    }

    std::optional<std::string> domainAttribute;
    std::optional<std::string> pathAttribute;
    std::optional<Date> expires;
    std::optional<Date> maxAgeExpiry;
    std::string_view rest = semicolon == std::string_view::npos ? std::string_view {} : text.substr(semicolon + 1);
    while (!rest.empty()) {
        size_t next = rest.find(';');
        std::string_view attribute = rest.substr(0, next);
        rest = next == std::string_view::npos ? std::string_view {} : rest.substr(next + 1);
        size_t attributeEquals = attribute.find('=');
        std::string key = lowercaseString(trimmingOptionalWhitespace(attribute.substr(0, attributeEquals)));
        std::string_view value = attributeEquals == std::string_view::npos
            ? std::string_view {}
            : trimmingOptionalWhitespace(attribute.substr(attributeEquals + 1));
        if (key == "expires") {
            if (auto date = parseCookieDate(value))
                expires = date;
        } else if (key == "max-age") {
            bool negative = !value.empty() && value.front() == '-';
            std::string_view digits = negative ? value.substr(1) : value;
            if (digits.empty() || digits.size() > 12 || !std::all_of(digits.begin(), digits.end(), isDigit))
                continue;
            double seconds = std::stod(std::string(digits));
            maxAgeExpiry = (negative || seconds == 0) ? now.addingTimeInterval(-1) : now.addingTimeInterval(seconds);
        } else if (key == "domain") {
            std::string_view domain = value;
            if (!domain.empty() && domain.front() == '.')
                domain.remove_prefix(1);
            if (!domain.empty())
                domainAttribute = lowercaseString(domain);
        } else if (key == "path") {
            if (!value.empty() && value.front() == '/')
                pathAttribute = std::string(value);
        } else if (key == "secure") {
            properties.secure = true;
        } else if (key == "httponly") {
            properties.httpOnly = true;
        }
    }

    if (domainAttribute && *domainAttribute != host) {
        // A server may set a cookie for its own domain or one above it, never
        // for another domain, and an address never covers other hosts.
        if (isIPAddressLiteral(host) || !domainMatches(host, "." + *domainAttribute))
            return std::nullopt;
        // A bare top-level name ("com") would cover every site below it.
        if (domainAttribute->find('.') == std::string::npos)
            return std::nullopt;
        properties.domain = "." + *domainAttribute;
    } else {
        properties.domain = host;
    }
    properties.path = pathAttribute ? *pathAttribute : defaultPath(url);
    properties.expiresDate = maxAgeExpiry ? maxAgeExpiry : expires;
    return HTTPCookie(std::move(properties));
}

std::vector<HTTPCookie> HTTPCookie::cookiesWithResponseHeaderFields(const HTTPHeaders& headers, const URL& url)
{
    std::vector<HTTPCookie> cookies;
    const Date now = Date::now();
    for (const auto& value : headers.values("Set-Cookie")) {
        if (cookies.size() == kMaxCookiesPerResponse)
            break;
        if (auto cookie = cookieFromSetCookieValue(value, url, now))
            cookies.push_back(std::move(*cookie));
    }
    return cookies;
}

HTTPHeaders HTTPCookie::requestHeaderFieldsWithCookies(const std::vector<HTTPCookie>& cookies)
{
    HTTPHeaders headers;
    if (cookies.empty())
        return headers;
    std::string value;
    for (const auto& cookie : cookies) {
        if (!value.empty())
            value += "; ";
        value += cookie.name() + "=" + cookie.value();
    }
    headers.set("Cookie", value);
    return headers;
}

}  // namespace plat
