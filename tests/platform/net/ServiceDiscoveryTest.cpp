#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/net/NetService.h"
#include "platform/net/NetServiceBrowser.h"
#include "platform/net/NetServiceRegistry.h"
#include "platform/net/ServiceDiscovery.h"
#include "support/ManualClockScope.h"
#include "support/RunLoopWaiting.h"

namespace {

constexpr const char* kType = "_QUORVANE_REMOTE_CAMERA._tcp.";

class RecordingBrowserDelegate : public plat::NetServiceBrowserDelegate {
public:
    void netServiceBrowser(plat::NetServiceBrowser&, const std::shared_ptr<plat::NetService>& service, bool) override
    {
        found.push_back(service);
        events.push_back("found " + service->name());
    }
    void netServiceBrowserDidRemoveServiceMoreComing(
        plat::NetServiceBrowser&, const std::shared_ptr<plat::NetService>& service, bool) override
    {
        removed.push_back(service);
        events.push_back("removed " + service->name());
    }
    void netServiceBrowserDidStopSearch(plat::NetServiceBrowser&) override { events.push_back("stopped"); }

    std::vector<std::shared_ptr<plat::NetService>> found;
    std::vector<std::shared_ptr<plat::NetService>> removed;
    std::vector<std::string> events;
};

class RecordingServiceDelegate : public plat::NetServiceDelegate {
public:
    void netServiceDidPublish(plat::NetService&) override { events.push_back("published"); }
    void netServiceDidNotPublish(plat::NetService&, const plat::Dictionary& error) override
    {
        events.push_back("not published " + std::to_string(error.getInt64(plat::kNetServicesErrorCode).value_or(0)));
    }
    void netServiceDidResolveAddress(plat::NetService& service) override
    {
        events.push_back("resolved " + service.hostName().value_or("?") + ":" + std::to_string(service.port()));
    }
    void netServiceDidNotResolve(plat::NetService&, const plat::Dictionary& error) override
    {
        events.push_back("not resolved " + std::to_string(error.getInt64(plat::kNetServicesErrorCode).value_or(0)));
    }
    void netServiceDidStop(plat::NetService&) override { events.push_back("stopped"); }

    std::vector<std::string> events;
};

class InProcessDiscovery : public ::testing::Test {
protected:
    InProcessDiscovery()
    {
        plat::ServiceDiscovery::setBackend(plat::ServiceDiscoveryBackend::InProcess);
        plat::NetServiceRegistry::shared().removeAllForTesting();
        browser->setDelegate(browserDelegate);
    }
    ~InProcessDiscovery() override
    {
        plat::NetServiceRegistry::shared().removeAllForTesting();
        plat::ServiceDiscovery::setBackend(plat::ServiceDiscoveryBackend::Automatic);
    }

    static plat::NetServiceRegistry::Record camera(const std::string& name, int64_t port, bool resolvable = true)
    {
        return {name, kType, "local.", "127.0.0.1", port, resolvable};
    }

