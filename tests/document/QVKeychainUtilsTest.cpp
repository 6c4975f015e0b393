#include "document/QVKeychainUtils.h"

#include <functional>
#include <gtest/gtest.h>

#include "platform/foundation/Files.h"
#include "platform/foundation/Sandbox.h"
#include "platform/security/Keychain.h"
#include "support/MountNamespace.h"
#include "support/TemporarySandbox.h"

namespace {

constexpr const char* kService = "com.quorvane.youtube_connect_handler";

class KeychainLogins : public ::testing::Test {
protected:
    plat::test::TemporarySandbox sandbox;
    std::optional<plat::Error> error;
};

TEST_F(KeychainLogins, ANeverStoredLoginReadsAsNoneWithoutError)
{
    error = plat::Error("x", 1, "stale");
    EXPECT_FALSE(zt::QVKeychainUtils::getPasswordForUsername("youtube.username", kService, &error).has_value());
    EXPECT_FALSE(error.has_value());
}

TEST_F(KeychainLogins, StoredPasswordsAreReadBack)
{
    ASSERT_TRUE(zt::QVKeychainUtils::storeUsername("alice", "s3cret ü", kService, false, &error));
    EXPECT_FALSE(error.has_value());
    EXPECT_EQ(zt::QVKeychainUtils::getPasswordForUsername("alice", kService, &error), "s3cret ü");
    plat::KeychainItemAttributes attributes;
    ASSERT_EQ(plat::Keychain::forCurrentSandbox().copyAttributes({kService, "alice", std::nullopt}, &attributes),
        plat::errSecSuccess);
    EXPECT_EQ(attributes.label, kService);
}

TEST_F(KeychainLogins, StoringTheSamePasswordTwiceKeepsOneItem)
{
    ASSERT_TRUE(zt::QVKeychainUtils::storeUsername("alice", "pw", kService, true, &error));
    ASSERT_TRUE(zt::QVKeychainUtils::storeUsername("alice", "pw", kService, true, &error));
    auto keychain = plat::Keychain::forCurrentSandbox();
    EXPECT_EQ(keychain.remove({kService, "alice", std::nullopt}), plat::errSecSuccess);
    EXPECT_EQ(keychain.copyAttributes({kService, "alice", std::nullopt}, nullptr), plat::errSecItemNotFound);
}

TEST_F(KeychainLogins, ADifferentPasswordReplacesOnlyWhenUpdating)
{
    ASSERT_TRUE(zt::QVKeychainUtils::storeUsername("alice", "old", kService, false, &error));
    EXPECT_TRUE(zt::QVKeychainUtils::storeUsername("alice", "new", kService, false, &error));
    EXPECT_EQ(zt::QVKeychainUtils::getPasswordForUsername("alice", kService), "old");
    EXPECT_TRUE(zt::QVKeychainUtils::storeUsername("alice", "new", kService, true, &error));
    EXPECT_EQ(zt::QVKeychainUtils::getPasswordForUsername("alice", kService), "new");
}

TEST_F(KeychainLogins, DeletingAMissingLoginReportsItemNotFound)
{
    EXPECT_FALSE(zt::QVKeychainUtils::deleteItemForUsername("nobody", kService, &error));
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->domain(), zt::kQVKeychainUtilsErrorDomain);
    EXPECT_EQ(error->code(), -25300);
    ASSERT_TRUE(zt::QVKeychainUtils::storeUsername("alice", "pw", kService, false, &error));
    EXPECT_TRUE(zt::QVKeychainUtils::deleteItemForUsername("alice", kService, &error));
    EXPECT_FALSE(error.has_value());
    EXPECT_FALSE(zt::QVKeychainUtils::getPasswordForUsername("alice", kService).has_value());
}

TEST_F(KeychainLogins, MissingArgumentsFailWithMinus2000)
{
    EXPECT_FALSE(zt::QVKeychainUtils::storeUsername("alice", "pw", "", false, &error));
    EXPECT_EQ(error->code(), -2000);
    EXPECT_FALSE(zt::QVKeychainUtils::storeUsername("alice", "", kService, false, &error));
    EXPECT_EQ(error->code(), -2000);
    EXPECT_FALSE(zt::QVKeychainUtils::getPasswordForUsername("", kService, &error).has_value());
    EXPECT_EQ(error->code(), -2000);
    EXPECT_FALSE(zt::QVKeychainUtils::deleteItemForUsername("alice", "", &error));
    EXPECT_EQ(error->code(), -2000);
}

