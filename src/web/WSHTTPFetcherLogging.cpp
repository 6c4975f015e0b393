#include "web/WSHTTPFetcherLogging.h"

#include "web/LiteJsonParser.h"
#include "web/LiteJsonWriter.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/foundation/DateFormatter.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Sandbox.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/TimeZone.h"
#include "platform/foundation/URL.h"
#include "platform/net/InputStream.h"
#include "platform/net/URLResponse.h"
#include "web/WSFileHandle.h"
#include "web/WSHTTPFetchLogEntry.h"
#include "web/WSHTTPFetcher.h"
#include "web/WSReadMonitorInputStream.h"

namespace zt {

using detail::FetchLogEntry;

namespace {

constexpr int kLastRunFolderSuffix = 19;

// Run-wide settings and state of the log.
struct LoggingState {
    std::mutex lock;
    bool enabled = false;
    bool toFile = true;
    std::optional<std::string> directory;
    std::optional<std::string> processName;
    std::optional<std::string> dateStamp;
    int counter = 0;
    bool runFolderChecked = false;
    std::optional<std::string> runFolderName;
    bool locationAnnounced = false;
};

LoggingState& state()
{
    static LoggingState* shared = new LoggingState();  // lives as long as the run
    return *shared;
}

// The run folder is named after the directory, process and stamp: a change of
// any of them starts a new one. Called with the state's lock held.
void forgetRunFolder()
{
    state().runFolderChecked = false;
    state().runFolderName.reset();
}

std::string dateText(plat::Date date)
{
    plat::DateFormatter formatter;
    formatter.setTimeZone(plat::TimeZone::utc());
    formatter.setDateFormat("yyyy-MM-dd HH:mm:ss Z");
    return formatter.stringFromDate(date);
}

std::string textOf(const plat::Data& data)
{
    return std::string(data.begin(), data.end());
}

std::optional<std::string> utf8Text(const plat::Data& data)
{
    std::string text = textOf(data);
    if (!plat::isValidUtf8(text))
        return std::nullopt;
    return text;
}

// The sign-in service answers with its tokens as "name=value" lines; a log
// keeps the names only.
std::string snipSignInTokens(const std::string& text)
{
    static constexpr std::string_view kTokenNames[] = {"SID=", "LSID=", "Auth="};
    std::string result;
    result.reserve(text.size());
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string_view line(text.data() + start, end - start);
        const auto* name = std::find_if(std::begin(kTokenNames), std::end(kTokenNames),
            [&](std::string_view token) { return line.substr(0, token.size()) == token; });
        if (name != std::end(kTokenNames)) {
            result.append(*name);
            result.append("_snip_");
        } else {
            result.append(line);
        }
        if (end < text.size())
            result += '\n';
        start = end + 1;
    }
    return result;
}

bool writeWholeFile(const std::string& path, const plat::Data& bytes, std::string& failure)
{
    auto written = plat::writeFileAtomically(path, bytes);
    if (!written.ok())
        failure = written.error().description();
    return written.ok();
}

void appendToFile(const std::string& path, const std::string& text)
{
    int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (descriptor < 0)
        return;
    auto handle = WSFileHandle::fileHandleWithDescriptor(descriptor, path);
    (void)handle->writeData(plat::Data(text.begin(), text.end()));
}

}  // namespace

// --- class-wide settings ---

bool WSHTTPFetcher::isLoggingEnabled()
{
    std::lock_guard guard(state().lock);
    return state().enabled;
}

void WSHTTPFetcher::setLoggingEnabled(bool enabled)
{
    std::lock_guard guard(state().lock);
    state().enabled = enabled;
}

bool WSHTTPFetcher::isLoggingToFileEnabled()
{
    std::lock_guard guard(state().lock);
    return state().toFile;
}

void WSHTTPFetcher::setLoggingToFileEnabled(bool enabled)
{
    std::lock_guard guard(state().lock);
    state().toFile = enabled;
}

std::optional<std::string> WSHTTPFetcher::loggingDirectory()
{
    {
        std::lock_guard guard(state().lock);
        if (state().directory)
            return state().directory;
    }
    auto sandbox = plat::Sandbox::current();
    if (!sandbox)
        return std::nullopt;
    std::string folder = plat::appendingPathComponent(sandbox->documentsDirectory(), "WSHTTPDebugLogs");
    if (!fileOrDirExistsAtPath(folder) && !makeDirectoryUpToPath(folder))
        return std::nullopt;  // tried again next time
    std::lock_guard guard(state().lock);
    state().directory = folder;
    return folder;
}

void WSHTTPFetcher::setLoggingDirectory(std::optional<std::string> path)
{
    std::lock_guard guard(state().lock);
    state().directory = std::move(path);
    forgetRunFolder();
}

