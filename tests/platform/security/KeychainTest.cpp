#include "platform/security/Keychain.h"

#include <gtest/gtest.h>

#include "platform/foundation/Files.h"
#include "support/NoFreeFileDescriptors.h"
#include "support/TemporarySandbox.h"

namespace {

plat::Data bytes(std::string_view text)
{
    return plat::Data(text.begin(), text.end());
}

class KeychainStore : public ::testing::Test {
protected:
    plat::test::TemporarySandbox sandbox;
    plat::Keychain keychain = plat::Keychain::forCurrentSandbox();
    plat::KeychainQuery login {"service", "alice", std::nullopt};
};

TEST_F(KeychainStore, AddedItemsAreFoundByServiceAndAccount)
{
    ASSERT_EQ(keychain.add({"service", "alice", "service"}, bytes("pw")), plat::errSecSuccess);
    plat::KeychainItemAttributes attributes;
    EXPECT_EQ(keychain.copyAttributes(login, &attributes), plat::errSecSuccess);
    EXPECT_EQ(attributes.label, "service");
    plat::Data data;
    EXPECT_EQ(keychain.copyData(login, &data), plat::errSecSuccess);
    EXPECT_EQ(data, bytes("pw"));
    EXPECT_EQ(keychain.copyData({"service", "bob", std::nullopt}, &data), plat::errSecItemNotFound);
    EXPECT_EQ(keychain.copyData({"other", "alice", std::nullopt}, &data), plat::errSecItemNotFound);
}

TEST_F(KeychainStore, ItemsSurviveANewKeychainObject)
{
    ASSERT_EQ(keychain.add({"service", "alice", ""}, bytes("pw")), plat::errSecSuccess);
    plat::Data data;
    EXPECT_EQ(plat::Keychain::forCurrentSandbox().copyData(login, &data), plat::errSecSuccess);
    EXPECT_EQ(data, bytes("pw"));
}

TEST_F(KeychainStore, DuplicatesAreRefusedAndUpdatesReplaceTheData)
{
    ASSERT_EQ(keychain.add({"service", "alice", ""}, bytes("one")), plat::errSecSuccess);
    EXPECT_EQ(keychain.add({"service", "alice", ""}, bytes("two")), plat::errSecDuplicateItem);
    EXPECT_EQ(keychain.update(login, bytes("three")), plat::errSecSuccess);
    plat::Data data;
    ASSERT_EQ(keychain.copyData(login, &data), plat::errSecSuccess);
    EXPECT_EQ(data, bytes("three"));
    EXPECT_EQ(keychain.update({"none", std::nullopt, std::nullopt}, bytes("x")), plat::errSecItemNotFound);
}

TEST_F(KeychainStore, RemovingNothingIsItemNotFound)
{
    EXPECT_EQ(keychain.remove(login), plat::errSecItemNotFound);
    ASSERT_EQ(keychain.add({"service", "alice", ""}, bytes("pw")), plat::errSecSuccess);
    EXPECT_EQ(keychain.remove(login), plat::errSecSuccess);
    EXPECT_EQ(keychain.copyAttributes(login, nullptr), plat::errSecItemNotFound);
}

TEST_F(KeychainStore, TheStoreIsReadableByItsOwnerOnly)
{
    ASSERT_EQ(keychain.add({"service", "alice", ""}, bytes("pw")), plat::errSecSuccess);
    EXPECT_EQ(plat::attributesOfItem(keychain.storePath()).value().permissions, 0600u);
    EXPECT_EQ(plat::attributesOfItem(sandbox.path("Library/Keychains")).value().permissions, 0700u);
}

TEST_F(KeychainStore, ADamagedStoreIsSetAsideNotOverwritten)
{
    ASSERT_TRUE(plat::createDirectory(sandbox.path("Library/Keychains"), plat::IntermediateDirectories::Yes).ok());
    ASSERT_TRUE(plat::writeFileAtomically(keychain.storePath(), std::string_view("not a property list")).ok());
    EXPECT_EQ(keychain.copyData(login, nullptr), plat::errSecItemNotFound);
    ASSERT_EQ(keychain.add({"service", "alice", ""}, bytes("pw")), plat::errSecSuccess);
    EXPECT_EQ(plat::readFile(keychain.storePath() + ".damaged").value(), bytes("not a property list"));
    EXPECT_EQ(keychain.copyData(login, nullptr), plat::errSecSuccess);
}

TEST_F(KeychainStore, AStoreThatCannotBeReadForNowIsNeitherSetAsideNorReplaced)
{
    ASSERT_EQ(keychain.add({"service", "alice", ""}, bytes("pw")), plat::errSecSuccess);
    {
        plat::test::NoFreeFileDescriptors exhausted;
        ASSERT_TRUE(exhausted.applied());
        EXPECT_EQ(keychain.copyData(login, nullptr), plat::errSecIO);
        EXPECT_EQ(keychain.add({"service", "bob", ""}, bytes("other")), plat::errSecIO);
        EXPECT_EQ(keychain.remove(login), plat::errSecIO);
    }
    plat::Data data;
    EXPECT_EQ(keychain.copyData(login, &data), plat::errSecSuccess);
    EXPECT_EQ(data, bytes("pw"));
    EXPECT_FALSE(plat::fileExists(keychain.storePath() + ".damaged"));
}

}  // namespace
