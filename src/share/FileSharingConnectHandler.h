#pragma once
#include <atomic>
#include <memory>

#include "share/ConnectHandler.h"

namespace plat {
class DispatchQueue;
}

namespace zt {

// The file-sharing target: the export (movie, GIF, images folder, project
// archive) copied into Documents, the folder a computer sees. The copy is
// made under a hidden temporary name beside it and renamed when whole, so
// a failure or a cancel leaves nothing there; a name that is taken gets
// " 2", " 3"... before its extension, and an item that takes the name while
// the copy runs is left as it is: the share fails. Documents/"Import" stays
// the inbox of archives to import and is never written here. Main thread;
// the copy runs on the target's serial queue.
class FileSharingConnectHandler : public ConnectHandler {
public:
    static constexpr const char* kErrorDomain = "FileSharingConnectHandler";
    static constexpr const char* kQueueLabel = "com.quorvane.ITunesExportConnectHandler";

    explicit FileSharingConnectHandler(ShareExporter exporter);

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

// A name in folder that nothing has: name itself, else "base 2.ext", "base 3.ext"...
std::string unusedNameInFolder(const std::string& folder, const std::string& name);

}  // namespace detail

}  // namespace zt
