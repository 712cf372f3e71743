// corvane-monitor's command line.
#include "monitor/options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace corvane::monitor {

namespace {

// The names of --turn, each tied to the display its knob builds on, so that
// the names cannot drift from the bridge's knob table.
struct KnobName {
    const char* name;
    std::uint32_t display_offset;
};

constexpr KnobName kKnobNames[bridge::kKnobCount] = {
    {"altitude", 0x943A}, {"course1", 0x9434}, {"course2", 0x943E}, {"speed", 0x9436},
    {"vs", 0x943C},       {"heading", 0x9438}, {"fltalt", 0x9430},  {"ldgalt", 0x9432},
};

constexpr bool names_follow_the_knob_table() {
    for (int n = 0; n < bridge::kKnobCount; ++n) {
        if (kKnobNames[n].display_offset != bridge::kKnobRows[n].display_offset) {
            return false;
        }
    }
    return true;
}
static_assert(names_follow_the_knob_table(), "each knob name belongs to its counter");

std::string knob_list() {
    std::string list;
    for (int n = 0; n < bridge::kKnobCount; ++n) {
        list += n == 0 ? "" : ", ";
        list += kKnobNames[n].name;
    }
    return list;
}

// A whole decimal number in min..max, nothing before or after it.
bool parse_number(const char* text, long long min, long long max, int& value) {
    if (text == nullptr || *text == '\0' || *text == ' ' || *text == '\t') {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || parsed < min || parsed > max) {
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

std::string quote(const char* text) { return std::string("\"") + text + "\""; }

// Adds the steps of one --turn or --step to what earlier ones gave the same counter.
bool add_steps(const char* what, const char* text, bool& given, int& steps, std::string& error) {
    int added = 0;
    if (!parse_number(text, -kMaxSteps, kMaxSteps, added)) {
        error = std::string(what) + " takes -127..+127 steps, not " + quote(text);
        return false;
    }
    if (given && (steps + added > kMaxSteps || steps + added < -kMaxSteps)) {
        error = std::string(what) + " adds up to more than 127 steps either way";
        return false;
    }
    given = true;
    steps += added;
    return true;
}

struct Parser {
    int argc;
    const char* const* argv;
    int i;
    Options& options;
    std::string& error;
    const char* option = "";  // the option being parsed

    // The argument after the option, or nullptr with the error set.
    const char* next(const char* needs) {
        if (i + 1 >= argc) {
            error = std::string(option) + " needs " + needs;
            return nullptr;
        }
        return argv[++i];
    }

    bool number(const char* needs, long long min, long long max, const char* range, int& value) {
        const char* text = next(needs);
        if (text == nullptr) {
            return false;
        }
        if (!parse_number(text, min, max, value)) {
            error = std::string(option) + " takes " + range + ", not " + quote(text);
            return false;
        }
        return true;
    }

    bool turn() {
        const char* name = next("a knob and a number of steps");
        if (name == nullptr) {
            return false;
        }
        int knob = -1;
        for (int n = 0; n < bridge::kKnobCount; ++n) {
            if (std::strcmp(name, kKnobNames[n].name) == 0) {
                knob = n;
            }
        }
        if (knob < 0) {
            error = "unknown knob " + quote(name) + "; the knobs are " + knob_list();
            return false;
        }
        const char* steps = next("a number of steps after the knob");
        const std::string what = std::string("--turn ") + name;
        return steps != nullptr &&
               add_steps(what.c_str(), steps, options.knob_given[knob], options.knob_steps[knob], error);
    }

    bool step() {
        int counter = 0;
        if (!number("a step counter and a number of steps", 0, bridge::kStepCounterCount - 1,
                    "a step counter 0..3", counter)) {
            return false;
        }
        const char* steps = next("a number of steps after the step counter");
        const std::string what = "--step " + std::to_string(counter);
        return steps != nullptr && add_steps(what.c_str(), steps, options.step_given[counter],
                                             options.step_steps[counter], error);
    }

    bool one() {
        const char* arg = argv[i];
        option = arg;
        int number_value = 0;
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0 ||
            std::strcmp(arg, "/?") == 0) {
            options.help = true;
        } else if (std::strcmp(arg, "--version") == 0) {
            options.version = true;
        } else if (std::strcmp(arg, "--view") == 0) {
            options.view = true;
        } else if (std::strcmp(arg, "--changes") == 0) {
            options.changes = true;
        } else if (std::strcmp(arg, "--interval") == 0) {
            if (!number("a number of milliseconds", kMinIntervalMs, kMaxIntervalMs,
                        "10..1000 milliseconds", number_value)) {
                return false;
            }
            options.interval_ms = static_cast<std::uint32_t>(number_value);
        } else if (std::strcmp(arg, "--wait") == 0) {
            if (!number("a number of seconds", 0, kMaxWaitSeconds, "0..86400 seconds", number_value)) {
                return false;
            }
            options.wait_limited = true;
            options.wait_seconds = static_cast<std::uint32_t>(number_value);
        } else if (std::strcmp(arg, "--labels") == 0) {
            const char* file = next("a file");
            if (file == nullptr) {
                return false;
            }
            options.labels_file = file;
        } else if (std::strcmp(arg, "--command") == 0) {
            if (!number("a command code", 0, kMaxCommand, "a command code 0..32767", options.command)) {
                return false;
            }
            options.command_given = true;
        } else if (std::strcmp(arg, "--value") == 0) {
            if (!number("a value", 0, kMaxValueByte, "a value 0..255", options.value)) {
                return false;
            }
            options.value_given = true;
        } else if (std::strcmp(arg, "--turn") == 0) {
            return turn();
        } else if (std::strcmp(arg, "--step") == 0) {
            return step();
        } else {
            error = (arg[0] == '-' ? "unknown option " : "unexpected argument ") + quote(arg);
            return false;
        }
        return true;
    }
};

}  // namespace

bool has_inputs(const Options& options) {
    bool any = options.command_given || options.value_given;
    for (bool given : options.knob_given) {
        any = any || given;
    }
    for (bool given : options.step_given) {
        any = any || given;
    }
    return any;
}

Mode mode_of(const Options& options) {
    if (options.changes) {
        return Mode::Changes;
    }
    if (options.view || !has_inputs(options)) {
        return Mode::View;
    }
    return Mode::WriteOnly;
}

bool parse_options(int argc, const char* const* argv, Options& options, std::string& error) {
    Options parsed;
    Parser parser{argc, argv, 1, parsed, error};
    for (; parser.i < argc; ++parser.i) {
        if (!parser.one()) {
            return false;
        }
    }
    if (parsed.view && parsed.changes) {
        error = "--view and --changes cannot be combined";
        return false;
    }
    options = parsed;
    return true;
}

const char* knob_name(int knob) {
    return knob >= 0 && knob < bridge::kKnobCount ? kKnobNames[knob].name : "";
}

std::string usage_text() {
    return "usage: corvane-monitor [--view | --changes] [--interval MS] [--labels FILE] [--wait S]\n"
           "                       [--command N] [--value N] [--turn KNOB [+-]N] [--step 0..3 [+-]N]\n"
           "\n"
           "Shows Corvane's FSUIPC offsets 0x9400-0x94FB by name, live, and writes its inputs\n"
           "by hand. Reads from the simulator's FSUIPC or from corvane-sim.\n"
           "\n"
           "  (no option)        the live view of the whole block, redrawn in place; values\n"
           "                     changed in the last second are marked *\n"
           "  --view             the live view, also after writing inputs\n"
           "  --changes          the change log: one line per change, nothing else:\n"
           "                     time offset name old -> new\n"
           "  --interval MS      read the block every MS milliseconds, 10..1000 (default 100)\n"
           "  --labels FILE      your own names: a CSV of offset,label lines (template: labels.csv)\n"
           "  --wait S           exit with code 3 when there is no FSUIPC for S seconds\n"
           "                     (default: keep waiting, retrying once a second)\n"
           "  --command N        write command N (0..32767) into the command word 0x9400\n"
           "  --value N          write N (0..255) into the value byte 0x9428\n"
           "  --turn KNOB [+-]N  add N (-127..127) to a knob counter, 0x94F0..0x94F7 in this\n"
           "                     order: " +
           knob_list() +
           "\n"
           "  --step C [+-]N     add N (-127..127) to step counter C, 0..3 (0x94F8..0x94FB)\n"
           "  --help             this text\n"
           "  --version          the version\n"
           "\n"
           "Inputs are written once, after the first read; without --view or --changes the\n"
           "monitor then exits. It never writes any other offset.\n"
           "Exit codes: 0 done, 1 an exchange failed, 2 bad arguments, 3 no FSUIPC in time,\n"
           "4 stopped before the inputs were written.\n";
}

}  // namespace corvane::monitor
