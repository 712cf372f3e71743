// corvane-web's command line, read with CLI11 (see options.h).
#include "web/options.h"

#include <CLI/CLI.hpp>

#include "common/version.h"

namespace corvane::web {

namespace {

constexpr unsigned long kPortMax = 65535;
constexpr int kWaitMax = 86400;

bool all_digits(const std::string& text) {
    return !text.empty() && text.size() <= 5 &&
           text.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

bool parse_listen(const std::string& text, std::string& address, std::uint16_t& port) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0 || !all_digits(text.substr(colon + 1))) {
        return false;
    }
    const unsigned long number = std::stoul(text.substr(colon + 1));
    if (number == 0 || number > kPortMax) {
        return false;
    }
    std::string host = text.substr(0, colon);
    if (host.front() == '[') {
        if (host.back() != ']' || host.size() < 3 ||
            host.find_first_not_of("0123456789abcdefABCDEF:.", 1) != host.size() - 1) {
            return false;
        }
        host = host.substr(1, host.size() - 2);
    } else {
        int dots = 0;
        for (char c : host) {
            dots += c == '.';
            if (c != '.' && (c < '0' || c > '9')) {
                return false;
            }
        }
        if (dots != 3) {
            return false;
        }
    }
    address = host;
    port = static_cast<std::uint16_t>(number);
    return true;
}

bool parse_options(int argc, const char* const* argv, Options& options, int& exit_code, std::string& text) {
    CLI::App app{"corvane-web: Corvane's offset block on a tablet or a phone, over the FSUIPC WebSocket "
                 "Server's protocol (the page at /, the WebSocket at /fsuipc/)",
                 "corvane-web"};
    std::string listen;
    bool write_any = false;
    bool read_only = false;
    bool version = false;
    app.add_option("--listen", listen,
                   "address and port to serve on (default 127.0.0.1:8420; 0.0.0.0:8420 opens it to the LAN)");
    app.add_option("--labels", options.labels_file, "your names for the offsets and lamps (a labels CSV file)");
    auto* any = app.add_flag("--write-any", write_any, "let clients write any offset, not only Corvane's inputs");
    auto* none = app.add_flag("--read-only", read_only, "let no client write anything");
    any->excludes(none);
    app.add_option("--wait", options.wait_seconds, "give up after S seconds without FSUIPC (default: wait on)")
        ->check(CLI::Range(1, kWaitMax));
    app.add_flag("--version", version, "print the version and end");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        text = app.help();
        exit_code = kExitOk;
        return false;
    } catch (const CLI::ParseError& e) {
        text = e.what();
        exit_code = kExitBadArguments;
        return false;
    }
    if (version) {
        text = std::string("corvane-web ") + CORVANE_VERSION + "\n";
        exit_code = kExitOk;
        return false;
    }
    if (!listen.empty() && !parse_listen(listen, options.address, options.port)) {
        text = "--listen " + listen + ": give an address and a port, for example 0.0.0.0:8420";
        exit_code = kExitBadArguments;
        return false;
    }
    options.rule = write_any ? WriteRule::Any : read_only ? WriteRule::None : WriteRule::InputsOnly;
    options.wait_limited = options.wait_seconds > 0;
    return true;
}

}  // namespace corvane::web
