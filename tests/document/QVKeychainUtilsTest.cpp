#include "document/QVKeychainUtils.h"

#include <gtest/gtest.h>

#include "platform/foundation/Files.h"
#include "platform/foundation/Sandbox.h"
#include "platform/security/Keychain.h"
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
