// The export stages together, as a bridge cycle runs them: shadows outlive a
// reconnect of the FSUIPC link, and a cycle's stages allocate nothing.
#include <gtest/gtest.h>

#include <vector>

#include "common/numbers.h"
#include "export/export.h"
#include "export/tables.h"
#include "tests/export/export_fixture.h"
#include "tests/support/alloc_counter.h"

namespace corvane::data_export {
namespace {

class ExportStages : public ExportTest {
protected:
    void run_stages() {
        decode_displays(blocks, displays);
        pack_annunciators(blocks, annunciators);
        export_displays(displays, display_shadows, out);
        export_annunciators(annunciators, out);
        export_panel_values(blocks, panel_shadows, out);
    }

    DisplayValues displays;
    DisplayShadows display_shadows;
    Annunciators annunciators;
    PanelShadows panel_shadows;
};

TEST_F(ExportStages, ShadowsOutliveAReconnect) {
    store_i32(blocks.sdk1 + 0x01F0, 7);   // altitude display units: 7
    store_i32(blocks.sdk1 + 0x0018, 1);   // 0x9402 bit 0
    store_f64(blocks.sdk1 + 0x0F88, 0.5);  // 0x9477: 500
    run_stages();
    const std::vector<Write> first = {{0x943A, 2}, {0x9402, 1}, {0x9477, 2}};
    EXPECT_EQ(exchange(), first) << "displays, then annunciators, then panel values";

    fsuipc::close(client, fake);
    ASSERT_EQ(fsuipc::open(client, fake, 0, link_result_code), 1);
    for (std::uint32_t b = kBlockStart; b < kBlockEnd; ++b) fake.server.set_u8(b, kPoison);
    run_stages();
    EXPECT_EQ(exchange(), std::vector<Write>{}) << "unchanged values are not written again";
    EXPECT_EQ(fake.server.u16_at(0x943A), 0xA5A5);
}

TEST_F(ExportStages, ACycleOfStagesAllocatesNothing) {
    for (int k = 0; k < kDisplayCount; ++k) {
        store_i32(blocks.sdk1 + kDisplayWindows[k].last_field, 3);
    }
    for (const AnnunciatorRow& row : kAnnunciatorRows) {
        store_i32((row.block == kSdk1 ? blocks.sdk1 : blocks.sdk2) + row.field[0], 1);
    }
    for (const PanelRow& row : kPanelRows) {
        if (row.type == kInteger) {
            store_i32(blocks.sdk1 + row.source, 1);
        } else {
            store_f64(blocks.sdk1 + row.source, 1.0);
        }
    }
    {
        testing::AllocationScope scope;
        run_stages();
        EXPECT_EQ(scope.allocations(), 0u);
    }
    EXPECT_EQ(exchange().size(),
              static_cast<std::size_t>(kDisplayCount + kAnnunciatorCount + kPanelRowCount));
}

}  // namespace
}  // namespace corvane::data_export
