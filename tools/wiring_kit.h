// The wiring kit: the offset block as code a cockpit builder includes, so
// that nobody types the offsets, masks and encodings again. corvane.lua for
// FSUIPC Lua plug-ins and corvane.h for C and C++ relay and board programs,
// both printed from the offset map (and so from the export and command
// tables), committed as docs/corvane.lua and docs/corvane.h and shipped in
// the zip.
//
// Each file holds a named constant for every offset (the OffsetEntry's
// symbol) and every annunciator field, and small helpers for the encodings:
// a blank display, the vertical speed's sign, hundredths, the x1000 rows,
// one- and two-bit fields, the command word's handshake and the counters.
#pragma once

#include <string>

namespace corvane::bridge {

std::string lua_module();  // docs/corvane.lua
std::string c_header();    // docs/corvane.h

}  // namespace corvane::bridge
