#pragma once
#include <memory>
#include <string>

namespace plat {
class Sandbox;
}

namespace plat::test {

// A fresh device sandbox in a new temporary folder, installed as the current
// sandbox for the test's lifetime and removed with everything in it afterwards.
class TemporarySandbox {
public:
    TemporarySandbox();
    ~TemporarySandbox();
    TemporarySandbox(const TemporarySandbox&) = delete;
    TemporarySandbox& operator=(const TemporarySandbox&) = delete;

    const Sandbox& sandbox() const { return *_sandbox; }
    const std::string& root() const;
    std::string documents() const;
    // A path below the sandbox root for the test's own files.
    std::string path(const std::string& relative) const;

private:
    std::shared_ptr<const Sandbox> _sandbox;
    std::shared_ptr<const Sandbox> _previous;
};

// A new empty temporary folder, removed with its contents at the end.
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::string& path() const { return _path; }
    std::string path(const std::string& relative) const;

private:
    std::string _path;
};

// The source tree, for test data under tests/data.
std::string sourcePath(const std::string& relative);

}  // namespace plat::test
