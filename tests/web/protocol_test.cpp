// corvane-web's protocol against a second world: a plain 64 KiB offset
// memory that the test's exchange writes and reads as the offset server
// would. Whatever the handler and the scheduler plan, every value a read
// answers must be what that memory holds at the declared offset.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "web/handshake.h"
#include "web/options.h"
#include "web/page_map.h"
#include "web/protocol.h"

namespace corvane::web {
namespace {

using nlohmann::json;

// One server with its connections and the oracle memory.
struct World {
    std::vector<Session> sessions;
    std::vector<unsigned char> memory = std::vector<unsigned char>(kOffsetSpace, 0);
    PendingWrites pending;
    WriteRule rule = WriteRule::InputsOnly;
    About about;
    std::uint64_t now = 1000;
    int exchanges = 0;

    explicit World(std::size_t connections = 1) : sessions(connections) { about.fsuipc_connected = true; }

    std::vector<json> send(const json& message, std::size_t connection = 0) {
        return deliver_text(message.dump(), connection);
    }
    std::vector<json> send_text(const std::string& text) { return deliver_text(text, 0); }
    std::vector<json> deliver_text(const std::string& text, std::size_t connection) {
        std::vector<const Session*> others;
        for (std::size_t c = 0; c < sessions.size(); ++c) {
            if (c != connection) {
                others.push_back(&sessions[c]);
            }
        }
        ExchangePlan elsewhere;
        plan_exchange(others, elsewhere);
        std::vector<std::string> replies;
        handle_message(sessions[connection], rule, about, text, now, elsewhere.area_bytes, pending, replies);
        return parse(replies);
    }
    static std::vector<json> parse(const std::vector<std::string>& replies) {
        std::vector<json> out;
        for (const std::string& r : replies) {
            out.push_back(json::parse(r));
        }
        return out;
    }
    std::vector<const Session*> all() const {
        std::vector<const Session*> list;
        for (const Session& s : sessions) {
            list.push_back(&s);
        }
        return list;
    }
    // One exchange as the glue runs it: writes first, then the planned reads.
    std::vector<std::vector<json>> exchange() {
        ++exchanges;
        for (const Write& w : pending.writes) {
            std::memcpy(memory.data() + w.address, w.bytes, w.size);
        }
        pending = PendingWrites{};
        ExchangePlan plan;
        plan_exchange(all(), plan);
        std::vector<unsigned char> buffer(plan.buffer_bytes);
        for (const ReadRange& r : plan.ranges) {
            std::memcpy(buffer.data() + r.at, memory.data() + r.address, r.size);
        }
        const std::uint32_t period = exchange_period_ms(all());
        std::vector<std::vector<json>> answers;
        for (Session& s : sessions) {
            std::vector<std::string> replies;
            deliver(s, plan, buffer.data(), now, period, replies);
            answers.push_back(parse(replies));
        }
        return answers;
    }
    // Advances the clock by the period, exchanging when due, as the timer does.
    std::vector<std::vector<json>> tick() {
        now += std::max<std::uint32_t>(exchange_period_ms(all()), kMinIntervalMs);
        if (exchange_due(all(), now)) {
            return exchange();
        }
        return std::vector<std::vector<json>>(sessions.size());
    }
};

json offset(const std::string& name, std::uint32_t address, const std::string& type, std::uint32_t size) {
    return {{"name", name}, {"address", address}, {"type", type}, {"size", size}};
}

json declare(const std::string& name, json offsets) {
    return {{"command", "offsets.declare"}, {"name", name}, {"offsets", std::move(offsets)}};
}

json command(const std::string& c, const std::string& name) { return {{"command", c}, {"name", name}}; }

void expect_answer_shape(const json& r) {
    for (const char* key : {"command", "name", "success", "errorCode", "errorMessage"}) {
        EXPECT_TRUE(r.contains(key)) << key << " missing in " << r.dump();
    }
    if (r["success"] == true) {
        EXPECT_TRUE(r["errorCode"].is_null());
    } else {
        EXPECT_TRUE(r["errorCode"].is_string());
        EXPECT_FALSE(r["errorMessage"].get<std::string>().empty());
    }
}

// The oracle's own reading of an offset, independent of the handler's.
json oracle_value(const World& w, std::uint32_t address, const std::string& type, std::uint32_t size) {
    if (type == "bits") {
        json bits = json::array();
        for (std::uint32_t b = 0; b < size * 8; ++b) {
            bits.push_back(((w.memory[address + b / 8] >> (b % 8)) & 1) == 1);
        }
        return bits;
    }
    unsigned __int128 v = 0;
    for (std::uint32_t i = 0; i < size; ++i) {
        v |= static_cast<unsigned __int128>(w.memory[address + i]) << (8 * i);
    }
    if (type == "uint") {
        return static_cast<std::uint64_t>(v);
    }
    const unsigned __int128 top = static_cast<unsigned __int128>(1) << (8 * size - 1);
    const __int128 s = (v & top) ? static_cast<__int128>(v) - static_cast<__int128>(top << 1) : static_cast<__int128>(v);
    return static_cast<std::int64_t>(s);
}

// ---- the commands, row by row: what each answers ----------------------------------

struct Row {
    const char* what;
    json message;
    bool success;
    const char* error_code;  // nullptr when it succeeds
};

TEST(WebProtocol, EveryCommandAndEveryRefusalIsAnsweredInTheServersShape) {
    World w;
    const json block = json::array({offset("alt", 0x943A, "uint", 2), offset("word", 0x9400, "int", 2),
                                    offset("lamps", 0x9402, "bits", 1), offset("panel", 0x9472, "uint", 1)});
    const std::vector<Row> rows = {
        {"declare", declare("mcp", block), true, nullptr},
        {"not JSON", "{oops", false, "BadJson"},
        {"not an object", json::array({1, 2}), false, "BadJson"},
        {"no command", json{{"name", "mcp"}}, false, "BadRequest"},
        {"unknown command", command("offsets.explode", "mcp"), false, "UnknownCommand"},
        {"no name", json{{"command", "offsets.read"}}, false, "BadRequest"},
        {"name not text", json{{"command", "offsets.read"}, {"name", 7}}, false, "BadRequest"},
        {"read of an unknown name", command("offsets.read", "nope"), false, "UnknownName"},
        {"offsets not an array", json{{"command", "offsets.declare"}, {"name", "x"}, {"offsets", 3}}, false, "BadRequest"},
        {"empty declaration", declare("x", json::array()), false, "BadRequest"},
        {"bad type", declare("x", json::array({offset("a", 0x9400, "float", 4)})), false, "BadRequest"},
        {"int of size 3", declare("x", json::array({offset("a", 0x9400, "int", 3)})), false, "BadRequest"},
        {"bits of size 0", declare("x", json::array({offset("a", 0x9400, "bits", 0)})), false, "BadRequest"},
        {"address past the space", declare("x", json::array({offset("a", 0x10000, "uint", 1)})), false, "BadRequest"},
        {"runs past 0xFFFF", declare("x", json::array({offset("a", 0xFFFE, "uint", 4)})), false, "BadRequest"},
        {"negative address", json{{"command", "offsets.declare"}, {"name", "x"}, {"offsets", json::array({{{"name", "a"}, {"address", -1}, {"type", "uint"}, {"size", 1}}})}}, false, "BadRequest"},
        {"address as text", json{{"command", "offsets.declare"}, {"name", "x"}, {"offsets", json::array({{{"name", "a"}, {"address", "0x9400"}, {"type", "uint"}, {"size", 1}}})}}, false, "BadRequest"},
        {"offset named twice", declare("x", json::array({offset("a", 0x9400, "uint", 1), offset("a", 0x9401, "uint", 1)})), false, "BadRequest"},
        {"interval not a number", json{{"command", "offsets.read"}, {"name", "mcp"}, {"interval", "fast"}}, false, "BadRequest"},
        {"negative interval", json{{"command", "offsets.read"}, {"name", "mcp"}, {"interval", -5}}, false, "BadRequest"},
        {"changesOnly not a boolean", json{{"command", "offsets.read"}, {"name", "mcp"}, {"changesOnly", 1}}, false, "BadRequest"},
        {"write to an input", json{{"command", "offsets.write"}, {"name", "mcp"}, {"offsets", json::array({{{"name", "word"}, {"value", 1232}}})}}, true, nullptr},
        {"write outside the inputs", json{{"command", "offsets.write"}, {"name", "mcp"}, {"offsets", json::array({{{"name", "alt"}, {"value", 1}}})}}, false, "WriteRefused"},
        {"write of an undeclared offset", json{{"command", "offsets.write"}, {"name", "mcp"}, {"offsets", json::array({{{"name", "ghost"}, {"value", 1}}})}}, false, "UnknownName"},
        {"write out of range", json{{"command", "offsets.write"}, {"name", "mcp"}, {"offsets", json::array({{{"name", "word"}, {"value", 40000}}})}}, false, "BadRequest"},
        {"write of a fraction", json{{"command", "offsets.write"}, {"name", "mcp"}, {"offsets", json::array({{{"name", "word"}, {"value", 1.5}}})}}, false, "BadRequest"},
        {"write without value", json{{"command", "offsets.write"}, {"name", "mcp"}, {"offsets", json::array({{{"name", "word"}}})}}, false, "BadRequest"},
        {"stop", command("offsets.stop", "mcp"), true, nullptr},
        {"about", command("about.read", "who"), true, nullptr},
        {"remove", command("offsets.remove", "mcp"), true, nullptr},
        {"read after remove", command("offsets.read", "mcp"), false, "UnknownName"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::vector<json> replies =
            row.message.is_string() ? w.send_text(row.message.get<std::string>()) : w.send(row.message);
        ASSERT_EQ(replies.size(), 1u);
        expect_answer_shape(replies[0]);
        EXPECT_EQ(replies[0]["success"], row.success) << replies[0].dump();
        if (row.error_code != nullptr) {
            EXPECT_EQ(replies[0]["errorCode"], row.error_code);
        }
        if (row.message.is_object() && row.message.contains("command")) {
            EXPECT_EQ(replies[0]["command"], row.message["command"]);
        }
    }
    // Without FSUIPC a write is refused, not kept for a link that may come.
    w.about.fsuipc_connected = false;
    w.send(declare("late", json::array({offset("word", 0x9400, "int", 2)})));
    const json late = w.send({{"command", "offsets.write"}, {"name", "late"},
                              {"offsets", json::array({{{"name", "word"}, {"value", 1}}})}})[0];
    EXPECT_EQ(late["errorCode"], "NoFsuipc");
    // The one write that was accepted is the only one that reaches the exchange.
    ASSERT_EQ(w.pending.writes.size(), 1u);
    EXPECT_EQ(w.pending.writes[0].address, 0x9400u);
}

TEST(WebProtocol, TheWriteRuleDecidesWhatMayBeWrittenAndEachRefusalSaysWhy) {
    struct Case {
        WriteRule rule;
        std::uint32_t address;
        std::uint32_t size;
        bool accepted;
    };
    const Case cases[] = {
        {WriteRule::InputsOnly, 0x9400, 2, true},  {WriteRule::InputsOnly, 0x9401, 1, true},
        {WriteRule::InputsOnly, 0x9400, 4, false}, {WriteRule::InputsOnly, 0x9428, 1, true},
        {WriteRule::InputsOnly, 0x9428, 2, false}, {WriteRule::InputsOnly, 0x94F0, 8, true},
        {WriteRule::InputsOnly, 0x94F8, 4, true},  {WriteRule::InputsOnly, 0x94FB, 2, false},
        {WriteRule::InputsOnly, 0x943A, 2, false}, {WriteRule::InputsOnly, 0x9429, 1, false},
        {WriteRule::Any, 0x943A, 2, true},         {WriteRule::Any, 0x0BC0, 2, true},
        {WriteRule::None, 0x9400, 2, false},       {WriteRule::None, 0x94F0, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.address) + " size " + std::to_string(c.size));
        World w;
        w.rule = c.rule;
        w.send(declare("d", json::array({offset("o", c.address, "uint", c.size)})));
        const json r = w.send({{"command", "offsets.write"}, {"name", "d"},
                               {"offsets", json::array({{{"name", "o"}, {"value", 3}}})}})[0];
        EXPECT_EQ(r["success"], c.accepted);
        if (!c.accepted) {
            EXPECT_EQ(r["errorCode"], c.rule == WriteRule::None ? "ReadOnly" : "WriteRefused");
            EXPECT_NE(r["errorMessage"].get<std::string>().find(c.rule == WriteRule::None ? "--read-only" : "--write-any"),
                      std::string::npos);
        }
        w.exchange();
        EXPECT_EQ(w.memory[c.address], c.accepted ? 3 : 0);
        EXPECT_EQ(is_input(c.address, c.size), c.rule == WriteRule::InputsOnly ? c.accepted : is_input(c.address, c.size));
    }
}

TEST(WebProtocol, TheLimitsHoldAtTheirEdges) {
    World w;
    json many = json::array();
    for (std::uint32_t i = 0; i < kMaxOffsetsPerDeclaration + 1; ++i) {
        many.push_back(offset("o" + std::to_string(i), 0x9400 + i % 0xFC, "uint", 1));
    }
    EXPECT_EQ(w.send(declare("big", many))[0]["errorCode"], "Limit");
    many.erase(many.size() - 1);
    EXPECT_EQ(w.send(declare("big", many))[0]["success"], true);

    for (std::size_t d = 1; d < kMaxDeclarations; ++d) {
        EXPECT_EQ(w.send(declare("d" + std::to_string(d), json::array({offset("a", 0x9400, "uint", 1)})))[0]["success"], true);
    }
    EXPECT_EQ(w.send(declare("one too many", json::array({offset("a", 0x9400, "uint", 1)})))[0]["errorCode"], "Limit");
    // Declaring a name again replaces it, within the limit.
    EXPECT_EQ(w.send(declare("d1", json::array({offset("b", 0x9402, "uint", 1)})))[0]["success"], true);
    EXPECT_EQ(w.sessions[0].declarations.size(), kMaxDeclarations);

    std::string huge = R"({"command":"about.read","name":")" + std::string(kMaxMessageBytes, 'x') + "\"}";
    EXPECT_EQ(w.send_text(huge)[0]["errorCode"], "Limit");
}

TEST(WebProtocol, ReadsTooBigForOneExchangeAreRefusedNotTruncated) {
    World w(4);
    // 32 declarations of 512 far-apart offsets, over four connections, would
    // need far more records than the request area holds.
    int refused = 0;
    for (std::size_t d = 0; d < kMaxDeclarations; ++d) {
        const std::size_t c = d % 4;
        json list = json::array();
        for (std::uint32_t i = 0; i < kMaxOffsetsPerDeclaration; ++i) {
            list.push_back(offset("o" + std::to_string(i), (d * 2048 + i * 40) % 0xFFF0, "uint", 8));
        }
        w.send(declare("d" + std::to_string(d), list), c);
        const auto replies =
            w.send({{"command", "offsets.read"}, {"name", "d" + std::to_string(d)}, {"interval", 50}}, c);
        if (!replies.empty()) {  // an accepted read is answered by the exchange
            ++refused;
            EXPECT_EQ(replies[0]["errorCode"], "Limit");
        }
    }
    EXPECT_GT(refused, 0);
    ExchangePlan plan;
    plan_exchange(w.all(), plan);
    EXPECT_LE(plan.area_bytes, kReadBudget);
}

// ---- reads against the oracle -------------------------------------------------------

TEST(WebProtocol, ReadOnceIntervalChangesOnlyAndStopAgreeWithTheMemory) {
    World w;
    w.memory[0x943A] = 0x39;  // 12345
    w.memory[0x943B] = 0x30;
    w.memory[0x943C] = 0x9C;  // -100 as int
    w.memory[0x943D] = 0xFF;
    const json list = json::array({offset("alt", 0x943A, "uint", 2), offset("vs", 0x943C, "int", 2),
                                   offset("lamps", 0x9402, "bits", 1)});
    w.send(declare("mcp", list));

    EXPECT_TRUE(w.send(command("offsets.read", "mcp")).empty());  // the exchange answers
    auto answers = w.exchange();
    ASSERT_EQ(answers[0].size(), 1u);
    EXPECT_EQ(answers[0][0]["data"]["alt"], 12345);
    EXPECT_EQ(answers[0][0]["data"]["vs"], -100);
    EXPECT_EQ(answers[0][0]["data"]["lamps"].size(), 8u);
    EXPECT_TRUE(w.exchange()[0].empty()) << "a read once answers once";

    w.send({{"command", "offsets.read"}, {"name", "mcp"}, {"interval", 50}, {"changesOnly", true}});
    answers = w.exchange();
    ASSERT_EQ(answers[0].size(), 1u);
    EXPECT_EQ(answers[0][0]["data"].size(), 3u) << "the first answer of changesOnly holds everything";
    int sent = 0;
    for (int t = 0; t < 20; ++t) {
        if (t == 7) {
            w.memory[0x9402] = 0x05;
        }
        const auto answers_now = w.tick();
        for (const json& a : answers_now[0]) {
            ++sent;
            EXPECT_EQ(a["data"].size(), 1u);
            EXPECT_EQ(a["data"]["lamps"][0], true);
            EXPECT_EQ(a["data"]["lamps"][1], false);
            EXPECT_EQ(a["data"]["lamps"][2], true);
        }
    }
    EXPECT_EQ(sent, 1) << "changesOnly sends the one change, once";

    w.send(command("offsets.stop", "mcp"));
    w.memory[0x943A] = 0;
    for (int t = 0; t < 10; ++t) {
        EXPECT_TRUE(w.tick()[0].empty()) << "nothing after stop";
    }
}

TEST(WebProtocol, OneExchangePerPeriodServesEveryConnectionAtItsOwnInterval) {
    World w(3);
    const json list = json::array({offset("alt", 0x943A, "uint", 2)});
    const std::uint32_t intervals[] = {20, 50, 100};
    for (std::size_t c = 0; c < 3; ++c) {
        w.send(declare("d", list), c);
        w.send({{"command", "offsets.read"}, {"name", "d"}, {"interval", intervals[c]}}, c);
    }
    EXPECT_EQ(exchange_period_ms(w.all()), 20u);
    int counts[3] = {};
    const std::uint64_t start = w.now;
    while (w.now < start + 1000) {
        const auto answers = w.tick();
        for (std::size_t c = 0; c < 3; ++c) {
            counts[c] += static_cast<int>(answers[c].size());
        }
    }
    EXPECT_EQ(w.exchanges, 50);  // one a period, however many connections
    for (std::size_t c = 0; c < 3; ++c) {
        EXPECT_NEAR(counts[c], 1000 / static_cast<int>(intervals[c]), 1) << "connection " << c;
    }
    // The shortest interval asked for sets the period, never below 10 ms.
    w.send({{"command", "offsets.read"}, {"name", "d"}, {"interval", 1}}, 2);
    EXPECT_EQ(exchange_period_ms(w.all()), kMinIntervalMs);
}

TEST(WebProtocol, AnyDeclarationsAreReadAsTheMemoryHoldsThem) {
    std::mt19937 random(30);
    const char* types[] = {"int", "uint", "bits"};
    const std::uint32_t sizes[] = {1, 2, 4, 8};
    for (int round = 0; round < 40; ++round) {
        World w(2);
        for (std::size_t i = 0; i < w.memory.size(); ++i) {
            w.memory[i] = static_cast<unsigned char>(random());
        }
        struct Declared {
            std::uint32_t address, size;
            std::string type;
        };
        std::vector<std::vector<Declared>> declared(2);
        for (std::size_t c = 0; c < 2; ++c) {
            json list = json::array();
            const int n = 1 + static_cast<int>(random() % 40);
            const std::uint32_t base = random() % 0xF000;
            for (int i = 0; i < n; ++i) {
                const std::string type = types[random() % 3];
                const std::uint32_t size = type == "bits" ? 1 + random() % 4 : sizes[random() % 4];
                const std::uint32_t address = base + random() % 0x800;
                list.push_back(offset("o" + std::to_string(i), address, type, size));
                declared[c].push_back({address, size, type});
            }
            w.send(declare("r", list), c);
            w.send(command("offsets.read", "r"), c);
        }
        ExchangePlan plan;
        plan_exchange(w.all(), plan);
        for (std::size_t i = 1; i < plan.ranges.size(); ++i) {
            EXPECT_GT(plan.ranges[i].address, plan.ranges[i - 1].address + plan.ranges[i - 1].size)
                << "ranges ascend and never overlap";
        }
        const auto answers = w.exchange();
        for (std::size_t c = 0; c < 2; ++c) {
            ASSERT_EQ(answers[c].size(), 1u);
            const json& data = answers[c][0]["data"];
            for (std::size_t i = 0; i < declared[c].size(); ++i) {
                const Declared& d = declared[c][i];
                EXPECT_EQ(data["o" + std::to_string(i)], oracle_value(w, d.address, d.type, d.size))
                    << d.type << d.size << " at " << d.address;
            }
        }
    }
}

TEST(WebProtocol, WrittenValuesReadBackAsWritten) {
    World w;
    w.rule = WriteRule::Any;
    const json list = json::array({offset("i8", 0x100, "int", 1), offset("u16", 0x102, "uint", 2),
                                   offset("i32", 0x104, "int", 4), offset("u64", 0x108, "uint", 8),
                                   offset("i64", 0x110, "int", 8), offset("b", 0x118, "bits", 2)});
    w.send(declare("x", list));
    const json values = {{"i8", -128}, {"u16", 65535}, {"i32", -2147483648LL},
                         {"u64", 18446744073709551615ULL}, {"i64", -9223372036854775807LL - 1},
                         {"b", json::array({true, false, false, true, false, false, false, false, false, true})}};
    json writes = json::array();
    for (const auto& [name, value] : values.items()) {
        writes.push_back({{"name", name}, {"value", value}});
    }
    EXPECT_EQ(w.send({{"command", "offsets.write"}, {"name", "x"}, {"offsets", writes}})[0]["success"], true);
    w.exchange();
    w.send(command("offsets.read", "x"));
    const auto answers = w.exchange();
    const json data = answers[0][0]["data"];
    for (const auto& [name, value] : values.items()) {
        if (name == "b") {
            ASSERT_EQ(data[name].size(), 16u);
            for (std::size_t b = 0; b < 16; ++b) {
                EXPECT_EQ(data[name][b], b < value.size() && value[b].get<bool>()) << b;
            }
        } else {
            EXPECT_EQ(data[name], value) << name;
        }
    }
    // One past each edge is refused, and the memory keeps the edge.
    const json past_edges = {{"i8", 128}, {"u16", 65536}, {"i32", 2147483648LL}, {"u64", -1}};
    for (const auto& [name, value] : past_edges.items()) {
        EXPECT_EQ(w.send({{"command", "offsets.write"}, {"name", "x"},
                          {"offsets", json::array({{{"name", name}, {"value", value}}})}})[0]["errorCode"],
                  "BadRequest")
            << name;
    }
    EXPECT_TRUE(w.pending.writes.empty());
}

// ---- the handshake ----------------------------------------------------------------

TEST(WebHandshake, HostAndOriginRules) {
    const std::vector<std::string> names = {"COCKPIT-PC"};
    struct Case {
        const char* host;
        const char* origin;
        bool accepted;
    };
    const Case cases[] = {
        {"127.0.0.1:8420", "", true},
        {"127.0.0.1:8420", "http://127.0.0.1:8420", true},
        {"localhost:8420", "http://localhost:8420", true},
        {"LocalHost:8420", "http://localhost:8420", true},
        {"192.168.1.20:8420", "http://192.168.1.20:8420", true},
        {"cockpit-pc:8420", "http://cockpit-pc:8420", true},
        {"[::1]:8420", "http://[::1]:8420", true},
        {"192.168.1.20", "http://192.168.1.20", true},
        {"127.0.0.1:8420", "http://evil.example", false},       // another site's page
        {"127.0.0.1:8420", "http://127.0.0.1:8421", false},     // another port is another origin
        {"127.0.0.1:8420", "https://127.0.0.1:8420", false},
        {"127.0.0.1:8420", "null", false},                      // a file or a sandbox
        {"127.0.0.1:8420", "http://127.0.0.1:8420.evil", false},
        {"evil.example:8420", "http://evil.example:8420", false},  // DNS rebinding
        {"cockpit-pc.evil.example:8420", "", false},
        {"", "", false},
        {"127.0.0.1:84x0", "", false},
        {"127.0.0.1:", "", false},
        {"256.1.1.1:8420", "", false},
        {"1.2.3:8420", "", false},
        {"1.2.3.4.5:8420", "", false},
        {"[::1", "", false},
        {"[evil]:8420", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.host) + " from " + c.origin);
        const std::string why = handshake_refusal(c.host, c.origin, names);
        EXPECT_EQ(why.empty(), c.accepted) << why;
        if (!c.accepted) {
            EXPECT_EQ(!host_allowed(c.host, names), why.rfind("Host", 0) == 0);
        }
    }
}

