// Number conversions and little-endian access shared by every core subsystem.
//
// The aircraft blocks and the FSUIPC offset space hold little-endian fields at
// unaligned offsets, so every load and store goes through these helpers rather
// than through pointer casts. Every double-to-integer conversion in the program
// goes through to_int32_trunc, which never has undefined behaviour.
#pragma once

#include <cstdint>
#include <cstring>

namespace corvane {

// On a little-endian host a field's bytes are already in host order, and a
// memcpy compiles to a single unaligned load or store.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr bool kHostLittleEndian = true;
#else
constexpr bool kHostLittleEndian = false;
#endif

// Truncation toward zero to a 32-bit signed integer. NaN, the infinities and
// every value whose truncation lies outside the 32-bit range give INT32_MIN.
inline std::int32_t to_int32_trunc(double value) {
    if (!(value > -2147483649.0 && value < 2147483648.0)) {
        return INT32_MIN;
    }
    return static_cast<std::int32_t>(value);
}

inline std::uint16_t load_u16(const unsigned char* p) {
    if constexpr (kHostLittleEndian) {
        std::uint16_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t load_u32(const unsigned char* p) {
    if constexpr (kHostLittleEndian) {
        std::uint32_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline std::int32_t load_i32(const unsigned char* p) {
    return static_cast<std::int32_t>(load_u32(p));
}

inline double load_f64(const unsigned char* p) {
    double value;
    if constexpr (kHostLittleEndian) {
        std::memcpy(&value, p, sizeof value);
        return value;
    }
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) {
        bits = (bits << 8) | p[i];
    }
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

inline void store_u16(unsigned char* p, std::uint16_t v) {
    if constexpr (kHostLittleEndian) {
        std::memcpy(p, &v, sizeof v);
        return;
    }
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

inline void store_u32(unsigned char* p, std::uint32_t v) {
    if constexpr (kHostLittleEndian) {
        std::memcpy(p, &v, sizeof v);
        return;
    }
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<unsigned char>(v >> (8 * i));
    }
}

inline void store_i32(unsigned char* p, std::int32_t v) {
    store_u32(p, static_cast<std::uint32_t>(v));
}

inline void store_f64(unsigned char* p, double v) {
    if constexpr (kHostLittleEndian) {
        std::memcpy(p, &v, sizeof v);
        return;
    }
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    for (int i = 0; i < 8; ++i) {
        p[i] = static_cast<unsigned char>(bits >> (8 * i));
    }
}

}  // namespace corvane
