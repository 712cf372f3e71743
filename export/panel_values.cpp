// Panel value export: 109 single values copied from the SDK1 block into
// 0x9472-0x94EF, integers as their low byte and doubles truncated to 2 bytes.
#include "common/numbers.h"
#include "export/export.h"
#include "export/tables.h"

namespace corvane::data_export {

void export_panel_values(const aircraft::Snapshots& blocks, PanelShadows& shadows,
                         Writer& out) {
    for (std::size_t r = 0; r < kPanelRows.size(); ++r) {
        const PanelRow& row = kPanelRows[r];
        const unsigned char* field = blocks.sdk1 + row.source;
        if (row.type == kInteger) {
            write_integer_if_changed(out, row.offset, row.size, load_i32(field),
                                             shadows.integer[r]);
        } else {
            write_double_if_changed(out, row.offset, load_f64(field), row.scale,
                                            shadows.real[r]);
        }
    }
}

}  // namespace corvane::data_export
