// corvane-monitor's command line: what to show, how often to read, whose
// labels, how long to wait for FSUIPC, and the inputs to write by hand.
//
// Parsing never touches the system: it fills an Options record or gives a
// one-line reason, which main prints before exiting with kExitUsage.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bridge/command_tables.h"
#include "monitor/block.h"
#include "monitor/labels.h"

namespace corvane::monitor {

// Exit codes of the program.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // an exchange failed while writing the inputs
constexpr int kExitUsage = 2;
constexpr int kExitNoFsuipc = 3;
// Stopped (Ctrl+C, the console closed) before the inputs were written, so a
// script never takes an interrupted run for a sent command.
constexpr int kExitInterrupted = 4;

// What each exit code means, in the words of --help and the user guide.
struct ExitCode {
    int code;
    const char* meaning;
};
inline constexpr ExitCode kExitCodes[] = {
    {kExitOk, "done"},
    {kExitFailed, "an exchange failed; the inputs may not have been written"},
    {kExitUsage, "bad arguments, or a labels file that cannot be read"},
    {kExitNoFsuipc, "no FSUIPC within --wait S seconds"},
    {kExitInterrupted, "stopped (Ctrl+C, the console closed) before the inputs were written"},
};

constexpr std::uint32_t kDefaultIntervalMs = 100;
constexpr std::uint32_t kMinIntervalMs = 10;
constexpr std::uint32_t kMaxIntervalMs = 1000;
constexpr std::uint32_t kMaxWaitSeconds = 86400;
// Knob and step counters wrap at 256 and the bridge takes the wrapped
// difference, so one write can carry at most 127 steps either way.
constexpr int kMaxSteps = bridge::kMaxCounts;
constexpr int kMaxCommand = 32767;  // the command word is signed; -1 means none
constexpr int kMaxValueByte = 255;

enum class Mode : std::uint8_t {
    View,       // the live view
    Changes,    // the change log
    WriteOnly,  // write the inputs, then exit
};

struct Options {
    bool help = false;
    bool version = false;
    bool view = false;
    bool changes = false;
    std::uint32_t interval_ms = kDefaultIntervalMs;
    bool wait_limited = false;
    std::uint32_t wait_seconds = 0;
    std::string labels_file;
    // What the live view and the change log show; --section narrows it.
    SectionSet sections = kAllSections;

    bool command_given = false;
    int command = 0;
    // --command NAME: a command of the --labels file (names.csv from
    // corvane-names), turned into command by resolve_command_name.
    std::string command_name;
    bool value_given = false;
    int value = 0;
    // Steps to add per knob counter (0x94F0 + n) and step counter
    // (0x94F8 + n); several --turn of one knob add up.
    bool knob_given[bridge::kKnobCount] = {};
    int knob_steps[bridge::kKnobCount] = {};
    bool step_given[bridge::kStepCounterCount] = {};
    int step_steps[bridge::kStepCounterCount] = {};
};

bool has_inputs(const Options& options);
Mode mode_of(const Options& options);

// False with a one-line reason in error that names the bad argument.
// --command NAME: the code the labels give the name. False with the reason
// when the labels name no such command or its code does not fit the word.
bool resolve_command_name(Options& options, const std::vector<Labels::Command>& commands,
                          std::string& error);

bool parse_options(int argc, const char* const* argv, Options& options, std::string& error);

// The long name of every option, as the parser knows them ("--view", ...).
std::vector<std::string> option_names();

// The --help text.
std::string usage_text();

// The knob names of --turn in counter order (0x94F0 first).
const char* knob_name(int knob);

}  // namespace corvane::monitor
