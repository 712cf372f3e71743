// package_check: checks a Corvane release folder (the unpacked zip, or a
// staged install of it) file by file, and that it holds nothing else:
//   - corvane.exe, corvane-sim.exe (and corvane-monitor.exe and
//     corvane-names.exe and corvane-web.exe when they are shipped): 64-bit PE images, corvane.exe a GUI program, the tools console
//     programs, importing nothing but DLLs that come with Windows; corvane.exe
//     imports the calls that give the tick Speed asks for;
//   - corvane.ini: read by the program's own settings reader it gives the
//     defaults, and every key has a comment above it;
//   - OFFSETS.md and offsets.csv: every byte of the block that Corvane writes
//     or reads belongs to exactly one row, and the files are what the tables
//     make now;
//   - corvane.lua and corvane.h: what the tables make now;
//   - USER-GUIDE.md names every status line, every input offset, every
//     option of corvane-monitor and what each of its exit codes means;
//   - LICENSE.txt and THIRD-PARTY-NOTICES.txt carry their licences;
//   - the exes carry a manifest (common controls 6, per-monitor DPI v2),
//     version information and Corvane's icon.
//
//   package_check FOLDER [--without NAME]... [--also NAME]...
// --without: a file of the zip this build cannot make (corvane.exe without a
// settings reader to link); --also: a file shipped only when its part exists.
// Prints one line per check and "N passed, M failed"; exits 1 on a failure.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/lifecycle.h"
#include "common/version.h"
#include "bridge/offset_map.h"
#include "monitor/options.h"
#include "tools/wiring_kit.h"

#if CORVANE_PACKAGE_CHECK_SETTINGS
#include <INIReader.h>

#include "app/settings.h"
#endif

namespace {

namespace fs = std::filesystem;
using corvane::bridge::offset_entries;

struct Checks {
    int passed = 0;
    int failed = 0;
    std::string file;

    bool expect(bool ok, const std::string& what) {
        std::printf("%s %s: %s\n", ok ? "[ ok ]" : "[FAIL]", file.c_str(), what.c_str());
        (ok ? passed : failed) += 1;
        return ok;
    }
};

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return text;
}

// ---- PE images ------------------------------------------------------------

// Bytes of a PE file, read bounds-checked: a short or damaged file gives
// zeros and a failed check, never a read past the end.
struct Image {
    std::string bytes;
    std::uint32_t u16(std::size_t at) const { return byte(at) | byte(at + 1) << 8; }
    std::uint32_t u32(std::size_t at) const { return u16(at) | u16(at + 2) << 16; }
    std::uint32_t byte(std::size_t at) const {
        return at < bytes.size() ? static_cast<unsigned char>(bytes[at]) : 0u;
    }
};

constexpr std::uint32_t kMachineAmd64 = 0x8664;
constexpr std::uint32_t kPe32Plus = 0x20B;
constexpr std::uint32_t kSubsystemGui = 2;
constexpr std::uint32_t kSubsystemConsole = 3;
constexpr std::uint32_t kResourceGroupIcon = 14;
constexpr std::uint32_t kResourceVersion = 16;
constexpr std::uint32_t kResourceManifest = 24;
constexpr std::uint32_t kAnyResource = 0xFFFFFFFFu;  // the first entry, whatever its id

// The DLLs every Windows has; anything else would have to ship beside the exe.
bool system_dll(const std::string& name) {
    static const char* const kSystem[] = {
        "kernel32.dll", "user32.dll", "gdi32.dll",  "comctl32.dll", "advapi32.dll",
        "msvcrt.dll",   "shell32.dll", "ole32.dll", "ucrtbase.dll", "ws2_32.dll",
        "winmm.dll",    "mswsock.dll",  // mswsock: Windows sockets, corvane-web
    };
    const std::string dll = lower(name);
    return dll.rfind("api-ms-win-", 0) == 0 ||
           std::find_if(std::begin(kSystem), std::end(kSystem),
                        [&](const char* s) { return dll == s; }) != std::end(kSystem);
}

// What corvane.exe needs for its tick on Windows: the timer resolution, the
// power-throttling opt-out and a timer that is never coalesced.
const char* const kTickImports[] = {"timeBeginPeriod", "timeEndPeriod", "SetProcessInformation",
                                    "SetCoalescableTimer"};

