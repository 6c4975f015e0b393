#include "platform/foundation/UUID.h"

#include <cstring>
#include <uuid.h>

namespace plat {

UUID::UUID()
{
    ::uuid_generate_random(_bytes.data());
}

std::optional<UUID> UUID::fromString(std::string_view text)
{
    if (text.size() != 36)
        return std::nullopt;
    char terminated[37];
    std::memcpy(terminated, text.data(), 36);
    terminated[36] = '\0';
    std::array<uint8_t, 16> bytes {};
    if (::uuid_parse(terminated, bytes.data()) != 0)
        return std::nullopt;
    return UUID(bytes);
}

std::string UUID::UUIDString() const
{
    char text[37];
    ::uuid_unparse_upper(_bytes.data(), text);
    return text;
}

}  // namespace plat
