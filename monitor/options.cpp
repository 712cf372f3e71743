// corvane-monitor's command line, read with CLI11. The library splits the
// arguments and hands each option its values; what a value may be, and the
// one-line message when it is not, stay ours, because scripts and the user
// guide rely on those words.
#include "monitor/options.h"

#include <cerrno>
#include <cctype>
#include <cstdlib>
#include <functional>

#include <CLI/CLI.hpp>

namespace corvane::monitor {

namespace {

using Values = std::vector<std::string>;

// The words of --section, each with the sections of the view it keeps.
struct SectionName {
    const char* name;
    SectionSet sections;
};

constexpr SectionName kSectionNames[] = {
    {"inputs", section_bit(Section::Inputs)},
    {"displays", section_bit(Section::Displays)},
    {"annunciators", section_bit(Section::Annunciators) | section_bit(Section::Lamps)},
    {"panel", section_bit(Section::PanelValues)},
    {"state", section_bit(Section::Corvane)},
};

template <typename Row, std::size_t N>
std::string name_list(const Row (&rows)[N], const char* last_separator) {
    std::string list;
    for (std::size_t n = 0; n < N; ++n) {
        list += n == 0 ? "" : n + 1 == N ? last_separator : ", ";
        list += rows[n].name;
    }
    return list;
}

std::string knob_list() { return name_list(bridge::kKnobRows, ", "); }
std::string section_list() { return name_list(kSectionNames, " or "); }

// A whole number in min..max and nothing else: decimal, or hexadecimal
// after 0x where hex is true.
bool parse_number(const std::string& text, long long min, long long max, bool hex, int& value) {
    const bool is_hex = hex && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::size_t digits_from = is_hex ? 2 : 0;
    if (text.size() <= digits_from || std::isspace(static_cast<unsigned char>(text[digits_from]))) {
        return false;
    }
    for (std::size_t i = digits_from; is_hex && i < text.size(); ++i) {
        if (!std::isxdigit(static_cast<unsigned char>(text[i]))) {
            return false;
        }
    }
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text.c_str() + digits_from, &end, is_hex ? 16 : 10);
    if (errno != 0 || *end != '\0' || parsed < min || parsed > max) {
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

std::string quote(const std::string& text) { return "\"" + text + "\""; }

[[noreturn]] void refuse(const std::string& reason) { throw CLI::ValidationError(reason); }

// Adds the steps of one --turn or --step to what earlier ones gave the same counter.
void add_steps(const std::string& what, const std::string& text, bool& given, int& steps) {
    int added = 0;
    if (!parse_number(text, -kMaxSteps, kMaxSteps, false, added)) {
        refuse(what + " takes -127..+127 steps, not " + quote(text));
    }
    if (given && (steps + added > kMaxSteps || steps + added < -kMaxSteps)) {
        refuse(what + " adds up to more than 127 steps either way");
    }
    given = true;
    steps += added;
}

// The options that take values, each with the words for a missing value:
// none given, or (two-value options) only the first.
struct ValueOption {
    std::string name;
    const char* needs;
    const char* needs_second;
};

class CommandLine {
public:
    explicit CommandLine(Options& o) : app_("corvane-monitor", "corvane-monitor") {
        app_.set_help_flag();  // --help prints the program's own usage text
        app_.allow_extras();   // said below in the program's own words
        app_.add_flag("-h,--help", o.help);
        app_.add_flag("--version", o.version);
        app_.add_flag("--view", o.view);
        app_.add_flag("--changes", o.changes);
        number("--interval", "a number of milliseconds", kMinIntervalMs, kMaxIntervalMs,
               "10..1000 milliseconds", false, [&o](int ms) { o.interval_ms = static_cast<std::uint32_t>(ms); });
        number("--wait", "a number of seconds", 0, kMaxWaitSeconds, "0..86400 seconds", false, [&o](int s) {
            o.wait_limited = true;
            o.wait_seconds = static_cast<std::uint32_t>(s);
        });
        value("--labels", "a file", nullptr, [&o](const Values& v) { o.labels_file = v[0]; });
        value("--section", "a section", nullptr, [&o, this](const Values& v) { section(o, v[0]); });
        value("--command", "a command code", nullptr, [&o](const Values& v) {
            // A name (it starts with a letter) is looked up in the --labels file.
            if (!v[0].empty() && (std::isalpha(static_cast<unsigned char>(v[0][0])) != 0 || v[0][0] == '_')) {
                o.command_name = v[0];
                o.command_given = true;
                return;
            }
            int code = 0;
            if (!parse_number(v[0], 0, kMaxCommand, true, code)) {
                refuse("--command takes a command code 0..32767, not " + quote(v[0]));
            }
            o.command = code;
            o.command_name.clear();
            o.command_given = true;
        });
        number("--value", "a value", 0, kMaxValueByte, "a value 0..255", true, [&o](int v) {
            o.value = v;
            o.value_given = true;
        });
        value("--turn", "a knob and a number of steps", "a number of steps after the knob",
              [&o](const Values& v) { turn(o, v[0], v[1]); });
        value("--step", "a step counter and a number of steps", "a number of steps after the step counter",
              [&o](const Values& v) { step(o, v[0], v[1]); });
    }

    // False with the reason in error.
    bool parse(int argc, const char* const* argv, Options& o, std::string& error) {
        try {
            app_.parse(argc, argv);
        } catch (const CLI::ArgumentMismatch& e) {
            error = missing_value(e.what());
            return false;
        } catch (const CLI::ParseError& e) {
            error = e.what();
            return false;
        }
        for (const std::string& arg : app_.remaining()) {
            if (arg == "/?") {
                o.help = true;
                continue;
            }
            error = (arg[0] == '-' ? "unknown option " : "unexpected argument ") + quote(arg);
            return false;
        }
        return true;
    }

    std::vector<std::string> names() const {
        std::vector<std::string> list;
        for (const CLI::Option* option : app_.get_options()) {
            list.push_back(option->get_name());
        }
        return list;
    }

private:
    // One value, or two where needs_second is given; take() sees them once per
    // occurrence, in the order of the command line.
    void value(const char* name, const char* needs, const char* needs_second,
               std::function<void(const Values&)> take) {
        app_.add_option_function<Values>(name, std::move(take))
            ->type_size(needs_second != nullptr ? 2 : 1)
            ->expected(1)
            ->trigger_on_parse();
        values_.push_back(ValueOption{name, needs, needs_second});
    }

    void number(const char* name, const char* needs, long long min, long long max, const char* range, bool hex,
                std::function<void(int)> take) {
        value(name, needs, nullptr, [name, min, max, range, hex, take](const Values& v) {
            int number = 0;
            if (!parse_number(v[0], min, max, hex, number)) {
                refuse(std::string(name) + " takes " + range + ", not " + quote(v[0]));
            }
            take(number);
        });
    }

    static void turn(Options& o, const std::string& name, const std::string& steps) {
        for (int n = 0; n < bridge::kKnobCount; ++n) {
            if (name == bridge::kKnobRows[n].name) {
                add_steps("--turn " + name, steps, o.knob_given[n], o.knob_steps[n]);
                return;
            }
        }
        refuse("unknown knob " + quote(name) + "; the knobs are " + knob_list());
    }

    static void step(Options& o, const std::string& counter_text, const std::string& steps) {
        int counter = 0;
        if (!parse_number(counter_text, 0, bridge::kStepCounterCount - 1, false, counter)) {
            refuse("--step takes a step counter 0..3, not " + quote(counter_text));
        }
        add_steps("--step " + std::to_string(counter), steps, o.step_given[counter], o.step_steps[counter]);
    }

    void section(Options& o, const std::string& name) {
        for (const SectionName& s : kSectionNames) {
            if (name == s.name) {
                // The first --section replaces "everything"; later ones add.
                o.sections = (sections_given_ ? o.sections : 0u) | s.sections;
                sections_given_ = true;
                return;
            }
        }
        refuse("--section takes " + section_list() + ", not " + quote(name));
    }

    // CLI11 reports a missing value as "NAME: ..."; say it in our words.
    std::string missing_value(const std::string& what) const {
        for (const ValueOption& v : values_) {
            if (what.rfind(v.name + ":", 0) == 0) {
                const bool first_given = app_.get_option(v.name)->results().size() == 1;
                return v.name + " needs " + (first_given && v.needs_second != nullptr ? v.needs_second : v.needs);
            }
        }
        return what;
    }

    CLI::App app_;
    std::vector<ValueOption> values_;
    bool sections_given_ = false;
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

bool resolve_command_name(Options& options, const std::vector<Labels::Command>& commands,
                          std::string& error) {
    if (options.command_name.empty()) {
        return true;
    }
    for (const Labels::Command& c : commands) {
        if (c.name == options.command_name) {
            if (c.code < 0 || c.code > kMaxCommand) {
                error = "--command " + options.command_name + " is command " + std::to_string(c.code) +
                        ", outside the command word's 0..32767";
                return false;
            }
            options.command = c.code;
            return true;
        }
    }
    error = "--command " + quote(options.command_name) +
            (commands.empty() ? " needs --labels with the aircraft's commands (names.csv from corvane-names)"
                              : " is no command of the --labels file");
    return false;
}

bool parse_options(int argc, const char* const* argv, Options& options, std::string& error) {
    Options parsed;
    CommandLine command_line(parsed);
    if (!command_line.parse(argc, argv, parsed, error)) {
        return false;
    }
    if (parsed.view && parsed.changes) {
        error = "--view and --changes cannot be combined";
        return false;
    }
    options = parsed;
    return true;
}

std::vector<std::string> option_names() {
    Options unused;
    return CommandLine(unused).names();
}

const char* knob_name(int knob) {
    return knob >= 0 && knob < bridge::kKnobCount ? bridge::kKnobRows[knob].name : "";
}

std::string usage_text() {
    std::string text =
        "usage: corvane-monitor [--view | --changes] [--section S]... [--interval MS] [--labels FILE]\n"
        "                       [--wait S] [--command N] [--value N] [--turn KNOB [+-]N] [--step C [+-]N]\n"
        "\n"
        "Shows Corvane's FSUIPC offsets 0x9400-0x94FB by name, live, and writes its inputs\n"
        "by hand. Reads from the simulator's FSUIPC or from corvane-sim.\n"
        "\n"
        "  (no option)        the live view of the whole block, redrawn in place; values\n"
        "                     changed in the last second are marked *\n"
        "  --view             the live view, also after writing inputs\n"
        "  --changes          the change log: one line per change, nothing else:\n"
        "                     time offset name old -> new\n"
        "  --section S        show only " +
        section_list() +
        "\n"
        "                     in the live view and the change log; repeat it to show several\n"
        "  --interval MS      read the block every MS milliseconds, 10..1000 (default 100)\n"
        "  --labels FILE      your own names: a CSV of offset,label lines (or offset;label),\n"
        "                     template labels.csv; 0x9402&0x04 names a field of an annunciator byte\n"
        "  --wait S           exit with code 3 when there is no FSUIPC for S seconds\n"
        "                     (default: keep waiting, retrying once a second)\n"
        "  --command N        write command N (0..32767, or hexadecimal 0x0..0x7FFF) into the\n"
        "                     command word 0x9400; or a command's name from --labels\n"
        "  --value N          write N (0..255, or 0x00..0xFF) into the value byte 0x9428\n"
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
        "Exit codes:\n";
    for (const ExitCode& exit : kExitCodes) {
        text += "  " + std::to_string(exit.code) + "  " + exit.meaning + "\n";
    }
    return text;
}

}  // namespace corvane::monitor
