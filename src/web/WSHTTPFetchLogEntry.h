#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"
#include "platform/net/HTTPHeaders.h"
#include "platform/net/URLResponse.h"

// One entry of the fetcher's optional log: what it shows, and how the run's
// HTML page and the fetch's text file show it. Any thread (values only).
namespace zt::detail {

// Everything one entry of the log shows, gathered from the fetcher first.
struct FetchLogEntry {
    int number = 0;
    std::string now;
    std::optional<std::string> comment;
    std::optional<plat::Error> error;

    std::string method;
    std::string url;
    bool isPlainHTTP = false;
    plat::HTTPHeaders requestHeaders;
    std::optional<plat::Data> requestBody;
    std::optional<std::string> requestBodyText;

    std::shared_ptr<const plat::URLResponse> response;
    int64_t status = 0;
    std::optional<plat::HTTPHeaders> responseHeaders;
    std::string mimeType;
    uint64_t responseLength = 0;
    std::optional<std::string> responseText;
    plat::Value json;  // the response body, when it was JSON
    // The copy of the response body beside the log, when there is one.
    std::optional<std::string> responseFileName;
    std::string responseExtension;
    bool responseIsImage = false;
    // A failed download's body, read back from its file.
    std::optional<std::string> downloadedFileText;
};

// The entry of the run's HTML page; a new page starts with its head.
std::string logPageHTML(
    const FetchLogEntry& entry, const std::string& processName, const std::string& dateStamp, bool isNewPage);
// The plain-text log of the fetch, as the fetcher keeps it and the run's fetch_<n>.txt holds it.
std::string logTextOfFetch(const FetchLogEntry& entry);

}  // namespace zt::detail
