// corvane-web's server glue: websocketpp over standalone Asio, one thread
// (see server.h). The protocol itself is web/protocol.*; this file only
// moves messages between the sockets, the sessions and the exchange.
#include "web/server.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <map>
#include <memory>
#include <set>

#include <websocketpp/config/asio_no_tls.hpp>
#include <websocketpp/server.hpp>

#include "web/handshake.h"

namespace corvane::web {

namespace {

using Endpoint = websocketpp::server<websocketpp::config::asio>;
using Handle = websocketpp::connection_hdl;
using Connection = Endpoint::connection_ptr;

constexpr auto kStopPoll = std::chrono::milliseconds(100);
constexpr std::uint64_t kIdleMs = 1000;
constexpr std::size_t kMaxHttpBody = 1024;

struct Server {
    const ServerSetup& setup;
    Exchanger& exchanger;
    Endpoint endpoint;
    std::map<Handle, Session, std::owner_less<Handle>> sessions;
    PendingWrites pending;
    ExchangePlan plan;
    std::vector<unsigned char> buffer;
    std::vector<std::string> replies;
    std::unique_ptr<asio::steady_timer> exchange_timer;
    std::unique_ptr<asio::steady_timer> stop_timer;
    std::uint32_t armed_period = 0;  // the exchange timer's period; 0: not armed
    bool exchange_posted = false;
    std::uint64_t last_idle_ms = 0;
    std::uint64_t dropped = 0;

    Server(const ServerSetup& s, Exchanger& e) : setup(s), exchanger(e) {}

    std::vector<const Session*> all() const {
        std::vector<const Session*> list;
        list.reserve(sessions.size());
        for (const auto& entry : sessions) {
            list.push_back(&entry.second);
        }
        return list;
    }

    // Sends text to one client; one that lets 1 MiB wait is dropped, so it
    // never holds the others back.
    void send(const Handle& hdl, const std::string& text) {
        websocketpp::lib::error_code ec;
        Connection con = endpoint.get_con_from_hdl(hdl, ec);
        if (ec || con->get_state() != websocketpp::session::state::open) {
            return;
        }
        if (con->get_buffered_amount() + text.size() > kMaxBufferedBytes) {
            ++dropped;
            exchanger.say("a client stopped reading (1 MiB waits for it); dropped");
            sessions.erase(hdl);
            con->terminate(ec);
            return;
        }
        endpoint.send(hdl, text, websocketpp::frame::opcode::text, ec);
    }

    void run_exchange() {
        const std::vector<const Session*> list = all();
        plan_exchange(list, plan);
        if (plan.ranges.empty() && pending.writes.empty()) {
            return;
        }
        buffer.assign(plan.buffer_bytes, 0);
        const bool ok = exchanger.exchange(pending, plan, buffer.data());
        pending = PendingWrites{};
        if (!ok) {
            return;  // no FSUIPC: the reads wait for the next exchange
        }
        const std::uint64_t now = exchanger.now_ms();
        const std::uint32_t period = exchange_period_ms(list);
        // Answers first, sends after: a send may drop a client from the map.
        std::vector<std::pair<Handle, std::string>> out;
        for (auto& entry : sessions) {
            replies.clear();
            deliver(entry.second, plan, buffer.data(), now, period, replies);
            for (std::string& r : replies) {
                out.emplace_back(entry.first, std::move(r));
            }
        }
        for (const auto& [hdl, text] : out) {
            send(hdl, text);
        }
    }

    // Keeps the exchange timer at the period the running reads ask for.
    void rearm() {
        const std::uint32_t period = exchange_period_ms(all());
        if (period == armed_period) {
            return;
        }
        armed_period = period;
        exchange_timer->cancel();
        if (period != 0) {
            exchange_timer->expires_after(std::chrono::milliseconds(period));
            wait_period(period);
        }
    }

    void wait_period(std::uint32_t period) {
        exchange_timer->async_wait([this, period](const std::error_code& ec) {
            if (ec || period != armed_period) {
                return;
            }
            run_exchange();
            // The next period from the last one's end, never in the past.
            auto next = exchange_timer->expiry() + std::chrono::milliseconds(period);
            const auto now = asio::steady_timer::clock_type::now();
            if (next < now) {
                next = now + std::chrono::milliseconds(period);
            }
            exchange_timer->expires_at(next);
            rearm();
            if (armed_period == period) {
                wait_period(period);
            }
        });
    }

