#include "dropbox/DBSession.h"

#include <gtest/gtest.h>

#include "platform/foundation/Files.h"
#include "platform/foundation/Sandbox.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/UserDefaults.h"
#include "support/TemporarySandbox.h"

namespace {

class DropboxLink : public ::testing::Test {
protected:
    bool open(const std::string& text)
    {
        auto url = plat::URL::URLWithString(text);
        EXPECT_TRUE(url) << text;
        return url && session.handleOpenURL(*url);
    }
    std::string connect(const std::string& state)
    {
        return "db-appkey7://1/connect?oauth_token=tok%2Fen&oauth_token_secret=s3cret&uid=4242&state=" + state;
    }

    plat::test::TemporarySandbox sandbox;
    zt::DBSession session {"appkey7", "secret"};
};

}  // namespace

TEST_F(DropboxLink, TheAnswerToARequestLinksTheAccount)
{
    EXPECT_FALSE(session.isLinked());
    std::string nonce = session.beginLinking();
    EXPECT_TRUE(open(connect(nonce)));
    EXPECT_TRUE(session.isLinked());
    auto credentials = session.credentialsForUserId("4242");
    ASSERT_TRUE(credentials);
    EXPECT_EQ(credentials->first, "tok/en");
    EXPECT_EQ(credentials->second, "s3cret");
    EXPECT_FALSE(plat::UserDefaults::standardUserDefaults().stringForKey(zt::DBSession::kLinkNonceDefaultsKey))
        << "a nonce is good for one answer";
}

TEST_F(DropboxLink, TheLinkIsKeptForTheNextRun)
{
    open(connect(session.beginLinking()));
    zt::DBSession later("appkey7", "secret");
    EXPECT_TRUE(later.isLinked());
    later.unlinkAll();
    EXPECT_FALSE(session.isLinked());
}

TEST_F(DropboxLink, AnAnswerWithoutTheRequestsNonceIsConsumedButLinksNothing)
{
    EXPECT_TRUE(open(connect("forged"))) << "no request at all";
    EXPECT_FALSE(session.isLinked());
    session.beginLinking();
    EXPECT_TRUE(open(connect("another")));
    EXPECT_FALSE(session.isLinked());
}

TEST_F(DropboxLink, ACancelledOrIncompleteAnswerLinksNothing)
{
    std::string nonce = session.beginLinking();
    EXPECT_TRUE(open("db-appkey7://1/cancel"));
    EXPECT_TRUE(open(connect(nonce)));
    EXPECT_FALSE(session.isLinked()) << "the cancel used up the request";
    nonce = session.beginLinking();
    EXPECT_TRUE(open("db-appkey7://1/connect?oauth_token=t&uid=1&state=" + nonce));
    EXPECT_FALSE(session.isLinked());
    nonce = session.beginLinking();
    EXPECT_TRUE(open("db-appkey7://1/connect?oauth_token=%zz&state=" + nonce));
    EXPECT_FALSE(session.isLinked());
    nonce = session.beginLinking();
    EXPECT_TRUE(open(connect(nonce) + "&pad=" + std::string(9000, 'a'))) << "too long to read";
    EXPECT_FALSE(session.isLinked());
}

TEST_F(DropboxLink, OtherURLsAreNotItsOwn)
{
    EXPECT_FALSE(open("db-otherkey://1/connect?oauth_token=t&oauth_token_secret=s&uid=1"));
    EXPECT_FALSE(open("file:///tmp/a.zantropemobile"));
    EXPECT_FALSE(open("db-appkey7://2/connect"));
    EXPECT_FALSE(open("db-appkey7://1/disconnect"));
    EXPECT_TRUE(open("DB-APPKEY7://1/cancel")) << "schemes compare without case";
    EXPECT_FALSE(zt::DBSession("", "").handleOpenURL(*plat::URL::URLWithString("db-://1/cancel")));
}

TEST_F(DropboxLink, TheSharedSessionTakesItsKeyFromTheBundle)
{
    zt::DBSession::setSharedSession(nullptr);
    auto shared = zt::DBSession::sharedSession();
    EXPECT_EQ(shared->appScheme(), "db-qz7rk2mvn4x8wte");
    EXPECT_EQ(zt::DBSession::sharedSession(), shared);
    EXPECT_EQ(zt::DBSession::keychainServiceName(), "com.quorvane.zantrope.dropbox.auth");
}

TEST_F(DropboxLink, AStoredLinkThatCannotBeReadIsCountedAsNotLinkedAndSaidInTheLog)
{
    open(connect(session.beginLinking()));
    const std::string store = sandbox.sandbox().libraryDirectory() + "/Keychains/generic-passwords.plist";
    ASSERT_TRUE(plat::removeItem(store).ok());
    ASSERT_TRUE(plat::createDirectory(store, plat::IntermediateDirectories::Yes).ok());
    testing::internal::CaptureStderr();
    EXPECT_FALSE(session.isLinked());
    EXPECT_FALSE(session.credentialsForUserId("4242").has_value());
    std::string logged = testing::internal::GetCapturedStderr();
    EXPECT_NE(logged.find("dropbox: cannot read the stored link"), std::string::npos) << logged;
    EXPECT_NE(logged.find("dropbox: cannot read the credentials of user 4242"), std::string::npos) << logged;
}
