// corvane-web's command line:
//   corvane-web [--listen ADDR:PORT] [--labels FILE] [--write-any | --read-only]
//               [--wait S] [--version] [--help]
#pragma once

#include <cstdint>
#include <string>

#include "web/protocol.h"

namespace corvane::web {

constexpr char kDefaultAddress[] = "127.0.0.1";
constexpr std::uint16_t kDefaultPort = 8420;

enum ExitCode : int { kExitOk = 0, kExitFailed = 1, kExitBadArguments = 2, kExitNoFsuipc = 3 };

struct Options {
    std::string address = kDefaultAddress;
    std::uint16_t port = kDefaultPort;
    std::string labels_file;
    WriteRule rule = WriteRule::InputsOnly;
    int wait_seconds = 0;
    bool wait_limited = false;
};

// "0.0.0.0:8420", "192.168.1.20:8420", "[::]:8420": an address literal and a
// port 1..65535; false when it is not one.
bool parse_listen(const std::string& text, std::string& address, std::uint16_t& port);

// Reads the arguments. False when the program is to end with exit_code
// (0 after --help or --version, with text to print; 2 for a bad argument,
// with the reason in text).
bool parse_options(int argc, const char* const* argv, Options& options, int& exit_code, std::string& text);

}  // namespace corvane::web
