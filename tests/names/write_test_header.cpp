// Writes a generated test SDK header (tests/names/sdk_writer.h) to a file,
// for the checks that run corvane-names itself: write_test_header FILE [VARIANT].
#include <cstdlib>
#include <fstream>

#include "tests/names/sdk_writer.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary);
    out << corvane::names::testing::write_sdk_header(argc > 2 ? std::atoi(argv[2]) : 0).text;
    return out ? 0 : 1;
}
