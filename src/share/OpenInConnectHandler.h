#pragma once
#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "share/ConnectHandler.h"

namespace plat {
class DispatchQueue;
}

namespace zt {

// The open-in target: the exported file handed to another program of the
// desktop through xdg-open (which asks the desktop portal where one runs),
// started directly, without a shell. Where no desktop session runs, or
// xdg-open is missing, the person is told so, with the file's place. Main
// thread; the wait for xdg-open runs on a queue of its own.
class OpenInConnectHandler : public ConnectHandler {
public:
    static constexpr const char* kErrorDomain = "OpenInConnectHandler";
    static constexpr int64_t kNoDesktopError = 1;
    static constexpr int64_t kOpenFailedError = 2;

    explicit OpenInConnectHandler(ShareExporter exporter);

    std::string activityType() const override;
    std::string activityTitle() const override;
    std::shared_ptr<const plat::Image> activityImage() const override;
    std::vector<std::string> supportedUTIs() const override;
    void uploadDataAtURL(
        const plat::URL& url, const std::string& title, const std::string& caption, const std::string& UTI) override;
    void cancel() override;
    std::string completionText(const std::optional<plat::URL>& url) const override;

private:
    std::shared_ptr<plat::DispatchQueue> _queue;
    std::shared_ptr<std::atomic<bool>> _cancelled = std::make_shared<std::atomic<bool>>(false);
};

namespace detail {

// xdg-open's path on PATH, when a desktop session (DISPLAY or WAYLAND_DISPLAY) runs.
std::optional<std::string> desktopOpenerPath();

}  // namespace detail

}  // namespace zt
