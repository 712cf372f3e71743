// web_bench: N browsers' worth of WebSocket clients against a running
// corvane-web (started with --write-any), each reading the whole block
// 0x9400-0x94FB (252 one-byte offsets, as a generic client declares it)
// every INTERVAL ms with changesOnly. Once a second client 0 writes a new
// value into an unused offset of the block (0x947D); the time from that
// write to each client's answer carrying it is one latency sample.
//
//   web_bench ws://127.0.0.1:8420/fsuipc/ [CLIENTS=8] [INTERVAL_MS=50] [SECONDS=30]
//
// Prints the samples' median, p99 and maximum, and how many answers each
// client got. Run by scripts/web-bench.sh, which also counts the offset
// server's exchanges; a benchmark, not a test.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <websocketpp/client.hpp>
#include <websocketpp/config/asio_no_tls_client.hpp>

namespace {

using Client = websocketpp::client<websocketpp::config::asio_client>;
using Clock = std::chrono::steady_clock;
using nlohmann::json;

constexpr std::uint32_t kFirst = 0x9400;
constexpr std::uint32_t kSize = 252;
constexpr std::uint32_t kProbe = 0x947D;  // unused by Corvane
constexpr char kProbeName[] = "o947d";

struct Bench {
    Client client;
    std::vector<websocketpp::connection_hdl> handles;
    std::vector<int> answers;
    int open = 0;
    int clients = 8;
    int interval_ms = 50;
    int probe_value = 0;
    Clock::time_point probe_sent;
    std::vector<int> seen_value;
    std::vector<double> samples_ms;
};

std::string declaration() {
    json offsets = json::array();
    for (std::uint32_t i = 0; i < kSize; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "o%04x", kFirst + i);
        offsets.push_back({{"name", name}, {"address", kFirst + i}, {"type", "uint"}, {"size", 1}});
    }
    return json{{"command", "offsets.declare"}, {"name", "block"}, {"offsets", offsets}}.dump();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: web_bench URL [CLIENTS] [INTERVAL_MS] [SECONDS]\n");
        return 2;
    }
    Bench b;
    b.clients = argc > 2 ? std::atoi(argv[2]) : 8;
    b.interval_ms = argc > 3 ? std::atoi(argv[3]) : 50;
    const int seconds = argc > 4 ? std::atoi(argv[4]) : 30;
    b.answers.assign(b.clients, 0);
    b.seen_value.assign(b.clients, -1);
    b.client.clear_access_channels(websocketpp::log::alevel::all);
    b.client.clear_error_channels(websocketpp::log::elevel::all);
    b.client.init_asio();
    const std::string declare = declaration();
    const std::string read = json{{"command", "offsets.read"}, {"name", "block"},
                                  {"interval", b.interval_ms}, {"changesOnly", true}}.dump();

    asio::steady_timer probe(b.client.get_io_service());
    std::function<void()> next_probe = [&] {
        probe.expires_after(std::chrono::seconds(1));
        probe.async_wait([&](const std::error_code& ec) {
            if (ec) {
                return;
            }
            b.probe_value = (b.probe_value + 1) & 0xFF;
            b.probe_sent = Clock::now();
            const json write = {{"command", "offsets.write"}, {"name", "block"},
                                {"offsets", json::array({{{"name", kProbeName}, {"value", b.probe_value}}})}};
            b.client.send(b.handles[0], write.dump(), websocketpp::frame::opcode::text);
            next_probe();
        });
    };

    for (int c = 0; c < b.clients; ++c) {
        std::error_code ec;
        auto con = b.client.get_connection(argv[1], ec);
        if (ec) {
            std::fprintf(stderr, "web_bench: %s\n", ec.message().c_str());
            return 1;
        }
        con->add_subprotocol("fsuipc");
        con->set_open_handler([&, c](websocketpp::connection_hdl h) {
            b.client.send(h, declare, websocketpp::frame::opcode::text);
            b.client.send(h, read, websocketpp::frame::opcode::text);
            if (++b.open == b.clients) {
                next_probe();
            }
        });
        con->set_fail_handler([&](websocketpp::connection_hdl) {
            std::fprintf(stderr, "web_bench: a connection failed\n");
            b.client.stop();
        });
        con->set_message_handler([&, c](websocketpp::connection_hdl, Client::message_ptr m) {
            const json j = json::parse(m->get_payload(), nullptr, false);
            if (!j.is_object() || j.value("command", "") != "offsets.read" || !j.contains("data")) {
                return;
            }
            ++b.answers[c];
            const auto it = j["data"].find(kProbeName);
            if (it != j["data"].end() && it->is_number() && it->get<int>() == b.probe_value &&
                b.seen_value[c] != b.probe_value && b.probe_sent != Clock::time_point{}) {
                b.seen_value[c] = b.probe_value;
                b.samples_ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - b.probe_sent).count());
            }
        });
        b.handles.push_back(con->get_handle());
        b.client.connect(con);
    }
    asio::steady_timer end(b.client.get_io_service(), std::chrono::seconds(seconds));
    end.async_wait([&](const std::error_code&) {
        probe.cancel();
        b.client.stop();
    });
    b.client.run();

    std::sort(b.samples_ms.begin(), b.samples_ms.end());
    const auto at = [&](double q) {
        return b.samples_ms.empty() ? 0.0 : b.samples_ms[std::min(b.samples_ms.size() - 1,
                                                                  static_cast<std::size_t>(q * b.samples_ms.size()))];
    };
    std::printf("clients %d, interval %d ms, %d s: %zu samples, median %.1f ms, p99 %.1f ms, max %.1f ms\n",
                b.clients, b.interval_ms, seconds, b.samples_ms.size(), at(0.5), at(0.99),
                b.samples_ms.empty() ? 0.0 : b.samples_ms.back());
    std::printf("answers per client:");
    for (int a : b.answers) {
        std::printf(" %d", a);
    }
    std::printf("\n");
    return b.samples_ms.empty() ? 1 : 0;
}
