// The three tables that drive the export stages, as constexpr data: the 33
// display windows, the 38 annunciator rows and the panel value lines.
//
// Each row is written one per line in offset order so that it can be checked
// against the aircraft SDK's field list by eye. The offset map for users is
// printed from these same arrays (export/offset_map.h), so the map and the
// program cannot disagree.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "aircraft/link.h"
#include "export/export.h"

namespace corvane::data_export {

// Digit fields, annunciator fields and panel integer fields are 4-byte
// integers; a run of them lies 4 bytes apart.
constexpr std::uint32_t kFieldStride = 4;
constexpr std::uint32_t kIntegerFieldSize = 4;
constexpr std::uint32_t kDoubleFieldSize = 8;

// ---- display windows ---------------------------------------------------------

// Standard: weights fall in storage order, units in the last field.
// Units-first: weights rise in storage order, units in the first field.
enum DigitLayout : std::uint8_t { kStandard, kUnitsFirst };

constexpr int kMaxDigits = 5;

struct DisplayWindow {
    std::uint32_t offset;       // where its display value is exported (2 bytes)
    std::uint32_t first_field;  // SDK1 offset of the first digit field in storage order
    std::uint32_t last_field;   // SDK1 offset of the last digit field
    int digits;
    DigitLayout layout;
    const char* name;  // the knob windows have names; the others go by offset
};

inline constexpr DisplayWindow kDisplayWindows[kDisplayCount] = {
    {0x9430, 0x008C, 0x009C, 5, kStandard, "flight altitude display"},
    {0x9432, 0x00A4, 0x00B4, 5, kStandard, "landing altitude display"},
    {0x9434, 0x01A8, 0x01B0, 3, kStandard, "course display 1"},
    {0x9436, 0x01C0, 0x01C8, 3, kStandard, "speed display"},
    {0x9438, 0x01D0, 0x01D8, 3, kStandard, "heading display"},
    {0x943A, 0x01E0, 0x01F0, 5, kStandard, "altitude display"},
    {0x943C, 0x01F8, 0x0204, 4, kStandard, "vertical speed display"},
    {0x943E, 0x0210, 0x0218, 3, kStandard, "course display 2"},
    {0x9440, 0x029C, 0x02AC, 5, kStandard, ""},
    {0x9442, 0x02B8, 0x02C8, 5, kStandard, ""},
    {0x9444, 0x02DC, 0x02EC, 5, kStandard, ""},
    {0x9446, 0x02F8, 0x0308, 5, kStandard, ""},
    {0x9448, 0x04DC, 0x04E0, 2, kStandard, ""},
    {0x944A, 0x04E4, 0x04EC, 3, kStandard, ""},
    {0x944C, 0x04F0, 0x04F4, 2, kStandard, ""},
    {0x944E, 0x04F8, 0x0500, 3, kStandard, ""},
    {0x9450, 0x0504, 0x050C, 3, kStandard, ""},
    {0x9452, 0x0898, 0x08A4, 4, kStandard, ""},
    {0x9454, 0x08AC, 0x08B8, 4, kStandard, ""},
    {0x9456, 0x08D4, 0x08E0, 4, kStandard, ""},
    {0x9458, 0x08E8, 0x08F4, 4, kStandard, ""},
    {0x945A, 0x09A0, 0x09B0, 5, kUnitsFirst, ""},
    {0x945C, 0x09BC, 0x09CC, 5, kUnitsFirst, ""},
    {0x945E, 0x09DC, 0x09EC, 5, kUnitsFirst, ""},
    {0x9460, 0x09F8, 0x0A08, 5, kUnitsFirst, ""},
    {0x9462, 0x0A18, 0x0A28, 5, kStandard, ""},
    {0x9464, 0x0A30, 0x0A40, 5, kStandard, ""},
    {0x9466, 0x0A4C, 0x0A5C, 5, kStandard, ""},
    {0x9468, 0x0A64, 0x0A74, 5, kStandard, ""},
    {0x946A, 0x0A80, 0x0A8C, 4, kStandard, ""},
    {0x946C, 0x0B70, 0x0B80, 5, kStandard, ""},
    {0x946E, 0x0B84, 0x0B94, 5, kStandard, ""},
    {0x9470, 0x0CC8, 0x0CD0, 3, kStandard, ""},
};

// The windows the knobs and the stand-in treat apart, by display index.
constexpr int kSpeedWindow = 3;
constexpr int kVerticalSpeedWindow = 6;
static_assert(kDisplayWindows[kSpeedWindow].offset == 0x9436 &&
              kDisplayWindows[kVerticalSpeedWindow].offset == 0x943C);

// Weight of digit position j (0 = first in storage order) of a window.
inline constexpr std::int32_t kPowersOfTen[kMaxDigits] = {1, 10, 100, 1000, 10000};

constexpr std::int32_t digit_weight(const DisplayWindow& window, int position) {
    return window.layout == kStandard ? kPowersOfTen[window.digits - 1 - position]
                                      : kPowersOfTen[position];
}

constexpr std::uint32_t digit_field(const DisplayWindow& window, int position) {
    return window.first_field + kFieldStride * static_cast<std::uint32_t>(position);
}

// ---- annunciator rows -----------------------------------------------------------

enum SourceBlock : std::uint8_t { kSdk1, kSdk2 };

constexpr int kAnnunciatorWeights = 8;  // weights 1, 2, 4, ... 128 (bits 0..7)
constexpr std::uint32_t kNoField = 0xFFFFFFFF;

struct AnnunciatorRow {
    std::uint32_t offset;  // the annunciator byte
    SourceBlock block;
    std::uint32_t field[kAnnunciatorWeights];  // source offset at weight 1 << b, or kNoField
};

constexpr std::uint32_t annunciator_weight(int column) { return 1u << column; }

// Rows with fields only at every other weight give each field two bits of
// room (0x9407, 0x940B, 0x941A, 0x941B): a field holding 0..3 stays in its pair.
inline constexpr AnnunciatorRow kAnnunciatorRows[kAnnunciatorCount] = {
   // byte   block    x1        x2        x4        x8        x16       x32       x64       x128
    {0x9402, kSdk1, {0x0018,   0x0024,   0x0030,   0x0034,   0x0038,   0x0058,   0x005C,   0x0060}},
    {0x9403, kSdk1, {0x0064,   0x0068,   0x006C,   0x007C,   0x0080,   0x0084,   0x0088,   0x00CC}},
    {0x9404, kSdk1, {0x00D0,   0x00D4,   0x00F0,   0x00F4,   kNoField, kNoField, kNoField, kNoField}},
    {0x9405, kSdk1, {0x011C,   0x0120,   0x0124,   0x0128,   0x012C,   0x0130,   0x0134,   0x0138}},
    {0x9406, kSdk1, {0x0150,   0x0154,   0x0158,   0x015C,   0x0160,   0x0164,   0x0168,   0x016C}},
    {0x9407, kSdk1, {0x0178,   kNoField, 0x0180,   kNoField, 0x0188,   kNoField, 0x0190,   kNoField}},
    {0x9408, kSdk1, {0x017C,   0x0184,   0x018C,   kNoField, kNoField, kNoField, kNoField, kNoField}},
    {0x9409, kSdk1, {0x01B4,   0x01CC,   0x01DC,   0x0208,   0x020C,   0x0220,   0x0238,   kNoField}},
    {0x940A, kSdk1, {0x0248,   0x024C,   0x0250,   0x025C,   0x0260,   0x0264,   0x0268,   0x026C}},
    {0x940B, kSdk1, {0x0270,   0x0274,   0x0280,   kNoField, 0x0284,   kNoField, 0x0288,   0x028C}},
    {0x940C, kSdk1, {0x0294,   0x0298,   0x02D4,   0x02D8,   0x0314,   0x0320,   0x033C,   0x0348}},
    {0x940D, kSdk1, {0x0364,   0x0370,   kNoField, kNoField, kNoField, kNoField, kNoField, kNoField}},
    {0x940E, kSdk1, {0x0510,   0x0514,   0x0518,   0x052C,   0x0530,   0x0534,   0x0544,   0x0550}},
    {0x940F, kSdk1, {0x0554,   0x0558,   0x055C,   0x0560,   0x0564,   0x0568,   kNoField, kNoField}},
    {0x9410, kSdk1, {0x05BC,   0x05C0,   0x05C4,   0x05C8,   0x05E0,   0x05E4,   0x05E8,   0x05EC}},
    {0x9411, kSdk1, {0x0608,   0x0614,   0x0618,   0x061C,   0x0620,   0x062C,   0x0630,   0x0634}},
    {0x9412, kSdk1, {0x0640,   0x0644,   0x0650,   kNoField, kNoField, kNoField, kNoField, kNoField}},
    {0x9413, kSdk1, {0x066C,   0x0670,   0x0674,   0x0678,   0x068C,   0x0694,   0x0698,   0x069C}},
    {0x9414, kSdk1, {0x06A0,   0x06A4,   0x06D4,   0x06D8,   0x06DC,   0x06E4,   0x06F0,   0x06F4}},
    {0x9415, kSdk1, {0x06F8,   0x06FC,   0x0704,   0x0708,   kNoField, kNoField, kNoField, kNoField}},
    {0x9416, kSdk1, {0x07DC,   0x07E0,   0x07E4,   0x07E8,   0x07EC,   0x07F0,   kNoField, kNoField}},
    {0x9417, kSdk1, {0x07F4,   0x0804,   0x0808,   0x080C,   0x0810,   0x0814,   0x0818,   0x081C}},
    {0x9418, kSdk1, {0x0968,   0x096C,   0x0970,   0x0974,   0x0978,   0x097C,   0x0980,   0x0984}},
    {0x9419, kSdk1, {0x0988,   0x098C,   0x0990,   0x0A90,   kNoField, kNoField, kNoField, kNoField}},
    {0x941A, kSdk1, {0x0B14,   kNoField, 0x0B18,   kNoField, 0x0B28,   kNoField, 0x0B2C,   kNoField}},
    {0x941B, kSdk1, {0x0B30,   0x0B34,   kNoField, 0x0B38,   kNoField, kNoField, kNoField, kNoField}},
    {0x941C, kSdk1, {0x0B40,   0x0B44,   0x0B50,   0x0B54,   0x0B58,   0x0B5C,   kNoField, kNoField}},
    {0x941D, kSdk1, {0x0BBC,   0x0BC0,   0x0BC4,   0x0BC8,   0x0BCC,   0x0BD0,   kNoField, kNoField}},
    {0x941E, kSdk1, {0x0BE4,   0x0BE8,   0x0BEC,   0x0BF0,   0x0BF4,   0x0BF8,   0x0C00,   0x0C08}},
    {0x941F, kSdk1, {0x0C10,   kNoField, kNoField, kNoField, kNoField, kNoField, kNoField, kNoField}},
    {0x9420, kSdk1, {0x0C20,   0x0C24,   0x0C28,   0x0C2C,   0x0C30,   0x0C34,   0x0C38,   0x0C3C}},
    {0x9421, kSdk1, {0x0C40,   0x0C44,   0x0C48,   0x0C4C,   0x0C50,   0x0C54,   0x0C58,   0x0C5C}},
    {0x9422, kSdk1, {0x0C60,   0x0C68,   0x0C7C,   kNoField, kNoField, kNoField, kNoField, kNoField}},
    {0x9423, kSdk1, {0x0C8C,   0x0C90,   0x0CA0,   0x0CA8,   0x0CAC,   0x0CB0,   0x0CB4,   0x0CB8}},
    {0x9424, kSdk1, {0x0CBC,   0x0CC0,   0x0CC4,   0x0CD4,   0x0CD8,   0x0CDC,   0x0CE0,   0x0CE4}},
    {0x9425, kSdk1, {0x0CE8,   0x0CEC,   0x0CF0,   0x0CF4,   0x0CF8,   0x0CFC,   0x0D00,   0x0D04}},
    {0x9426, kSdk1, {0x0D08,   0x0D0C,   0x0D10,   kNoField, kNoField, kNoField, kNoField, kNoField}},
    {0x9427, kSdk2, {0x1A48,   0x1A4C,   0x1A50,   0x1A54,   0x1A58,   0x1A5C,   0x1A60,   0x1A64}},
};

// ---- annunciator fields ----------------------------------------------------------

// Bits of room of the field in a column: 0 (no field), 1, or 2 where the row
// leaves the next weight free for a field of four states (0x9407, 0x940B,
// 0x941A, 0x941B). A field owns the free weight above it where the row
// alternates fields and free weights: a field two weights up, or, at the top
// of the byte, a free weight below with a field below that. A byte that
// carries one field alone, at weight 1 (0x941F), is that field's own value:
// the field owns all eight bits.
constexpr int annunciator_field_bits(const AnnunciatorRow& row, int column) {
    const auto has_field = [&row](int c) { return row.field[c] != kNoField; };
    if (!has_field(column)) {
        return 0;
    }
    int fields = 0;
    for (int c = 0; c < kAnnunciatorWeights; ++c) {
        fields += has_field(c) ? 1 : 0;
    }
    if (column == 0 && fields == 1) {
        return kAnnunciatorWeights;
    }
    if (column + 1 >= kAnnunciatorWeights || has_field(column + 1)) {
        return 1;
    }
    if (column + 2 < kAnnunciatorWeights) {
        return has_field(column + 2) ? 2 : 1;
    }
    return column >= 2 && !has_field(column - 1) && has_field(column - 2) ? 2 : 1;
}

// One field of an annunciator byte, as a panel reads it: a lamp (one bit), a
// state of up to four (two bits) or the whole byte, (byte & mask) >> shift.
struct AnnunciatorField {
    std::uint32_t offset = 0;  // the annunciator byte
    int row = 0;               // its row in kAnnunciatorRows
    int shift = 0;             // the field's lowest bit, the column of its weight
    int bits = 0;              // 1, 2, or 8 for a field alone in its byte

