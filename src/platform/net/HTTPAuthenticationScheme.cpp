#include "platform/net/HTTPAuthenticationScheme.h"

#include <array>
#include <memory>
#include <openssl/evp.h>

#include "platform/foundation/Text.h"

namespace plat::detail {

namespace {

constexpr size_t kMaxChallenges = 16;
constexpr size_t kMaxParameters = 32;
constexpr size_t kMaxHeaderBytes = 16384;

bool isTokenCharacter(char c)
{
    static constexpr std::string_view kExtra = "!#$%&'*+-.^_`|~";
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')
        || kExtra.find(c) != std::string_view::npos;
}

class Scanner {
public:
    explicit Scanner(std::string_view text)
        : _text(text)
    {
    }
    bool atEnd() const { return _position >= _text.size(); }
    char peek() const { return atEnd() ? '\0' : _text[_position]; }
    void skipBlanks()
    {
        while (!atEnd() && (peek() == ' ' || peek() == '\t'))
            ++_position;
    }
    void skipBlanksAndCommas()
    {
        while (!atEnd() && (peek() == ' ' || peek() == '\t' || peek() == ','))
            ++_position;
    }
    std::string_view token()
    {
        size_t start = _position;
        while (!atEnd() && isTokenCharacter(peek()))
            ++_position;
        return _text.substr(start, _position - start);
    }
    std::optional<std::string> quoted()
    {
        ++_position;  // the opening quote
        std::string value;
        while (!atEnd()) {
            char c = _text[_position++];
            if (c == '"')
                return value;
            if (c == '\\') {
                if (atEnd())
                    return std::nullopt;
                c = _text[_position++];
            }
            value += c;
        }
        return std::nullopt;
    }
    size_t position() const { return _position; }
    void setPosition(size_t position) { _position = position; }

private:
    std::string_view _text;
    size_t _position = 0;
};

std::string hexDigest(const EVP_MD* algorithm, std::string_view text)
{
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest {};
    unsigned int length = 0;
    EVP_Digest(text.data(), text.size(), digest.data(), &length, algorithm, nullptr);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        hex += kHex[digest[i] >> 4];
        hex += kHex[digest[i] & 0xF];
    }
    return hex;
}

std::string quotedString(std::string_view text)
{
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace

std::vector<AuthenticateChallenge> parseAuthenticateHeader(std::string_view value)
{
    std::vector<AuthenticateChallenge> challenges;
    if (value.size() > kMaxHeaderBytes)
        return challenges;
    Scanner scanner(value);
    for (;;) {
        scanner.skipBlanksAndCommas();
        if (scanner.atEnd() || challenges.size() == kMaxChallenges)
            break;
        std::string_view scheme = scanner.token();
        if (scheme.empty())
            return {};
        AuthenticateChallenge challenge;
        challenge.scheme = lowercaseString(scheme);
        // Parameters follow until a token that is not followed by "=" starts the next challenge.
        for (;;) {
            scanner.skipBlanksAndCommas();
            size_t mark = scanner.position();
            std::string_view name = scanner.token();
            if (name.empty()) {
                if (scanner.atEnd())
                    break;
                return {};
            }
            scanner.skipBlanks();
            if (scanner.peek() != '=') {
                scanner.setPosition(mark);
                break;
            }
            scanner.setPosition(scanner.position() + 1);  // the "="
            scanner.skipBlanks();
            std::string parameterValue;
            if (scanner.peek() == '"') {
                auto quoted = scanner.quoted();
                if (!quoted)
                    return {};
                parameterValue = *quoted;
            } else {
                parameterValue = std::string(scanner.token());
                while (scanner.peek() == '=') {  // token68 padding
                    parameterValue += '=';
                    scanner.setPosition(scanner.position() + 1);
                }
            }
            if (challenge.parameters.size() < kMaxParameters)
                challenge.parameters.emplace(lowercaseString(name), std::move(parameterValue));
        }
        challenges.push_back(std::move(challenge));
    }
    return challenges;
}

std::string base64Encode(std::string_view bytes)
{
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string encoded;
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        uint32_t n = (static_cast<uint8_t>(bytes[i]) << 16) | (static_cast<uint8_t>(bytes[i + 1]) << 8)
            | static_cast<uint8_t>(bytes[i + 2]);
        encoded += kAlphabet[(n >> 18) & 63];
        encoded += kAlphabet[(n >> 12) & 63];
        encoded += kAlphabet[(n >> 6) & 63];
        encoded += kAlphabet[n & 63];
    }
    if (i < bytes.size()) {
        uint32_t n = static_cast<uint8_t>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            n |= static_cast<uint8_t>(bytes[i + 1]) << 8;
        encoded += kAlphabet[(n >> 18) & 63];
        encoded += kAlphabet[(n >> 12) & 63];
        encoded += i + 1 < bytes.size() ? kAlphabet[(n >> 6) & 63] : '=';
        encoded += '=';
    }
    return encoded;
}

std::optional<std::string> authorizationForChallenge(const AuthenticateChallenge& challenge, const std::string& user,
    const std::string& password, const std::string& method, const std::string& requestTarget,
    const std::string& clientNonce)
{
    if (challenge.scheme == "basic")
        return "Basic " + base64Encode(user + ":" + password);
    if (challenge.scheme != "digest")
        return std::nullopt;
    auto parameter = [&](const char* name) {
        auto it = challenge.parameters.find(name);
        return it == challenge.parameters.end() ? std::string() : it->second;
    };
    const std::string realm = parameter("realm");
    const std::string nonce = parameter("nonce");
    if (nonce.empty())
        return std::nullopt;
    std::string algorithmName = parameter("algorithm");
    if (algorithmName.empty())
        algorithmName = "MD5";
    const std::string upperAlgorithm = uppercaseString(algorithmName);
    const EVP_MD* algorithm = nullptr;
    bool session = false;
    if (upperAlgorithm == "MD5" || upperAlgorithm == "MD5-SESS")
        algorithm = EVP_md5();
    else if (upperAlgorithm == "SHA-256" || upperAlgorithm == "SHA-256-SESS")
        algorithm = EVP_sha256();
    else
        return std::nullopt;
    session = hasSuffix(upperAlgorithm, "-SESS");

    bool useQop = false;
    for (const auto& option : componentsSeparatedByString(parameter("qop"), ",")) {
        if (trimmingWhitespace(option) == "auth")
            useQop = true;
    }
    const std::string nonceCount = "00000001";
    std::string ha1 = hexDigest(algorithm, user + ":" + realm + ":" + password);
    if (session)
        ha1 = hexDigest(algorithm, ha1 + ":" + nonce + ":" + clientNonce);
    const std::string ha2 = hexDigest(algorithm, method + ":" + requestTarget);
    const std::string response = useQop
        ? hexDigest(algorithm, ha1 + ":" + nonce + ":" + nonceCount + ":" + clientNonce + ":auth:" + ha2)
        : hexDigest(algorithm, ha1 + ":" + nonce + ":" + ha2);

    std::string header = "Digest username=" + quotedString(user) + ", realm=" + quotedString(realm)
        + ", nonce=" + quotedString(nonce) + ", uri=" + quotedString(requestTarget) + ", algorithm=" + algorithmName
        + ", response=" + quotedString(response);
    if (useQop)
        header += ", qop=auth, nc=" + nonceCount + ", cnonce=" + quotedString(clientNonce);
    if (auto opaque = challenge.parameters.find("opaque"); opaque != challenge.parameters.end())
        header += ", opaque=" + quotedString(opaque->second);
    return header;
}

}  // namespace plat::detail
