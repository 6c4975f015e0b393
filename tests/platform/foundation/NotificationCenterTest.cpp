#include "platform/foundation/NotificationCenter.h"

#include <atomic>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

class NotificationCenterTest : public ::testing::Test {
protected:
    plat::NotificationCenter center;
    std::vector<std::string> log;
    int sender = 0;
    int otherSender = 0;

    plat::NotificationCenter::Callback record(std::string observer)
    {
        return [this, observer](
                   const plat::Notification& notification) { log.push_back(observer + ":" + notification.name); };
    }
};

TEST_F(NotificationCenterTest, DeliversInRegistrationOrderWithTheSendersUserInfo)
{
    auto first = center.addObserver("Saved", nullptr, record("first"));
    auto second = center.addObserver("Saved", nullptr, record("second"));
    int64_t frames = 0;
    const void* from = nullptr;
    auto third = center.addObserver("Saved", nullptr, [&](const plat::Notification& notification) {
        frames = notification.userInfo.getInt64("frames").value_or(-1);
        from = notification.object;
    });
    center.post("Saved", &sender, plat::Dictionary {{"frames", 12}});
    EXPECT_EQ(log, (std::vector<std::string> {"first:Saved", "second:Saved"}));
    EXPECT_EQ(frames, 12);
    EXPECT_EQ(from, &sender);
}

TEST_F(NotificationCenterTest, FiltersByNameAndSender)
{
    auto anyName = center.addObserver("", nullptr, record("any"));
    auto named = center.addObserver("Saved", nullptr, record("named"));
    auto fromSender = center.addObserver("Saved", &sender, record("sender"));
    center.post("Saved", &otherSender);
    center.post("Saved", &sender);
    center.post("Opened");
    EXPECT_EQ(log,
        (std::vector<std::string> {
            "any:Saved", "named:Saved", "any:Saved", "named:Saved", "sender:Saved", "any:Opened"}));
}

TEST_F(NotificationCenterTest, ObserversAddedDuringAPostWaitForTheNextOne)
{
    std::vector<plat::ObserverToken> added;
    auto adder = center.addObserver("Tick", nullptr,
        [&](const plat::Notification&) { added.push_back(center.addObserver("Tick", nullptr, record("added"))); });
    center.post("Tick");
    EXPECT_TRUE(log.empty());
    center.post("Tick");
    EXPECT_EQ(log, (std::vector<std::string> {"added:Tick"}));
}

TEST_F(NotificationCenterTest, ObserversRemovedDuringAPostAreNotCalledAfterwards)
{
    plat::ObserverToken later;
    auto remover = center.addObserver("Tick", nullptr, [&](const plat::Notification&) {
        log.push_back("remover");
        center.removeObserver(later);
        center.removeObserver(this);
    });
    center.addObserver(this, "Tick", nullptr, record("owned"));
    later = center.addObserver("Tick", nullptr, record("later"));
    center.post("Tick");
    EXPECT_EQ(log, (std::vector<std::string> {"remover"}));
}

TEST_F(NotificationCenterTest, AnObserverCanRemoveItselfAndPostFromItsCallback)
{
    plat::ObserverToken once;
    once = center.addObserver("Tick", nullptr, [&](const plat::Notification&) {
        log.push_back("once");
        center.removeObserver(once);
        center.post("Tock");
    });
    auto tock = center.addObserver("Tock", nullptr, record("tock"));
    center.post("Tick");
    center.post("Tick");
    EXPECT_EQ(log, (std::vector<std::string> {"once", "tock:Tock"}));
}

TEST_F(NotificationCenterTest, OwnerRemovalTakesEverythingTheOwnerRegistered)
{
    int owner = 0;
    int otherOwner = 0;
    center.addObserver(&owner, "A", nullptr, record("owner"));
    center.addObserver(&owner, "B", nullptr, record("owner"));
    center.addObserver(&otherOwner, "A", nullptr, record("other"));
    center.removeObserver(&owner);
    center.post("A");
    center.post("B");
    EXPECT_EQ(log, (std::vector<std::string> {"other:A"}));
}

TEST_F(NotificationCenterTest, OwnerRemovalByNameKeepsTheOwnersOtherNames)
{
    int owner = 0;
    center.addObserver(&owner, "A", nullptr, record("owner"));
    center.addObserver(&owner, "B", nullptr, record("owner"));
    center.removeObserver(&owner, "A");
    center.post("A");
    center.post("B");
    EXPECT_EQ(log, (std::vector<std::string> {"owner:B"}));
    center.removeObserver(&owner, "");
    center.post("B");
    EXPECT_EQ(log.size(), 1u);
}

TEST_F(NotificationCenterTest, TokensRemoveTheirObserverWhenDestroyedOrReplaced)
{
    {
        auto scoped = center.addObserver("Tick", nullptr, record("scoped"));
        center.post("Tick");
    }
    auto moved = center.addObserver("Tick", nullptr, record("moved"));
    plat::ObserverToken holder = std::move(moved);
    center.post("Tick");
    holder = center.addObserver("Tick", nullptr, record("replacement"));
    center.post("Tick");
    EXPECT_EQ(log, (std::vector<std::string> {"scoped:Tick", "moved:Tick", "replacement:Tick"}));
}

TEST(NotificationCenter, ATokenMayOutliveItsCenter)
{
    plat::ObserverToken token;
    {
        plat::NotificationCenter center;
        token = center.addObserver("Tick", nullptr, [](const plat::Notification&) {});
    }
    token = plat::ObserverToken();  // removes nothing, crashes nothing
    SUCCEED();
}

// Many threads post while others keep adding and removing observers. The
// steady observer sees every post; an observer removed on a thread is never
// called by that thread's later posts. Plain threads, because the churners
// run until the posters finish and must not take the posters' workers.
TEST(NotificationCenter, PostingAndRegistrationAreThreadSafe)
{
    plat::NotificationCenter center;
    constexpr int kPosters = 4;
    constexpr int kPostsEach = 2000;
    constexpr int kChurners = 3;
    std::atomic<int> steadyCalls = 0;
    std::atomic<int> calledAfterRemoval = 0;
    std::atomic<int> postersLeft = kPosters;
    auto steady = center.addObserver("Tick", nullptr, [&](const plat::Notification&) { ++steadyCalls; });

    std::vector<std::thread> threads;
    for (int i = 0; i < kPosters; ++i) {
        threads.emplace_back([&] {
            for (int n = 0; n < kPostsEach; ++n)
                center.post("Tick", nullptr, plat::Dictionary {{"n", n}});
            --postersLeft;
        });
    }
    for (int i = 0; i < kChurners; ++i) {
        threads.emplace_back([&, i] {
            const int owner = i;
            const std::string ownName = "Churner" + std::to_string(i);
            while (postersLeft > 0) {
                auto token = center.addObserver("Tick", nullptr, [](const plat::Notification&) {});
                center.addObserver(&owner, "", nullptr, [](const plat::Notification&) {});
                bool removed = false;
                auto checked = center.addObserver(ownName, nullptr, [&](const plat::Notification&) {
                    if (removed)
                        ++calledAfterRemoval;
                });
                center.post(ownName);
                center.removeObserver(checked);
                removed = true;
                center.post(ownName);
                center.removeObserver(&owner);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(steadyCalls, kPosters * kPostsEach);
    EXPECT_EQ(calledAfterRemoval, 0);
}

}  // namespace
