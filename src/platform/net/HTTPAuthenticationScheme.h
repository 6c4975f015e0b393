#pragma once
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plat::detail {

// One challenge of a "WWW-Authenticate" field: its scheme in lower case and
// its parameters (names in lower case, quoted values unescaped).
struct AuthenticateChallenge {
    std::string scheme;
    std::map<std::string, std::string> parameters;
};

// The challenges of a "WWW-Authenticate" value (RFC 7235), in order; empty
// when the value cannot be read. Bounded: a hostile value gives few entries.
std::vector<AuthenticateChallenge> parseAuthenticateHeader(std::string_view value);

// The "Authorization" value that answers a basic or digest challenge for the
// request (method and target, path plus query), or empty for another scheme
// or algorithm. clientNonce is the digest's cnonce.
std::optional<std::string> authorizationForChallenge(const AuthenticateChallenge& challenge, const std::string& user,
    const std::string& password, const std::string& method, const std::string& requestTarget,
    const std::string& clientNonce);

std::string base64Encode(std::string_view bytes);

}  // namespace plat::detail