void check_exe(Checks& t, const fs::path& path, std::uint32_t subsystem,
               const std::vector<std::string>& required_imports = {}) {
    Image image{read_file(path)};
    if (!t.expect(image.bytes.size() > 0x200 && image.u16(0) == 0x5A4D, "MZ header")) {
        return;
    }
    const std::size_t pe = image.u32(0x3C);
    if (!t.expect(image.u32(pe) == 0x00004550, "PE signature")) {
        return;
    }
    const std::size_t coff = pe + 4;
    const std::size_t optional = coff + 20;
    const std::uint32_t sections = image.u16(coff + 2);
    const std::size_t section_table = optional + image.u16(coff + 16);
    t.expect(image.u16(coff) == kMachineAmd64, "x86-64 machine");
    if (!t.expect(image.u16(optional) == kPe32Plus, "PE32+ (64-bit) image")) {
        return;
    }
    t.expect(image.u16(optional + 68) == subsystem,
             subsystem == kSubsystemGui ? "GUI subsystem" : "console subsystem");

    // The import directory (data directory 1) holds one 20-byte descriptor
    // per DLL; its name is an RVA, mapped to the file through the sections.
    const auto file_offset = [&](std::uint32_t rva) -> std::size_t {
        for (std::uint32_t s = 0; s < sections; ++s) {
            const std::size_t header = section_table + 40 * s;
            const std::uint32_t start = image.u32(header + 12);
            const std::uint32_t size = std::max(image.u32(header + 8), image.u32(header + 16));
            if (rva >= start && rva < start + size) {
                return rva - start + image.u32(header + 20);
            }
        }
        return image.bytes.size();
    };
    const std::uint32_t import_rva = image.u32(optional + 112 + 8);
    const auto text_at = [&](std::uint32_t rva) {
        std::string text;
        for (std::size_t c = file_offset(rva);
             c < image.bytes.size() && image.bytes[c] != 0 && text.size() < 256; ++c) {
            text += image.bytes[c];
        }
        return text;
    };
    std::vector<std::string> dlls;
    std::set<std::string> functions;
    for (std::size_t d = file_offset(import_rva); d + 20 <= image.bytes.size() && dlls.size() < 64;
         d += 20) {
        const std::uint32_t name_rva = image.u32(d + 12);
        if (name_rva == 0) {
            break;
        }
        dlls.push_back(text_at(name_rva));
        // The lookup table: 8-byte entries, a name's RVA (after a 2-byte
        // hint) unless the top bit says an ordinal, up to a zero entry.
        for (std::size_t e = file_offset(image.u32(d)); e + 8 <= image.bytes.size() &&
                                                        functions.size() < 4096;
             e += 8) {
            const std::uint32_t low = image.u32(e);
            const std::uint32_t high = image.u32(e + 4);
            if (low == 0 && high == 0) {
                break;
            }
            if ((high & 0x80000000u) == 0) {
                functions.insert(text_at(low + 2));
            }
        }
    }
    std::string missing;
    for (const std::string& function : required_imports) {
        missing += functions.count(function) == 1 ? "" : " " + function;
    }
    if (!required_imports.empty()) {
        t.expect(missing.empty(), "imports the tick's calls" + missing);
    }
    std::string list;
    bool only_system = !dlls.empty();
    for (const std::string& dll : dlls) {
        list += (list.empty() ? "" : ", ") + dll;
        only_system = only_system && system_dll(dll);
    }
    t.expect(only_system, "imports only system DLLs (" + list + ")");

    // The resource directory (data directory 2): type, then id, then the
    // first language; entries with the top bit set lead to a deeper level.
    const std::uint32_t resource_rva = image.u32(optional + 112 + 16);
    const std::size_t resources = file_offset(resource_rva);
    const auto entry_for = [&](std::size_t directory, std::uint32_t id) -> std::uint32_t {
        const std::uint32_t count = image.u16(directory + 12) + image.u16(directory + 14);
        for (std::uint32_t e = 0; e < count && e < 256; ++e) {
            const std::size_t entry = directory + 16 + 8 * e;
            if (id == kAnyResource || image.u32(entry) == id) {
                return image.u32(entry + 4);
            }
        }
        return 0;
    };
    const auto resource = [&](std::uint32_t type, std::uint32_t id) {
        std::uint32_t at = entry_for(resources, type);
        for (const std::uint32_t key : {id, kAnyResource}) {
            if ((at & 0x80000000u) == 0) {
                return std::string();
            }
            at = entry_for(resources + (at & 0x7FFFFFFFu), key);
        }
        const std::size_t data = resources + at;
        const std::size_t start = file_offset(image.u32(data));
        const std::size_t size = image.u32(data + 4);
        return start < image.bytes.size() ? image.bytes.substr(start, size) : std::string();
    };
    const std::string manifest = resource(kResourceManifest, 1);
    t.expect(contains(manifest, "Microsoft.Windows.Common-Controls") &&
                 contains(manifest, ">PerMonitorV2, PerMonitor</dpiAwareness>") &&
                 contains(manifest, "level=\"asInvoker\""),
             "manifest: common controls 6, per-monitor DPI v2, as invoker");
    // VS_FIXEDFILEINFO follows its signature; the file version's high word
    // pair is major.minor.
    const std::string version = resource(kResourceVersion, 1);
    const std::size_t fixed = version.find(std::string("\xBD\x04\xEF\xFE", 4));
    const Image info{fixed == std::string::npos ? std::string() : version.substr(fixed)};
    t.expect(info.u32(8) == (CORVANE_VERSION_MAJOR << 16 | CORVANE_VERSION_MINOR) &&
                 contains(version, std::string("C\0o\0r\0v\0a\0n\0e\0", 14)),
             "version information " CORVANE_VERSION);
    t.expect(!resource(kResourceGroupIcon, kAnyResource).empty(), "Corvane's icon");
}

