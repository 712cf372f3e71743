// The checks a WebSocket handshake passes before it is accepted, as pure
// functions of its headers, so that a web site open in a browser on the
// simulator PC cannot turn the knobs:
//   - Host must name this server by an address, this machine's name or
//     "localhost" (a DNS name that resolves here, a rebinding attack, does
//     not);
//   - Origin, when present, must be the page's own: "http://" and the Host.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvane::web {

// host is the Host header ("192.168.1.20:8420", "[::1]:8420", "cockpit-pc");
// machine_names are this machine's names, compared without regard to case.
bool host_allowed(std::string_view host, const std::vector<std::string>& machine_names);

// origin is the Origin header, empty when the client sent none.
bool origin_allowed(std::string_view origin, std::string_view host);

// Both, with the reason for a refusal ("" when accepted).
std::string handshake_refusal(std::string_view host, std::string_view origin,
                              const std::vector<std::string>& machine_names);

}  // namespace corvane::web
