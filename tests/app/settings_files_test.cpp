// Hostile corvane.ini files: over-long lines, duplicate keys, an enormous
// file, a directory in its place, a file that cannot be read. Each ends in
// what start-up documents: the load failure when the file cannot be opened,
// otherwise whatever inih read, clamped; never a crash or a hang.
#include <gtest/gtest.h>

#include <INIReader.h>

#include <cstdio>
#include <fstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "app/settings.h"

namespace corvane::app {
namespace {

std::string repeat(char c, std::size_t n) { return std::string(n, c); }

TEST(SettingsFiles, HostileTextGivesWhatInihRead) {
    struct Row {
        const char* name;
        std::string text;
        std::int32_t tick_period_ms;
        std::int32_t start_minimised_flag;
    };
    const Row rows[] = {
        // inih joins a repeated key's values with a line break; the integer
        // reading stops there, so the first one counts.
        {"duplicate key", "[General]\nSpeed=30\nSpeed=50\n", 30, 0},
        {"duplicate section",
         "[General]\nSpeed=30\n[Minimize]\nScreen=1\n[General]\nSpeed=50\n", 30, 1},
        {"indented continuation", "[General]\nSpeed=30\n  77\n", 30, 0},
        // inih reads a line in pieces of 199 characters: the rest of an
        // over-long line is read as a line of its own.
        {"long comment, key on the next line",
         "[General]\n;" + repeat('x', 5000) + "\nSpeed=35\n", 35, 0},
        {"long comment whose 200th character starts a key",
         "[General]\n;" + repeat('x', 198) + "Speed=5\n", 5, 0},
        {"long value saturates", "[General]\nSpeed=" + repeat('1', 300) + "\n", 100, 0},
        {"long key, then the real one", "[General]\n" + repeat('k', 300) + "=1\nSpeed=44\n", 44, 0},
        {"long section name", "[" + repeat('s', 300) + "]\nSpeed=44\n[General]\nSpeed=45\n", 45, 0},
        {"NUL ends the text", std::string("[General]\nSpeed=33\0Speed=99\n", 28), 33, 0},
        {"carriage returns only", "[General]\rSpeed=36\r", 20, 0},
        {"no line end at all", "[Minimize]\nScreen=1", 20, 1},
    };
    for (const Row& row : rows) {
        const Settings settings = read_settings_text(row.text);
        EXPECT_EQ(settings.tick_period_ms, row.tick_period_ms) << row.name;
        EXPECT_EQ(settings.start_minimised_flag, row.start_minimised_flag) << row.name;
    }
}

// A path of this test's own under the temporary folder, removed afterwards.
class TempPath {
public:
    explicit TempPath(const char* what) {
        path_ = ::testing::TempDir() + "corvane_" + what + "_" + std::to_string(::getpid()) + ".ini";
    }
    ~TempPath() {
        ::chmod(path_.c_str(), 0600);
        std::remove(path_.c_str());
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

TEST(SettingsFiles, HostileFilesEndInTheDocumentedOutcome) {
    {
        SCOPED_TRACE("an enormous file: 32 MiB of junk, the keys at its end");
        const TempPath file("enormous");
        {
            std::ofstream out(file.path(), std::ios::binary);
            out << "[Junk]\n";
            for (int i = 0; i < 100000; ++i) {
                out << "key" << i << "=value " << i << "\n";
            }
            const std::string junk = repeat('x', 4095) + "\n";
            for (std::size_t written = 0; written < (std::size_t{32} << 20); written += junk.size()) {
                out << junk;
            }
            out << "[General]\nSpeed=42\n[Minimize]\nScreen=1\n";
        }
        const INIReader reader(file.path());
        EXPECT_GT(reader.ParseError(), 0) << "the junk lines are malformed, which start-up ignores";
        const Settings settings = read_settings(reader);
        EXPECT_EQ(settings.tick_period_ms, 42);
        EXPECT_EQ(settings.start_minimised_flag, 1);
    }
    {
        SCOPED_TRACE("a directory named corvane.ini");
        const TempPath dir("directory");
        ASSERT_EQ(::mkdir(dir.path().c_str(), 0700), 0);
        const INIReader reader(dir.path());
        // Windows cannot open a directory as a file: the load fails there
        // (corvane.exe's end-to-end test shows the box). This C library
        // opens it and reads nothing: the defaults.
        EXPECT_LE(reader.ParseError(), 0);
        EXPECT_EQ(read_settings(reader).tick_period_ms, 20);
        ::rmdir(dir.path().c_str());
    }
    {
        SCOPED_TRACE("a file that cannot be read");
        const TempPath file("unreadable");
        std::ofstream(file.path(), std::ios::binary) << "[General]\nSpeed=42\n";
        ASSERT_EQ(::chmod(file.path().c_str(), 0), 0);
        const INIReader reader(file.path());
        if (::geteuid() == 0) {
            // Permissions do not stop root; the file reads as usual.
            EXPECT_EQ(read_settings(reader).tick_period_ms, 42);
        } else {
            EXPECT_LT(reader.ParseError(), 0) << "cannot be opened: the load failure";
        }
    }
}

}  // namespace
}  // namespace corvane::app