std::string WSHTTPFetcher::loggingProcessName()
{
    std::lock_guard guard(state().lock);
    if (!state().processName)
        state().processName = plat::replacingOccurrences(program_invocation_short_name, " ", "_");
    return *state().processName;
}

void WSHTTPFetcher::setLoggingProcessName(std::optional<std::string> name)
{
    std::lock_guard guard(state().lock);
    state().processName = std::move(name);
    forgetRunFolder();
}

std::string WSHTTPFetcher::loggingDateStamp()
{
    std::lock_guard guard(state().lock);
    if (!state().dateStamp) {
        plat::DateFormatter formatter;
        formatter.setDateFormat("M-dd_hh-mm-ssa");
        state().dateStamp = formatter.stringFromDate(plat::Date::now());
    }
    return *state().dateStamp;
}

void WSHTTPFetcher::setLoggingDateStamp(std::optional<std::string> stamp)
{
    std::lock_guard guard(state().lock);
    state().dateStamp = std::move(stamp);
    forgetRunFolder();
}

// --- file helpers ---

bool fileOrDirExistsAtPath(const std::string& path)
{
    struct stat status { };
    return ::lstat(path.c_str(), &status) == 0;
}

bool makeDirectoryUpToPath(const std::string& path)
{
    const std::string parent = plat::deletingLastPathComponent(path);
    if (!parent.empty() && parent != path && !fileOrDirExistsAtPath(parent) && !makeDirectoryUpToPath(parent))
        return false;
    if (fileOrDirExistsAtPath(path))
        return true;
    return ::mkdir(path.c_str(), 0700) == 0;
}

bool removeItemAtPath(const std::string& path)
{
    return ::unlink(path.c_str()) == 0;
}

bool createSymbolicLinkAtPath(const std::string& linkPath, const std::string& destination)
{
    return ::symlink(destination.c_str(), linkPath.c_str()) == 0;
}

// --- text helpers ---

std::optional<std::string> snipSubstringOfString(
    const std::optional<std::string>& text, const std::string& start, const std::string& end)
{
    if (!text)
        return std::nullopt;
    size_t startPosition = text->find(start);
    if (startPosition == std::string::npos)
        return text;
    const size_t valueStart = startPosition + start.size();
    size_t endPosition = text->find(end, valueStart);
    if (endPosition == std::string::npos)
        endPosition = text->size();
    return text->substr(0, valueStart) + "_snip_" + text->substr(endPosition);
}

