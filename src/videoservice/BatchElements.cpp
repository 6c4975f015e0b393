#include "videoservice/BatchElements.h"

#include "videoservice/AtomElements.h"
#include "videoservice/VSNamespaces.h"

namespace zt {

VS_DEFINE_CLASS(VSBatchID, VSObject, kVSNamespaceBatch, kVSNamespaceBatchPrefix, "id")
VS_DEFINE_CLASS(VSBatchOperation, VSObject, kVSNamespaceBatch, kVSNamespaceBatchPrefix, "operation")
VS_DEFINE_CLASS(VSBatchStatus, VSObject, kVSNamespaceBatch, kVSNamespaceBatchPrefix, "status")
VS_DEFINE_CLASS(VSBatchInterrupted, VSObject, kVSNamespaceBatch, kVSNamespaceBatchPrefix, "interrupted")

std::shared_ptr<VSBatchID> VSBatchID::batchIDWithString(const std::optional<std::string>& text)
{
    auto batchID = VSObject::object<VSBatchID>();
    batchID->setStringValue(text);
    return batchID;
}

void VSBatchID::addParseDeclarations()
{
    addContentValueDeclaration();
}

std::shared_ptr<VSBatchOperation> VSBatchOperation::batchOperationWithType(const std::optional<std::string>& type)
{
    auto operation = VSObject::object<VSBatchOperation>();
    operation->setType(type);
    return operation;
}

void VSBatchOperation::addParseDeclarations()
{
    addLocalAttributeDeclarations({"type"});
}

std::shared_ptr<VSBatchStatus> VSBatchStatus::batchStatusWithCode(
    int32_t code, const std::optional<std::string>& reason)
{
    auto status = VSObject::object<VSBatchStatus>();
    status->setCode(code);
    status->setReason(reason);
    return status;
}

void VSBatchStatus::setCode(const std::optional<int32_t>& code)
{
    setStringValueForAttribute(detail::numberText(code), "code");
}

void VSBatchStatus::addParseDeclarations()
{
    addLocalAttributeDeclarations({"code", "reason", "content-type"});
    addContentValueDeclaration();
}

std::shared_ptr<VSBatchInterrupted> VSBatchInterrupted::batchInterrupted()
{
    return VSObject::object<VSBatchInterrupted>();
}

void VSBatchInterrupted::setSuccessCount(const std::optional<int32_t>& count)
{
    setStringValueForAttribute(detail::numberText(count), "success");
}

void VSBatchInterrupted::setErrorCount(const std::optional<int32_t>& count)
{
    setStringValueForAttribute(detail::numberText(count), "failures");
}

void VSBatchInterrupted::setTotalCount(const std::optional<int32_t>& count)
{
    setStringValueForAttribute(detail::numberText(count), "parsed");
}

void VSBatchInterrupted::addParseDeclarations()
{
    addLocalAttributeDeclarations({"reason", "success", "failures", "parsed", "content-type"});
    addContentValueDeclaration();
}

}  // namespace zt
