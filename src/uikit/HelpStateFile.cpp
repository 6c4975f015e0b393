#include "uikit/HelpStateFile.h"

#include <optional>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Sandbox.h"
#include "platform/foundation/Value.h"

namespace zt {

namespace {

enum class StoredState { Missing, Readable, Damaged };

struct StoredRecords {
    StoredState state = StoredState::Missing;
    plat::Dictionary records;
    std::string problem;  // why a damaged file cannot be read
};

StoredRecords readRecords(const std::string& path)
{
    StoredRecords stored;
    if (!plat::fileExists(path))
        return stored;
    auto read = plat::readPropertyListFile(path);
    if (!read.ok()) {
        stored.state = StoredState::Damaged;
        stored.problem = read.error().localizedDescription();
        return stored;
    }
    std::optional<plat::Dictionary> records = read.value().asDictionary();
    if (!records) {
        stored.state = StoredState::Damaged;
        stored.problem = "its root is not a dictionary";
        return stored;
    }
    stored.state = StoredState::Readable;
    stored.records = records->copy();
    return stored;
}

}  // namespace

std::string HelpStateFile::path()
{
    return plat::appendingPathComponent(plat::Sandbox::current()->documentsDirectory(), kFileName);
}

bool HelpStateFile::wasShown(const std::string& name)
{
    const std::string file = path();
    StoredRecords stored = readRecords(file);
    if (stored.state == StoredState::Damaged) {
        plat::log("help: {} cannot be read ({}); every coach mark counts as not shown", file, stored.problem);
        return false;
    }
    return stored.records.getBool(name).value_or(false);
}

plat::Result<void> HelpStateFile::recordShown(const std::string& name)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    const std::string file = path();
    StoredRecords stored = readRecords(file);
    if (stored.state == StoredState::Damaged) {
        // Keep what could not be read: the new file holds only this name.
        auto aside = plat::moveDamagedFileAside(file);
        if (!aside.ok())
            return aside.error();
        plat::log("help: {} could not be read ({}); kept as {}", file, stored.problem, aside.value());
    }
    stored.records.set(name, true);
    return plat::writePropertyListFile(plat::Value(stored.records), file, plat::PropertyListFormat::XML);
}

}  // namespace zt
