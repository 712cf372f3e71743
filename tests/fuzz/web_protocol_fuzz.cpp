// libFuzzer target: corvane-web's message handler and scheduler, fed lines
// of text as two connections would send them. The first byte picks the
// write rule and whether FSUIPC is there; each following line is one message to connection 0 or 1 (by
// its first byte's low bit); a line "x" runs an exchange against a plain
// offset memory. Whatever arrives, every answer is a JSON object in the
// server's shape, nothing but the inputs is written under the default rule
// and nothing at all under --read-only, and no exchange plans more reads than
// its share of the request area.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "web/protocol.h"

namespace {

using namespace corvane::web;

void require(bool ok) {
    if (!ok) {
        std::abort();
    }
}

void check_replies(const std::vector<std::string>& replies) {
    for (const std::string& r : replies) {
        const auto j = nlohmann::json::parse(r, nullptr, false);
        require(j.is_object() && j.contains("command") && j.contains("name") && j["success"].is_boolean() &&
                j.contains("errorCode") && j.contains("errorMessage"));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const WriteRule rule = static_cast<WriteRule>(data[0] % 3);
    std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    std::vector<Session> sessions(2);
    std::vector<unsigned char> memory(kOffsetSpace, 0x5A);
    PendingWrites pending;
    About about;
    about.fsuipc_connected = data[0] < 0x80;
    std::uint64_t now = 1;
    std::vector<std::string> replies;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        now += 7;
        if (line == "x") {
            for (const Write& w : pending.writes) {
                require(w.address + w.size <= kOffsetSpace && w.size <= kMaxBitsSize);
                require(rule != WriteRule::None && about.fsuipc_connected);
                require(rule != WriteRule::InputsOnly || is_input(w.address, w.size));
                std::memcpy(memory.data() + w.address, w.bytes, w.size);
            }
            require(pending.bytes <= kWriteBudget);
            pending = PendingWrites{};
            std::vector<const Session*> all = {&sessions[0], &sessions[1]};
            ExchangePlan plan;
            plan_exchange(all, plan);
            require(plan.area_bytes <= kReadBudget);
            std::vector<unsigned char> buffer(plan.buffer_bytes);
            for (const ReadRange& r : plan.ranges) {
                require(r.address + r.size <= kOffsetSpace && r.at + r.size <= buffer.size());
                std::memcpy(buffer.data() + r.at, memory.data() + r.address, r.size);
            }
            for (Session& s : sessions) {
                replies.clear();
                deliver(s, plan, buffer.data(), now, exchange_period_ms(all), replies);
                check_replies(replies);
            }
            continue;
        }
        const std::size_t c = line.empty() ? 0 : static_cast<unsigned char>(line[0]) & 1u;
        Session& session = sessions[c];
        ExchangePlan other;
        plan_exchange({&sessions[1 - c]}, other);
        replies.clear();
        handle_message(session, rule, about, line, now, other.area_bytes, pending, replies);
        check_replies(replies);
        require(session.declarations.size() <= kMaxDeclarations);
        for (const Declaration& d : session.declarations) {
            require(d.offsets.size() <= kMaxOffsetsPerDeclaration);
        }
    }
    return 0;
}