    // A read once, or writes with no period to carry them: an exchange now.
    void post_exchange_if_owed() {
        bool owed = !pending.writes.empty() && armed_period == 0;
        for (const auto& entry : sessions) {
            for (const Declaration& d : entry.second.declarations) {
                owed |= d.once_pending;
            }
        }
        if (!owed || exchange_posted) {
            return;
        }
        exchange_posted = true;
        asio::post(endpoint.get_io_service(), [this] {
            exchange_posted = false;
            run_exchange();
        });
    }

    // What the other connections' reads take of the request area.
    std::uint32_t read_area_elsewhere(const Session& self) const {
        std::vector<const Session*> others;
        for (const auto& entry : sessions) {
            if (&entry.second != &self) {
                others.push_back(&entry.second);
            }
        }
        ExchangePlan other_plan;
        plan_exchange(others, other_plan);
        return other_plan.area_bytes;
    }

    void on_message(const Handle& hdl, const Endpoint::message_ptr& message) {
        auto it = sessions.find(hdl);
        if (it == sessions.end()) {
            return;
        }
        replies.clear();
        if (message->get_opcode() != websocketpp::frame::opcode::text) {
            replies.push_back(error_reply("", "BadJson", "messages are JSON text"));
        } else {
            About about;
            exchanger.fill_about(about);
            about.period_ms = armed_period;
            about.connections = sessions.size();
            handle_message(it->second, setup.rule, about, message->get_payload(), exchanger.now_ms(),
                           read_area_elsewhere(it->second), pending, replies);
        }
        const std::vector<std::string> answers = replies;
        for (const std::string& r : answers) {
            send(hdl, r);
        }
        rearm();
        post_exchange_if_owed();
    }

    bool validate(const Handle& hdl) {
        Connection con = endpoint.get_con_from_hdl(hdl);
        const std::string host = con->get_request_header("Host");
        const std::string origin = con->get_request_header("Origin");
        std::string why = handshake_refusal(host, origin, setup.machine_names);
        const std::string resource = con->get_resource();
        if (why.empty() && resource != kWebSocketPath && resource != "/fsuipc") {
            why = "no WebSocket at " + resource + "; it is at /fsuipc/";
        }
        const std::vector<std::string>& asked = con->get_requested_subprotocols();
        if (why.empty() && std::find(asked.begin(), asked.end(), kSubprotocol) == asked.end()) {
            why = "the WebSocket's subprotocol is fsuipc";
        }
        if (why.empty() && sessions.size() >= kMaxConnections) {
            con->set_status(websocketpp::http::status_code::service_unavailable);
            exchanger.say("a connection refused: 16 are open already");
            return false;
        }
        if (!why.empty()) {
            con->set_status(websocketpp::http::status_code::forbidden);
            exchanger.say("a connection refused: " + why);
            return false;
        }
        con->select_subprotocol(kSubprotocol);
        return true;
    }

    void on_http(const Handle& hdl) {
        Connection con = endpoint.get_con_from_hdl(hdl);
        const std::string host = con->get_request_header("Host");
        const std::string resource = con->get_resource();
        if (!host_allowed(host, setup.machine_names)) {
            con->set_status(websocketpp::http::status_code::forbidden);
            con->set_body("Host not accepted\n");
            return;
        }
        if (resource != "/" && resource.rfind("/?", 0) != 0 && resource != "/index.html") {
            con->set_status(websocketpp::http::status_code::not_found);
            con->set_body("not found\n");
            return;
        }
        con->set_status(websocketpp::http::status_code::ok);
        con->append_header("Content-Type", "text/html; charset=utf-8");
        con->append_header("Cache-Control", "no-store");
        con->append_header("X-Content-Type-Options", "nosniff");
        con->append_header("Content-Security-Policy",
                           "default-src 'none'; script-src 'unsafe-inline'; style-src 'unsafe-inline'; "
                           "connect-src ws: wss:; img-src data:");
        con->set_body(setup.page);
    }

    void watch_stop() {
        stop_timer->expires_after(kStopPoll);
        stop_timer->async_wait([this](const std::error_code& ec) {
            if (ec) {
                return;
            }
            if (setup.stop && setup.stop()) {
                shut_down();
                return;
            }
            const std::uint64_t now = exchanger.now_ms();
            if (armed_period == 0 && now - last_idle_ms >= kIdleMs) {
                last_idle_ms = now;
                exchanger.idle();
                post_exchange_if_owed();
            }
            watch_stop();
        });
    }

