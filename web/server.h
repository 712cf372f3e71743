// corvane-web's server: HTTP and WebSocket on one port (websocketpp over
// standalone Asio), one thread. That thread runs the io loop and, from a
// timer, the one FSUIPC exchange of every period through the Exchanger
// the program hands in; nothing else touches the sessions.
//
// This header names no Asio or Windows type, so that the glue compiles
// apart from the Windows side: under Winelib it uses Asio's POSIX sockets.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "web/protocol.h"

namespace corvane::web {

constexpr std::size_t kMaxConnections = 16;
constexpr std::size_t kMaxBufferedBytes = 1024 * 1024;  // a client that stops reading is dropped
constexpr char kWebSocketPath[] = "/fsuipc/";
constexpr char kSubprotocol[] = "fsuipc";

// The program's side: the FSUIPC link.
class Exchanger {
public:
    virtual ~Exchanger() = default;
    // Carries the writes and the planned reads (into buffer) in one exchange;
    // false when there is no FSUIPC (yet) or the exchange failed.
    virtual bool exchange(const PendingWrites& writes, const ExchangePlan& plan, unsigned char* buffer) = 0;
    // Called about once a second while nothing is read, to open the link.
    virtual void idle() = 0;
    virtual std::uint64_t now_ms() = 0;
    virtual void fill_about(About& about) = 0;
    virtual void say(const std::string& line) = 0;
};

struct ServerSetup {
    std::string address;
    std::uint16_t port = 0;
    WriteRule rule = WriteRule::InputsOnly;
    std::string page;                        // the document served at /
    std::vector<std::string> machine_names;  // accepted in Host besides addresses and localhost
    std::function<bool()> stop;  // polled ten times a second: true ends serve
};

// Serves until setup.stop() says so; false (with the reason said) when the
// port could not be opened.
bool serve(const ServerSetup& setup, Exchanger& exchanger);

}  // namespace corvane::web
