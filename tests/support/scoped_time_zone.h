// TZ for one test, put back afterwards. Use POSIX rules ("JST-9") so that
// tests do not depend on the installed zone database.
#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace zorvia::test {

class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) m_previous = old;
        Set(zone);
    }
    ~ScopedTimeZone() { Set(m_previous ? m_previous->c_str() : nullptr); }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    static void Set(const char* zone) {
        zone != nullptr ? setenv("TZ", zone, 1) : unsetenv("TZ");
        tzset();
    }
    std::optional<std::string> m_previous;
};

}  // namespace zorvia::test
