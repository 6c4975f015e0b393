#include "platform/foundation/Log.h"

#include <cstdio>
#include <ctime>
#include <sys/time.h>
#include <unistd.h>

namespace plat::detail {

std::string logArgument(double value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

std::string formatLogLine(std::string_view format, const std::string* arguments, size_t count)
{
    std::string line;
    line.reserve(format.size() + 16 * count);
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        bool hasFollower = i + 1 < format.size();
        if (c == '{' && hasFollower && format[i + 1] == '{') {
            line += '{';
            ++i;
        } else if (c == '}' && hasFollower && format[i + 1] == '}') {
            line += '}';
            ++i;
        } else if (c == '{' && hasFollower && format[i + 1] == '}' && next < count) {
            line += arguments[next++];
            ++i;
        } else {
            line += c;
        }
    }
    return line;
}

void writeLogLine(const std::string& line)
{
    // Wall time on purpose: log lines are read by people, not by the clock-driven code.
    timeval now {};
    ::gettimeofday(&now, nullptr);
    tm local {};
    ::localtime_r(&now.tv_sec, &local);
    char stamp[40];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    // One fprintf per line keeps lines of different threads whole.
    std::fprintf(stderr, "%s.%03ld zantrope[%d] %s\n", stamp, static_cast<long>(now.tv_usec / 1000),
        static_cast<int>(::getpid()), line.c_str());
}

}  // namespace plat::detail
