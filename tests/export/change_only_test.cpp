// The change-only write on its own, in its three forms, and the
// resynchronising writer that writes every value.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include "export/change_only.h"
#include "tests/support/fake_os.h"

namespace corvane {
namespace {

using testing::FakeOs;

class ChangeOnlyTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake.has_uipcmain = true;
        ASSERT_EQ(fsuipc::open(*client, fake, 0, code), 1);
    }
    void exchange() { ASSERT_EQ(fsuipc::process(*client, fake, code), 1); }

    FakeOs fake;
    std::unique_ptr<fsuipc::Client> client = std::make_unique<fsuipc::Client>();
    std::int32_t code = 0;
    data_export::Writer out{*client, code};
};

TEST_F(ChangeOnlyTest, DoubleFormWritesTheLowSixteenBitsOfTheTruncatedScaledValue) {
    struct Case {
        double value;
        double scale;
        std::uint16_t written;
    };
    const Case cases[] = {
        {65535.0, 1.0, 0xFFFF}, {-7900.0, 1.0, 0xE124}, {2.75, 1.0, 0x0002},
        {-2.75, 1.0, 0xFFFE},   {70000.0, 1.0, 0x1170}, {0.0625, 1000.0, 0x003E},
        {-0.0625, 1000.0, 0xFFC2}, {std::nan(""), 1.0, 0x0000},
        {std::numeric_limits<double>::infinity(), 1.0, 0x0000}, {3e9, 1.0, 0x0000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        fake.server.set_u16(0x9480, 0xAAAA);
        double shadow = 0.5;  // anything but the value
        data_export::write_double_if_changed(out, 0x9480, c.value, c.scale, shadow);
        exchange();
        EXPECT_EQ(fake.server.u16_at(0x9480), c.written);
        EXPECT_EQ(std::memcmp(&shadow, &c.value, sizeof shadow), 0) << "shadow keeps the source";
    }
}

TEST_F(ChangeOnlyTest, EqualValuesQueueNothingButNaNAlwaysCountsAsChanged) {
    double shadow = 2.5;
    data_export::write_double_if_changed(out, 0x9480, 2.5, 1.0, shadow);
    EXPECT_EQ(client->next_free, 0u);
    shadow = std::nan("");
    data_export::write_double_if_changed(out, 0x9480, shadow, 1.0, shadow);
    EXPECT_NE(client->next_free, 0u);

    std::int32_t int_shadow = 258;
    const std::uint32_t used = client->next_free;
    data_export::write_integer_if_changed(out, 0x9472, 1, 258, int_shadow);
    EXPECT_EQ(client->next_free, used);
    data_export::write_integer_if_changed(out, 0x9472, 1, 514, int_shadow);  // same low byte
    EXPECT_GT(client->next_free, used);
    EXPECT_EQ(int_shadow, 514);

    // A resynchronising writer writes equal values too, zeros included.
    data_export::Writer all{*client, code, true};
    const std::uint32_t before = client->next_free;
    std::int32_t zero_shadow = 0;
    double zero_real = 0.0;
    data_export::write_integer_if_changed(all, 0x9473, 1, 0, zero_shadow);
    data_export::write_double_if_changed(all, 0x9482, 0.0, 1.0, zero_real);
    EXPECT_EQ(client->next_free, before + 13 + 14);
}

TEST_F(ChangeOnlyTest, RefusedWriteStillUpdatesTheShadowAndLeavesItsCode) {
    fsuipc::close(*client, fake);
    double shadow = 0.0;
    std::int32_t int_shadow = 0;
    data_export::write_double_if_changed(out, 0x9480, 12.0, 1.0, shadow);
    EXPECT_EQ(code, fsuipc::kNotOpen);
    EXPECT_EQ(shadow, 12.0);
    data_export::write_integer_if_changed(out, 0x9472, 1, -1, int_shadow);
    EXPECT_EQ(int_shadow, -1);
}

TEST_F(ChangeOnlyTest, IntegerFormWritesOnlyItsLowBytes) {
    fake.server.set_u16(0x9480, 0xAAAA);
    fake.server.set_u8(0x9482, 0xAA);
    std::int32_t shadow = 0;
    data_export::write_integer_if_changed(out, 0x9480, 1, -1, shadow);
    std::int32_t wide_shadow = 0;
    data_export::write_integer_if_changed(out, 0x9481, 1, 0x0102, wide_shadow);
    exchange();
    EXPECT_EQ(fake.server.byte_at(0x9480), 0xFF);
    EXPECT_EQ(fake.server.byte_at(0x9481), 0x02);
    EXPECT_EQ(fake.server.byte_at(0x9482), 0xAA);
}

}  // namespace
}  // namespace corvane
