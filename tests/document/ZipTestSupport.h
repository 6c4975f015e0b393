#pragma once
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "document/QVZipArchive.h"
#include "platform/foundation/Files.h"
#include "support/PythonScript.h"

namespace plat::test {

// Runs a python3 script with zipfile, struct, os and sys imported and folder
// as the current directory (the script is saved there as script.py); the
// test fails with its output when the script does.
inline ::testing::AssertionResult pythonSucceeds(
    const std::string& folder, const std::string& body, std::vector<std::string> arguments = {})
{
    arguments.insert(arguments.begin(), folder);
    auto result = runPython(folder, "import os, struct, sys, zipfile\nos.chdir(sys.argv.pop(1))\n" + body, arguments);
    if (result.exitCode == 0)
        return ::testing::AssertionSuccess() << result.output;
    return ::testing::AssertionFailure() << "python3 failed (" << result.exitCode << "): " << result.output;
}

inline ::testing::AssertionResult commandSucceeds(const std::string& folder, const std::vector<std::string>& command)
{
    auto result = runCommand(folder, command);
    if (result.exitCode == 0)
        return ::testing::AssertionSuccess() << result.output;
    return ::testing::AssertionFailure() << command.front() << " failed (" << result.exitCode << "): " << result.output;
}

inline void writeText(const std::string& path, std::string_view text)
{
    ASSERT_TRUE(writeFileAtomically(path, text).ok()) << path;
}

inline std::string readText(const std::string& path)
{
    auto bytes = readFile(path);
    return bytes.ok() ? std::string(bytes.value().begin(), bytes.value().end()) : std::string("<missing>");
}

inline bool existsWithoutFollowing(const std::string& path)
{
    struct stat info { };
    return ::lstat(path.c_str(), &info) == 0;
}

inline int64_t errorCode(const std::optional<Error>& error)
{
    return error ? error->code() : 0;
}

}  // namespace plat::test
