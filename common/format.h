// printf-style formatting into a std::string of whatever length it takes,
// for the tools and documents the program prints; never on a tick.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

namespace corvane {

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
inline std::string format(const char* pattern, ...) {
    va_list args;
    va_start(args, pattern);
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, pattern, measure);
    va_end(measure);
    std::string text(length > 0 ? static_cast<std::size_t>(length) : 0u, '\0');
    if (length > 0) {
        std::vsnprintf(&text[0], text.size() + 1, pattern, args);
    }
    va_end(args);
    return text;
}

}  // namespace corvane
