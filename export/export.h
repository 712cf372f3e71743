// The export stages: display decoding and export, annunciator packing and
// export, panel values. Each stage reads only the snapshots (or what an
// earlier stage of the same cycle produced) and queues change-only writes.
// The tables that drive them are constexpr data in export/tables.h.
#pragma once

#include <cstdint>

#include "aircraft/link.h"
#include "export/change_only.h"

namespace corvane::data_export {

constexpr int kDisplayCount = 33;
constexpr int kAnnunciatorCount = 38;
constexpr int kPanelRowCount = 109;

constexpr std::uint32_t kDisplayOffset = 0x9430;      // display value k at 0x9430 + 2k
constexpr std::uint32_t kAnnunciatorOffset = 0x9402;  // annunciator byte i at 0x9402 + i
constexpr double kBlankDisplay = 65535.0;

// The display value table: display value k is exported at 0x9430 + 2k.
struct DisplayValues {
    double value[kDisplayCount] = {};
};

struct DisplayShadows {
    double shadow[kDisplayCount] = {};
};

// Packed annunciator values and their shadows; entry i is the byte at 0x9402 + i.
struct Annunciators {
    std::int32_t packed[kAnnunciatorCount] = {};
    std::int32_t shadow[kAnnunciatorCount] = {};
};

// One shadow per panel row, of the row's source type (only one of the two is
// used for any row).
struct PanelShadows {
    std::int32_t integer[kPanelRowCount] = {};
    double real[kPanelRowCount] = {};
};

// Display value at a window index, by its exported offset (0x9430..0x9470).
inline double display_at(const DisplayValues& displays, std::uint32_t offset) {
    return displays.value[(offset - kDisplayOffset) / 2];
}

void decode_displays(const aircraft::Snapshots& blocks, DisplayValues& displays);
// The speed window shows Mach in hundredths: its first digit field shows no
// digit. sdk1 holds at least the SDK1 block.
bool speed_in_hundredths(const unsigned char* sdk1);
void pack_annunciators(const aircraft::Snapshots& blocks, Annunciators& annunciators);
void export_displays(const DisplayValues& displays, DisplayShadows& shadows, Writer& out);
void export_annunciators(Annunciators& annunciators, Writer& out);
void export_panel_values(const aircraft::Snapshots& blocks, PanelShadows& shadows,
                         Writer& out);

}  // namespace corvane::data_export