// ---- settings -------------------------------------------------------------

void check_settings(Checks& t, const fs::path& path) {
    const std::string text = read_file(path);
#if CORVANE_PACKAGE_CHECK_SETTINGS
    const INIReader reader(path.string());
    t.expect(reader.ParseError() == 0, "parses without an error");
    const corvane::app::Settings read = corvane::app::read_settings(reader);
    const corvane::app::Settings defaults;
    t.expect(read.tick_period_ms == defaults.tick_period_ms &&
                 read.start_minimised_flag == defaults.start_minimised_flag &&
                 read.retry_seconds == defaults.retry_seconds &&
                 read.tray_flag == defaults.tray_flag && read.log_file == defaults.log_file,
             "the settings reader gives the defaults");
    t.expect(reader.HasValue(corvane::app::kSpeedSection, corvane::app::kSpeedKey) &&
                 reader.HasValue(corvane::app::kMinimizeSection, corvane::app::kMinimizeKey),
             "holds Speed and Screen");
#else
    std::printf("[note] %s: no settings reader in this build; the native tier reads it\n",
                t.file.c_str());
#endif
    // Every key line follows a comment line (a blank line ends a comment).
    std::istringstream lines(text);
    bool commented = false;
    int keys = 0;
    int bare = 0;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty()) {
            commented = false;
        } else if (line[0] == ';' || line[0] == '#') {
            commented = true;
        } else if (line[0] != '[' && contains(line, "=")) {
            ++keys;
            bare += commented ? 0 : 1;
            commented = false;
        }
    }
    t.expect(keys > 0 && bare == 0, "every key has a comment above it");
}

// ---- offset documents -----------------------------------------------------

bool untouched(std::uint32_t offset) {
    return (offset >= 0x942B && offset <= 0x942F) || (offset >= 0x947D && offset <= 0x947F);
}

// Rows are lines beginning with "0x" (CSV) or "| 0x" (Markdown): offset,
// then size after the next separator. The rows of annunciator fields repeat
// their byte and own no byte of their own.
void check_offsets(Checks& t, const fs::path& path, const std::string& generated, bool markdown) {
    const std::string text = read_file(path);
    const std::string separator = markdown ? " | " : ",";
    const std::string field_kind =
        separator + kind_text(corvane::bridge::OffsetKind::AnnunciatorField) + separator;
    std::vector<int> owners(0x100, 0);
    int outside = 0;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const std::string prefix = markdown ? "| 0x" : "0x";
        if (line.rfind(prefix, 0) != 0 || contains(line, field_kind)) {
            continue;
        }
        unsigned offset = 0;
        unsigned size = 0;
        const char* format = markdown ? "| %x | %u |" : "%x,%u,";
        if (std::sscanf(line.c_str(), format, &offset, &size) != 2 || size == 0 || size > 2) {
            ++outside;
            continue;
        }
        for (unsigned b = offset; b < offset + size; ++b) {
            if (b < 0x9400 || b > 0x94FB) {
                ++outside;
            } else {
                ++owners[b - 0x9400];
            }
        }
    }
    int wrong = outside;
    for (std::uint32_t b = 0x9400; b <= 0x94FB; ++b) {
        wrong += owners[b - 0x9400] != (untouched(b) ? 0 : 1) ? 1 : 0;
    }
    t.expect(wrong == 0, "every byte Corvane writes or reads in exactly one row");
    t.expect(text == generated, "as the tables make it now");
}

// ---- documents ------------------------------------------------------------

std::string hex(std::uint32_t offset) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", offset);
    return text;
}

