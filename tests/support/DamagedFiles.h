#pragma once
// A file damaged as a person finds one: overwritten with noise, or cut short.
#include <cstdint>
#include <gtest/gtest.h>
#include <string>

#include "platform/foundation/Files.h"

namespace plat::test {

// 3,000 bytes of a fixed noise (the same every run) in place of the file.
inline void writeRandomBytes(const std::string& path)
{
    std::string bytes(3000, '\0');
    uint32_t state = 2463534242u;
    for (char& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<char>(state & 0xff);
    }
    ASSERT_TRUE(writeFileAtomically(path, bytes).ok()) << path;
}

// The file's first half only.
inline void cutInHalf(const std::string& path)
{
    auto whole = readFile(path);
    ASSERT_TRUE(whole.ok()) << path;
    const std::string half(whole.value().begin(), whole.value().begin() + whole.value().size() / 2);
    ASSERT_TRUE(writeFileAtomically(path, half).ok()) << path;
}

}  // namespace plat::test
