// The offset map for users: every offset the export stages write, with its
// size and where its value comes from, printed from the export tables
// themselves so that documentation and program cannot drift apart.
#pragma once

#include <string>

namespace corvane::data_export {

// One line per exported offset in ascending order (0x9402-0x9427 annunciator
// bytes, 0x9430-0x9470 display values, 0x9472-0x94EF panel values), each
// ending in "\n". Meant for a help text or a --map option, not for a tick.
std::string offset_map();

}  // namespace corvane::data_export
