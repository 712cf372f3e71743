// Host and Origin rules of the WebSocket handshake (see handshake.h).
#include "web/handshake.h"

#include <cctype>

namespace corvane::web {

namespace {

constexpr std::string_view kLocalhost = "localhost";
constexpr std::string_view kHttp = "http://";
constexpr int kIpv4Parts = 4;
constexpr int kOctetMax = 255;
constexpr std::size_t kPortDigitsMax = 5;

bool same_text(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

bool digits(std::string_view text, std::size_t max) {
    if (text.empty() || text.size() > max) {
        return false;
    }
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

bool ipv4(std::string_view text) {
    for (int part = 0; part < kIpv4Parts; ++part) {
        const std::size_t dot = text.find('.');
        const std::string_view digits_of_part = text.substr(0, dot);
        if (!digits(digits_of_part, 3) || std::stoi(std::string(digits_of_part)) > kOctetMax) {
            return false;
        }
        const bool last = part == kIpv4Parts - 1;
        if (last != (dot == std::string_view::npos)) {
            return false;  // three dots, no more and no fewer
        }
        text.remove_prefix(last ? text.size() : dot + 1);
    }
    return true;
}

bool ipv6(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c)) && c != ':' && c != '.') {
            return false;
        }
    }
    return text.find(':') != std::string_view::npos;
}

// The host part of a Host header, without its port; false when malformed.
bool host_part(std::string_view host, std::string_view& name, bool& bracketed) {
    bracketed = !host.empty() && host.front() == '[';
    if (bracketed) {
        const std::size_t close = host.find(']');
        if (close == std::string_view::npos) {
            return false;
        }
        name = host.substr(1, close - 1);
        const std::string_view rest = host.substr(close + 1);
        return rest.empty() || (rest.front() == ':' && digits(rest.substr(1), kPortDigitsMax));
    }
    const std::size_t colon = host.find(':');
    name = host.substr(0, colon);
    return colon == std::string_view::npos || digits(host.substr(colon + 1), kPortDigitsMax);
}

}  // namespace

bool host_allowed(std::string_view host, const std::vector<std::string>& machine_names) {
    std::string_view name;
    bool bracketed = false;
    if (!host_part(host, name, bracketed) || name.empty()) {
        return false;
    }
    if (bracketed) {
        return ipv6(name);
    }
    if (ipv4(name) || same_text(name, kLocalhost)) {
        return true;
    }
    for (const std::string& machine : machine_names) {
        if (!machine.empty() && same_text(name, machine)) {
            return true;
        }
    }
    return false;
}

bool origin_allowed(std::string_view origin, std::string_view host) {
    if (origin.empty()) {
        return true;  // not a browser: nothing a web site could send
    }
    if (origin.size() != kHttp.size() + host.size()) {
        return false;
    }
    return same_text(origin.substr(0, kHttp.size()), kHttp) && same_text(origin.substr(kHttp.size()), host);
}

std::string handshake_refusal(std::string_view host, std::string_view origin,
                              const std::vector<std::string>& machine_names) {
    if (!host_allowed(host, machine_names)) {
        return "Host " + std::string(host) + " is not this machine";
    }
    if (!origin_allowed(origin, host)) {
        return "Origin " + std::string(origin) + " is not this page's";
    }
    return "";
}

}  // namespace corvane::web
