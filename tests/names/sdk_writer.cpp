// The SDK-style test header writer.
#include "tests/names/sdk_writer.h"

#include <vector>

#include "aircraft/link.h"
#include "common/format.h"
#include "export/tables.h"

namespace corvane::names::testing {

using namespace data_export;

std::map<std::uint32_t, std::uint32_t> source_fields(int block) {
    std::map<std::uint32_t, std::uint32_t> fields;
    for (const AnnunciatorRow& row : kAnnunciatorRows) {
        for (const std::uint32_t f : row.field) {
            if (f != kNoField && static_cast<int>(row.block) == block) {
                fields[f] = kIntegerFieldSize;
            }
        }
    }
    if (block == 0) {
        for (const DisplayWindow& w : kDisplayWindows) {
            for (int j = 0; j < w.digits; ++j) {
                fields[digit_field(w, j)] = kIntegerFieldSize;
            }
        }
        for (const PanelRow& p : kPanelRows) {
            fields[p.source] = p.type == kInteger ? kIntegerFieldSize : kDoubleFieldSize;
        }
    }
    return fields;
}

namespace {

constexpr std::uint32_t kPack = 4;  // the blocks are declared under pack(4)
const char* const kIntTypes[] = {"int", "BOOL", "DWORD", "long", "enum TestMode", "unsigned int"};

struct BlockWriter {
    std::string body;
    std::map<std::uint32_t, std::string>& names;
    int variant;
    int count = 0;

    void gap(std::uint32_t from, std::uint32_t to, std::uint32_t align) {
        const std::uint32_t g = to - from;
        switch ((from / 4 + static_cast<std::uint32_t>(variant)) % 4) {
            case 1:
                if (g >= 7) {
                    body += format("    TestPacked7 P_%04X;\n", from);
                    if (g > 7) {
                        gap(from + 7, to, align);
                    }
                    return;
                }
                break;
            case 2:
                if ((from + 1 + align - 1) / align * align == to) {
                    body += format("    char C_%04X;                /* then padding */\n", from);
                    return;
                }
                break;
            case 3:
                if (from % 2 == 0 && g % 2 == 0) {
                    body += format("    WORD W_%04X[%u];\n", from, g / 2);
                    return;
                }
                break;
            default:
                break;
        }
        if (g >= 8 && g % 4 == 1) {
            body += format("    unsigned char PAD_%04X[PAD_UNIT * %u + 1];\n", from, g / 4);
        } else {
            body += format("    unsigned char PAD_%04X[%u];\n", from, g);
        }
    }

    void run(std::uint32_t at, std::uint32_t n) {
        const int kind = (count++ + variant) % 5;
        if (n == 1 || kind == 0) {
            for (std::uint32_t i = 0; i < n; ++i) {
                const std::uint32_t o = at + 4 * i;
                const std::string name = format("F_%04X", o);
                body += format("    %s %s;\n", kIntTypes[(o / 4 + static_cast<std::uint32_t>(variant)) % 6],
                               name.c_str());
                names[o] = name;
            }
            return;
        }
        if (kind == 2 && n % 2 == 0) {
            body += format("    int M_%04X[2][%u];\n", at, n / 2);
            for (std::uint32_t i = 0; i < n; ++i) {
                names[at + 4 * i] = format("M_%04X[%u][%u]", at, i / (n / 2), i % (n / 2));
            }
            return;
        }
        if (kind == 3) {
            body += "    struct {\n";
            for (std::uint32_t i = 0; i < n; ++i) {
                body += format("        int a%u;\n", i);
                names[at + 4 * i] = format("G_%04X.a%u", at, i);
            }
            body += format("    } G_%04X;\n", at);
            return;
        }
        if (kind == 4) {
            body += format("    union {\n        int U_%04X[%u];\n        float UF_%04X[%u];\n    };\n", at, n,
                           at, n);
            for (std::uint32_t i = 0; i < n; ++i) {
                names[at + 4 * i] = format("U_%04X[%u]", at, i);
            }
            return;
        }
        body += format("    int A_%04X[%u];\n", at, n);
        for (std::uint32_t i = 0; i < n; ++i) {
            names[at + 4 * i] = format("A_%04X[%u]", at, i);
        }
    }

