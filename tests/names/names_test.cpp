// corvane-names: the header reader's layout against real compilers, the
// naming of every source field, the refusals, and names.csv read back by
// the labels reader.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "bridge/offset_map.h"
#include "common/format.h"
#include "monitor/labels.h"
#include "names/header.h"
#include "names/naming.h"
#include "sim/aircraft_model.h"
#include "sim/hand.h"
#include "tests/names/sdk_writer.h"

namespace corvane::names {
namespace {

using testing::source_fields;
using testing::write_sdk_header;
using testing::WrittenHeader;

std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream b;
    b << in.rdbuf();
    return b.str();
}

Header read_ok(const std::string& text) {
    Header h;
    std::string error;
    EXPECT_TRUE(read_header(text, "t.h", h, error)) << error;
    return h;
}

// ---- the compiler comparison

// static_assert lines for every field of every named structure: scalar
// fields, the first, a middle and the last element of each array, and
// each structure's size.
void assert_fields(const Header& h, int type, const std::string& owner, const std::string& path,
                   std::uint64_t offset, std::string& out, int& count) {
    const Type& t = h.types[static_cast<std::size_t>(type)];
    if (!path.empty()) {
        out += format("static_assert(__builtin_offsetof(%s, %s) == %llu, \"%s\");\n", owner.c_str(),
                      path.c_str(), static_cast<unsigned long long>(offset), path.c_str());
        ++count;
    }
    if (t.kind == TypeKind::Record) {
        for (const Member& m : h.records[static_cast<std::size_t>(t.record)].members) {
            const std::string name = m.name.empty() ? path : (path.empty() ? m.name : path + "." + m.name);
            assert_fields(h, m.type, owner, name, offset + m.offset, out, count);
        }
    } else if (t.kind == TypeKind::Array) {
        const Type& e = h.types[static_cast<std::size_t>(t.element)];
        for (const std::uint64_t i : std::set<std::uint64_t>{0, t.count / 2, t.count - 1}) {
            assert_fields(h, t.element, owner, path + "[" + std::to_string(i) + "]", offset + i * e.size,
                          out, count);
        }
    }
}

std::string comparison_source(const Header& h, const std::string& header_path, int& count) {
    std::string out =
        "typedef int BOOL; typedef unsigned long DWORD; typedef unsigned short WORD;\n"
        "typedef unsigned char BYTE;\n"
        "#include \"" + header_path + "\"\n";
    for (std::size_t r = 0; r < h.records.size(); ++r) {
        const Record& record = h.records[r];
        if (record.name.empty()) {
            continue;
        }
        for (std::size_t t = 0; t < h.types.size(); ++t) {
            if (h.types[t].kind == TypeKind::Record && h.types[t].record == static_cast<int>(r)) {
                out += format("static_assert(sizeof(%s) == %llu, \"size of %s\");\n", record.name.c_str(),
                              static_cast<unsigned long long>(record.size), record.name.c_str());
                ++count;
                assert_fields(h, static_cast<int>(t), record.name, "", 0, out, count);
            }
        }
    }
    return out;
}

bool have(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Every field of the test headers, two variants of the generated one and the
// hand-written one of every construct, where the reader lays it: checked by
// MinGW-w64's g++ and by clang for the MSVC target, whichever are installed.
TEST(NamesCompilerTest, OffsetsAndSizesMatchTheCompilersForEveryField) {
    struct Compiler {
        const char* tool;
        const char* command;
    };
    const Compiler compilers[] = {
        {"x86_64-w64-mingw32-g++", "x86_64-w64-mingw32-g++ -std=c++17 -c -o /dev/null"},
        {"clang++", "clang++ --target=x86_64-pc-windows-msvc -std=c++17 -fsyntax-only"},
    };
    std::vector<std::string> headers = {std::string(CORVANE_SOURCE_DIR) + "/tests/names/headers/constructs.h"};
    for (int variant = 0; variant < 2; ++variant) {
        const std::string path = std::string(CORVANE_BINARY_DIR) + format("/generated_sdk_%d.h", variant);
        std::ofstream(path, std::ios::binary) << write_sdk_header(variant).text;
        headers.push_back(path);
    }
    int compared = 0;
    for (const Compiler& c : compilers) {
        if (!have(c.tool)) {
            continue;
        }
        for (std::size_t i = 0; i < headers.size(); ++i) {
            Header h = read_ok(read_text(headers[i]));
            int count = 0;
            const std::string source = std::string(CORVANE_BINARY_DIR) + format("/layout_check_%zu.cpp", i);
            std::ofstream(source, std::ios::binary) << comparison_source(h, headers[i], count);
            EXPECT_GT(count, 100) << headers[i];
            const std::string command = std::string(c.command) + " " + source + " 2>&1 | head -20";
            FILE* pipe = popen(command.c_str(), "r");
            ASSERT_NE(pipe, nullptr);
            std::string output;
            char buffer[512];
            while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
                output += buffer;
            }
            pclose(pipe);
            EXPECT_EQ(output, "") << c.tool << " on " << headers[i];
            ++compared;
        }
    }
    if (compared == 0) {
        GTEST_SKIP() << "no compiler for x86_64 Windows installed";
    }
}

// ---- the naming

// The generated header names every offset and annunciator field of the
// block, each field row by the field at its source, the commands in order.
TEST(NamesTest, EverySourceFieldOfTheBlockIsNamedByTheHeader) {
    for (int variant = 0; variant < 3; ++variant) {
        const WrittenHeader w = write_sdk_header(variant);
        const Header h = read_ok(w.text);
        Naming naming;
        std::string error;
        ASSERT_TRUE(name_block(h, "t.h", Choice{}, naming, error)) << error;
        EXPECT_EQ(naming.sdk1, "TEST_SDK1_Struct");
        EXPECT_EQ(naming.sdk2, "TEST_SDK2_Struct");
        std::size_t named = 0;
        for (const bridge::OffsetEntry& e : bridge::offset_map_rows()) {
            const bool sourced = e.kind == bridge::OffsetKind::Annunciator ||
                                 e.kind == bridge::OffsetKind::AnnunciatorField ||
                                 e.kind == bridge::OffsetKind::Display || e.kind == bridge::OffsetKind::Panel;
            named += sourced ? 1 : 0;
        }
        ASSERT_EQ(naming.rows.size(), named);
        for (const NamedRow& row : naming.rows) {
            EXPECT_FALSE(row.label.empty()) << std::hex << row.offset;
            // "SDK1 0x0018" or "SDK1 0x01C0-0x01C8" or "SDK1 0x0018, 0x0024, ...": every
            // source offset's own name is in the label.
            const int block = row.source.compare(0, 4, "SDK2") == 0 ? 1 : 0;
            std::istringstream sources(row.source.substr(5));
            std::string token;
            while (std::getline(sources, token, ',')) {
                const std::uint32_t first = static_cast<std::uint32_t>(std::stoul(token, nullptr, 16));
                const std::string expected = w.names[block].at(first);
                if (row.mask != 0 || (!row.annunciator_byte && row.size == 1) ||
                    row.source.find('-') == std::string::npos) {
                    if (!row.annunciator_byte) {
                        EXPECT_EQ(row.label, expected) << row.source;
                    } else {
                        // A byte's fields, each or as one array's run.
                        EXPECT_NE(row.label.find(expected.substr(0, expected.rfind('['))), std::string::npos)
                            << row.label << " for " << row.source;
                    }
                } else {
                    // A window's digits: one array by its name, or each field.
                    EXPECT_NE(row.label.find(expected.substr(0, expected.find('['))), std::string::npos)
                        << row.label << " for " << row.source;
                }
            }
        }
        std::vector<NamedCommand> expected = {{1232, "KEY_COMMAND_TEST_ONE"}, {70000, "EVT_TEST_A"},
                                              {70001, "EVT_TEST_B"},          {70005, "EVT_TEST_C"},
                                              {-2, "KEY_COMMAND_TEST_BACK"}};
        ASSERT_EQ(naming.commands.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(naming.commands[i].code, expected[i].code);
            EXPECT_EQ(naming.commands[i].name, expected[i].name);
        }
    }
}

// names.csv read back by corvane-monitor's labels reader gives every label
// and every command as written: one file, two programs, no drift.
TEST(NamesTest, NamesCsvReadsBackThroughTheLabelsReader) {
    const Header h = read_ok(write_sdk_header(1).text);
    Naming naming;
    std::string error;
    ASSERT_TRUE(name_block(h, "t.h", Choice{}, naming, error)) << error;
    monitor::Labels labels;
    ASSERT_TRUE(monitor::parse_labels(names_csv(naming, "t.h"), labels, error)) << error;
    for (const NamedRow& row : naming.rows) {
        if (row.mask == 0) {
            EXPECT_EQ(labels.of(row.offset), row.label);
            continue;
        }
        for (int f = 0; f < data_export::kAnnunciatorFieldCount; ++f) {
            if (data_export::kAnnunciatorFields[static_cast<std::size_t>(f)].offset == row.offset &&
                data_export::kAnnunciatorFields[static_cast<std::size_t>(f)].mask() == row.mask) {
                EXPECT_EQ(labels.of_field(f), row.label);
            }
        }
    }
    ASSERT_EQ(labels.commands.size(), naming.commands.size());
    for (std::size_t i = 0; i < naming.commands.size(); ++i) {
        EXPECT_EQ(labels.commands[i].code, naming.commands[i].code);
        EXPECT_EQ(labels.commands[i].name, naming.commands[i].name);
    }
}

// The hand console takes every header name the file gives wherever it takes
// the kit's name: the same line with either answers alike, but for the name.
TEST(NamesTest, TheHandTakesEveryHeaderNameAsTheKitsName) {
    const Header h = read_ok(write_sdk_header(0).text);
    Naming naming;
    std::string error;
    ASSERT_TRUE(name_block(h, "t.h", Choice{}, naming, error)) << error;
    monitor::Labels labels;
    ASSERT_TRUE(monitor::parse_labels(names_csv(naming, "t.h"), labels, error)) << error;
    std::vector<sim::HandName> names;
    for (const NamedRow& row : naming.rows) {
        names.push_back({row.label, row.offset, row.mask});
    }
    std::vector<unsigned char> sdk1(5000), sdk2(7000);
    sim::AircraftModel aircraft(sdk1.data(), sdk2.data());
    sim::Hand kit;
    sim::Hand named;
    named.use_names(names);
    std::set<std::string> seen;
    int compared = 0;
    for (const bridge::OffsetEntry& e : bridge::offset_map_rows()) {
        for (const NamedRow& row : naming.rows) {
            const bool same = row.offset == e.offset &&
                              (row.mask == 0 ? e.kind != bridge::OffsetKind::AnnunciatorField : row.mask == e.mask);
            if (!same || !seen.insert(row.label).second || row.label.find(' ') != std::string::npos) {
                continue;  // a name given twice goes to its first row; "A / B" is no word
            }
            const std::string value = e.kind == bridge::OffsetKind::AnnunciatorField ? "1" : "7";
            const std::string by_kit = kit.line(aircraft, "set " + e.symbol + " " + value).text;
            const std::string by_name = named.line(aircraft, "set " + row.label + " " + value).text;
            EXPECT_EQ(by_name, by_kit) << row.label;
            EXPECT_EQ(by_name.rfind("ok", 0), 0u) << by_name;
            ++compared;
        }
    }
    EXPECT_GT(compared, 300);
    // list finds a header name as it finds a kit name.
    const std::string& first = naming.rows[1].label;
    const std::string listed = named.line(aircraft, "list " + first).text;
    EXPECT_NE(listed.find(" " + first), std::string::npos) << listed;
    EXPECT_EQ(kit.line(aircraft, "set " + naming.rows[1].label + " 1").text.rfind("error unknown name", 0), 0u);
}

// A header saved on Windows (CRLF line ends, a byte order mark, a line
// continued with a backslash) reads as the same header.
TEST(NamesTest, LineEndsAndAByteOrderMarkChangeNothing) {
    const std::string unix_text = write_sdk_header(1).text;
    std::string windows_text = "\xEF\xBB\xBF";
    for (const char c : unix_text) {
        windows_text += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    windows_text += "#define CONTINUED_COMMAND \\\r\n  4242\r\n";
    const Header a = read_ok(unix_text);
    const Header b = read_ok(windows_text);
    ASSERT_EQ(a.records.size(), b.records.size());
    for (std::size_t r = 0; r < a.records.size(); ++r) {
        EXPECT_EQ(a.records[r].size, b.records[r].size);
        ASSERT_EQ(a.records[r].members.size(), b.records[r].members.size());
        for (std::size_t m = 0; m < a.records[r].members.size(); ++m) {
            EXPECT_EQ(a.records[r].members[m].offset, b.records[r].members[m].offset);
            EXPECT_EQ(a.records[r].members[m].line, b.records[r].members[m].line);
        }
    }
    ASSERT_EQ(b.constants.size(), a.constants.size() + 1);
    EXPECT_EQ(b.constants.back().name, "CONTINUED_COMMAND");
    EXPECT_EQ(b.constants.back().value, 4242);
}

// ---- refusals: the line named, nothing named

struct RefusalCase {
    const char* what;
    std::string text;
    std::string error;  // the start of the message
};

std::string sdk_with(const std::string& sdk1_body) {
    return "typedef struct { " + sdk1_body + " } S1;\ntypedef struct { char b[6772]; } S2;\n";
}

TEST(NamesTest, WhatCannotBeReadIsNamedByFileAndLine) {
    const WrittenHeader good = write_sdk_header(0);
    const std::string field_0018 = good.names[0].at(0x0018);  // an int at SDK1 0x0018
    std::string moved = good.text;
    // Two bytes more ahead of every field: 0x0018 lands inside or in padding.
    moved.replace(moved.find("typedef struct TEST_SDK1_Struct {\n") + 34, 0, "    short SHIFT;\n");
    const RefusalCase cases[] = {
        {"a bit-field", "struct A {\n  int flags : 3;\n};\n", "t.h:2: a bit-field"},
        {"a template", "\ntemplate <typename T> struct B { T t; };\n", "t.h:2: a template"},
        {"a base class", "struct A { int a; };\nstruct B : A { int b; };\n", "t.h:2: a base class"},
        {"a virtual function", "struct V {\n virtual void f();\n};\n", "t.h:2: a virtual function"},
        {"pack inside a body", "struct P {\n#pragma pack(1)\n int a;\n};\n", "t.h:2: #pragma pack inside"},
        {"an odd pack", "#pragma pack(push, 3)\n", "t.h:1: #pragma pack(push, 3)"},
        {"pop without push", "\n#pragma pack(pop)\n", "t.h:2: #pragma pack(pop) without a push"},
        {"an unknown type", "struct U {\n  SOMETHING x;\n};\n", "t.h:2: \"SOMETHING\" is not a type"},
        {"an open comment", "int a;\n/* never closed\n", "t.h:2: a comment that never ends"},
        {"an array of unknown size", "struct Q {\n int a[SIZE];\n};\n", "t.h:2: \"SIZE\" is not a constant"},
        {"a division by zero", "#define Z 0\nstruct Q { int a[4 / Z]; };\n", "t.h:2: a division by zero"},
        {"an #if never closed", "#ifndef G\n#define G\nint x;\n", "t.h:1: an #if"},
        {"alignas", "struct L {\n alignas(16) int a;\n};\n", "t.h:2: alignas"},
        {"an empty structure", "struct E {\n};\n", "t.h:1: an empty structure"},
        {"no SDK1", "typedef struct { char b[6772]; } S2;\n",
         "t.h: no structure covers the 4016 bytes of SDK1"},
        {"two fit SDK1", sdk_with("char a[4016];") + "\nstruct Extra { char c[5000]; };\n",
         "t.h:4: both S1 (line 1, 4016 bytes) and Extra (5000 bytes) cover the 4016 bytes of SDK1"},
        {"a field in padding", sdk_with("char a[0x18]; int ok; char b[7]; char gap; double d[500];"),
         "t.h:1: SDK1 0x0024 (ANNUNCIATOR_9402) falls in padding after gap"},
        {"a source inside a field", "#pragma pack(1)\n" + sdk_with("char a[0x16]; int inside; int b[1000];"),
         "t.h:2: SDK1 0x0018 (ANNUNCIATOR_9402) falls inside inside, which starts at 0x0016"},
        {"a field of another width", sdk_with("char a[0x18]; short narrow; char b[4000];"),
         "t.h:1: narrow is 2 bytes; SDK1 0x0018 (ANNUNCIATOR_9402) is read as a 4-byte integer"},
        {"the generated header moved", moved, "t.h:"},
    };
    for (const RefusalCase& c : cases) {
        Header h;
        Naming naming;
        naming.sdk1 = "untouched";
        std::string error;
        const bool read = read_header(c.text, "t.h", h, error);
        const bool named = read && name_block(h, "t.h", Choice{}, naming, error);
        EXPECT_FALSE(named) << c.what;
        EXPECT_EQ(error.compare(0, c.error.size(), c.error), 0) << c.what << ": " << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << c.what;
        EXPECT_EQ(naming.sdk1, "untouched") << c.what;
    }
}

// --sdk1 and --sdk2 pick by tag or typedef name; a structure smaller than
// its block is refused by name.
TEST(NamesTest, StructuresAreChosenByNameOrByTheBlockTheyCover) {
    const Header h = read_ok(write_sdk_header(2).text + "\ntypedef struct Spare { char c[8000]; } SPARE;\n");
    Naming naming;
    std::string error;
    EXPECT_FALSE(name_block(h, "t.h", Choice{}, naming, error));
    EXPECT_NE(error.find("cover the 6772 bytes of SDK2; name one with --sdk2"), std::string::npos) << error;
    EXPECT_FALSE(name_block(h, "t.h", Choice{"", "TEST_SDK2"}, naming, error));
    EXPECT_NE(error.find("cover the 4016 bytes of SDK1; name one with --sdk1"), std::string::npos) << error;
    ASSERT_TRUE(name_block(h, "t.h", Choice{"TEST_SDK1", "TEST_SDK2_Struct"}, naming, error)) << error;
    EXPECT_EQ(naming.sdk1, "TEST_SDK1_Struct");
    EXPECT_EQ(naming.sdk2, "TEST_SDK2_Struct");
    EXPECT_FALSE(name_block(h, "t.h", Choice{"TestPacked7", "TEST_SDK2"}, naming, error));
    EXPECT_NE(error.find("TestPacked7 is 7 bytes, smaller than the 4016 bytes of SDK1"), std::string::npos)
        << error;
    EXPECT_FALSE(name_block(h, "t.h", Choice{"NoSuch", ""}, naming, error));
    EXPECT_EQ(error, "t.h: no structure named NoSuch (--sdk1)");
}

// Conditional blocks follow the compiler's predefined names; #define
// constants that size arrays, enums counted from 0 and repeats are no
// commands; a repeated code is noted, not listed twice.
TEST(NamesTest, TheCommandListHoldsTheHeadersCodesOnce) {
    const std::string text =
        "#define N 4\n"
        "#if defined(_WIN64) && _MSC_VER >= 1900\n"
        "#define CMD_A 10\n"
        "#else\n"
        "#define CMD_WRONG 11\n"
        "#endif\n"
        "#ifdef NOT_DEFINED\n#define CMD_HIDDEN 12\n#endif\n"
        "enum States { S_OFF, S_ON };\n"
        "enum Cmds { CMD_B = 0x20, CMD_C, CMD_ALIAS = 10 };\n"
        "#define CMD_D (CMD_B * 2)\n"
        "#define CMD_E ((int)(CMD_B + 0x100))\n"
        "#define NOT_A_NUMBER 1.5\n"
        "#define A_STRING \"text\"\n"
        "struct X { int a[N]; };\n";
    const Header h = read_ok(text);
    std::vector<std::string> names;
    for (const Constant& c : h.constants) {
        if (!c.used_in_layout) {
            names.push_back(c.name + "=" + std::to_string(c.value));
        }
    }
    EXPECT_EQ(names, (std::vector<std::string>{"CMD_A=10", "CMD_B=32", "CMD_C=33", "CMD_ALIAS=10", "CMD_D=64", "CMD_E=288"}));

    // In the command list a code is listed once, under its first name; the
    // run notes the second.
    const Header with_blocks = read_ok(text + write_sdk_header(0).text);
    Naming naming;
    std::string error;
    ASSERT_TRUE(name_block(with_blocks, "t.h", Choice{}, naming, error)) << error;
    std::vector<std::string> listed;
    for (const NamedCommand& c : naming.commands) {
        listed.push_back(c.name);
    }
    EXPECT_EQ(listed, (std::vector<std::string>{"CMD_A", "CMD_B", "CMD_C", "CMD_D", "CMD_E", "KEY_COMMAND_TEST_ONE",
                                                "EVT_TEST_A", "EVT_TEST_B", "EVT_TEST_C", "KEY_COMMAND_TEST_BACK"}));
    ASSERT_EQ(naming.notes.size(), 1u);
    EXPECT_EQ(naming.notes[0], "t.h:11: CMD_ALIAS repeats command 10 of CMD_A; only CMD_A is listed");
}

}  // namespace
}  // namespace corvane::names
