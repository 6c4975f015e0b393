#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Value.h"

namespace zt {

class VSXMLElement;

// One record of the service's structured error document
// ("application/vnd.google.gdata.error+xml"). Value type.
class VSServerError {
public:
    VSServerError() = default;
    // The gd children "domain", "code", "internalReason", "extendedHelp", "sendReport".
    explicit VSServerError(const VSXMLElement& errorElement);

    // The text of the first child of that local name in the gd namespace.
    static std::optional<std::string> errorStringForParentElement(
        const VSXMLElement& parent, const std::string& childName);

    const std::optional<std::string>& domain() const { return _domain; }
    void setDomain(const std::optional<std::string>& domain) { _domain = domain; }
    const std::optional<std::string>& code() const { return _code; }
    void setCode(const std::optional<std::string>& code) { _code = code; }
    const std::optional<std::string>& internalReason() const { return _internalReason; }
    void setInternalReason(const std::optional<std::string>& reason) { _internalReason = reason; }
    const std::optional<std::string>& extendedHelpURI() const { return _extendedHelpURI; }
    void setExtendedHelpURI(const std::optional<std::string>& URI) { _extendedHelpURI = URI; }
    const std::optional<std::string>& sendReportURI() const { return _sendReportURI; }
    void setSendReportURI(const std::optional<std::string>& URI) { _sendReportURI = URI; }

    // 'domain error code: "reason"', or 'domain error code' without a reason.
    std::string summary() const;
    std::string description() const;
    friend bool operator==(const VSServerError&, const VSServerError&) = default;

private:
    std::optional<std::string> _domain;
    std::optional<std::string> _code;
    std::optional<std::string> _internalReason;
    std::optional<std::string> _extendedHelpURI;
    std::optional<std::string> _sendReportURI;
};

// The records of one error document, in document order. Value type.
class VSServerErrorGroup {
public:
    // nullopt when the bytes are not XML or hold no error record.
    static std::optional<VSServerErrorGroup> initWithData(const plat::Data& data);
    static std::optional<std::vector<VSServerError>> serverErrorsWithData(const plat::Data& data);

    const std::vector<VSServerError>& errors() const { return _errors; }
    void setErrors(const std::vector<VSServerError>& errors) { _errors = errors; }
    const VSServerError* mainError() const { return _errors.empty() ? nullptr : &_errors.front(); }
    std::string description() const;
    friend bool operator==(const VSServerErrorGroup&, const VSServerErrorGroup&) = default;

private:
    std::vector<VSServerError> _errors;
};

}  // namespace zt
