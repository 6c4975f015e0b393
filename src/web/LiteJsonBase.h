#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/foundation/Error.h"

namespace zt {

// The error domain of the small JSON reader and writer.
inline constexpr const char* kLiteJsonErrorDomain = "com.quorvane.zantrope.LiteJson.ErrorDomain";

// Error codes of the reader and writer.
inline constexpr int64_t kLiteJsonErrorUnsupported = 1;
inline constexpr int64_t kLiteJsonErrorNumber = 2;
inline constexpr int64_t kLiteJsonErrorUnexpected = 3;
inline constexpr int64_t kLiteJsonErrorNotJSON = 4;
inline constexpr int64_t kLiteJsonErrorControlCharacter = 5;
inline constexpr int64_t kLiteJsonErrorUnicode = 6;
inline constexpr int64_t kLiteJsonErrorTooDeep = 7;
inline constexpr int64_t kLiteJsonErrorEscape = 8;
inline constexpr int64_t kLiteJsonErrorTrailingComma = 9;
inline constexpr int64_t kLiteJsonErrorGarbage = 10;
inline constexpr int64_t kLiteJsonErrorEndOfInput = 11;
inline constexpr int64_t kLiteJsonErrorNilInput = 12;

// Nesting beyond this fails whatever maxDepth says (0, "no limit",
// included): a parsed tree this deep is about as deep as the platform
// values' own recursive copies and comparisons safely go.
inline constexpr size_t kLiteJsonDepthCeiling = 4096;

// What the parser, the writer and their facade share: the nesting limit and
// the trace of chained errors of the last failed call (inner errors first,
// each later one wrapping the one before as its underlying error). One
// thread at a time.
class LiteJsonBase {
public:
    enum class ErrorTraceChange { WillChange, DidChange };
    using ErrorTraceObserver = std::function<void(ErrorTraceChange)>;

    LiteJsonBase();  // maxDepth 512
    virtual ~LiteJsonBase();
    LiteJsonBase(const LiteJsonBase&) = delete;
    LiteJsonBase& operator=(const LiteJsonBase&) = delete;

    // 0 means no limit of the caller's (kLiteJsonDepthCeiling still holds).
    virtual size_t maxDepth() const { return _maxDepth; }
    virtual void setMaxDepth(size_t maxDepth) { _maxDepth = maxDepth; }

    // Empty until the first error; cleared at the start of each call.
    const std::vector<plat::Error>& errorTrace() const { return _errorTrace; }
    void addErrorWithCode(int64_t code, std::string description);
    void clearErrorTrace();

    // Observers hear before and after each addition to and clearing of the trace.
    size_t addErrorTraceObserver(ErrorTraceObserver observer);
    void removeErrorTraceObserver(size_t token);

protected:
    // The nesting allowed now: maxDepth within the ceiling.
    size_t effectiveMaxDepth() const;
    // The facade takes over an inner object's trace as it stands.
    void replaceErrorTrace(std::vector<plat::Error> trace) { _errorTrace = std::move(trace); }
    size_t _depth = 0;

private:
    void notify(ErrorTraceChange change);

    std::vector<plat::Error> _errorTrace;
    size_t _maxDepth;
    std::vector<std::pair<size_t, ErrorTraceObserver>> _observers;
    size_t _nextObserverToken = 1;
};

// A readable rendering of a trace, for log lines.
std::string describeErrorTrace(const std::vector<plat::Error>& trace);

}  // namespace zt