std::string headersStringForDictionary(const plat::HTTPHeaders& headers)
{
    auto fields = headers.joinedFields();
    std::sort(fields.begin(), fields.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string text;
    for (auto [name, value] : fields) {
        if (name == "Authorization") {
            value = *snipSubstringOfString(value, "oauth_token=\"", "\"");
            value = *snipSubstringOfString(value, "Bearer ", "\n");
            value = *snipSubstringOfString(value, "OAuth ", "\n");
            value = *snipSubstringOfString(value, "GoogleLogin auth=", "\n");
        }
        text += "  " + name + ": " + value + "\n";
    }
    return text;
}

std::optional<plat::Value> JSONObjectWithData(const plat::Data& data)
{
    std::string text = textOf(data);
    if (!plat::isValidUtf8(text))
        return std::nullopt;
    LiteJsonParser parser;
    return parser.objectWithString(text);
}

std::optional<std::string> stringWithJSONObject(const plat::Value& object)
{
    LiteJsonWriter writer;
    writer.setHumanReadable(true);
    return writer.stringWithObject(object);
}

std::optional<std::string> WSHTTPFetcher::formattedStringFromData(
    const plat::Data& data, const std::optional<std::string>& contentType, plat::Value* json) const
{
    if (data.empty())
        return std::nullopt;
    if (contentType && plat::hasPrefix(*contentType, "application/json") && data.size() >= 6) {
        if (auto object = JSONObjectWithData(data)) {
            if (json)
                *json = *object;
            if (auto dictionary = object->asDictionary()) {
                for (const char* key : {"refresh_token", "access_token"}) {
                    if (dictionary->contains(key))
                        dictionary->set(key, "_snip_");
                }
            }
            if (auto text = stringWithJSONObject(*object))
                return text;
        }
    }
    return utf8Text(data);
}

std::optional<std::string> WSHTTPFetcher::stringFromStreamData(
    const plat::Data& data, const std::optional<std::string>& contentType) const
{
    if (data.empty())
        return std::nullopt;
    if (auto text = formattedStringFromData(data, contentType, nullptr))
        return text;
    std::string cleaned = textOf(data);
    for (char& c : cleaned) {
        if (c == 0 || static_cast<unsigned char>(c) > 0x7F)
            c = '_';
    }
    const std::string fallback = plat::formatLine("<<{} bytes>>", data.size());
    size_t lineEnd = cleaned.find("\r\n");
    if (lineEnd == std::string::npos)
        return fallback;
    const std::string boundary = cleaned.substr(0, lineEnd);
    if (!plat::hasPrefix(boundary, "--"))
        return fallback;
    auto pieces = plat::componentsSeparatedByString(cleaned, boundary);
    std::vector<std::string> results;
    size_t offset = 0;
    for (const auto& piece : pieces) {
        plat::Data original(data.begin() + static_cast<std::ptrdiff_t>(offset),
            data.begin() + static_cast<std::ptrdiff_t>(offset + piece.size()));
        if (auto decoded = utf8Text(original)) {
            results.push_back(*decoded);
        } else {
            size_t headerEnd = piece.find("\r\n\r\n");
            std::string headerPart = headerEnd == std::string::npos ? std::string() : piece.substr(0, headerEnd);
            results.push_back(plat::formatLine("\r{}\r<<{} bytes>>\r", headerPart, piece.size() - headerPart.size()));
        }
        offset += piece.size() + boundary.size();
    }
    std::string joined;
    for (size_t i = 0; i < results.size(); ++i)
        joined += (i ? boundary : std::string()) + results[i];
    return joined.empty() ? fallback : joined;
}

// --- stream capture ---

void WSHTTPFetcher::setupStreamLogging()
{
    if (!isLoggingEnabled() || loggedStreamData_ || !postStream_)
        return;
    loggedStreamData_ = plat::Data();
    if (!logCapturePostStream()) {
        const std::string notice = "<<Uploaded stream log unavailable without WSReadMonitorInputStream>>";
        loggedStreamData_ = plat::Data(notice.begin(), notice.end());
    }
}

bool WSHTTPFetcher::logCapturePostStream()
{
    auto monitor = WSReadMonitorInputStream::inputStreamWithStream(postStream_);
    monitor->setReadDelegate(shared_from_this());
    monitor->setRunLoopModes(runLoopModes_);
    monitor->setReadSelector(&WSHTTPFetcher::inputStreamReadIntoBuffer);
    postStream_ = monitor;
    return true;
}

void WSHTTPFetcher::inputStreamReadIntoBuffer(plat::InputStream&, const uint8_t* buffer, uint64_t length)
{
    if (!loggedStreamData_)
        loggedStreamData_ = plat::Data();
    loggedStreamData_->insert(loggedStreamData_->end(), buffer, buffer + length);
}

// --- one fetch ---

namespace {

// Where this run's log goes.
struct LogPlace {
    std::string parent;
    std::string processName;
    std::string dateStamp;
    bool toFile = false;
    std::string runFolder;
};

// The run folder is taken once per run: the first free of the plain name
// and its numbered variants.
LogPlace logPlaceUnder(const std::string& parent)
{
    LogPlace place {parent, WSHTTPFetcher::loggingProcessName(), WSHTTPFetcher::loggingDateStamp(),
        WSHTTPFetcher::isLoggingToFileEnabled(), {}};
    place.runFolder = plat::appendingPathComponent(parent, place.processName + "_log_" + place.dateStamp);
    if (!place.toFile)
        return place;
    std::lock_guard guard(state().lock);
    if (!state().runFolderChecked) {
        state().runFolderChecked = true;
        std::string candidate = place.runFolder;
        for (int suffix = 2; fileOrDirExistsAtPath(candidate) && suffix <= kLastRunFolderSuffix; ++suffix)
            candidate = place.runFolder + "_" + std::to_string(suffix);
        state().runFolderName = candidate;
    }
    if (state().runFolderName)
        place.runFolder = *state().runFolderName;
    return place;
}

int nextFetchNumber()
{
    std::lock_guard guard(state().lock);
    return ++state().counter;
}

// XML keeps its formatted text beside the log, pictures their bytes.
std::optional<plat::Data> responseFileBytes(FetchLogEntry& entry, const plat::Data& body)
{
    const std::string& type = entry.mimeType;
    if (entry.responseText && (type == "application/atom+xml" || plat::hasSuffix(type, "/xml"))) {
        entry.responseExtension = "xml";
        return plat::Data(entry.responseText->begin(), entry.responseText->end());
    }
    if (!entry.responseText && (type == "image/jpeg" || type == "image/gif" || type == "image/png")) {
        entry.responseExtension = type == "image/jpeg" ? "jpg" : type == "image/gif" ? "gif" : "png";
        entry.responseIsImage = true;
        return body;
    }
    return std::nullopt;
}

// The response body as the log shows it, with a copy beside the log where
// that reads better than the text.
void describeResponseBody(FetchLogEntry& entry, const LogPlace& place, const plat::Data& body,
    std::optional<std::string> formatted, const char* className)
{
    if (formatted)
        entry.responseText = snipSignInTokens(*formatted);
    auto fileBytes = responseFileBytes(entry, body);
    if (!fileBytes)
        return;
    entry.responseFileName = plat::formatLine("fetch_{}_response.{}", entry.number, entry.responseExtension);
    std::string failure;
    if (place.toFile
        && !writeWholeFile(plat::appendingPathComponent(place.runFolder, *entry.responseFileName), *fileBytes, failure))
        plat::log("{} logging write error:{} ({})", className, failure, *entry.responseFileName);
}

// What the request would send, with the secrets of sign-in forms snipped.
void describeRequestBody(FetchLogEntry& entry, const WSHTTPFetcher& fetcher)
{
    if (!entry.requestBody || entry.requestBody->empty())
        return;
    auto text = fetcher.stringFromStreamData(*entry.requestBody, entry.requestHeaders.value("Content-Type"));
    text = snipSubstringOfString(text, "client_secret=", "&");
    text = snipSubstringOfString(text, "refresh_token=", "&");
    entry.requestBodyText = snipSubstringOfString(text, "&Passwd=", "&");
}

void writeLogFiles(const FetchLogEntry& entry, const LogPlace& place, const std::string& text,
    const std::string& htmlPath, std::string html, const char* className)
{
    const std::string textName = plat::formatLine("fetch_{}.txt", entry.number);
    std::string failure;
    if (!writeWholeFile(
            plat::appendingPathComponent(place.runFolder, textName), plat::Data(text.begin(), text.end()), failure))
        plat::log("{} logging write error:{} ({})", className, failure, textName);
    html += "<br><hr><p>";
    appendToFile(htmlPath, html);
    const std::string newest = plat::appendingPathComponent(place.parent, place.processName + "_log_newest.html");
    removeItemAtPath(newest);
    createSymbolicLinkAtPath(newest, htmlPath);
    std::lock_guard guard(state().lock);
    if (!state().locationAnnounced) {
        state().locationAnnounced = true;
        plat::log("WSHTTPFetcher logging to \"{}\"", place.parent);
    }
}

}  // namespace

void WSHTTPFetcher::logFetchWithError(const std::optional<plat::Error>& error)
{
    if (!isLoggingEnabled())
        return;
    auto parent = loggingDirectory();
    if (!parent)
        return;
    const LogPlace place = logPlaceUnder(*parent);
    if (place.toFile && !makeDirectoryUpToPath(place.runFolder))
        return;

    FetchLogEntry entry;
    entry.number = nextFetchNumber();
    entry.comment = comment_;
    entry.error = error;

    entry.response = response_;
    entry.status = statusCode();
    entry.responseHeaders = responseHeaders();
    entry.mimeType = response_ ? response_->MIMEType() : std::string();
    entry.responseLength = downloadFileHandle_ ? downloadFileHandle_->offsetInFile().valueOr(0)
                                               : (downloadedData_ ? downloadedData_->size() : 0);
    if (entry.responseLength > 0 && downloadedData_) {
        auto contentType = entry.responseHeaders ? entry.responseHeaders->value("Content-Type") : std::nullopt;
        describeResponseBody(entry, place, *downloadedData_,
            formattedStringFromData(*downloadedData_, contentType, &entry.json), className());
    }
    if (entry.response && entry.responseLength > 0 && !entry.responseText && entry.status >= 400
        && temporaryDownloadPath_ && !temporaryDownloadPath_->empty()) {
        auto contents = plat::readFile(*temporaryDownloadPath_, static_cast<int64_t>(maximumDownloadLength_));
        entry.downloadedFileText = contents.ok() ? plat::repairedUtf8(textOf(contents.value())) : std::string();
    }

    entry.now = dateText(plat::Date::now());
    entry.method = request_ ? request_->HTTPMethod() : std::string();
    entry.url = request_ && request_->url() ? request_->url()->absoluteString() : std::string();
    entry.isPlainHTTP = request_ && request_->url() && request_->url()->scheme() == "http";
    entry.requestHeaders = request_ ? request_->allHTTPHeaderFields() : plat::HTTPHeaders();
    entry.requestBody = loggedStreamData_ ? loggedStreamData_ : postData_;
    if (!entry.requestBody && request_)
        entry.requestBody = request_->HTTPBody();
    describeRequestBody(entry, *this);

    const std::string htmlPath = plat::appendingPathComponent(place.runFolder, "divoza_http_log.html");
    const std::string html
        = detail::logPageHTML(entry, place.processName, place.dateStamp, !fileOrDirExistsAtPath(htmlPath));
    std::string text = detail::logTextOfFetch(entry);
    log_ = text;
    text += std::string(59, '-') + "\n";
    if (place.toFile)
        writeLogFiles(entry, place, text, htmlPath, html, className());
}

}  // namespace zt
