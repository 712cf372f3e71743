// Annunciator packing and export: up to eight on/off (or two-bit) fields per
// byte, summed with their weights, and the changed bytes written to 0x9402 + i.
#include "common/numbers.h"
#include "export/export.h"
#include "export/tables.h"

namespace corvane::data_export {

namespace {

constexpr std::uint32_t kAnnunciatorSize = 1;

const unsigned char* source_block(const aircraft::Snapshots& blocks, SourceBlock block) {
    return block == kSdk2 ? blocks.sdk2 : blocks.sdk1;
}

}  // namespace

void pack_annunciators(const aircraft::Snapshots& blocks, Annunciators& annunciators) {
    for (int i = 0; i < kAnnunciatorCount; ++i) {
        const AnnunciatorRow& row = kAnnunciatorRows[i];
        const unsigned char* block = source_block(blocks, row.block);
        // A plain weighted sum, nothing masked: a field beyond 0/1 carries into
        // its neighbours exactly as the aircraft's own value would. Summed
        // unsigned so that hostile field values wrap instead of overflowing.
        std::uint32_t sum = 0;
        for (int column = 0; column < kAnnunciatorWeights; ++column) {
            if (row.field[column] != kNoField) {
                sum += load_u32(block + row.field[column]) * annunciator_weight(column);
            }
        }
        annunciators.packed[i] = static_cast<std::int32_t>(sum);
    }
}

void export_annunciators(Annunciators& annunciators, Writer& out) {
    for (int i = 0; i < kAnnunciatorCount; ++i) {
        write_integer_if_changed(out, kAnnunciatorRows[i].offset, kAnnunciatorSize,
                                         annunciators.packed[i], annunciators.shadow[i]);
    }
}

}  // namespace corvane::data_export
