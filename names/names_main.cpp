// corvane-names: the aircraft's own names for Corvane's block, read from the
// add-on's SDK header.
//
//   corvane-names HEADER [--sdk1 NAME] [--sdk2 NAME] [--out FILE] [--kit]
//
// Writes names.csv beside HEADER (or FILE) and, with --kit,
// corvane_names.lua and corvane_names.h beside it. What the header holds that
// cannot be read is reported as FILE:LINE: what, and then nothing is
// written. Exit codes: 0 written, 1 the header refused, 2 bad arguments or a
// file that cannot be read or written.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/version.h"
#include "names/header.h"
#include "names/naming.h"

namespace {

namespace fs = std::filesystem;
using namespace corvane::names;

constexpr int kExitWritten = 0;
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

bool read_file(const fs::path& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return !in.bad();
}

// Every file first under a temporary name, then renamed: a failed write
// leaves none of them half written.
bool write_all(const std::vector<std::pair<fs::path, std::string>>& files, std::string& error) {
    std::vector<fs::path> written;
    for (const auto& [path, text] : files) {
        fs::path temporary = path;
        temporary += ".tmp";
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out) {
            error = "cannot write " + temporary.string();
            std::error_code ignored;
            fs::remove(temporary, ignored);
            for (const fs::path& w : written) {
                fs::remove(w, ignored);
            }
            return false;
        }
        written.push_back(temporary);
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::error_code failed;
        fs::rename(written[i], files[i].first, failed);
        if (failed) {
            error = "cannot write " + files[i].first.string() + ": " + failed.message();
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"The aircraft's own names for Corvane's offsets, read from the add-on's SDK header:\n"
                 "writes names.csv for corvane-monitor --labels and corvane-sim --hand --names.",
                 "corvane-names"};
    std::string header_path;
    Choice choice;
    std::string out;
    bool kit = false;
    app.add_option("HEADER", header_path, "the add-on's SDK header (.h)")->required();
    app.add_option("--sdk1", choice.sdk1, "the structure laid over SDK1 (4016 bytes); default: the one that covers it");
    app.add_option("--sdk2", choice.sdk2, "the structure laid over SDK2 (6772 bytes); default: the one that covers it");
    app.add_option("--out", out, "where names.csv goes; default: beside HEADER");
    app.add_flag("--kit", kit, "also write corvane_names.lua and corvane_names.h beside names.csv");
    app.set_version_flag("--version", std::string("corvane-names ") + CORVANE_VERSION);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? kExitWritten : kExitUsage;
    }

    const fs::path header_file(header_path);  // as the command line gave it
    std::string text;
    if (!read_file(header_file, text)) {
        std::fprintf(stderr, "corvane-names: cannot read %s\n", header_path.c_str());
        return kExitUsage;
    }
    Header header;
    Naming naming;
    std::string error;
    if (!read_header(text, header_path, header, error) ||
        !name_block(header, header_path, choice, naming, error)) {
        std::fprintf(stderr, "%s\nnothing written\n", error.c_str());
        return kExitRefused;
    }
    for (const std::string& note : naming.notes) {
        std::fprintf(stderr, "note: %s\n", note.c_str());
    }

    const fs::path csv = out.empty() ? header_file.parent_path() / "names.csv" : fs::path(out);
    const std::string name = header_file.filename().string();
    std::vector<std::pair<fs::path, std::string>> files = {{csv, names_csv(naming, name)}};
    if (kit) {
        files.emplace_back(csv.parent_path() / "corvane_names.lua", names_lua(naming, name));
        files.emplace_back(csv.parent_path() / "corvane_names.h", names_c_header(naming, name));
    }
    if (!write_all(files, error)) {
        std::fprintf(stderr, "corvane-names: %s\n", error.c_str());
        return kExitUsage;
    }
    std::size_t fields = 0;
    for (const NamedRow& row : naming.rows) {
        fields += row.mask != 0 ? 1 : 0;
    }
    std::printf("SDK1 %s, SDK2 %s: %u offsets, %u annunciator fields, %u commands\n",
                naming.sdk1.c_str(), naming.sdk2.c_str(), static_cast<unsigned>(naming.rows.size() - fields),
                static_cast<unsigned>(fields), static_cast<unsigned>(naming.commands.size()));
    for (const auto& file : files) {
        std::printf("wrote %s\n", file.first.string().c_str());
    }
    return kExitWritten;
}
