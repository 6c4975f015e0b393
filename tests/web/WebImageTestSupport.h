#pragma once
#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Semaphore.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/net/URLCache.h"
#include "support/HTTPTestServer.h"
#include "support/ManualClockScope.h"
#include "support/Pixels.h"
#include "support/RunLoopWaiting.h"
#include "support/TemporarySandbox.h"
#include "web/WIImageCache.h"
#include "web/WIWebImageDecoder.h"
#include "web/WIWebImageManager.h"
#include "web/WIWebImagePrefetcher.h"

namespace zt::test {

// A picture of width x height whose top rows are green and the rest noise,
// so that its compressed bytes grow with its rows.
inline std::shared_ptr<plat::Image> bandedPicture(int width, int height)
{
    return plat::test::makeImage(width, height, [](int x, int y) {
        if (y < 4)
            return plat::test::Rgba {0, 255, 0, 255};
        int noise = (x * 7919 + y * 104729) % 251;
        return plat::test::Rgba {noise, noise * 3 % 256, 255 - noise, 255};
    });
}

inline std::string pngBody(int width, int height)
{
    plat::Data png = *plat::PNGRepresentation(*bandedPicture(width, height));
    return std::string(png.begin(), png.end());
}

inline std::string text(const plat::Data& data)
{
    return std::string(data.begin(), data.end());
}

// Holds a server's handler until opened, so that a test can line requests
// up while a download waits. Declare it before the server and open it
// before the server ends: the server's end waits for its handlers, and a
// request that comes late still meets the gate.
class Gate {
public:
    ~Gate() { open(); }
    void open()
    {
        if (!_opened) {
            _opened = true;
            _promise.set_value();
        }
    }
    // For the handler's thread; gives up after a generous time, so that a
    // failing test cannot hang.
    void wait() const { (void)_future.wait_for(std::chrono::seconds(30)); }

private:
    std::promise<void> _promise;
    std::shared_future<void> _future = _promise.get_future().share();
    bool _opened = false;
};

// Everything a manager's delegate hears, in order.
class RecordingDelegate : public WIWebImageManagerDelegate {
public:
    struct Answer {
        std::string operation;
        std::shared_ptr<plat::Image> image;
        std::optional<plat::Error> error;
        std::optional<plat::URL> url;
        plat::Value userInfo;
    };

    void webImageManagerDidFinishWithImage(WIWebImageManager&, const std::shared_ptr<plat::Image>& image) override
    {
        answers.push_back({"finish", image, std::nullopt, std::nullopt, {}});
    }
    void webImageManagerDidFinishWithImageForURL(
        WIWebImageManager&, const std::shared_ptr<plat::Image>& image, const plat::URL& url) override
    {
        answers.push_back({"finishForURL", image, std::nullopt, url, {}});
    }
    void webImageManagerDidFinishWithImageForURLUserInfo(WIWebImageManager&, const std::shared_ptr<plat::Image>& image,
        const plat::URL& url, const plat::Value& userInfo) override
    {
        answers.push_back({"finishForURLUserInfo", image, std::nullopt, url, userInfo});
    }
    void webImageManagerDidFailWithError(WIWebImageManager&, const std::optional<plat::Error>& error) override
    {
        answers.push_back({"fail", nullptr, error, std::nullopt, {}});
    }
    void webImageManagerDidFailWithErrorForURL(
        WIWebImageManager&, const std::optional<plat::Error>& error, const plat::URL& url) override
    {
        answers.push_back({"failForURL", nullptr, error, url, {}});
    }
    void webImageManagerDidFailWithErrorForURLUserInfo(WIWebImageManager&, const std::optional<plat::Error>& error,
        const plat::URL& url, const plat::Value& userInfo) override
    {
        answers.push_back({"failForURLUserInfo", nullptr, error, url, userInfo});
    }
    void webImageManagerDidProgressWithPartialImageForURL(
        WIWebImageManager&, const std::shared_ptr<plat::Image>& image, const plat::URL& url) override
    {
        answers.push_back({"progress", image, std::nullopt, url, {}});
    }
    void webImageManagerDidProgressWithPartialImageForURLUserInfo(WIWebImageManager&,
        const std::shared_ptr<plat::Image>& image, const plat::URL& url, const plat::Value& userInfo) override
    {
        answers.push_back({"progressUserInfo", image, std::nullopt, url, userInfo});
    }

    bool hasFinished() const { return count("finishForURLUserInfo") + count("failForURLUserInfo") > 0; }
    size_t count(const std::string& operation) const
    {
        size_t n = 0;
        for (const auto& answer : answers)
            n += answer.operation == operation;
        return n;
    }
    std::vector<std::string> operations() const
    {
        std::vector<std::string> names;
        for (const auto& answer : answers)
            names.push_back(answer.operation);
        return names;
    }
    const Answer& last() const { return answers.back(); }

    std::vector<Answer> answers;
};

// A fresh sandbox and manual clock per test; the shared cache, manager and
// prefetcher are made afresh over the sandbox, and every queue they use has
// run dry before the next test.
class WebImageTest : public ::testing::Test {
protected:
    void SetUp() override { resetSharedObjects(); }
    void TearDown() override
    {
        resetSharedObjects();
        plat::URLCache::sharedURLCache().removeAllCachedResponses();
    }

    static void resetSharedObjects()
    {
        detail::resetSharedImagePrefetcher();
        detail::resetSharedWebImageManager();
        drainQueues();
        detail::resetSharedImageCache();
    }

    // Waits for the decodes and disk work under way and runs their answers.
    static void drainQueues()
    {
        plat::Semaphore decoded;
        WIWebImageDecoder::sharedImageDecoder()->imageDecodingQueue()->asyncBarrier(
            [decoded]() mutable { decoded.signal(); });
        EXPECT_TRUE(decoded.wait(30));
        plat::RunLoop::main().drain();
        auto cache = WIImageCache::sharedImageCache();
        cache->cacheInQueue()->sync([] {});
        cache->cacheOutQueue()->sync([] {});
        plat::RunLoop::main().drain();
    }

    // Waits (in real time, for the network) until the delegate heard its end.
    static bool waitForAnswer(const RecordingDelegate& delegate)
    {
        return plat::test::runMainLoopUntil([&] { return delegate.hasFinished(); });
    }

    plat::test::TemporarySandbox sandbox;
    plat::test::ManualClockScope clock;
};

}  // namespace zt::test