    void shut_down() {
        websocketpp::lib::error_code ec;
        endpoint.stop_listening(ec);
        exchange_timer->cancel();
        for (auto& entry : sessions) {
            endpoint.close(entry.first, websocketpp::close::status::going_away, "corvane-web ends", ec);
        }
        sessions.clear();
        endpoint.stop();
    }
};

void print_urls(const ServerSetup& setup, Exchanger& exchanger) {
    const std::string port = std::to_string(setup.port);
    auto url = [&](const std::string& host) { return "http://" + host + ":" + port + "/"; };
    if (setup.address != "0.0.0.0" && setup.address != "::") {
        const bool v6 = setup.address.find(':') != std::string::npos;
        exchanger.say("open " + url(v6 ? "[" + setup.address + "]" : setup.address) + " in a browser");
        return;
    }
    std::set<std::string> seen;  // lower case: Host names are compared without case
    const auto first_time = [&seen](std::string name) {
        for (char& c : name) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        return seen.insert(name).second;
    };
    exchanger.say("open " + url("127.0.0.1") + " on this machine, or from a tablet or a phone:");
    std::error_code ec;
    const std::string name = asio::ip::host_name(ec);
    if (!ec && !name.empty()) {
        asio::io_context io;
        asio::ip::tcp::resolver resolver(io);
        const auto results = resolver.resolve(asio::ip::tcp::v4(), name, port, ec);
        if (!ec) {
            for (const auto& r : results) {
                const asio::ip::address a = r.endpoint().address();
                if (!a.is_loopback() && first_time(a.to_string())) {
                    exchanger.say("  " + url(a.to_string()));
                }
            }
        }
        if (first_time(name)) {
            exchanger.say("  " + url(name));
        }
    }
    for (const std::string& machine : setup.machine_names) {
        if (!machine.empty() && first_time(machine)) {
            exchanger.say("  " + url(machine));
        }
    }
}

}  // namespace

bool serve(const ServerSetup& setup, Exchanger& exchanger) {
    auto server = std::make_unique<Server>(setup, exchanger);
    Endpoint& endpoint = server->endpoint;
    endpoint.clear_access_channels(websocketpp::log::alevel::all);
    endpoint.clear_error_channels(websocketpp::log::elevel::all);
    endpoint.init_asio();
    endpoint.set_max_message_size(kMaxMessageBytes);
    endpoint.set_max_http_body_size(kMaxHttpBody);
    Server* s = server.get();
    endpoint.set_validate_handler([s](Handle hdl) { return s->validate(hdl); });
    endpoint.set_open_handler([s](Handle hdl) { s->sessions.emplace(hdl, Session{}); });
    endpoint.set_close_handler([s](Handle hdl) {
        s->sessions.erase(hdl);
        s->rearm();
    });
    endpoint.set_fail_handler([s](Handle hdl) { s->sessions.erase(hdl); });
    endpoint.set_message_handler([s](Handle hdl, Endpoint::message_ptr m) { s->on_message(hdl, m); });
    endpoint.set_http_handler([s](Handle hdl) { s->on_http(hdl); });

    std::error_code ec;
    const asio::ip::address address = asio::ip::make_address(setup.address, ec);
    if (ec) {
        exchanger.say("cannot listen on " + setup.address + ": not an address");
        return false;
    }
    endpoint.listen(asio::ip::tcp::endpoint(address, setup.port), ec);
    if (ec) {
        exchanger.say("cannot listen on " + setup.address + ":" + std::to_string(setup.port) + " (" +
                      ec.message() + "); is another corvane-web running? Try --listen with another port");
        return false;
    }
    endpoint.start_accept(ec);
    if (ec) {
        exchanger.say("cannot accept connections (" + ec.message() + ")");
        return false;
    }
    server->exchange_timer = std::make_unique<asio::steady_timer>(endpoint.get_io_service());
    server->stop_timer = std::make_unique<asio::steady_timer>(endpoint.get_io_service());
    print_urls(setup, exchanger);
    server->watch_stop();
    endpoint.run();
    return true;
}

}  // namespace corvane::web
