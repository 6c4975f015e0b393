#include "web/WSHTTPFetchLogEntry.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/URL.h"
#include "web/WSHTTPFetcherLogging.h"

namespace zt::detail {

namespace {

std::string requestHTML(const FetchLogEntry& entry)
{
    std::string html = "<b>request:</b> " + entry.method + " <code>" + entry.url + "</code><br>\n";
    const auto& headers = entry.requestHeaders;
    if (headers.empty()) {
        html += "&nbsp;&nbsp; headers: none<br>";
    } else {
        std::string notes;
        if (headers.contains("Authorization"))
            notes += entry.isPlainHTTP
                ? "&nbsp;&nbsp;&nbsp;<i>authorized, non-SSL</i><FONT COLOR='#FF00FF'> &#x26A0;</FONT> "
                : "&nbsp;&nbsp;&nbsp;<i>authorized</i>";
        if (headers.contains("Cookie"))
            notes += "&nbsp;&nbsp;&nbsp;<i>cookies</i>";
        if (headers.contains("If-Match"))
            notes += "&nbsp;&nbsp;&nbsp;<i>if-match</i>";
        if (headers.contains("If-None-Match"))
            notes += "&nbsp;&nbsp;&nbsp;<i>if-none-match</i>";
        html += plat::formatLine("&nbsp;&nbsp; headers: {}  {}<br>", headers.count(), notes);
    }
    if (entry.requestBody && !entry.requestBody->empty())
        html += plat::formatLine("&nbsp;&nbsp; data: {} bytes, <code>{}</code><br>\n", entry.requestBody->size(),
            headers.value("Content-Type").value_or("<no type>"));
    return html;
}

// A success names an error that a JSON body reports; a failure shows its status in colour.
std::string statusHTML(const FetchLogEntry& entry)
{
    const int64_t status = entry.status;
    if (status != 200 && status != 201) {
        return status == 0
            ? std::string()
            : plat::formatLine("<FONT COLOR='#FF00FF'>{} {}</FONT>", status, status > 399 ? "&nbsp;&#x2691;" : "");
    }
    std::string text = std::to_string(status);
    auto dictionary = entry.json.asDictionary();
    auto jsonError = dictionary ? dictionary->getDictionary("error") : std::nullopt;
    if (!jsonError || !(jsonError->contains("code") || jsonError->contains("message")))
        return text;
    plat::Value code = jsonError->get("code");
    std::string codeText = code.isNumber() ? std::to_string(code.int64Value().value_or(0))
        : code.asString()                  ? *code.asString()
                                           : "";
    return text
        + plat::formatLine("&nbsp;&nbsp;&nbsp;<i>JSON error:</i> <FONT COLOR='#FF00FF'>{} {} &nbsp;&#x2691;</FONT>",
            codeText, jsonError->getString("message").value_or(""));
}

std::string responseHTML(const FetchLogEntry& entry)
{
    std::string html;
    if (entry.response) {
        std::string urlText;
        if (entry.response->url().absoluteString() != entry.url)
            urlText = "<FONT COLOR='#FF00FF'>response URL:</FONT> <code>" + entry.response->url().absoluteString()
                + "</code><br>\n";
        html += "<b>response:</b>&nbsp;&nbsp;status " + statusHTML(entry) + "<br>\n" + urlText;
        const auto& headers = entry.responseHeaders;
        if (headers && !headers->empty()) {
            std::string setsCookies
                = headers->contains("Set-Cookie") ? "&nbsp;&nbsp;<FONT COLOR='#990066'><i>sets cookies</i></FONT>" : "";
            std::string redirects = entry.status >= 300 && entry.status <= 399 && headers->contains("Location")
                ? "&nbsp;&nbsp;<FONT COLOR='#990066'><i>redirects</i></FONT>"
                : "";
            html += plat::formatLine("&nbsp;&nbsp; headers: {}  {} {}<br>\n", headers->count(), setsCookies, redirects);
        } else {
            html += "&nbsp;&nbsp; headers: none<br>\n";
        }
    }
    if (entry.error)
        html += "<b>Error:</b> " + entry.error->description() + " <br>\n";
    const std::string data
        = plat::formatLine("&nbsp;&nbsp; data: {} bytes, <code>{}</code>", entry.responseLength, entry.mimeType);
    if (!entry.responseFileName)
        return html + data + "\n";
    const std::string escaped = plat::percentEncode(*entry.responseFileName, "/");
    if (entry.responseIsImage)
        return html + data + "<br>" + "<a href=\"" + escaped + "\"><img src='" + escaped
            + "' alt='image' style='border:solid thin;max-height:32'></a>\n";
    return html + data
        + plat::formatLine("&nbsp;&nbsp;&nbsp;<i><a href=\"{}\">{}</a></i>\n", escaped, entry.responseExtension);
}

}  // namespace

std::string logPageHTML(
    const FetchLogEntry& entry, const std::string& processName, const std::string& dateStamp, bool isNewPage)
{
    std::string html;
    if (isNewPage)
        html += plat::formatLine("<html><head><meta http-equiv=\"content-type\" content=\"text/html; charset=UTF-8\">"
                                 "<title>{} HTTP fetch log {}</title>",
            processName, dateStamp);
    html += "<b>" + entry.now + " &nbsp;&nbsp;&nbsp;&nbsp; ";
    if (entry.comment)
        html += *entry.comment + " &nbsp;&nbsp;&nbsp;&nbsp; ";
    html += plat::formatLine("</b><a href='fetch_{}.txt'><i>request/response log</i></a><br>", entry.number);
    return html + requestHTML(entry) + responseHTML(entry);
}

std::string logTextOfFetch(const FetchLogEntry& entry)
{
    std::string text;
    if (entry.comment)
        text += *entry.comment + "\n\n";
    text += entry.now + "\n";
    text += "Request: " + entry.method + " " + entry.url + "\n";
    if (!entry.requestHeaders.empty())
        text += "Request headers:\n" + headersStringForDictionary(entry.requestHeaders) + "\n";
    if (entry.requestBody && !entry.requestBody->empty()) {
        text += plat::formatLine("Request body: ({} bytes)\n", entry.requestBody->size());
        if (entry.requestBodyText)
            text += *entry.requestBodyText + "\n";
        text += "\n";
    }
    if (entry.response) {
        text += plat::formatLine("Response: status {}\n", entry.status);
        text += "Response headers:\n" + headersStringForDictionary(entry.responseHeaders.value_or(plat::HTTPHeaders()))
            + "\n";
        text += plat::formatLine("Response body: ({} bytes)\n", entry.responseLength);
        if (entry.responseLength > 0) {
            if (entry.responseText)
                text += *entry.responseText + "\n";
            else if (entry.downloadedFileText)
                text += entry.downloadedFileText->empty()
                    ? plat::formatLine("<<{} bytes to file>>\n", entry.responseLength)
                    : *entry.downloadedFileText + "\n";
            else
                text += plat::formatLine("<<{} bytes>>\n", entry.responseLength);
        }
    }
    if (entry.error)
        text += "Error: " + entry.error->description() + "\n";
    return text;
}

}  // namespace zt::detail