    void write(int block, std::uint32_t size) {
        const std::map<std::uint32_t, std::uint32_t> fields = source_fields(block);
        std::uint32_t o = 0;
        auto it = fields.begin();
        while (o < size) {
            if (it == fields.end()) {
                gap(o, size, 1);
                break;
            }
            if (it->first > o) {
                gap(o, it->first, std::min(it->second, kPack));
                o = it->first;
            }
            if (it->second == kDoubleFieldSize) {
                body += format("    double D_%04X;\n", o);
                names[o] = format("D_%04X", o);
                o += 8;
                ++it;
                continue;
            }
            std::uint32_t n = 0;
            auto end = it;
            while (end != fields.end() && end->first == o + 4 * n && end->second == kIntegerFieldSize) {
                ++n;
                ++end;
            }
            run(o, n);
            o += 4 * n;
            it = end;
        }
    }
};

}  // namespace

WrittenHeader write_sdk_header(int variant) {
    WrittenHeader h;
    BlockWriter sdk1{{}, h.names[0], variant};
    sdk1.write(0, aircraft::kSdk1BlockSize);
    BlockWriter sdk2{{}, h.names[1], variant + 1};
    sdk2.write(1, aircraft::kSdk2BlockSize);
    h.commands = {{"KEY_COMMAND_TEST_ONE", 1232}, {"KEY_COMMAND_TEST_TWO", 1233},
                  {"EVT_TEST_A", 70000},         {"EVT_TEST_B", 70001},
                  {"EVT_TEST_C", 70005},         {"KEY_COMMAND_TEST_BACK", -2}};
    h.text =
        "/* Test SDK header: both blocks, a field at every source offset. */\n"
        "#ifndef TEST_SDK_HEADER_H\n"
        "#define TEST_SDK_HEADER_H\n"
        "#include <stddef.h>\n"
        "\n"
        "#define PAD_UNIT  (2 * 2)\n"
        "enum TestMode { TEST_OFF, TEST_ON };\n"
        "\n"
        "#pragma pack(push, 1)\n"
        "typedef struct { char a; int b; short c; } TestPacked7;\n"
        "#pragma pack(pop)\n"
        "\n"
        "#ifdef __cplusplus\n"
        "extern \"C\" {\n"
        "#endif\n"
        "\n"
        "#define KEY_COMMAND_TEST_ONE   1232\n"
        "#define KEY_COMMAND_TEST_TWO   (KEY_COMMAND_TEST_ONE_ + 1)\n"
        "enum TestEvents {\n"
        "    EVT_TEST_A = 70000,\n"
        "    EVT_TEST_B,\n"
        "    EVT_TEST_C = EVT_TEST_A + 5\n"
        "};\n"
        "#define KEY_COMMAND_TEST_BACK  -2\n"
        "\n"
        "#pragma pack(push, 4)\n"
        "typedef struct TEST_SDK1_Struct {\n" +
        sdk1.body +
        "} TEST_SDK1;\n"
        "\n"
        "typedef struct TEST_SDK2_Struct {\n" +
        sdk2.body +
        "} TEST_SDK2;\n"
        "#pragma pack(pop)\n"
        "\n"
        "int __stdcall TestSdkSend(int command, int parameter);\n"
        "\n"
        "#ifdef __cplusplus\n"
        "}\n"
        "#endif\n"
        "#endif\n";
    // KEY_COMMAND_TEST_TWO names an undefined macro: it is no integer, so no command.
    h.commands.erase("KEY_COMMAND_TEST_TWO");
    return h;
}

}  // namespace corvane::names::testing
