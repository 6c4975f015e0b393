#pragma once
#include <string>

#include "platform/foundation/Coding.h"
#include "platform/foundation/Error.h"

namespace plat {

// An error as an object, so that it can travel in a notification's user
// info (as the platform's "ERROR" entries do) or in a keyed archive, where
// it is written as the platform writes its errors. Any thread (immutable).
class ErrorObject final : public Coding {
public:
    explicit ErrorObject(Error error)
        : _error(std::move(error))
    {
    }
    const Error& error() const { return _error; }

    std::string classNameForCoder() const override { return "NSError"; }
    void encodeWithCoder(KeyedArchiver& coder) const override;

private:
    Error _error;
};

}  // namespace plat