void check_guide(Checks& t, const fs::path& path) {
    const std::string text = read_file(path);
    std::string missing;
    for (const char* status : corvane::app::kStatusTexts) {
        missing += contains(text, status) ? "" : std::string(" \"") + status + "\"";
    }
    t.expect(missing.empty(), "explains every status line" + missing);
    missing.clear();
    for (const auto& e : offset_entries()) {
        if (e.direction == corvane::bridge::Direction::PanelWrites && !contains(text, hex(e.offset))) {
            missing += " " + hex(e.offset);
        }
    }
    t.expect(missing.empty(), "explains every input offset" + missing);
    missing.clear();
    for (const std::string& option : corvane::monitor::option_names()) {
        missing += contains(text, "`" + option) ? "" : " " + option;
    }
    t.expect(missing.empty(), "explains every option of corvane-monitor" + missing);
    missing.clear();
    for (const corvane::monitor::ExitCode& exit : corvane::monitor::kExitCodes) {
        const std::string row = "| " + std::to_string(exit.code) + " | " + exit.meaning + " |";
        missing += contains(text, row) ? "" : " \"" + row + "\"";
    }
    t.expect(missing.empty(), "explains every exit code of corvane-monitor" + missing);
    t.expect(contains(text, "loading corvane.ini failed!"), "explains the missing settings file");
    for (const char* chapter : {"## First start on Windows", "## Knowing that Corvane runs",
                                "## Checking a panel lamp by lamp"}) {
        t.expect(contains(text, chapter), std::string("has the chapter \"") + (chapter + 3) + "\"");
    }
}

void check_texts(Checks& t, const fs::path& path, const std::vector<std::string>& parts) {
    const std::string text = read_file(path);
    for (const std::string& part : parts) {
        t.expect(contains(text, part), "mentions \"" + part + "\"");
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: package_check FOLDER [--without NAME]... [--also NAME]...\n");
        return 2;
    }
    const fs::path folder = argv[1];
    std::set<std::string> expected = {
        "corvane.exe", "corvane-sim.exe", "corvane.ini", "USER-GUIDE.md",           "OFFSETS.md",
        "offsets.csv", "corvane.lua",     "corvane.h",   "THIRD-PARTY-NOTICES.txt", "LICENSE.txt",
        "SHA256SUMS",  // its digests are checked by package_contents.cmake
    };
    for (int i = 2; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--without") == 0) {
            expected.erase(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--also") == 0) {
            expected.insert(argv[i + 1]);
        }
    }

    Checks t;
    std::set<std::string> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        found.insert(entry.path().filename().string());
        t.file = entry.path().filename().string();
        t.expect(entry.is_regular_file() && entry.file_size() > 0, "a file, not empty");
    }
    t.file = folder.string();
    if (!t.expect(!error, "can be listed")) {
        return 1;
    }
    for (const std::string& name : expected) {
        t.file = name;
        t.expect(found.count(name) == 1, "present");
    }
    for (const std::string& name : found) {
        t.file = name;
        if (!t.expect(expected.count(name) == 1, "expected in the zip")) {
            continue;
        }
        const fs::path path = folder / name;
        if (name == "corvane.exe") {
            check_exe(t, path, kSubsystemGui,
                      std::vector<std::string>(std::begin(kTickImports), std::end(kTickImports)));
        } else if (name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0) {
            check_exe(t, path, kSubsystemConsole);
        } else if (name == "corvane.ini") {
            check_settings(t, path);
        } else if (name == "OFFSETS.md") {
            check_offsets(t, path, corvane::bridge::offset_map_markdown(), true);
        } else if (name == "offsets.csv") {
            check_offsets(t, path, corvane::bridge::offset_map_csv(), false);
        } else if (name == "corvane.lua" || name == "corvane.h") {
            const std::string generated =
                name == "corvane.lua" ? corvane::bridge::lua_module() : corvane::bridge::c_header();
            t.expect(read_file(path) == generated, "as the tables make it now");
        } else if (name == "USER-GUIDE.md") {
            check_guide(t, path);
        } else if (name == "LICENSE.txt") {
            check_texts(t, path, {"MIT License", "Permission is hereby granted"});
        } else if (name == "THIRD-PARTY-NOTICES.txt") {
            check_texts(
                t, path,
                {"inih", "Ben Hoyt", "mingw-w64", "libstdc++", "GCC Runtime Library Exception",
                 "CLI11 2.1.2", "University of Cincinnati", "Asio", "Christopher M. Kohlhoff",
                 "Boost Software License", "WebSocket++", "Peter Thorson", "nlohmann/json",
                 "Niels Lohmann"});
        }
    }
    std::printf("%d passed, %d failed\n", t.passed, t.failed);
    return t.failed == 0 ? 0 : 1;
}