    constexpr std::uint32_t mask() const { return ((1u << bits) - 1u) << shift; }
    constexpr int states() const { return 1 << bits; }
    constexpr SourceBlock block() const { return kAnnunciatorRows[row].block; }
    constexpr std::uint32_t source() const { return kAnnunciatorRows[row].field[shift]; }
};

constexpr int count_annunciator_fields() {
    int count = 0;
    for (const AnnunciatorRow& row : kAnnunciatorRows) {
        for (int column = 0; column < kAnnunciatorWeights; ++column) {
            count += annunciator_field_bits(row, column) != 0 ? 1 : 0;
        }
    }
    return count;
}

inline constexpr int kAnnunciatorFieldCount = count_annunciator_fields();

constexpr std::array<AnnunciatorField, kAnnunciatorFieldCount> expand_annunciator_fields() {
    std::array<AnnunciatorField, kAnnunciatorFieldCount> fields{};
    std::size_t next = 0;
    for (int i = 0; i < kAnnunciatorCount; ++i) {
        for (int column = 0; column < kAnnunciatorWeights; ++column) {
            const int bits = annunciator_field_bits(kAnnunciatorRows[i], column);
            if (bits != 0) {
                fields[next++] = AnnunciatorField{kAnnunciatorRows[i].offset, i, column, bits};
            }
        }
    }
    return fields;
}

// Every field of every annunciator byte, in byte order and, within a byte,
// from bit 0 up; the documents, the wiring kit and the monitor's labels
// name lamps by these.
inline constexpr std::array<AnnunciatorField, kAnnunciatorFieldCount> kAnnunciatorFields =
    expand_annunciator_fields();

// ---- panel values -----------------------------------------------------------------

enum PanelSource : std::uint8_t { kInteger, kDouble };

constexpr double kUnscaled = 1.0;
constexpr double kTimes1000 = 1000.0;

// One line of the panel table: a single value, or a range of integer values
// whose k-th offset takes the field at first_source + 4k. Integer values are
// written as their low byte (1 byte), doubles as the truncated, optionally
// scaled value (2 bytes).
struct PanelLine {
    std::uint32_t first_offset;
    std::uint32_t last_offset;
    std::uint32_t size;
    std::uint32_t first_source;  // SDK1 offsets
    std::uint32_t last_source;
    PanelSource type;
    double scale;
};

inline constexpr PanelLine kPanelLines[] = {
   // offsets         size  SDK1 fields     type      scale
    {0x9472, 0x9472, 1,    0x0FAC, 0x0FAC, kInteger, kUnscaled},
    {0x9473, 0x9475, 1,    0x0658, 0x0660, kInteger, kUnscaled},
    {0x9476, 0x9476, 1,    0x0118, 0x0118, kInteger, kUnscaled},
    {0x9477, 0x9477, 2,    0x0F88, 0x0F88, kDouble,  kTimes1000},
    {0x9479, 0x9479, 2,    0x0F90, 0x0F90, kDouble,  kTimes1000},
    {0x947B, 0x947B, 1,    0x0230, 0x0230, kInteger, kUnscaled},
    {0x947C, 0x947C, 1,    0x0C7C, 0x0C7C, kInteger, kUnscaled},
    {0x9480, 0x9480, 2,    0x0008, 0x0008, kDouble,  kUnscaled},
    {0x9482, 0x9482, 2,    0x0010, 0x0010, kDouble,  kUnscaled},
    {0x9484, 0x9484, 1,    0x0020, 0x0020, kInteger, kUnscaled},
    {0x9485, 0x9486, 1,    0x0040, 0x0044, kInteger, kUnscaled},
    {0x9487, 0x9487, 1,    0x00BC, 0x00BC, kInteger, kUnscaled},
    {0x9488, 0x9488, 2,    0x00F8, 0x00F8, kDouble,  kUnscaled},
    {0x948A, 0x948A, 2,    0x0100, 0x0100, kDouble,  kUnscaled},
    {0x948C, 0x948C, 2,    0x0110, 0x0110, kDouble,  kUnscaled},
    {0x948E, 0x948E, 1,    0x01BC, 0x01BC, kInteger, kUnscaled},
    {0x948F, 0x948F, 1,    0x01F4, 0x01F4, kInteger, kUnscaled},
    {0x9490, 0x9491, 1,    0x02B0, 0x02B4, kInteger, kUnscaled},
    {0x9492, 0x9492, 1,    0x02CC, 0x02CC, kInteger, kUnscaled},
    {0x9493, 0x9494, 1,    0x02F0, 0x02F4, kInteger, kUnscaled},
    {0x9495, 0x9495, 1,    0x030C, 0x030C, kInteger, kUnscaled},
    {0x9496, 0x9496, 1,    0x04D8, 0x04D8, kInteger, kUnscaled},
    {0x9497, 0x9499, 1,    0x0580, 0x0588, kInteger, kUnscaled},
    {0x949A, 0x949A, 1,    0x05A4, 0x05A4, kInteger, kUnscaled},
    {0x949B, 0x949C, 1,    0x05B4, 0x05B8, kInteger, kUnscaled},
    {0x949D, 0x949D, 2,    0x05F0, 0x05F0, kDouble,  kUnscaled},
    {0x949F, 0x949F, 2,    0x06A8, 0x06A8, kDouble,  kUnscaled},
    {0x94A1, 0x94A1, 2,    0x06C0, 0x06C0, kDouble,  kUnscaled},
    {0x94A3, 0x94A3, 1,    0x06D0, 0x06D0, kInteger, kUnscaled},
    {0x94A4, 0x94A4, 1,    0x06E0, 0x06E0, kInteger, kUnscaled},
    {0x94A5, 0x94A5, 2,    0x06E8, 0x06E8, kDouble,  kUnscaled},
    {0x94A7, 0x94A8, 1,    0x071C, 0x0720, kInteger, kUnscaled},
    {0x94A9, 0x94AA, 1,    0x07A8, 0x07AC, kInteger, kUnscaled},
    {0x94AB, 0x94AB, 1,    0x082C, 0x082C, kInteger, kUnscaled},
    {0x94AC, 0x94AC, 1,    0x0860, 0x0860, kInteger, kUnscaled},
    {0x94AD, 0x94AE, 1,    0x0888, 0x088C, kInteger, kUnscaled},
    {0x94AF, 0x94B0, 1,    0x08C4, 0x08C8, kInteger, kUnscaled},
    {0x94B1, 0x94C3, 1,    0x0914, 0x095C, kInteger, kUnscaled},
    {0x94C4, 0x94C4, 1,    0x099C, 0x099C, kInteger, kUnscaled},
    {0x94C5, 0x94C6, 1,    0x09B4, 0x09B8, kInteger, kUnscaled},
    {0x94C7, 0x94C7, 1,    0x09D8, 0x09D8, kInteger, kUnscaled},
    {0x94C8, 0x94C9, 1,    0x09F0, 0x09F4, kInteger, kUnscaled},
    {0x94CA, 0x94CA, 1,    0x0A2C, 0x0A2C, kInteger, kUnscaled},
    {0x94CB, 0x94CB, 1,    0x0A44, 0x0A44, kInteger, kUnscaled},
    {0x94CC, 0x94CC, 1,    0x0A60, 0x0A60, kInteger, kUnscaled},
    {0x94CD, 0x94CE, 1,    0x0A78, 0x0A7C, kInteger, kUnscaled},
    {0x94CF, 0x94D1, 1,    0x0A94, 0x0A9C, kInteger, kUnscaled},
    {0x94D2, 0x94D2, 2,    0x0B20, 0x0B20, kDouble,  kUnscaled},
    {0x94D4, 0x94D4, 1,    0x0B98, 0x0B98, kInteger, kUnscaled},
    {0x94D5, 0x94D5, 1,    0x0C04, 0x0C04, kInteger, kUnscaled},
    {0x94D6, 0x94D6, 2,    0x0C18, 0x0C18, kDouble,  kUnscaled},
    {0x94D8, 0x94D8, 2,    0x0C98, 0x0C98, kDouble,  kUnscaled},
    {0x94DA, 0x94DA, 1,    0x0D40, 0x0D40, kInteger, kUnscaled},
    {0x94DB, 0x94DD, 1,    0x0D50, 0x0D58, kInteger, kUnscaled},
    {0x94DE, 0x94E7, 1,    0x0E88, 0x0EAC, kInteger, kUnscaled},
    {0x94E8, 0x94E9, 1,    0x0EE4, 0x0EE8, kInteger, kUnscaled},
    {0x94EA, 0x94EA, 1,    0x0EF0, 0x0EF0, kInteger, kUnscaled},
    {0x94EB, 0x94EB, 1,    0x0EEC, 0x0EEC, kInteger, kUnscaled},
    {0x94EC, 0x94EC, 1,    0x0610, 0x0610, kInteger, kUnscaled},
    {0x94ED, 0x94ED, 1,    0x0638, 0x0638, kInteger, kUnscaled},
    {0x94EE, 0x94EE, 1,    0x0624, 0x0624, kInteger, kUnscaled},
    {0x94EF, 0x94EF, 1,    0x01B8, 0x01B8, kInteger, kUnscaled},
};

// One panel value as the export stage walks them.
struct PanelRow {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
    std::uint32_t source = 0;
    PanelSource type = kInteger;
    double scale = kUnscaled;
};

constexpr std::uint32_t rows_in_line(const PanelLine& line) {
    return (line.last_offset - line.first_offset) / line.size + 1;
}

constexpr std::size_t count_panel_rows() {
    std::size_t count = 0;
    for (const PanelLine& line : kPanelLines) {
        count += rows_in_line(line);
    }
    return count;
}

static_assert(count_panel_rows() == kPanelRowCount, "the panel lines expand to 109 rows");

constexpr std::array<PanelRow, kPanelRowCount> expand_panel_lines() {
    std::array<PanelRow, kPanelRowCount> rows{};
    std::size_t next = 0;
    for (const PanelLine& line : kPanelLines) {
        for (std::uint32_t k = 0; k < rows_in_line(line); ++k) {
            rows[next].offset = line.first_offset + k * line.size;
            rows[next].size = line.size;
            rows[next].source = line.first_source + k * kFieldStride;
            rows[next].type = line.type;
            rows[next].scale = line.scale;
            ++next;
        }
    }
    return rows;
}

// The 109 panel rows in ascending offset order, expanded at compile time.
inline constexpr std::array<PanelRow, kPanelRowCount> kPanelRows = expand_panel_lines();

// Every field the stages read lies inside its snapshot: the stages index the
// snapshots with these offsets unchecked, so this is proven at compile time.
constexpr bool fields_inside_blocks() {
    for (const DisplayWindow& window : kDisplayWindows) {
        if (window.digits < 1 || window.digits > kMaxDigits ||
            digit_field(window, window.digits - 1) != window.last_field ||
            window.last_field + kIntegerFieldSize > aircraft::kSdk1BlockSize) {
            return false;
        }
    }
    for (const AnnunciatorRow& row : kAnnunciatorRows) {
        const std::size_t size =
            row.block == kSdk2 ? aircraft::kSdk2BlockSize : aircraft::kSdk1BlockSize;
        for (std::uint32_t field : row.field) {
            if (field != kNoField && field + kIntegerFieldSize > size) {
                return false;
            }
        }
    }
    for (const PanelRow& row : kPanelRows) {
        const std::uint32_t width = row.type == kInteger ? kIntegerFieldSize : kDoubleFieldSize;
        if (row.source + width > aircraft::kSdk1BlockSize) {
            return false;
        }
    }
    return true;
}

static_assert(fields_inside_blocks(), "every source field lies inside its block");

}  // namespace corvane::data_export
