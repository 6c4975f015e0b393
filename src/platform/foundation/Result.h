#pragma once
#include <cassert>
#include <optional>
#include <utility>
#include <variant>

#include "platform/foundation/Error.h"

namespace plat {

// The value of an operation that can fail, or its error. Deliberately no
// implicit conversion to bool: callers ask ok() and then read value() or error().
template <typename T> class [[nodiscard]] Result {
public:
    Result(T value)
        : _state(std::in_place_index<0>, std::move(value))
    {
    }
    Result(Error error)
        : _state(std::in_place_index<1>, std::move(error))
    {
    }

    bool ok() const { return _state.index() == 0; }

    const T& value() const&
    {
        assert(ok());
        return std::get<0>(_state);
    }
    T& value() &
    {
        assert(ok());
        return std::get<0>(_state);
    }
    T&& value() &&
    {
        assert(ok());
        return std::get<0>(std::move(_state));
    }
    T valueOr(T fallback) const& { return ok() ? std::get<0>(_state) : std::move(fallback); }

    const Error& error() const
    {
        assert(!ok());
        return std::get<1>(_state);
    }

private:
    std::variant<T, Error> _state;
};

template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error)
        : _error(std::move(error))
    {
    }

    static Result success() { return {}; }

    bool ok() const { return !_error.has_value(); }
    const Error& error() const
    {
        assert(!ok());
        return *_error;
    }

private:
    std::optional<Error> _error;
};

}  // namespace plat
