// corvane-offset-docs: writes docs/offsets.md and docs/offsets.csv from the
// program's own tables, the same text `corvane-sim --offset-map --format md`
// and `--format csv` print, and the wiring kit beside them (corvane.lua,
// corvane.h). A native tool, so the committed files can be regenerated on
// the build machine: cmake --build --preset native --target offset-docs
#include <cstdio>
#include <cstring>
#include <string>

#include "bridge/offset_map.h"
#include "tools/wiring_kit.h"
#include "common/version.h"

namespace {

bool write_file(const std::string& path, const std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "corvane-offset-docs: cannot write %s\n", path.c_str());
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

constexpr char kUsage[] =
    "usage: corvane-offset-docs FOLDER\n"
    "  writes FOLDER/offsets.md, offsets.csv, corvane.lua and corvane.h from Corvane's tables\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("corvane-offset-docs %s\n", CORVANE_VERSION);
        return 0;
    }
    if (argc != 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string folder = argv[1];
    const struct {
        const char* name;
        std::string text;
    } files[] = {
        {"offsets.md", corvane::bridge::offset_map_markdown()},
        {"offsets.csv", corvane::bridge::offset_map_csv()},
        {"corvane.lua", corvane::bridge::lua_module()},
        {"corvane.h", corvane::bridge::c_header()},
    };
    for (const auto& file : files) {
        if (!write_file(folder + "/" + file.name, file.text)) {
            return 1;
        }
        std::printf("wrote %s/%s\n", folder.c_str(), file.name);
    }
    return 0;
}