TEST_F(KeychainLogins, AccountsAndServicesAreSeparate)
{
    ASSERT_TRUE(zt::QVKeychainUtils::storeUsername("alice", "a", kService, false));
    ASSERT_TRUE(zt::QVKeychainUtils::storeUsername("bob", "b", kService, false));
    ASSERT_TRUE(zt::QVKeychainUtils::storeUsername("alice", "c", "other.service", false));
    EXPECT_EQ(zt::QVKeychainUtils::getPasswordForUsername("alice", kService), "a");
    EXPECT_EQ(zt::QVKeychainUtils::getPasswordForUsername("bob", kService), "b");
    EXPECT_EQ(zt::QVKeychainUtils::getPasswordForUsername("alice", "other.service"), "c");
}

}  // namespace

namespace {

std::string keychainStorePath(const plat::test::TemporarySandbox& sandbox)
{
    return sandbox.sandbox().libraryDirectory() + "/Keychains/generic-passwords.plist";
}

TEST_F(KeychainLogins, ADamagedStoreReadsAsNoLoginAndSaysSoInTheLog)
{
    ASSERT_TRUE(zt::QVKeychainUtils::storeUsername("alice", "pw", kService, false, &error));
    ASSERT_TRUE(plat::writeFileAtomically(keychainStorePath(sandbox), std::string_view("bplist00 damaged")).ok());
    testing::internal::CaptureStderr();
    EXPECT_FALSE(zt::QVKeychainUtils::getPasswordForUsername("alice", kService, &error).has_value());
    std::string logged = testing::internal::GetCapturedStderr();
    EXPECT_NE(logged.find("is damaged"), std::string::npos) << logged;
}

TEST_F(KeychainLogins, AnItemWithoutAPasswordIsUnreadableAndAStoreReplacesIt)
{
    ASSERT_EQ(
        plat::Keychain::forCurrentSandbox().add({kService, "alice", kService}, plat::Data()), plat::errSecSuccess);
    EXPECT_FALSE(zt::QVKeychainUtils::getPasswordForUsername("alice", kService, &error).has_value());
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code(), -1999);
    // Even with updating off: the unreadable item is deleted and the login stored anew.
    EXPECT_TRUE(zt::QVKeychainUtils::storeUsername("alice", "pw", kService, false, &error));
    EXPECT_FALSE(error.has_value());
    EXPECT_EQ(zt::QVKeychainUtils::getPasswordForUsername("alice", kService, &error), "pw");
}

TEST_F(KeychainLogins, WritesThatFailGiveNoWithTheKeychainsStatus)
{
    const auto run = plat::test::runInOwnMountNamespace();
    if (run == plat::test::MountNamespaceRun::NotPermitted)
        GTEST_SKIP() << "unshare -rm is not permitted here, so no folder can be bound read-only without root";
    if (run == plat::test::MountNamespaceRun::Elsewhere)
        return;
    ASSERT_TRUE(zt::QVKeychainUtils::storeUsername("alice", "old", kService, false));
    ASSERT_EQ(
        plat::Keychain::forCurrentSandbox().add({kService, "empty", kService}, plat::Data()), plat::errSecSuccess);
    plat::test::ReadOnlyBindMount readOnly(sandbox.sandbox().libraryDirectory() + "/Keychains");
    ASSERT_TRUE(readOnly.ok()) << readOnly.error();
    const struct {
        const char* what;
        std::function<bool(std::optional<plat::Error>*)> change;
    } changes[] = {
        {"delete", [](auto* e) { return zt::QVKeychainUtils::deleteItemForUsername("alice", kService, e); }},
        {"delete of an unreadable item before a store",
            [](auto* e) { return zt::QVKeychainUtils::storeUsername("empty", "pw", kService, false, e); }},
        {"update", [](auto* e) { return zt::QVKeychainUtils::storeUsername("alice", "new", kService, true, e); }},
        {"add", [](auto* e) { return zt::QVKeychainUtils::storeUsername("bob", "pw", kService, false, e); }},
    };
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        error.reset();
        EXPECT_FALSE(change(&error));
        const plat::Error reported = error.value_or(plat::Error("none", 0, "no error"));
        EXPECT_EQ(reported.domain(), zt::kQVKeychainUtilsErrorDomain);
        EXPECT_EQ(reported.code(), -36);  // the keychain's input/output error
    }
    EXPECT_EQ(zt::QVKeychainUtils::getPasswordForUsername("alice", kService), "old");
}

TEST_F(KeychainLogins, AStoreThatCannotBeReadIsAnErrorInTheLogToo)
{
    // A folder where the store should be: reading it fails, which is not "no login".
    ASSERT_TRUE(plat::createDirectory(keychainStorePath(sandbox), plat::IntermediateDirectories::Yes).ok());
    testing::internal::CaptureStderr();
    EXPECT_FALSE(zt::QVKeychainUtils::getPasswordForUsername("alice", kService, nullptr).has_value());
    std::string logged = testing::internal::GetCapturedStderr();
    EXPECT_NE(logged.find("keychain: The keychain reported status"), std::string::npos) << logged;
}

}  // namespace
