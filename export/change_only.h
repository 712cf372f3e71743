// The change-only write that every export stage performs for each value.
//
// A value is queued only when it differs from its shadow (doubles compared as
// doubles, so a NaN always counts as changed; integers as 32-bit values), and
// the shadow is updated whether or not the client accepted the request: a
// refused value goes out again only after it changes once more. Shadows start
// at 0 and nothing ever resets them.
//
// A resynchronising writer queues every value, changed or not: after an
// exchange whose writes may have been lost, or against a server that holds
// none of our values, the shadows no longer tell what the server holds.
#pragma once

#include <cstdint>

#include "fsuipc/client.h"

namespace corvane::data_export {

// Where the export stages queue their writes: the client and the link result
// code that every request stores its code in, and whether every value is
// written this time (the shadows are updated all the same).
struct Writer {
    fsuipc::Client& client;
    std::int32_t& link_result_code;
    bool resynchronise = false;
};

// Double form: 2 bytes, the low 16 bits of the value times scale truncated
// toward zero (NaN, infinities and out-of-range values give 0x80000000 first).
// The shadow keeps the unscaled double.
void write_double_if_changed(Writer& out, std::uint32_t offset, double value, double scale,
                             double& shadow);

// Integer form (and the packed form, with size 1): the low size bytes of the
// 32-bit value, little-endian; all 32 bits are compared with the shadow.
void write_integer_if_changed(Writer& out, std::uint32_t offset, std::uint32_t size,
                              std::int32_t value, std::int32_t& shadow);

}  // namespace corvane::data_export
