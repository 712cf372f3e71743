/* corvane.h as a relay or board program uses it, compiled as C99 here and as
   C++ by header_check.cpp, both with warnings as errors: a header that does
   not build cleanly in either fails the build. Run, it decodes a block the
   way the bridge fills it and returns 1 on a wrong reading. */
#include "corvane.h"

#include <stdio.h>

static int failures = 0;

static void expect(int ok, const char *what) {
    if (!ok) {
        printf("FAIL %s\n", what);
        ++failures;
    }
}

int main(void) {
    uint8_t block[CORVANE_BLOCK_SIZE] = {0};
    uint16_t display = 0;
    int32_t vertical_speed = 0;

    /* Altitude blank, vertical speed 1200 down, stab trim field 2 of 0x9407,
       a x1000 row at -0.2, the command word busy, a step counter at 250. */
    block[CORVANE_ALTITUDE_DISPLAY - CORVANE_BLOCK_FIRST] = 0xFF;
    block[CORVANE_ALTITUDE_DISPLAY - CORVANE_BLOCK_FIRST + 1] = 0xFF;
    block[CORVANE_VERTICAL_SPEED_DISPLAY - CORVANE_BLOCK_FIRST] = 1200 & 0xFF;
    block[CORVANE_VERTICAL_SPEED_DISPLAY - CORVANE_BLOCK_FIRST + 1] = 1200 >> 8;
    block[CORVANE_VERTICAL_SPEED_SIGN - CORVANE_BLOCK_FIRST] = CORVANE_VS_NEGATIVE;
    block[CORVANE_ANNUNCIATOR_9407 - CORVANE_BLOCK_FIRST] = 0x09;
    block[CORVANE_PANEL_9477 - CORVANE_BLOCK_FIRST] = 0x38;
    block[CORVANE_PANEL_9477 - CORVANE_BLOCK_FIRST + 1] = 0xFF;
    block[CORVANE_STEP_COUNTER_0 - CORVANE_BLOCK_FIRST] = 250;

    expect(!corvane_display(corvane_u16_at(block, CORVANE_ALTITUDE_DISPLAY), &display), "blank altitude");
    expect(corvane_vertical_speed(corvane_u16_at(block, CORVANE_VERTICAL_SPEED_DISPLAY),
                                  corvane_u8_at(block, CORVANE_VERTICAL_SPEED_SIGN), &vertical_speed) &&
               vertical_speed == -1200,
           "vertical speed -1200");
    expect(corvane_field_state(CORVANE_ANNUNCIATOR_9407_BITS2_3,
                               corvane_u8_at(block, corvane_field_offset(CORVANE_ANNUNCIATOR_9407_BITS2_3))) == 2,
           "two-bit field 2");
    expect(corvane_field_state(CORVANE_ANNUNCIATOR_9407_BITS0_1, 0x09) == 1, "its neighbour 1");
    expect(corvane_s16(corvane_u16_at(block, CORVANE_PANEL_9477)) == -200 && CORVANE_PANEL_9477_SCALE == 1000,
           "x1000 row -200");
    expect(corvane_counter_add(corvane_u8_at(block, CORVANE_STEP_COUNTER_0), 9) == 3, "counter 250 + 9");
    expect(corvane_counter_add(3, -9) == 250, "counter 3 - 9");
    /* A place in the copy instead of the FSUIPC offset reads nothing. */
    expect(corvane_u16_at(block, 0x3A) == 0 && corvane_u8_at(block, 0x94FC) == 0 &&
               corvane_u16_at(block, CORVANE_BLOCK_LAST) == 0,
           "offsets outside the block read 0");
    expect(!corvane_command_free(0x7FFF) && corvane_command_free(0x8000),
           "command word free when negative");
    return failures == 0 ? 0 : 1;
}
