// The protocol handler and the exchange scheduler (see protocol.h).
#include "web/protocol.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include <nlohmann/json.hpp>

namespace corvane::web {

namespace {

using nlohmann::json;

constexpr char kDeclare[] = "offsets.declare";
constexpr char kRead[] = "offsets.read";
constexpr char kStop[] = "offsets.stop";
constexpr char kRemove[] = "offsets.remove";
constexpr char kWriteCommand[] = "offsets.write";
constexpr char kAbout[] = "about.read";

// errorCode values.
constexpr char kBadJson[] = "BadJson";
constexpr char kUnknownCommand[] = "UnknownCommand";
constexpr char kBadRequest[] = "BadRequest";
constexpr char kUnknownName[] = "UnknownName";
constexpr char kLimit[] = "Limit";
constexpr char kWriteRefused[] = "WriteRefused";
constexpr char kReadOnly[] = "ReadOnly";
constexpr char kNoFsuipc[] = "NoFsuipc";

constexpr unsigned kBitsPerByte = 8;
// Offsets closer than a record header are read in one record.
constexpr std::uint32_t kMergeGap = kReadRecordHeader;

json reply(std::string_view command, const json& name) {
    json r;
    r["command"] = std::string(command);
    r["name"] = name;
    r["success"] = true;
    r["errorCode"] = nullptr;
    r["errorMessage"] = nullptr;
    return r;
}

json failure(std::string_view command, const json& name, std::string_view code,
             std::string_view message) {
    json r = reply(command, name);
    r["success"] = false;
    r["errorCode"] = std::string(code);
    r["errorMessage"] = std::string(message);
    return r;
}

std::string dump(const json& j) {
    return j.dump(-1, ' ', false, json::error_handler_t::replace);
}

Declaration* find_declaration(Session& session, const std::string& name) {
    for (Declaration& d : session.declarations) {
        if (d.name == name) {
            return &d;
        }
    }
    return nullptr;
}

const DeclaredOffset* find_offset(const Declaration& d, const std::string& name) {
    for (const DeclaredOffset& o : d.offsets) {
        if (o.name == name) {
            return &o;
        }
    }
    return nullptr;
}

bool kind_of(const std::string& text, ValueKind& kind) {
    if (text == "int") {
        kind = ValueKind::Int;
    } else if (text == "uint") {
        kind = ValueKind::Uint;
    } else if (text == "bits") {
        kind = ValueKind::Bits;
    } else {
        return false;
    }
    return true;
}

bool integer_size(std::uint32_t size) { return size == 1 || size == 2 || size == 4 || size == 8; }

// A JSON number that is a whole number in [0, limit].
bool whole_number(const json& j, std::uint64_t limit, std::uint64_t& value) {
    if (j.is_number_unsigned()) {
        value = j.get<std::uint64_t>();
    } else if (j.is_number_integer()) {
        const std::int64_t v = j.get<std::int64_t>();
        if (v < 0) {
            return false;
        }
        value = static_cast<std::uint64_t>(v);
    } else {
        return false;
    }
    return value <= limit;
}

std::string hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

// One offset of a declaration from its JSON; false with the reason.
bool parse_offset(const json& j, DeclaredOffset& o, std::string& why) {
    if (!j.is_object()) {
        why = "each offset is an object {name, address, type, size}";
        return false;
    }
    const auto name = j.find("name");
    if (name == j.end() || !name->is_string() || name->get_ref<const std::string&>().empty() ||
        name->get_ref<const std::string&>().size() > kMaxNameBytes) {
        why = "an offset needs a name (text, 1 to 256 bytes)";
        return false;
    }
    o.name = name->get<std::string>();
    std::uint64_t address = 0;
    const auto a = j.find("address");
    if (a == j.end() || !whole_number(*a, kOffsetSpace - 1, address)) {
        why = "offset " + o.name + ": address must be a number from 0 to 65535";
        return false;
    }
    o.address = static_cast<std::uint32_t>(address);
    const auto t = j.find("type");
    if (t == j.end() || !t->is_string() || !kind_of(t->get<std::string>(), o.kind)) {
        why = "offset " + o.name + ": type must be int, uint or bits";
        return false;
    }
    std::uint64_t size = 0;
    const auto s = j.find("size");
    if (s == j.end() || !whole_number(*s, kMaxBitsSize, size) || size == 0 ||
        (o.kind != ValueKind::Bits && !integer_size(static_cast<std::uint32_t>(size)))) {
        why = "offset " + o.name +
              (o.kind == ValueKind::Bits ? ": size of bits must be 1 to 64"
                                         : ": size of int and uint must be 1, 2, 4 or 8");
        return false;
    }
    o.size = static_cast<std::uint32_t>(size);
    if (o.address + o.size > kOffsetSpace) {
        why = "offset " + o.name + " runs past 0xFFFF";
        return false;
    }
    return true;
}

std::uint64_t load_le(const unsigned char* bytes, std::uint32_t size) {
    std::uint64_t v = 0;
    for (std::uint32_t i = size; i-- > 0;) {
        v = (v << kBitsPerByte) | bytes[i];
    }
    return v;
}

void store_le(unsigned char* bytes, std::uint32_t size, std::uint64_t v) {
    for (std::uint32_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<unsigned char>(v & 0xFFu);
        v >>= kBitsPerByte;
    }
}

json value_of(const DeclaredOffset& o, const unsigned char* bytes) {
    if (o.kind == ValueKind::Bits) {
        json bits = json::array();
        for (std::uint32_t b = 0; b < o.size * kBitsPerByte; ++b) {
            bits.push_back(((bytes[b / kBitsPerByte] >> (b % kBitsPerByte)) & 1u) != 0);
        }
        return bits;
    }
    const std::uint64_t raw = load_le(bytes, o.size);
    if (o.kind == ValueKind::Uint) {
        return raw;
    }
    const unsigned shift = 64 - o.size * kBitsPerByte;
    // Sign extension through the top bits, without a shift of a negative number.
    std::uint64_t extended = raw;
    if (shift > 0 && ((raw >> (o.size * kBitsPerByte - 1)) & 1u) != 0) {
        extended = raw | (~std::uint64_t{0} << (o.size * kBitsPerByte));
    }
    std::int64_t v;
    std::memcpy(&v, &extended, sizeof v);
    return v;
}

// The bytes a value writes into an offset; false with the reason.
bool bytes_of(const DeclaredOffset& o, const json& value, unsigned char* bytes, std::string& why) {
    if (o.kind == ValueKind::Bits) {
        if (!value.is_array() || value.size() > o.size * kBitsPerByte) {
            why = o.name + ": a bits value is an array of at most " +
                  std::to_string(o.size * kBitsPerByte) + " true or false";
            return false;
        }
        std::memset(bytes, 0, o.size);
        for (std::size_t b = 0; b < value.size(); ++b) {
            if (!value[b].is_boolean()) {
                why = o.name + ": a bits value is an array of true or false";
                return false;
            }
            if (value[b].get<bool>()) {
                bytes[b / kBitsPerByte] |= static_cast<unsigned char>(1u << (b % kBitsPerByte));
            }
        }
        return true;
    }
    const unsigned bits = o.size * kBitsPerByte;
    std::uint64_t raw = 0;
    if (o.kind == ValueKind::Uint) {
        const std::uint64_t high = bits == 64 ? std::numeric_limits<std::uint64_t>::max()
                                              : (std::uint64_t{1} << bits) - 1;
        if (!whole_number(value, high, raw)) {
            why = o.name + ": value must be a whole number from 0 to " + std::to_string(high);
            return false;
        }
    } else {
        const std::int64_t high = bits == 64 ? std::numeric_limits<std::int64_t>::max()
                                             : (std::int64_t{1} << (bits - 1)) - 1;
        const std::int64_t low = -high - 1;
        bool fits = false;
        std::int64_t v = 0;
        if (value.is_number_unsigned()) {
            fits = value.get<std::uint64_t>() <= static_cast<std::uint64_t>(high);
            v = fits ? static_cast<std::int64_t>(value.get<std::uint64_t>()) : 0;
        } else if (value.is_number_integer()) {
            v = value.get<std::int64_t>();
            fits = v >= low && v <= high;
        }
        if (!fits) {
            why = o.name + ": value must be a whole number from " + std::to_string(low) + " to " +
                  std::to_string(high);
            return false;
        }
        std::memcpy(&raw, &v, sizeof raw);
    }
    store_le(bytes, o.size, raw);
    return true;
}

std::uint32_t bytes_of_declaration(const Declaration& d) {
    std::uint32_t total = 0;
    for (const DeclaredOffset& o : d.offsets) {
        total += o.size;
    }
    return total;
}

struct Span {
    std::uint32_t first;
    std::uint32_t end;
};

void collect(const Session& s, std::vector<Span>& spans) {
    for (const Declaration& d : s.declarations) {
        if (!d.running && !d.once_pending) {
            continue;
        }
        for (const DeclaredOffset& o : d.offsets) {
            spans.push_back({o.address, o.address + o.size});
        }
    }
}

void plan_spans(std::vector<Span>& spans, ExchangePlan& plan) {
    plan.ranges.clear();
    plan.buffer_bytes = 0;
    plan.area_bytes = 0;
    std::sort(spans.begin(), spans.end(),
              [](const Span& a, const Span& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < spans.size();) {
        Span merged = spans[i];
        std::size_t j = i + 1;
        while (j < spans.size() && spans[j].first <= merged.end + kMergeGap) {
            merged.end = std::max(merged.end, spans[j].end);
            ++j;
        }
        merged.end = std::min(merged.end, kOffsetSpace);
        const std::uint32_t size = merged.end - merged.first;
        plan.ranges.push_back({merged.first, size, plan.buffer_bytes});
        plan.buffer_bytes += size;
        plan.area_bytes += kReadRecordHeader + size;
        i = j;
    }
}

// Where address lies in the exchange's buffer; nullptr when it was not read.
const unsigned char* locate(const ExchangePlan& plan, const unsigned char* buffer,
                            std::uint32_t address, std::uint32_t size) {
    auto it = std::upper_bound(plan.ranges.begin(), plan.ranges.end(), address,
                               [](std::uint32_t a, const ReadRange& r) { return a < r.address; });
    if (it == plan.ranges.begin()) {
        return nullptr;
    }
    --it;
    if (address + size > it->address + it->size) {
        return nullptr;
    }
    return buffer + it->at + (address - it->address);
}

// The area the session's reads would take with d reading as well.
std::uint32_t area_with(const Session& session, const Declaration& d) {
    std::vector<Span> spans;
    collect(session, spans);
    for (const DeclaredOffset& o : d.offsets) {
        spans.push_back({o.address, o.address + o.size});
    }
    ExchangePlan plan;
    plan_spans(spans, plan);
    return plan.area_bytes;
}

void declare(Session& session, const json& message, const json& name, std::vector<std::string>& replies) {
    const auto list = message.find("offsets");
    if (list == message.end() || !list->is_array() || list->empty()) {
        replies.push_back(dump(failure(kDeclare, name, kBadRequest, "offsets must be a non-empty array")));
        return;
    }
    if (list->size() > kMaxOffsetsPerDeclaration) {
        replies.push_back(dump(failure(kDeclare, name, kLimit, "at most 512 offsets a declaration")));
        return;
    }
    Declaration d;
    d.name = name.get<std::string>();
    for (const json& item : *list) {
        DeclaredOffset o;
        std::string why;
        if (!parse_offset(item, o, why)) {
            replies.push_back(dump(failure(kDeclare, name, kBadRequest, why)));
            return;
        }
        if (find_offset(d, o.name) != nullptr) {
            replies.push_back(dump(failure(kDeclare, name, kBadRequest, "offset " + o.name + " declared twice")));
            return;
        }
        d.offsets.push_back(std::move(o));
    }
    Declaration* existing = find_declaration(session, d.name);
    if (existing != nullptr) {
        *existing = std::move(d);  // declared again: replaced, and stopped
    } else if (session.declarations.size() >= kMaxDeclarations) {
        replies.push_back(dump(failure(kDeclare, name, kLimit, "at most 32 declarations a connection")));
        return;
    } else {
        session.declarations.push_back(std::move(d));
    }
    replies.push_back(dump(reply(kDeclare, name)));
}

void read(Session& session, Declaration& d, const json& message, const json& name, std::uint64_t now_ms,
          std::uint32_t elsewhere, std::vector<std::string>& replies) {
    std::uint64_t interval = 0;
    const auto i = message.find("interval");
    if (i != message.end() && !i->is_null() && !whole_number(*i, kMaxIntervalMs, interval)) {
        replies.push_back(dump(failure(kRead, name, kBadRequest,
                                       "interval must be a number of milliseconds from 0 to 3600000")));
        return;
    }
    bool changes_only = false;
    const auto c = message.find("changesOnly");
    if (c != message.end() && !c->is_null()) {
        if (!c->is_boolean()) {
            replies.push_back(dump(failure(kRead, name, kBadRequest, "changesOnly must be true or false")));
            return;
        }
        changes_only = c->get<bool>();
    }
    if (!d.running && !d.once_pending && area_with(session, d) + elsewhere > kReadBudget) {
        replies.push_back(dump(failure(kRead, name, kLimit,
                                       "too many offsets are read at once; stop another read first")));
        return;
    }
    d.changes_only = changes_only;
    d.last_sent.clear();
    if (interval == 0) {
        d.once_pending = true;
        d.running = false;
        return;
    }
    d.running = true;
    d.once_pending = false;
    d.interval_ms = std::max<std::uint32_t>(static_cast<std::uint32_t>(interval), kMinIntervalMs);
    d.next_due_ms = now_ms;
}

void write(Declaration& d, WriteRule rule, const About& about, const json& message, const json& name,
           PendingWrites& pending, std::vector<std::string>& replies) {
    if (rule == WriteRule::None) {
        replies.push_back(dump(failure(kWriteCommand, name, kReadOnly, "corvane-web was started with --read-only")));
        return;
    }
    if (!about.fsuipc_connected) {
        // Accepted now, it would wait for a link that may come much later.
        replies.push_back(dump(failure(kWriteCommand, name, kNoFsuipc,
                                       "corvane-web has no FSUIPC link (yet); nothing was written")));
        return;
    }
    const auto list = message.find("offsets");
    if (list == message.end() || !list->is_array() || list->empty() ||
        list->size() > kMaxOffsetsPerDeclaration) {
        replies.push_back(dump(failure(kWriteCommand, name, kBadRequest,
                                       "offsets must be an array of {name, value}, at most 512")));
        return;
    }
    std::vector<Write> writes;
    std::uint32_t bytes = 0;
    for (const json& item : *list) {
        const auto n = item.is_object() ? item.find("name") : item.end();
        const auto v = item.is_object() ? item.find("value") : item.end();
        if (!item.is_object() || n == item.end() || !n->is_string() || v == item.end()) {
            replies.push_back(dump(failure(kWriteCommand, name, kBadRequest, "each offset written is {name, value}")));
            return;
        }
        const DeclaredOffset* o = find_offset(d, n->get<std::string>());
        if (o == nullptr) {
            replies.push_back(dump(failure(kWriteCommand, name, kUnknownName,
                                           "no offset " + n->get<std::string>() + " in this declaration")));
            return;
        }
        if (rule == WriteRule::InputsOnly && !is_input(o->address, o->size)) {
            replies.push_back(dump(failure(
                kWriteCommand, name, kWriteRefused,
                o->name + " at " + hex(o->address) +
                    " is not one of Corvane's inputs (0x9400-0x9401, 0x9428, 0x94F0-0x94FB); start corvane-web with --write-any to write it")));
            return;
        }
        Write w;
        w.address = o->address;
        w.size = o->size;
        std::string why;
        if (!bytes_of(*o, *v, w.bytes, why)) {
            replies.push_back(dump(failure(kWriteCommand, name, kBadRequest, why)));
            return;
        }
        writes.push_back(w);
        bytes += kWriteRecordHeader + o->size;
    }
    if (pending.bytes + bytes > kWriteBudget) {
        replies.push_back(dump(failure(kWriteCommand, name, kLimit,
                                       "too many writes wait for the next exchange; try again")));
        return;
    }
    pending.writes.insert(pending.writes.end(), writes.begin(), writes.end());
    pending.bytes += bytes;
    replies.push_back(dump(reply(kWriteCommand, name)));
}

json about_data(const About& about) {
    json data;
    data["product"] = about.product;
    data["version"] = about.version;
    data["fsuipcConnected"] = about.fsuipc_connected;
    data["fsuipcVersion"] = hex(about.fsuipc_version >> 16) + "." + std::to_string(about.fsuipc_version & 0xFFFFu);
    data["periodMs"] = about.period_ms;
    data["connections"] = about.connections;
    data["commands"] = {kDeclare, kRead, kStop, kRemove, kWriteCommand, kAbout};
    data["types"] = {"int", "uint", "bits"};
    return data;
}

}  // namespace

bool is_input(std::uint32_t address, std::uint32_t size) {
    if (size == 0) {
        return false;
    }
    for (const OffsetRange& r : kInputRanges) {
        if (address >= r.first && address + size - 1 <= r.last) {
            return true;
        }
    }
    return false;
}

std::string error_reply(std::string_view command, std::string_view code, std::string_view message) {
    return dump(failure(command, nullptr, code, message));
}

void handle_message(Session& session, WriteRule rule, const About& about, std::string_view text,
                    std::uint64_t now_ms, std::uint32_t read_area_elsewhere, PendingWrites& pending,
                    std::vector<std::string>& replies) {
    if (text.size() > kMaxMessageBytes) {
        replies.push_back(error_reply("", kLimit, "messages are at most 64 KiB"));
        return;
    }
    const json message = json::parse(text.begin(), text.end(), nullptr, false);
    if (message.is_discarded() || !message.is_object()) {
        replies.push_back(error_reply("", kBadJson, "the message is not a JSON object"));
        return;
    }
    const auto c = message.find("command");
    if (c == message.end() || !c->is_string()) {
        replies.push_back(error_reply("", kBadRequest, "the message names no command"));
        return;
    }
    const std::string command = c->get<std::string>();
    const auto n = message.find("name");
    const json name = n != message.end() ? *n : json(nullptr);
    if (command == kAbout) {
        json r = reply(kAbout, name);
        r["data"] = about_data(about);
        replies.push_back(dump(r));
        return;
    }
    if (command != kDeclare && command != kRead && command != kStop && command != kRemove &&
        command != kWriteCommand) {
        replies.push_back(dump(failure(command, name, kUnknownCommand, "unknown command " + command)));
        return;
    }
    if (!name.is_string() || name.get_ref<const std::string&>().empty() ||
        name.get_ref<const std::string&>().size() > kMaxNameBytes) {
        replies.push_back(dump(failure(command, name, kBadRequest, "name must be text, 1 to 256 bytes")));
        return;
    }
    if (command == kDeclare) {
        declare(session, message, name, replies);
        return;
    }
    Declaration* d = find_declaration(session, name.get<std::string>());
    if (d == nullptr) {
        replies.push_back(dump(failure(command, name, kUnknownName, "no declaration " + name.get<std::string>())));
        return;
    }
    if (command == kRead) {
        read(session, *d, message, name, now_ms, read_area_elsewhere, replies);
    } else if (command == kStop) {
        d->running = false;
        d->once_pending = false;
        replies.push_back(dump(reply(kStop, name)));
    } else if (command == kRemove) {
        session.declarations.erase(session.declarations.begin() + (d - session.declarations.data()));
        replies.push_back(dump(reply(kRemove, name)));
    } else {
        write(*d, rule, about, message, name, pending, replies);
    }
}

std::uint32_t exchange_period_ms(const std::vector<const Session*>& sessions) {
    std::uint32_t period = 0;
    for (const Session* s : sessions) {
        for (const Declaration& d : s->declarations) {
            if (d.running && (period == 0 || d.interval_ms < period)) {
                period = d.interval_ms;
            }
        }
    }
    return period == 0 ? 0 : std::max(period, kMinIntervalMs);
}

bool exchange_due(const std::vector<const Session*>& sessions, std::uint64_t now_ms) {
    const std::uint32_t half = exchange_period_ms(sessions) / 2;
    for (const Session* s : sessions) {
        for (const Declaration& d : s->declarations) {
            if (d.once_pending || (d.running && d.next_due_ms <= now_ms + half)) {
                return true;
            }
        }
    }
    return false;
}

void plan_exchange(const std::vector<const Session*>& sessions, ExchangePlan& plan) {
    std::vector<Span> spans;
    for (const Session* s : sessions) {
        collect(*s, spans);
    }
    plan_spans(spans, plan);
}

void deliver(Session& session, const ExchangePlan& plan, const unsigned char* buffer, std::uint64_t now_ms,
             std::uint32_t period_ms, std::vector<std::string>& replies) {
    for (Declaration& d : session.declarations) {
        const bool due = d.once_pending || (d.running && d.next_due_ms <= now_ms + period_ms / 2);
        if (!due) {
            continue;
        }
        std::vector<unsigned char> now_bytes(bytes_of_declaration(d));
        json data = json::object();
        std::uint32_t at = 0;
        bool complete = true;
        for (const DeclaredOffset& o : d.offsets) {
            const unsigned char* bytes = locate(plan, buffer, o.address, o.size);
            if (bytes == nullptr) {
                complete = false;  // declared after the plan was made: the next exchange has it
                break;
            }
            std::memcpy(now_bytes.data() + at, bytes, o.size);
            const bool changed = d.last_sent.size() != now_bytes.size() ||
                                 std::memcmp(d.last_sent.data() + at, bytes, o.size) != 0;
            if (!d.changes_only || changed) {
                data[o.name] = value_of(o, bytes);
            }
            at += o.size;
        }
        if (!complete) {
            continue;
        }
        d.last_sent = std::move(now_bytes);
        if (d.once_pending) {
            d.once_pending = false;
        } else {
            d.next_due_ms += d.interval_ms;
            if (d.next_due_ms <= now_ms) {
                d.next_due_ms = now_ms + d.interval_ms;
            }
        }
        if (d.changes_only && data.empty()) {
            continue;
        }
        json r = reply(kRead, d.name);
        r["data"] = std::move(data);
        replies.push_back(dump(r));
    }
}

}  // namespace corvane::web