    plat::test::ManualClockScope clock;
    std::shared_ptr<plat::NetServiceBrowser> browser = std::make_shared<plat::NetServiceBrowser>();
    std::shared_ptr<RecordingBrowserDelegate> browserDelegate = std::make_shared<RecordingBrowserDelegate>();
    std::shared_ptr<RecordingServiceDelegate> serviceDelegate = std::make_shared<RecordingServiceDelegate>();
};

TEST_F(InProcessDiscovery, ABrowserFindsServicesOfItsTypeAlreadyThereAndLater)
{
    plat::NetServiceRegistry::shared().announce(camera("Kitchen", 8001));
    plat::NetServiceRegistry::shared().announce({"Printer", "_ipp._tcp", "local", "127.0.0.1", 631, true});
    browser->searchForServicesOfType(kType, "local");
    clock.advance(0);
    plat::NetServiceRegistry::shared().announce(camera("Garden", 8002));
    clock.advance(0);
    EXPECT_EQ(browserDelegate->events, (std::vector<std::string> {"found Kitchen", "found Garden"}));
    EXPECT_EQ(browserDelegate->found[0]->type(), kType);
    EXPECT_EQ(browserDelegate->found[0]->domain(), "local.");
    EXPECT_EQ(browserDelegate->found[0]->port(), -1);  // not resolved yet
}

TEST_F(InProcessDiscovery, AWithdrawnServiceIsRemovedAsTheObjectThatWasFound)
{
    plat::NetServiceRegistry::shared().announce(camera("Kitchen", 8001));
    browser->searchForServicesOfType(kType, "local.");
    clock.advance(0);
    plat::NetServiceRegistry::shared().withdraw("kitchen", "_quorvane_remote_camera._tcp", "local");
    plat::NetServiceRegistry::shared().withdraw("Nobody", kType);
    clock.advance(0);
    ASSERT_EQ(browserDelegate->removed.size(), 1u);
    EXPECT_EQ(browserDelegate->removed[0], browserDelegate->found[0]);
}

TEST_F(InProcessDiscovery, AStoppedBrowserHearsNoMore)
{
    browser->searchForServicesOfType(kType, "local.");
    plat::NetServiceRegistry::shared().announce(camera("Kitchen", 8001));
    browser->stop();
    clock.advance(0);
    EXPECT_EQ(browserDelegate->events, (std::vector<std::string> {"stopped"}));
}

TEST_F(InProcessDiscovery, AFoundServiceResolvesToItsHostAndPort)
{
    plat::NetServiceRegistry::shared().announce(camera("Kitchen", 8001));
    browser->searchForServicesOfType(kType, "local.");
    clock.advance(0);
    auto service = browserDelegate->found.at(0);
    service->setDelegate(serviceDelegate);
    service->resolveWithTimeout(30.0);
    clock.advance(0);
    EXPECT_EQ(serviceDelegate->events, (std::vector<std::string> {"resolved 127.0.0.1:8001"}));
    clock.advance(60);  // the time-out no longer fires
    EXPECT_EQ(serviceDelegate->events.size(), 1u);
}

TEST_F(InProcessDiscovery, AServiceThatNeverResolvesTimesOutOnTheClock)
{
    plat::NetServiceRegistry::shared().announce(camera("Gone", 8001, /*resolvable=*/false));
    auto service = std::make_shared<plat::NetService>("local.", kType, "Gone");
    service->setDelegate(serviceDelegate);
    service->resolveWithTimeout(30.0);
    clock.advance(29.9);
    EXPECT_TRUE(serviceDelegate->events.empty());
    clock.advance(0.1);
    EXPECT_EQ(serviceDelegate->events,
        (std::vector<std::string> {"not resolved " + std::to_string(plat::kNetServicesTimeoutError)}));
    EXPECT_FALSE(service->hostName());
}

TEST_F(InProcessDiscovery, PublishingAnnouncesUntilStoppedAndANameCanBeTakenOnce)
{
    browser->searchForServicesOfType(kType, "local.");
    auto service = std::make_shared<plat::NetService>("local.", kType, "Peer", 9000);
    service->setPublishedHostName("127.0.0.1");
    service->setDelegate(serviceDelegate);
    service->publish();
    auto twin = std::make_shared<plat::NetService>("local.", kType, "Peer", 9001);
    auto twinDelegate = std::make_shared<RecordingServiceDelegate>();
    twin->setDelegate(twinDelegate);
    twin->publish();
    clock.advance(0);
    EXPECT_EQ(serviceDelegate->events, (std::vector<std::string> {"published"}));
    EXPECT_EQ(twinDelegate->events,
        (std::vector<std::string> {"not published " + std::to_string(plat::kNetServicesCollisionError)}));
    ASSERT_EQ(plat::NetServiceRegistry::shared().services().size(), 1u);
    EXPECT_EQ(plat::NetServiceRegistry::shared().services()[0].port, 9000);
    service->stop();
    clock.advance(0);
    EXPECT_TRUE(plat::NetServiceRegistry::shared().services().empty());
    EXPECT_EQ(browserDelegate->events, (std::vector<std::string> {"found Peer", "removed Peer"}));
}

}  // namespace
