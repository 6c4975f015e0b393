#pragma once
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Date.h"

namespace plat::test {

// A clock stopped at one date, installed as the current clock for the
// object's lifetime; the previous clock comes back afterwards.
class FixedDateClock final : public Clock {
public:
    explicit FixedDateClock(Date date)
        : _date(date)
    {
    }
    double uptimeSeconds() const override { return 0; }
    Date date() const override { return _date; }

private:
    Date _date;
};

class ScopedFixedDate {
public:
    explicit ScopedFixedDate(Date date)
        : _previous(Clock::currentShared())
    {
        Clock::setCurrent(std::make_shared<FixedDateClock>(date));
    }
    ~ScopedFixedDate() { Clock::setCurrent(_previous); }
    ScopedFixedDate(const ScopedFixedDate&) = delete;
    ScopedFixedDate& operator=(const ScopedFixedDate&) = delete;

private:
    std::shared_ptr<Clock> _previous;
};

// Sets (or, with nullopt, removes) an environment variable for the object's
// lifetime, such as TZ or LANG. Tests run one at a time in their process.
class ScopedEnvironmentVariable {
public:
    ScopedEnvironmentVariable(std::string name, const std::optional<std::string>& value)
        : _name(std::move(name))
    {
        if (const char* previous = std::getenv(_name.c_str()))
            _previous = previous;
        assign(value);
    }
    ~ScopedEnvironmentVariable() { assign(_previous); }
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    void assign(const std::optional<std::string>& value)
    {
        if (value)
            ::setenv(_name.c_str(), value->c_str(), 1);
        else
            ::unsetenv(_name.c_str());
    }

    std::string _name;
    std::optional<std::string> _previous;
};

// A date from seconds since 1970, as worked examples give them.
inline Date dateAtUnixSeconds(double seconds)
{
    return Date::withTimeIntervalSince1970(seconds);
}

}  // namespace plat::test
