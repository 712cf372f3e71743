// Writes the labels template (docs/labels.csv) from the program's offset
// map: labels_template [FILE]; without FILE to standard output.
#include <cstdio>

#include "monitor/labels.h"

int main(int argc, char** argv) {
    const std::string text = corvane::monitor::labels_template();
    if (argc < 2) {
        std::fputs(text.c_str(), stdout);
        return 0;
    }
    std::FILE* file = std::fopen(argv[1], "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "labels_template: cannot write %s\n", argv[1]);
        return 1;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        std::fprintf(stderr, "labels_template: writing %s failed\n", argv[1]);
        return 1;
    }
    return 0;
}
