#pragma once
#include <optional>
#include <string>

#include "videoservice/VSObject.h"

// The provider's batch-processing elements, carried by entries and feeds of
// batch requests and replies.
namespace zt {

class VSBatchID : public VSObject {
    VS_DECLARE_CLASS(VSBatchID)

public:
    static std::shared_ptr<VSBatchID> batchIDWithString(const std::optional<std::string>& text);
    std::optional<std::string> stringValue() const { return contentStringValue(); }
    void setStringValue(const std::optional<std::string>& text) { setContentStringValue(text); }
    void addParseDeclarations() override;
};

class VSBatchOperation : public VSObject {
    VS_DECLARE_CLASS(VSBatchOperation)

public:
    static std::shared_ptr<VSBatchOperation> batchOperationWithType(const std::optional<std::string>& type);
    std::optional<std::string> type() const { return stringValueForAttribute("type"); }
    void setType(const std::optional<std::string>& type) { setStringValueForAttribute(type, "type"); }
    void addParseDeclarations() override;
};

class VSBatchStatus : public VSObject {
    VS_DECLARE_CLASS(VSBatchStatus)

public:
    static std::shared_ptr<VSBatchStatus> batchStatusWithCode(int32_t code, const std::optional<std::string>& reason);
    std::optional<int32_t> code() const { return intNumberForAttribute("code"); }
    void setCode(const std::optional<int32_t>& code);
    std::optional<std::string> reason() const { return stringValueForAttribute("reason"); }
    void setReason(const std::optional<std::string>& reason) { setStringValueForAttribute(reason, "reason"); }
    std::optional<std::string> contentType() const { return stringValueForAttribute("content-type"); }
    void setContentType(const std::optional<std::string>& type) { setStringValueForAttribute(type, "content-type"); }
    std::optional<std::string> stringValue() const { return contentStringValue(); }
    void setStringValue(const std::optional<std::string>& text) { setContentStringValue(text); }
    void addParseDeclarations() override;
};

class VSBatchInterrupted : public VSObject {
    VS_DECLARE_CLASS(VSBatchInterrupted)

public:
    static std::shared_ptr<VSBatchInterrupted> batchInterrupted();
    std::optional<std::string> reason() const { return stringValueForAttribute("reason"); }
    void setReason(const std::optional<std::string>& reason) { setStringValueForAttribute(reason, "reason"); }
    std::optional<int32_t> successCount() const { return intNumberForAttribute("success"); }
    void setSuccessCount(const std::optional<int32_t>& count);
    std::optional<int32_t> errorCount() const { return intNumberForAttribute("failures"); }
    void setErrorCount(const std::optional<int32_t>& count);
    std::optional<int32_t> totalCount() const { return intNumberForAttribute("parsed"); }
    void setTotalCount(const std::optional<int32_t>& count);
    std::optional<std::string> contentType() const { return stringValueForAttribute("content-type"); }
    void setContentType(const std::optional<std::string>& type) { setStringValueForAttribute(type, "content-type"); }
    std::optional<std::string> stringValue() const { return contentStringValue(); }
    void setStringValue(const std::optional<std::string>& text) { setContentStringValue(text); }
    void addParseDeclarations() override;
};

}  // namespace zt
