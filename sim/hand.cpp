// The hand console of corvane-sim: names resolved through the offset map,
// values written into the aircraft's fields the way the add-on shows them,
// and read back through the exporter's own decoding.
#include "sim/hand.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "aircraft/link.h"
#include "bridge/command_tables.h"
#include "common/format.h"
#include "common/numbers.h"
#include "export/export.h"
#include "export/tables.h"

namespace corvane::sim {

namespace {

using bridge::OffsetEntry;
using bridge::OffsetKind;
using data_export::kDisplayWindows;
using data_export::kSpeedWindow;
using data_export::kVerticalSpeedWindow;


// A display value is two bytes and 0xFFFF means blank, so the largest number
// the block can carry is 65534, whatever the window's digits.
constexpr long kLargestDisplayNumber = 65534;
constexpr long kHighestByte = 255;
constexpr long kLowestS16 = -32768;
constexpr long kHighestS16 = 32767;
constexpr long kHundredthsPerUnit = 100;

constexpr std::size_t kMostSuggestions = 5;
constexpr std::size_t kMostLetterChanges = 2;
constexpr double kLongestWait = 3600.0;
constexpr int kHexBase = 16;
constexpr int kDecimalBase = 10;
constexpr std::size_t kMostDigits = 9;

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string_view trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The next word of text, which loses it and the blanks before the rest.
std::string_view next_word(std::string_view& text) {
    text = trim(text);
    const std::size_t end = std::min(text.find_first_of(" \t"), text.size());
    const std::string_view word = text.substr(0, end);
    text = trim(text.substr(end));
    return word;
}

// Digits in the given base, at most nine, nothing else.
bool parse_digits(std::string_view text, int base, long& value) {
    if (text.empty() || text.size() > kMostDigits) {
        return false;
    }
    value = 0;
    for (const char c : text) {
        const int digit = std::isdigit(static_cast<unsigned char>(c)) != 0 ? c - '0'
                          : base == kHexBase && std::isxdigit(static_cast<unsigned char>(c)) != 0
                              ? std::toupper(static_cast<unsigned char>(c)) - 'A' + kDecimalBase
                              : -1;
        if (digit < 0) {
            return false;
        }
        value = value * base + digit;
    }
    return true;
}

// An offset's hex digits, into 32 bits: more is no offset (0x100009402 is
// no 0x9402), and one outside the block is no name of the offset map.
bool parse_offset(std::string_view digits, std::uint32_t& offset) {
    std::uint64_t value = 0;
    for (const char c : digits) {
        if (std::isxdigit(static_cast<unsigned char>(c)) == 0 || value > UINT32_MAX) {
            return false;
        }
        value = value * kHexBase +
                static_cast<std::uint64_t>(std::isdigit(static_cast<unsigned char>(c)) != 0
                                               ? c - '0'
                                               : std::toupper(static_cast<unsigned char>(c)) -
                                                     'A' + kDecimalBase);
    }
    if (digits.empty() || value > UINT32_MAX) {
        return false;
    }
    offset = static_cast<std::uint32_t>(value);
    return true;
}

// A whole decimal number, with a minus sign or none.
bool parse_whole(std::string_view text, long& value) {
    const bool negative = !text.empty() && text.front() == '-';
    if (!parse_digits(negative ? text.substr(1) : text, kDecimalBase, value)) {
        return false;
    }
    value = negative ? -value : value;
    return true;
}

// ".NN" or "0.NN" (".5" is .50): hundredths 0..99.
bool parse_hundredths(std::string_view text, long& hundredths) {
    if (text.rfind("0.", 0) == 0) {
        text.remove_prefix(1);
    }
    if (text.size() < 2 || text.size() > 3 || text.front() != '.' ||
        !parse_digits(text.substr(1), kDecimalBase, hundredths)) {
        return false;
    }
    hundredths *= text.size() == 2 ? kDecimalBase : 1;
    return true;
}

// Letters to change, add or drop to turn a into b, counted up to limit + 1.
std::size_t letter_changes(std::string_view a, std::string_view b, std::size_t limit) {
    if ((a.size() > b.size() ? a.size() - b.size() : b.size() - a.size()) > limit) {
        return limit + 1;
    }
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1,
                               diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

bool settable(OffsetKind kind) {
    return kind == OffsetKind::Display || kind == OffsetKind::Panel ||
           kind == OffsetKind::Annunciator || kind == OffsetKind::AnnunciatorField;
}

std::string not_shown(const OffsetEntry& entry) {
    return format("error %s is written by %s, not shown by the aircraft", entry.symbol.c_str(),
                  entry.kind == OffsetKind::CorvaneState ? "Corvane" : "a panel");
}

std::string out_of_range(const OffsetEntry& entry, const char* range, std::string_view value) {
    return format("error %s takes %s, not \"%.*s\"", entry.symbol.c_str(), range,
                  static_cast<int>(value.size()), value.data());
}

// An annunciator field's state: "on"/"off" for a lamp, else its number.
bool parse_state(const OffsetEntry& field, std::string_view text, long& state) {
    const std::string word = upper(text);
    if (field.states == 2 && (word == "ON" || word == "OFF")) {
        state = word == "ON" ? 1 : 0;
        return true;
    }
    return parse_whole(text, state) && state >= 0 && state < field.states;
}

void set_field(AircraftModel& aircraft, const data_export::AnnunciatorField& field, long state) {
    aircraft.poke_i32(field.block() == data_export::kSdk2 ? Block::Sdk2 : Block::Sdk1,
                      field.source(), static_cast<std::int32_t>(state));
}

}  // namespace

Hand::Hand() : names_(bridge::offset_map_rows()), snapshots_(std::make_unique<aircraft::Snapshots>()) {}

Hand::~Hand() = default;

const OffsetEntry* Hand::find(std::string_view name) const {
    const std::string key = upper(name);
    if (key.rfind("0X", 0) == 0) {
        const std::size_t colon = key.find(':');
        long bit = -1;
        std::uint32_t offset = 0;
        if (!parse_offset(std::string_view(key).substr(2, colon == std::string::npos ? key.npos
                                                                                     : colon - 2),
                          offset) ||
            (colon != std::string::npos &&
             !parse_digits(std::string_view(key).substr(colon + 1), kDecimalBase, bit))) {
            return nullptr;
        }
        const auto at = std::find_if(names_.begin(), names_.end(), [&](const OffsetEntry& e) {
            return e.offset == offset &&
                   (bit < 0 ? e.kind != OffsetKind::AnnunciatorField
                            : e.kind == OffsetKind::AnnunciatorField && e.shift == bit);
        });
        return at == names_.end() ? nullptr : &*at;
    }
    const auto at = std::find_if(names_.begin(), names_.end(),
                                 [&](const OffsetEntry& e) { return e.symbol == key; });
    if (at != names_.end()) {
        return &*at;
    }
    for (const HeaderName& n : header_names_) {
        if (n.key == key) {
            return &names_[n.entry];
        }
    }
    return nullptr;
}

void Hand::use_names(const std::vector<HandName>& names) {
    header_names_.clear();
    for (const HandName& n : names) {
        for (std::size_t i = 0; i < names_.size(); ++i) {
            const OffsetEntry& e = names_[i];
            const bool field = e.kind == OffsetKind::AnnunciatorField;
            if (e.offset == n.offset && (n.mask == 0 ? !field : field && e.mask == n.mask)) {
                header_names_.push_back({upper(n.name), n.name, i});
                break;
            }
        }
    }
}

std::string Hand::suggestions(std::string_view name) const {
    // An offset is looked for by its digits: 0x9402:9 suggests 0x9402's names.
    std::string key = upper(name);
    if (key.rfind("0X", 0) == 0) {
        key = key.substr(2, key.find(':') == std::string::npos ? key.npos : key.find(':') - 2);
    }
    std::string out;
    std::size_t count = 0;
    for (const OffsetEntry& e : names_) {
        if (count < kMostSuggestions && !key.empty() &&
            (e.symbol.find(key) != std::string::npos ||
             letter_changes(key, e.symbol, kMostLetterChanges) <= kMostLetterChanges)) {
            out += (count++ == 0 ? "" : ", ") + e.symbol;
        }
    }
    return out;
}

std::string Hand::show(const AircraftModel& aircraft, const OffsetEntry& entry) {
    std::memcpy(snapshots_->sdk1, aircraft.bytes(Block::Sdk1), aircraft::kSdk1BlockSize);
    std::memcpy(snapshots_->sdk2, aircraft.bytes(Block::Sdk2), aircraft::kSdk2BlockSize);
    const aircraft::Snapshots& blocks = *snapshots_;
    std::string value;
    switch (entry.kind) {
        case OffsetKind::Display: {
            data_export::DisplayValues displays;
            data_export::decode_displays(blocks, displays);
            const double shown = displays.value[entry.index];
            const long number = to_int32_trunc(shown);
            if (shown == data_export::kBlankDisplay) {
                value = "blank";
            } else if (entry.index == kSpeedWindow &&
                       data_export::speed_in_hundredths(blocks.sdk1)) {
                value = format(".%02ld", number % kHundredthsPerUnit);
            } else if (entry.index == kVerticalSpeedWindow &&
                       load_i32(blocks.sdk1 + bridge::kSignFieldOffset) == bridge::kNegativeSign) {
                value = format("-%ld", number);
            } else {
                value = format("%ld", number);
            }
            break;
        }
        case OffsetKind::Annunciator:
        case OffsetKind::AnnunciatorField: {
            data_export::Annunciators annunciators;
            data_export::pack_annunciators(blocks, annunciators);
            const std::uint32_t byte =
                static_cast<std::uint32_t>(
                    annunciators.packed[entry.offset - data_export::kAnnunciatorOffset]) &
                0xFFu;
            const std::uint32_t state =
                entry.kind == OffsetKind::Annunciator ? byte : (byte & entry.mask) >> entry.shift;
            value = entry.states == 2 ? (state != 0 ? "on" : "off") : format("%u", state);
            break;
        }
        case OffsetKind::Panel: {
            const data_export::PanelRow& row = data_export::kPanelRows[entry.index];
            const unsigned char* field = blocks.sdk1 + row.source;
            // As exported: an integer's low byte, a double truncated into 16 bits.
            value = row.type == data_export::kInteger
                        ? format("%d", load_i32(field) & 0xFF)
                        : format("%d", static_cast<std::int16_t>(
                                           to_int32_trunc(load_f64(field) * row.scale)));
            break;
        }
        default:
            return not_shown(entry);
    }
    return "ok " + entry.symbol + " " + value;
}

std::string Hand::set(AircraftModel& aircraft, const OffsetEntry& entry, std::string_view value) {
    long number = 0;
    switch (entry.kind) {
        case OffsetKind::Display: {
            const int k = entry.index;
            const bool signed_window = k == kVerticalSpeedWindow;
            const long largest = std::min<long>(
                data_export::kPowersOfTen[kDisplayWindows[k].digits - 1] * kDecimalBase - 1,
                kLargestDisplayNumber);
            if (upper(value) == "BLANK") {
                aircraft.blank_window(k);
            } else if (k == kSpeedWindow && parse_hundredths(value, number)) {
                aircraft.show_speed_hundredths(static_cast<std::uint32_t>(number));
            } else if (parse_whole(value, number) && number <= largest &&
                       number >= (signed_window ? -largest : 0)) {
                aircraft.set_window(k, static_cast<std::int32_t>(number < 0 ? -number : number));
                if (signed_window) {
                    aircraft.set_vertical_speed_sign(static_cast<std::int32_t>(number));
                }
            } else {
                const std::string range = format(
                    "%ld to %ld%s or blank", signed_window ? -largest : 0L, largest,
                    k == kSpeedWindow ? ", .00 to .99 (hundredths)" : "");
                return out_of_range(entry, range.c_str(), value);
            }
            break;
        }
        case OffsetKind::AnnunciatorField: {
            if (!parse_state(entry, value, number)) {
                const std::string range =
                    entry.states == 2 ? "on or off" : format("0 to %d", entry.states - 1);
                return out_of_range(entry, range.c_str(), value);
            }
            set_field(aircraft, data_export::kAnnunciatorFields[entry.index], number);
            break;
        }
        case OffsetKind::Annunciator: {
            // The whole byte: each field takes its bits; bits with no field must stay clear.
            std::uint32_t covered = 0;
            for (const data_export::AnnunciatorField& field : data_export::kAnnunciatorFields) {
                covered |= field.offset == entry.offset ? field.mask() : 0;
            }
            if (!parse_whole(value, number) || number < 0 || number > kHighestByte ||
                (static_cast<std::uint32_t>(number) & ~covered) != 0) {
                const std::string range = format("0 to 255 with only the bits of its fields (0x%02X)",
                                                 covered);
                return out_of_range(entry, range.c_str(), value);
            }
            for (const data_export::AnnunciatorField& field : data_export::kAnnunciatorFields) {
                if (field.offset == entry.offset) {
                    set_field(aircraft, field,
                              static_cast<long>((static_cast<std::uint32_t>(number) & field.mask()) >>
                                                field.shift));
                }
            }
            break;
        }
        case OffsetKind::Panel: {
            const data_export::PanelRow& row = data_export::kPanelRows[entry.index];
            if (row.type == data_export::kInteger) {
                if (!parse_whole(value, number) || number < 0 || number > kHighestByte) {
                    return out_of_range(entry, "0 to 255", value);
                }
                aircraft.poke_i32(Block::Sdk1, row.source, static_cast<std::int32_t>(number));
                break;
            }
            if (!parse_whole(value, number) || number < kLowestS16 || number > kHighestS16) {
                return out_of_range(entry, "-32768 to 32767", value);
            }
            // The field holds the unscaled value; nudged half a unit away from
            // zero where the scaled product would truncate one below it.
            double field = static_cast<double>(number) / row.scale;
            if (to_int32_trunc(field * row.scale) != number) {
                field = (static_cast<double>(number) + (number < 0 ? -0.5 : 0.5)) / row.scale;
            }
            aircraft.poke_f64(Block::Sdk1, row.source, field);
            break;
        }
        default:
            return not_shown(entry);
    }
    return show(aircraft, entry);
}

std::string Hand::list(std::string_view text) const {
    const std::string key = upper(text);
    std::string names;
    std::size_t count = 0;
    for (const OffsetEntry& e : names_) {
        if (settable(e.kind) && e.symbol.find(key) != std::string::npos) {
            names += " " + e.symbol;
            ++count;
        }
    }
    for (const HeaderName& n : header_names_) {  // the header's names after the kit's
        if (settable(names_[n.entry].kind) && n.key.find(key) != std::string::npos &&
            n.name.find(' ') == std::string::npos) {
            names += " " + n.name;
            ++count;
        }
    }
    return "ok " + std::to_string(count) + (count == 1 ? " name" : " names") +
           (count == 0 ? "" : ":") + names;
}

HandAnswer Hand::line(AircraftModel& aircraft, std::string_view text) {
    text = trim(text);
    if (text.empty() || text.front() == '#') {
        return {HandAnswer::Then::Nothing, {}, 0};
    }
    const std::string verb = upper(next_word(text));
    if (verb == "QUIT") {
        // "quit now" may be a line meant for something else: nothing ends on it.
        return text.empty() ? HandAnswer{HandAnswer::Then::PrintThenQuit, "ok", 0}
                            : HandAnswer{HandAnswer::Then::Print,
                                         "error quit takes nothing after it: quit", 0};
    }
    if (verb == "LIST") {
        return {HandAnswer::Then::Print, list(text), 0};
    }
    if (verb == "WAIT") {
        char* end = nullptr;
        const std::string seconds(text);
        const double wait = std::strtod(seconds.c_str(), &end);
        if (seconds.empty() || end != seconds.c_str() + seconds.size() || !(wait >= 0.0) ||
            wait > kLongestWait) {
            return {HandAnswer::Then::Print,
                    format("error wait takes seconds from 0 to %.0f, not \"%s\"", kLongestWait,
                           seconds.c_str()),
                    0};
        }
        return {HandAnswer::Then::WaitThenPrint, "ok", wait};
    }
    if (verb != "SET" && verb != "SHOW") {
        return {HandAnswer::Then::Print,
                format("error unknown command \"%s\"; the commands are set, show, list, wait "
                       "and quit",
                       verb.c_str()),
                0};
    }
    const std::string_view name = next_word(text);
    if (name.empty() || (verb == "SET") == text.empty() || (verb == "SHOW" && !text.empty())) {
        return {HandAnswer::Then::Print,
                verb == "SET" ? "error set takes a name and a value: set NAME VALUE"
                              : "error show takes a name: show NAME",
                0};
    }
    const OffsetEntry* entry = find(name);
    if (entry == nullptr) {
        const std::string near = suggestions(name);
        return {HandAnswer::Then::Print,
                format("error unknown name \"%.*s\"; %s", static_cast<int>(name.size()),
                       name.data(),
                       near.empty() ? "list shows the names"
                                    : ("did you mean " + near + "?").c_str()),
                0};
    }
    return {HandAnswer::Then::Print,
            verb == "SET" ? set(aircraft, *entry, text) : show(aircraft, *entry), 0};
}

}  // namespace corvane::sim
