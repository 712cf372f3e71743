// corvane.ini: the tick period, start minimised flag, retry period and log
// file as start-up reads them, from text and from a real file, across the
// integer forms inih accepts.
#include <gtest/gtest.h>

#include <INIReader.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <string>

#include <unistd.h>

#include "app/settings.h"

namespace corvane::app {
namespace {

struct IntegerRow {
    const char* text;  // value of the key, or nullptr for a missing key
    std::int32_t expected;
};

std::string speed_file(const char* text) {
    std::string ini = "[General]\n";
    if (text != nullptr) {
        ini += std::string("Speed=") + text + "\n";
    }
    return ini;
}

TEST(Settings, TickPeriodFromEveryIntegerForm) {
    const IntegerRow rows[] = {
        {nullptr, 20},          // key missing
        {"", 20},               // empty value
        {"abc", 20},            // nothing converts
        {"ms15", 20},
        {"35", 35},
        {"0x20", 32},           // hexadecimal
        {"0X1f", 31},
        {"010", 8},             // leading zero: octal
        {"09", 1},              // octal stops at the 9: "0" converts, then clamps
        {"15ms", 15},           // text after the number ignored
        {"  +42", 42},          // white space and one sign
        {"42 ; tick", 42},      // inline comment
        {"0", 1},               // clamped up
        {"-5", 1},
        {"-0x10", 1},
        {"1", 1},
        {"100", 100},
        {"101", 100},
        {"250", 100},           // clamped down
        {"4294967296", 100},    // beyond 32 bits
        {"99999999999999999999999", 100},  // beyond even a 64-bit long
        {"-4294967296", 1},
        {"-99999999999999999999999", 1},
    };
    for (const IntegerRow& row : rows) {
        const Settings settings = read_settings_text(speed_file(row.text));
        EXPECT_EQ(settings.tick_period_ms, row.expected)
            << "Speed=" << (row.text ? row.text : "<missing>");
    }
}

TEST(Settings, RetryPeriodClampsTo0Through3600) {
    const IntegerRow rows[] = {
        {nullptr, 0}, {"abc", 0},        {"-1", 0},        {"0", 0},
        {"1", 1},     {"0x10", 16},      {"3600", 3600},   {"3601", 3600},
        {"-99999999999", 0},             {"99999999999", 3600},
    };
    for (const IntegerRow& row : rows) {
        std::string ini = "[General]\nSpeed=35\n";
        if (row.text != nullptr) {
            ini += std::string("Retry=") + row.text + "\n";
        }
        const Settings settings = read_settings_text(ini);
        EXPECT_EQ(settings.retry_seconds, row.expected)
            << "Retry=" << (row.text ? row.text : "<missing>");
        EXPECT_EQ(settings.tick_period_ms, 35);
    }
}

TEST(Settings, LogFileIsThePathAsWritten) {
    EXPECT_EQ(read_settings_text("[General]\nSpeed=20\n").log_file, "");
    EXPECT_EQ(read_settings_text("[general]\nlogfile = C:\\Cockpit Logs\\corvane.log \n").log_file,
              "C:\\Cockpit Logs\\corvane.log");
    EXPECT_EQ(read_settings_text("[Minimize]\nLogFile=corvane.log\n").log_file, "");
    // As the README writes it: a comment after the key leaves no path.
    EXPECT_EQ(read_settings_text("[General]\nLogFile=      ; none\n").log_file, "");
}

// inih reads a line in pieces of 199 characters: a longer LogFile line would
// name another file. The key itself ends that piece's room at whatever path
// fills it; a comment past the room cuts nothing that matters.
TEST(Settings, LogFileLineCutByTheLineBufferIsRefused) {
    const auto path = [](std::size_t length) { return "C:\\" + std::string(length - 3, 'f'); };
    const auto cut = [](const std::string& text) { return read_settings_text(text).log_file_cut; };
    // "LogFile=" and 191 characters fill the 199 exactly; one more is cut.
    EXPECT_FALSE(cut("[General]\nLogFile=" + path(191) + "\n"));
    EXPECT_TRUE(cut("[General]\nLogFile=" + path(192) + "\n"));
    EXPECT_TRUE(cut("[general]\nlogfile = " + path(250) + "\r\n"));
    EXPECT_FALSE(cut("[General]\nLogFile=C:\\corvane.log   ; " + std::string(300, 'c') + "\n"));
    EXPECT_FALSE(cut("[Minimize]\nLogFile=" + path(250) + "\n"));
}

TEST(Settings, IntegerReadingSaturatesAt32Bits) {
    const IntegerRow rows[] = {
        {"2147483647", INT32_MAX},
        {"2147483648", INT32_MAX},
        {"0xFFFFFFFF", INT32_MAX},
        {"0x7FFFFFFF", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"-2147483649", INT32_MIN},
        {"-0x80000000", INT32_MIN},
        {"1e3", 1},             // decimal stops at the 'e'
        {"-", -7},              // a sign alone converts nothing: default
        {"0x", 0},              // "0" converts; the x is trailing text
    };
    for (const IntegerRow& row : rows) {
        const std::string ini = std::string("[Test]\nValue=") + row.text + "\n";
        const INIReader reader(ini.data(), ini.size());
        EXPECT_EQ(read_integer(reader, "Test", "Value", -7), row.expected) << row.text;
    }
}

TEST(Settings, StartMinimisedFlagIsReadUnchanged) {
    const IntegerRow rows[] = {
        {nullptr, 0}, {"1", 1}, {"0x1", 1}, {"01", 1}, {"2", 2},
        {"yes", 0},   {"0", 0}, {"-1", -1}, {"1 please", 1},
    };
    for (const IntegerRow& row : rows) {
        std::string ini = "[General]\nSpeed=20\n[Minimize]\n";
        if (row.text != nullptr) {
            ini += std::string("Screen=") + row.text + "\n";
        }
        const Settings settings = read_settings_text(ini);
        EXPECT_EQ(settings.start_minimised_flag, row.expected)
            << "Screen=" << (row.text ? row.text : "<missing>");
        EXPECT_EQ(settings.tick_period_ms, 20);
    }
}

TEST(Settings, NamesMatchWithoutCaseAndOnlyInTheirSection) {
    EXPECT_EQ(read_settings_text("[general]\nSPEED=7\n[MINIMIZE]\nscreen=1\n").tick_period_ms, 7);
    EXPECT_EQ(read_settings_text("[general]\nSPEED=7\n[MINIMIZE]\nscreen=1\n").start_minimised_flag,
              1);
    // The right key in the wrong section is not read.
    const Settings swapped = read_settings_text("[Minimize]\nSpeed=7\n[General]\nScreen=1\n");
    EXPECT_EQ(swapped.tick_period_ms, 20);
    EXPECT_EQ(swapped.start_minimised_flag, 0);
    // Nothing at all, not even a section.
    const Settings empty = read_settings_text("");
    EXPECT_EQ(empty.tick_period_ms, 20);
    EXPECT_EQ(empty.start_minimised_flag, 0);
}

// A temporary corvane.ini that is removed again.
class SettingsFile {
public:
    explicit SettingsFile(const std::string& text) {
        // Test cases run as parallel processes: each gets a file of its own.
        path_ = ::testing::TempDir() + "corvane_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
                std::to_string(::getpid()) + ".ini";
        std::ofstream(path_, std::ios::binary) << text;
    }
    ~SettingsFile() { std::remove(path_.c_str()); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

TEST(Settings, MalformedLineElsewhereDoesNotStopReading) {
    const SettingsFile file(
        "[General]\n"
        "this line is not a key\n"
        "Speed=45\n"
        "[Minimize\n"           // broken section header: keys stay in General
        "Screen=1\n"
        "[Minimize]\n"
        "Screen=1\n");
    const INIReader reader(file.path());
    EXPECT_GT(reader.ParseError(), 0) << "a malformed line is reported by its number";
    const Settings settings = read_settings(reader);
    EXPECT_EQ(settings.tick_period_ms, 45);
    EXPECT_EQ(settings.start_minimised_flag, 1);
}

TEST(Settings, MissingFileIsTheOnlyLoadFailure) {
    const INIReader missing(::testing::TempDir() + "no_such_dir/corvane.ini");
    EXPECT_LT(missing.ParseError(), 0);

    const SettingsFile empty_file("");
    const INIReader empty(empty_file.path());
    EXPECT_EQ(empty.ParseError(), 0);
    EXPECT_EQ(read_settings(empty).tick_period_ms, 20);
}

}  // namespace
}  // namespace corvane::app