TEST(WebOptions, ListenTakesAnAddressLiteralAndAPort) {
    struct Case {
        const char* text;
        bool ok;
        const char* address;
        std::uint16_t port;
    };
    const Case cases[] = {
        {"0.0.0.0:8420", true, "0.0.0.0", 8420},       {"192.168.1.20:80", true, "192.168.1.20", 80},
        {"[::]:8420", true, "::", 8420},               {"[::1]:65535", true, "::1", 65535},
        {"127.0.0.1:0", false, "", 0},                 {"127.0.0.1:65536", false, "", 0},
        {"127.0.0.1", false, "", 0},                   {":8420", false, "", 0},
        {"localhost:8420", false, "", 0},              {"1.2.3:8420", false, "", 0},
        {"[::1:8420", false, "", 0},                   {"127.0.0.1:84a0", false, "", 0},
        {"127.0.0.1:-1", false, "", 0},                {"127.0.0.1:0008420", false, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string address = "unchanged";
        std::uint16_t port = 1;
        EXPECT_EQ(parse_listen(c.text, address, port), c.ok);
        if (c.ok) {
            EXPECT_EQ(address, c.address);
            EXPECT_EQ(port, c.port);
        } else {
            EXPECT_EQ(address, "unchanged") << "a refused --listen changes nothing";
        }
    }
}

// ---- the page's description -------------------------------------------------------

TEST(WebPage, TheDescriptionCarriesTheMapAndTheLabelsAndCannotEndItsScript) {
    monitor::Labels labels;
    std::string error;
    ASSERT_TRUE(monitor::parse_labels("0x943A,</script><b>ALT\n0x9402&0x01,Master caution\n", labels, error)) << error;
    labels.commands.push_back({1232, "MCP_ALT_SET"});
    const std::string text = page_map_json(labels);
    const json map = json::parse(text);
    bool alt = false;
    for (const json& o : map["offsets"]) {
        EXPECT_GE(o["offset"].get<std::uint32_t>(), 0x9400u);
        EXPECT_LE(o["offset"].get<std::uint32_t>() + o["size"].get<std::uint32_t>(), 0x94FCu);
        EXPECT_FALSE(o["name"].get<std::string>().empty());
        alt |= o["offset"] == 0x943A && o["name"] == "</script><b>ALT";
    }
    EXPECT_TRUE(alt);
    EXPECT_EQ(map["fields"][0]["name"], "Master caution");
    for (const json& k : map["knobs"]) {
        EXPECT_TRUE(is_input(k["counter"], 1)) << k.dump();
    }
    EXPECT_EQ(map["commands"][0]["code"], 1232);

    const std::string page = page_document("<script>const MAP = /*CORVANE_MAP*/null;</script>", text);
    EXPECT_EQ(page.find("</script>"), page.rfind("</script>")) << "only the page's own end tag";
    EXPECT_EQ(page.find(kMapPlaceholder), std::string::npos);
}

}  // namespace
}  // namespace corvane::web
