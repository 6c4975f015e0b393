#include "platform/foundation/UserDefaults.h"

#include <gtest/gtest.h>
#include <optional>
#include <thread>
#include <vector>

#include "platform/foundation/Files.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Sandbox.h"
#include "support/NoFreeFileDescriptors.h"
#include "support/TemporarySandbox.h"
#include "support/UnreadableFile.h"

namespace {

using plat::Array;
using plat::Data;
using plat::Dictionary;
using plat::UserDefaults;
using plat::Value;

class UserDefaultsInSandbox : public ::testing::Test {
protected:
    std::string preferencesFile() const
    {
        return sandbox.sandbox().preferencesDirectory() + "/com.quorvane.zantrope.plist";
    }
    // The same device folder under a new Sandbox object: the standard
    // defaults drop what they hold and read the file again.
    void reopenSandbox() { plat::Sandbox::setCurrent(std::make_shared<plat::Sandbox>(sandbox.root())); }

    plat::test::TemporarySandbox sandbox;
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
};

TEST_F(UserDefaultsInSandbox, ChangesAreWrittenThroughAsABinaryList)
{
    defaults.setInteger(5, "count");
    defaults.setObject(Array {"a", "b"}, "names");
    auto bytes = plat::readFile(preferencesFile());
    ASSERT_TRUE(bytes.ok());
    plat::PropertyListFormat format = plat::PropertyListFormat::XML;
    auto list = plat::PropertyListSerialization::propertyListWithData(bytes.value(), &format);
    ASSERT_TRUE(list.ok());
    EXPECT_EQ(format, plat::PropertyListFormat::Binary);
    EXPECT_EQ(list.value(), Value(Dictionary {{"count", 5}, {"names", Array {"a", "b"}}}));

    defaults.removeObjectForKey("count");
    EXPECT_EQ(plat::dictionaryWithContentsOfFile(preferencesFile()), (Dictionary {{"names", Array {"a", "b"}}}));
}

TEST_F(UserDefaultsInSandbox, ValuesSurviveAReload)
{
    defaults.setBool(true, "sound");
    defaults.setDouble(2.5, "speed");
    defaults.setFloat(0.25f, "volume");
    defaults.setObject(Data {1, 2}, "token");
    reopenSandbox();
    EXPECT_TRUE(defaults.boolForKey("sound"));
    EXPECT_EQ(defaults.doubleForKey("speed"), 2.5);
    EXPECT_EQ(defaults.floatForKey("volume"), 0.25f);
    EXPECT_EQ(defaults.dataForKey("token"), (Data {1, 2}));
}

TEST_F(UserDefaultsInSandbox, FollowsTheCurrentSandbox)
{
    defaults.setObject("first device", "name");
    {
        plat::test::TemporarySandbox other;
        EXPECT_TRUE(defaults.objectForKey("name").isNull());
        defaults.setObject("second device", "name");
    }
    EXPECT_EQ(defaults.stringForKey("name"), "first device");
}

TEST_F(UserDefaultsInSandbox, RegisteredDefaultsAreFallbacksThatAreNeverWritten)
{
    defaults.registerDefaults(Dictionary {{"fps", 12}, {"grid", true}});
    defaults.registerDefaults(Dictionary {{"fps", 15}});
    EXPECT_EQ(defaults.integerForKey("fps"), 15);
    EXPECT_TRUE(defaults.boolForKey("grid"));
    defaults.setInteger(24, "fps");
    EXPECT_EQ(defaults.integerForKey("fps"), 24);
    EXPECT_EQ(plat::dictionaryWithContentsOfFile(preferencesFile()), (Dictionary {{"fps", 24}}));
    defaults.removeObjectForKey("fps");
    EXPECT_EQ(defaults.integerForKey("fps"), 15);
    reopenSandbox();
    EXPECT_TRUE(defaults.objectForKey("grid").isNull());
}

TEST_F(UserDefaultsInSandbox, TypedGettersConvertAsThePlatformDoes)
{
    defaults.setObject(Dictionary {}, "unused");  // make sure the file exists
    defaults.setObject("YES", "yes");
    defaults.setObject("  -0042xyz", "number text");
    defaults.setObject("2.5e1", "real text");
    defaults.setObject("no", "no");
    defaults.setDouble(2.9, "real");
    defaults.setInteger(3, "three");
    EXPECT_TRUE(defaults.boolForKey("yes"));
    EXPECT_FALSE(defaults.boolForKey("no"));
    EXPECT_TRUE(defaults.boolForKey("number text"));
    EXPECT_EQ(defaults.integerForKey("number text"), -42);
    EXPECT_EQ(defaults.doubleForKey("real text"), 25.0);
    EXPECT_EQ(defaults.integerForKey("real"), 2);
    EXPECT_TRUE(defaults.boolForKey("three"));
    EXPECT_EQ(defaults.doubleForKey("three"), 3.0);
    EXPECT_EQ(defaults.integerForKey("no"), 0);
    EXPECT_EQ(defaults.integerForKey("missing"), 0);
    EXPECT_FALSE(defaults.stringForKey("three").has_value());
    EXPECT_FALSE(defaults.arrayForKey("yes").has_value());
    EXPECT_FALSE(defaults.dataForKey("yes").has_value());
    EXPECT_EQ(defaults.dictionaryForKey("unused"), Dictionary {});
}

TEST_F(UserDefaultsInSandbox, ValuesGoInAndComeOutAsCopies)
{
    Array names {"a"};
    defaults.setObject(names, "names");
    names.append("changed after set");
    auto stored = defaults.arrayForKey("names");
    ASSERT_TRUE(stored.has_value());
    stored->append("changed after get");
    EXPECT_EQ(defaults.arrayForKey("names"), (Array {"a"}));
}

TEST_F(UserDefaultsInSandbox, NullRemovesAndNonPropertyListsAreRefused)
{
    defaults.setObject("kept", "name");
    defaults.setObject(Array {1, Value()}, "name");
    EXPECT_EQ(defaults.stringForKey("name"), "kept");
    defaults.setObject(Value(), "name");
    EXPECT_TRUE(defaults.objectForKey("name").isNull());
    EXPECT_EQ(plat::dictionaryWithContentsOfFile(preferencesFile()), Dictionary {});
}

// A file that cannot be read reads as empty and stays as it is until
// something is set; then it is kept aside, a later one beside the earlier,
// and the app hears of it.
TEST_F(UserDefaultsInSandbox, AFileThatCannotBeReadIsKeptAsideOnceSomethingIsSet)
{
    struct Case {
        std::string stored;
        bool locked;  // its modes let nobody read it
        std::string aside;
    };
    auto list = plat::PropertyListSerialization::dataWithPropertyList(
        Dictionary {{"welcome seen", true}}, plat::PropertyListFormat::Binary);
    ASSERT_TRUE(list.ok());
    const Case cases[] = {
        {"bplist00 damaged", false, preferencesFile() + ".damaged"},
        {std::string(list.value().begin(), list.value().end()), true, preferencesFile() + ".damaged-2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.aside);
        ASSERT_TRUE(plat::writeFileAtomically(preferencesFile(), c.stored).ok());
        {
            std::optional<plat::test::UnreadableFile> locked;
            if (c.locked) {
                ASSERT_TRUE(locked.emplace(preferencesFile()).applied());
            }
            reopenSandbox();
            EXPECT_TRUE(defaults.objectForKey("welcome seen").isNull());
            EXPECT_TRUE(defaults.synchronize());
            EXPECT_EQ(plat::attributesOfItem(preferencesFile()).value().size, static_cast<int64_t>(c.stored.size()))
                << "not written over";
            defaults.setInteger(1, "fresh");
        }
        EXPECT_EQ(plat::dictionaryWithContentsOfFile(preferencesFile()), (Dictionary {{"fresh", 1}}));
        EXPECT_EQ(plat::readFile(c.aside).value(), Data(c.stored.begin(), c.stored.end()));
        auto told = defaults.takeUnreadableFile();
        ASSERT_TRUE(told.has_value());
        EXPECT_EQ(told->keptAs, c.aside);
    }
}

TEST_F(UserDefaultsInSandbox, AFileWhoseRootIsNotADictionaryReadsEmpty)
{
    ASSERT_TRUE(plat::writePropertyListFile(Array {"x"}, preferencesFile()).ok());
    reopenSandbox();
    EXPECT_TRUE(defaults.objectForKey("0").isNull());
    EXPECT_EQ(plat::arrayWithContentsOfFile(preferencesFile()), (Array {"x"}));
}

TEST_F(UserDefaultsInSandbox, AFileThatCannotBeReadForNowIsReadLaterAndNeverWrittenOver)
{
    defaults.setInteger(5, "count");
    {
        plat::test::NoFreeFileDescriptors exhausted;
        ASSERT_TRUE(exhausted.applied());
        reopenSandbox();
        EXPECT_TRUE(defaults.objectForKey("count").isNull());
        defaults.setInteger(1, "set meanwhile");
        EXPECT_FALSE(defaults.synchronize());
    }
    EXPECT_EQ(defaults.integerForKey("count"), 5);
    EXPECT_EQ(defaults.integerForKey("set meanwhile"), 1);
    EXPECT_TRUE(defaults.synchronize());
    EXPECT_EQ(plat::dictionaryWithContentsOfFile(preferencesFile()), (Dictionary {{"count", 5}, {"set meanwhile", 1}}));
}

TEST_F(UserDefaultsInSandbox, SynchronizeRetriesAFailedWrite)
{
    // A plain file where the Preferences folder belongs makes every write fail.
    std::string folder = sandbox.sandbox().preferencesDirectory();
    ASSERT_TRUE(plat::removeItem(folder).ok());
    ASSERT_TRUE(plat::writeFileAtomically(folder, std::string_view("in the way")).ok());
    defaults.setInteger(7, "kept in memory");
    EXPECT_EQ(defaults.integerForKey("kept in memory"), 7);
    EXPECT_FALSE(defaults.synchronize());

    ASSERT_TRUE(plat::removeItem(folder).ok());
    EXPECT_TRUE(defaults.synchronize());
    EXPECT_EQ(plat::dictionaryWithContentsOfFile(preferencesFile()), (Dictionary {{"kept in memory", 7}}));
}

TEST_F(UserDefaultsInSandbox, ConcurrentChangesAllReachTheFile)
{
    constexpr int kThreads = 4;
    constexpr int kKeysPerThread = 25;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([this, t] {
            for (int i = 0; i < kKeysPerThread; ++i) {
                std::string key = "key " + std::to_string(t) + "-" + std::to_string(i);
                defaults.setInteger(i, key);
                EXPECT_EQ(defaults.integerForKey(key), i);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    auto stored = plat::dictionaryWithContentsOfFile(preferencesFile());
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->count(), size_t {kThreads * kKeysPerThread});
    EXPECT_EQ(stored->getInt64("key 3-24"), 24);
}

}  // namespace
