// The monitor's command line, the inputs it writes, and the labels CSV with
// its template docs/labels.csv.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <vector>

#include "bridge/offset_map.h"
#include "monitor/changes.h"
#include "monitor/inputs.h"
#include "monitor/labels.h"
#include "monitor/options.h"

namespace corvane::monitor {
namespace {

bool parse(std::vector<const char*> args, Options& options, std::string& error) {
    args.insert(args.begin(), "corvane-monitor");
    return parse_options(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(MonitorOptions, RefusesBadArgumentsWithOneLineThatNamesTheProblem) {
    const struct {
        std::vector<const char*> args;
        const char* reason;
    } rows[] = {
        {{"--turn", "flaps", "+1"}, "unknown knob \"flaps\"; the knobs are altitude, course1, course2, "
                                    "speed, vs, heading, fltalt, ldgalt"},
        {{"--turn", "altitude", "+128"}, "--turn altitude takes -127..+127 steps, not \"+128\""},
        {{"--turn", "vs", "2x"}, "--turn vs takes -127..+127 steps, not \"2x\""},
        {{"--turn", "heading", "100", "--turn", "heading", "+28"}, "--turn heading adds up to more"},
        {{"--turn", "altitude"}, "--turn needs a number of steps after the knob"},
        {{"--step", "4", "+1"}, "--step takes a step counter 0..3, not \"4\""},
        {{"--step", "0", "-128"}, "--step 0 takes -127..+127 steps, not \"-128\""},
        {{"--interval", "9"}, "--interval takes 10..1000 milliseconds, not \"9\""},
        {{"--interval", "1001"}, "--interval takes 10..1000 milliseconds"},
        {{"--interval"}, "--interval needs a number of milliseconds"},
        {{"--wait", "-1"}, "--wait takes 0..86400 seconds"},
        {{"--command", "32768"}, "--command takes a command code 0..32767"},
        {{"--command", "-1"}, "--command takes a command code 0..32767"},
        {{"--value", "256"}, "--value takes a value 0..255, not \"256\""},
        {{"--value", " 5"}, "--value takes a value 0..255"},
        {{"--value", "99999999999999999999"}, "--value takes a value 0..255"},
        {{"--labels"}, "--labels needs a file"},
        {{"--view", "--changes"}, "--view and --changes cannot be combined"},
        {{"--frobnicate"}, "unknown option \"--frobnicate\""},
        {{"altitude"}, "unexpected argument \"altitude\""},
        {{"--command", "0x8000"}, "--command takes a command code 0..32767, not \"0x8000\""},
        {{"--value", "0x1G"}, "--value takes a value 0..255"},
        {{"--value", "0x"}, "--value takes a value 0..255"},
        {{"--interval", "0x20"}, "--interval takes 10..1000 milliseconds"},
        {{"--section", "lamps"}, "--section takes inputs, displays, annunciators, panel or state, not \"lamps\""},
        {{"--section"}, "--section needs a section"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reason);
        Options options;
        options.interval_ms = 777;  // untouched on failure
        std::string error;
        EXPECT_FALSE(parse(row.args, options, error));
        EXPECT_EQ(error.rfind(row.reason, 0), 0u) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos);
        EXPECT_EQ(options.interval_ms, 777u);
    }
}

TEST(MonitorOptions, ModesAndValuesOfGoodArguments) {
    Options o;
    std::string error;
    ASSERT_TRUE(parse({}, o, error));
    EXPECT_EQ(mode_of(o), Mode::View);
    EXPECT_EQ(o.interval_ms, kDefaultIntervalMs);
    EXPECT_FALSE(o.wait_limited);

    ASSERT_TRUE(parse({"--changes", "--interval", "10", "--wait", "0", "--labels", "my.csv"}, o, error));
    EXPECT_EQ(mode_of(o), Mode::Changes);
    EXPECT_EQ(o.interval_ms, 10u);
    EXPECT_TRUE(o.wait_limited);
    EXPECT_EQ(o.wait_seconds, 0u);
    EXPECT_EQ(o.labels_file, "my.csv");

    ASSERT_TRUE(parse({"--turn", "ldgalt", "-127", "--turn", "ldgalt", "+27", "--step", "3", "5",
                       "--command", "627", "--value", "0"},
                      o, error));
    EXPECT_EQ(mode_of(o), Mode::WriteOnly);
    EXPECT_TRUE(o.knob_given[7]);
    EXPECT_EQ(o.knob_steps[7], -100);
    EXPECT_EQ(o.step_steps[3], 5);
    EXPECT_EQ(o.command, 627);
    EXPECT_TRUE(o.value_given);

    ASSERT_TRUE(parse({"--turn", "altitude", "+3", "--view"}, o, error));
    EXPECT_EQ(mode_of(o), Mode::View);
    EXPECT_EQ(o.sections, kAllSections);

    // Hexadecimal command words and value bytes; sections add up.
    ASSERT_TRUE(parse({"--command", "0x274", "--value=0XfF", "--section", "panel", "--section",
                       "annunciators"},
                      o, error));
    EXPECT_EQ(o.command, 0x274);
    EXPECT_EQ(o.value, 255);
    EXPECT_EQ(o.sections, section_bit(Section::PanelValues) | section_bit(Section::Annunciators) |
                              section_bit(Section::Lamps));
    ASSERT_TRUE(parse({"--help"}, o, error));
    EXPECT_TRUE(o.help);
    EXPECT_NE(usage_text().find("altitude, course1, course2, speed, vs, heading, fltalt, ldgalt"),
              std::string::npos);
}

TEST(MonitorInputs, CountersTurnModulo256AndOnlyInputOffsetsAreWritten) {
    Options o;
    std::string error;
    ASSERT_TRUE(parse({"--turn", "altitude", "+3", "--turn", "ldgalt", "-2", "--step", "0", "-2",
                       "--step", "3", "127", "--command", "627", "--value", "200"},
                      o, error));
    unsigned char block[kBlockSize] = {};
    block[0x94F0 - kBlockFirst] = 254;
    block[0x9400 - kBlockFirst] = 0xFF;
    block[0x9401 - kBlockFirst] = 0xFF;
    block[0x94FB - kBlockFirst] = 200;
    const std::vector<InputWrite> writes = plan_inputs(o, block);
    const struct {
        std::uint32_t offset;
        std::int32_t old_value;
        std::int32_t new_value;
    } expected[] = {
        {0x9400, -1, 627}, {0x9428, 0, 200}, {0x94F0, 254, 1},
        {0x94F7, 0, 254},  {0x94F8, 0, 254}, {0x94FB, 200, 71},
    };
    ASSERT_EQ(writes.size(), std::size(expected));
    std::map<std::uint32_t, bridge::OffsetEntry> inputs;
    for (const bridge::OffsetEntry& e : bridge::offset_entries()) {
        if (e.direction == bridge::Direction::PanelWrites) {
            inputs[e.offset] = e;
        }
    }
    for (std::size_t i = 0; i < writes.size(); ++i) {
        SCOPED_TRACE(i);
        const InputWrite& w = writes[i];
        EXPECT_EQ(w.offset, expected[i].offset);
        EXPECT_EQ(w.old_value, expected[i].old_value);
        EXPECT_EQ(w.new_value, expected[i].new_value);
        ASSERT_EQ(inputs.count(w.offset), 1u) << "not an input offset";
        EXPECT_EQ(w.size, inputs[w.offset].size);
        const int written = w.size == 2 ? w.bytes[0] | (w.bytes[1] << 8) : w.bytes[0];
        EXPECT_EQ(written, w.new_value & (w.size == 2 ? 0xFFFF : 0xFF));
    }
}

TEST(MonitorLabels, ReadsWhatASpreadsheetSavesAndNamesTheBadLine) {
    Labels labels;
    std::string error;
    ASSERT_TRUE(parse_labels("\xEF\xBB\xBF" "Offset,Label,notes\r\n"
                             "# my cockpit\r\n"
                             "\r\n"
                             "0x9402 , \"MASTER CAUTION, left\" ,ignored\r\n"
                             "943a,ALT window\r\n"
                             "0X94F0,\"alt \"\"knob\"\"\"\r\n"
                             "0x9440,\r\n"
                             "0x9472,tab\there\r\n",
                             labels, error))
        << error;
    EXPECT_EQ(labels.of(0x9402), "MASTER CAUTION, left");
    EXPECT_EQ(labels.of(0x943A), "ALT window");
    EXPECT_EQ(labels.of(0x94F0), "alt \"knob\"");
    EXPECT_EQ(labels.of(0x9440), "");
    EXPECT_EQ(labels.of(0x9472), "tab here");
    const std::vector<Field> fields = make_fields(labels);
    EXPECT_EQ(find_field(fields, 0x943A)->name, "ALT window");
    EXPECT_EQ(find_field(fields, 0x9472)->view_name, "tab here");
    EXPECT_EQ(find_field(fields, 0x9440)->name, "display");

    // Semicolons, as many spreadsheets save, and a lamp named by byte and mask.
    ASSERT_TRUE(parse_labels("offset;label\n0x9402 & 0x04;\"STAB OUT; left\"\n0x9407&0xC;trim, 4 states\n",
                             labels, error))
        << error;
    EXPECT_EQ(labels.of(0x9402), "");
    const std::vector<Field> lamps = make_fields(labels);
    std::vector<std::string> lamp_names;
    for (const Field& field : lamps) {
        if (field.section == Section::Lamps) lamp_names.push_back(offset_text(field, true).text + (" " + field.name));
    }
    EXPECT_EQ(lamp_names, (std::vector<std::string>{"0x9402&0x04 STAB OUT; left", "0x9407&0x0C trim, 4 states"}));

    const struct {
        const char* csv;
        const char* error;
    } bad[] = {
        {"0x9400,a\n0x9431,b\n", "line 2: 0x9431 is not an offset of the block"},
        {"0x942B,gap\n", "line 1: 0x942B is not an offset of the block"},
        {"0x1234,x\n", "line 1: 0x1234 lies outside the block 0x9400-0x94FB"},
        {"# c\n0x9430,a\n0x9430,b\n", "line 3: 0x9430 is labelled twice (first on line 2)"},
        {"0x9430,\"open\n", "line 1: a quoted field is not closed properly"},
        {"0x9430,\"a\"b\n", "line 1: a quoted field is not closed properly"},
        {"0x9400,a\nlamp,b\n", "line 2: \"lamp\" is not a hexadecimal offset"},
        {"0x9407&0x04,a\n", "line 1: 0x9407&0x04 is not a field of an annunciator byte"},
        {"0x9430&0x01,a\n", "line 1: 0x9430&0x01 is not a field of an annunciator byte"},
        {"0x9402&0x04;a\n0x9402&4;b\n", "line 2: 0x9402&4 is labelled twice (first on line 1)"},
        {"command:12x,A\n", "line 1: \"command:12x\" is not a command code"},
        {"command:,A\n", "line 1: \"command:\" is not a command code"},
        {"command:-,A\n", "line 1: \"command:-\" is not a command code"},
        {"command:99999999999,A\n", "line 1: \"command:99999999999\" is not a command code"},
        {"command:5\n", "line 1: command 5 has no name"},
        {"command:5,A\ncommand:5,B\n", "line 2: command 5 is given twice (first on line 1)"},
        {"command:5,A\n# c\ncommand:-6,A\n", "line 3: the command name A is given twice (first on line 1)"},
    };
    for (const auto& row : bad) {
        SCOPED_TRACE(row.csv);
        Labels untouched;
        untouched.text[0] = "kept";
        EXPECT_FALSE(parse_labels(row.csv, untouched, error));
        EXPECT_EQ(error.rfind(row.error, 0), 0u) << error;
        EXPECT_EQ(untouched.text[0], "kept");
    }
}

// Command rows give the aircraft's commands in the file's order; --command
// NAME takes the code from them, within the command word's range.
TEST(MonitorLabels, CommandRowsNameTheCodesForCommandAndTheChangeLog) {
    Labels labels;
    std::string error;
    ASSERT_TRUE(parse_labels("offset,label\ncommand:1232,MCP_SPEED_UP\ncommand:-3,BACK\n"
                             "command:70000,TOO_HIGH\n0x9430,fl alt\n",
                             labels, error))
        << error;
    ASSERT_EQ(labels.commands.size(), 3u);
    EXPECT_EQ(labels.commands[1].code, -3);
    EXPECT_EQ(*labels.command_name(1232), "MCP_SPEED_UP");
    EXPECT_EQ(labels.command_name(1233), nullptr);

    const struct {
        const char* name;
        bool ok;
        int code;
        const char* error;
    } rows[] = {
        {"MCP_SPEED_UP", true, 1232, ""},
        {"BACK", false, 0, "--command BACK is command -3, outside the command word's 0..32767"},
        {"TOO_HIGH", false, 0, "--command TOO_HIGH is command 70000, outside"},
        {"mcp_speed_up", false, 0, "--command \"mcp_speed_up\" is no command of the --labels file"},
    };
    for (const auto& row : rows) {
        Options o;
        ASSERT_TRUE(parse({"--command", row.name}, o, error)) << error;
        EXPECT_TRUE(o.command_given);
        EXPECT_EQ(resolve_command_name(o, labels.commands, error), row.ok) << row.name;
        if (row.ok) {
            EXPECT_EQ(o.command, row.code);
        } else {
            EXPECT_EQ(error.rfind(row.error, 0), 0u) << error;
        }
    }
    Options o;
    ASSERT_TRUE(parse({"--command", "MCP_SPEED_UP"}, o, error));
    EXPECT_FALSE(resolve_command_name(o, {}, error));
    EXPECT_EQ(error, "--command \"MCP_SPEED_UP\" needs --labels with the aircraft's commands (names.csv from corvane-names)");

    // The change log names the command the word now holds; without labels,
    // or for any other field, the line is as it always was.
    const std::vector<Field> fields = make_fields(labels);
    const Field& word = *find_field(fields, 0x9400);
    const TimeOfDay time{9, 5, 7, 30};
    std::string line;
    format_change(time, word, -1, 1232, line, &labels);
    EXPECT_EQ(line, "09:05:07.030 0x9400 command word -1 -> 1232 (MCP_SPEED_UP)");
    format_change(time, word, -1, 1232, line);
    EXPECT_EQ(line, "09:05:07.030 0x9400 command word -1 -> 1232");
    format_change(time, word, 1232, -1, line, &labels);
    EXPECT_EQ(line, "09:05:07.030 0x9400 command word 1232 -> -1");
    format_change(time, *find_field(fields, 0x9430), 0, 1232, line, &labels);
    EXPECT_EQ(line, "09:05:07.030 0x9430 fl alt 0 -> 1232");
}

TEST(MonitorLabels, TemplateIsUpToDateAndReadsBackAsTheProgramsNames) {
    std::ifstream file(CORVANE_SOURCE_DIR "/docs/labels.csv", std::ios::binary);
    std::stringstream shipped;
    shipped << file.rdbuf();
    EXPECT_EQ(shipped.str(), labels_template())
        << "docs/labels.csv is out of date: cmake --build --preset native --target labels-csv";

    Labels labels;
    std::string error;
    ASSERT_TRUE(parse_labels(labels_template(), labels, error)) << error;
    int lines = 0;
    for (const bridge::OffsetEntry& e : bridge::offset_entries()) {
        SCOPED_TRACE(e.offset);
        ++lines;
        EXPECT_EQ(labels.of(e.offset), e.kind == bridge::OffsetKind::Annunciator ? "" : e.name);
    }
    EXPECT_EQ(lines, 196);
}

}  // namespace
}  // namespace corvane::monitor
