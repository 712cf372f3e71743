/* corvane.h: Corvane's FSUIPC offsets 0x9400-0x94FB for C and C++ programs,
 * relay programs on the PC and the boards they serve.
 *
 * Generated from Corvane's own tables, like OFFSETS.md; do not edit. Values
 * are little-endian and not aligned: read them as bytes, never as a struct.
 * Compiles as C99 and as C++. The user guide explains every encoding.
 */
#ifndef CORVANE_H
#define CORVANE_H

#include <stdint.h>

/* The block and its encodings. */
#define CORVANE_BLOCK_FIRST                    0x9400u
#define CORVANE_BLOCK_LAST                     0x94FBu
#define CORVANE_BLOCK_SIZE                     252u /* bytes from BLOCK_FIRST to BLOCK_LAST */
#define CORVANE_BLANK                          0xFFFFu /* a display window that shows no number */
#define CORVANE_NO_COMMAND                     0xFFFFu /* Corvane took the command (any word above MAX_COMMAND is free) */
#define CORVANE_MAX_COMMAND                    32767 /* the highest command code */
#define CORVANE_VS_NEGATIVE                    12u /* VERTICAL_SPEED_SIGN: the vertical speed is negative */
#define CORVANE_MAX_DETENTS                    127 /* a counter's most between two ticks */
#define CORVANE_STATE_ENDED                    0u /* STATE: Corvane ended */
#define CORVANE_STATE_BRIDGING                 1u /* STATE: Corvane bridges */
#define CORVANE_STATE_STOPPED                  2u /* STATE: the bridge stopped, Corvane waits */
#define CORVANE_LIVE_MS                        3000u /* a live HEARTBEAT moved within this long */

/* An annunciator field as one number: its byte, mask and shift. */
#define CORVANE_FIELD(offset, mask, shift) \
    (((uint32_t)(offset) << 16) | ((uint32_t)(mask) << 8) | (uint32_t)(shift))

/* Inputs: your panel writes these, Corvane reads them. */
#define CORVANE_COMMAND_WORD                   0x9400u /* S16 command word */
#define CORVANE_COMMAND_WORD_SIZE              2u
#define CORVANE_VALUE_BYTE                     0x9428u /* U8 value byte */
#define CORVANE_VALUE_BYTE_SIZE                1u
#define CORVANE_KNOB_ALTITUDE                  0x94F0u /* U8 altitude display knob */
#define CORVANE_KNOB_ALTITUDE_SIZE             1u
#define CORVANE_KNOB_COURSE1                   0x94F1u /* U8 course display 1 knob */
#define CORVANE_KNOB_COURSE1_SIZE              1u
#define CORVANE_KNOB_COURSE2                   0x94F2u /* U8 course display 2 knob */
#define CORVANE_KNOB_COURSE2_SIZE              1u
#define CORVANE_KNOB_SPEED                     0x94F3u /* U8 speed display knob */
#define CORVANE_KNOB_SPEED_SIZE                1u
#define CORVANE_KNOB_VS                        0x94F4u /* U8 vertical speed display knob */
#define CORVANE_KNOB_VS_SIZE                   1u
#define CORVANE_KNOB_HEADING                   0x94F5u /* U8 heading display knob */
#define CORVANE_KNOB_HEADING_SIZE              1u
#define CORVANE_KNOB_FLTALT                    0x94F6u /* U8 flight altitude display knob */
#define CORVANE_KNOB_FLTALT_SIZE               1u
#define CORVANE_KNOB_LDGALT                    0x94F7u /* U8 landing altitude display knob */
#define CORVANE_KNOB_LDGALT_SIZE               1u
#define CORVANE_STEP_COUNTER_0                 0x94F8u /* U8 step counter 0 */
#define CORVANE_STEP_COUNTER_0_SIZE            1u
#define CORVANE_STEP_COUNTER_1                 0x94F9u /* U8 step counter 1 */
#define CORVANE_STEP_COUNTER_1_SIZE            1u
#define CORVANE_STEP_COUNTER_2                 0x94FAu /* U8 step counter 2 */
#define CORVANE_STEP_COUNTER_2_SIZE            1u
#define CORVANE_STEP_COUNTER_3                 0x94FBu /* U8 step counter 3 */
#define CORVANE_STEP_COUNTER_3_SIZE            1u

/* Displays (U16): the number a window shows; BLANK when it shows none. */
#define CORVANE_FLIGHT_ALTITUDE_DISPLAY        0x9430u /* U16 flight altitude display */
#define CORVANE_FLIGHT_ALTITUDE_DISPLAY_SIZE   2u
#define CORVANE_LANDING_ALTITUDE_DISPLAY       0x9432u /* U16 landing altitude display */
#define CORVANE_LANDING_ALTITUDE_DISPLAY_SIZE  2u
#define CORVANE_COURSE_DISPLAY_1               0x9434u /* U16 course display 1 */
#define CORVANE_COURSE_DISPLAY_1_SIZE          2u
#define CORVANE_SPEED_DISPLAY                  0x9436u /* U16 speed display */
#define CORVANE_SPEED_DISPLAY_SIZE             2u
#define CORVANE_HEADING_DISPLAY                0x9438u /* U16 heading display */
#define CORVANE_HEADING_DISPLAY_SIZE           2u
#define CORVANE_ALTITUDE_DISPLAY               0x943Au /* U16 altitude display */
#define CORVANE_ALTITUDE_DISPLAY_SIZE          2u
#define CORVANE_VERTICAL_SPEED_DISPLAY         0x943Cu /* U16 vertical speed display */
#define CORVANE_VERTICAL_SPEED_DISPLAY_SIZE    2u
#define CORVANE_COURSE_DISPLAY_2               0x943Eu /* U16 course display 2 */
#define CORVANE_COURSE_DISPLAY_2_SIZE          2u
#define CORVANE_DISPLAY_9440                   0x9440u /* U16 SDK1 0x029C-0x02AC, 5 digits, units last */
#define CORVANE_DISPLAY_9440_SIZE              2u
#define CORVANE_DISPLAY_9442                   0x9442u /* U16 SDK1 0x02B8-0x02C8, 5 digits, units last */
#define CORVANE_DISPLAY_9442_SIZE              2u
#define CORVANE_DISPLAY_9444                   0x9444u /* U16 SDK1 0x02DC-0x02EC, 5 digits, units last */
#define CORVANE_DISPLAY_9444_SIZE              2u
#define CORVANE_DISPLAY_9446                   0x9446u /* U16 SDK1 0x02F8-0x0308, 5 digits, units last */
#define CORVANE_DISPLAY_9446_SIZE              2u
#define CORVANE_DISPLAY_9448                   0x9448u /* U16 SDK1 0x04DC-0x04E0, 2 digits, units last */
#define CORVANE_DISPLAY_9448_SIZE              2u
#define CORVANE_DISPLAY_944A                   0x944Au /* U16 SDK1 0x04E4-0x04EC, 3 digits, units last */
#define CORVANE_DISPLAY_944A_SIZE              2u
#define CORVANE_DISPLAY_944C                   0x944Cu /* U16 SDK1 0x04F0-0x04F4, 2 digits, units last */
#define CORVANE_DISPLAY_944C_SIZE              2u
#define CORVANE_DISPLAY_944E                   0x944Eu /* U16 SDK1 0x04F8-0x0500, 3 digits, units last */
#define CORVANE_DISPLAY_944E_SIZE              2u
#define CORVANE_DISPLAY_9450                   0x9450u /* U16 SDK1 0x0504-0x050C, 3 digits, units last */
#define CORVANE_DISPLAY_9450_SIZE              2u
#define CORVANE_DISPLAY_9452                   0x9452u /* U16 SDK1 0x0898-0x08A4, 4 digits, units last */
#define CORVANE_DISPLAY_9452_SIZE              2u
#define CORVANE_DISPLAY_9454                   0x9454u /* U16 SDK1 0x08AC-0x08B8, 4 digits, units last */
#define CORVANE_DISPLAY_9454_SIZE              2u
#define CORVANE_DISPLAY_9456                   0x9456u /* U16 SDK1 0x08D4-0x08E0, 4 digits, units last */
#define CORVANE_DISPLAY_9456_SIZE              2u
#define CORVANE_DISPLAY_9458                   0x9458u /* U16 SDK1 0x08E8-0x08F4, 4 digits, units last */
#define CORVANE_DISPLAY_9458_SIZE              2u
#define CORVANE_DISPLAY_945A                   0x945Au /* U16 SDK1 0x09A0-0x09B0, 5 digits, units first */
#define CORVANE_DISPLAY_945A_SIZE              2u
#define CORVANE_DISPLAY_945C                   0x945Cu /* U16 SDK1 0x09BC-0x09CC, 5 digits, units first */
#define CORVANE_DISPLAY_945C_SIZE              2u
#define CORVANE_DISPLAY_945E                   0x945Eu /* U16 SDK1 0x09DC-0x09EC, 5 digits, units first */
#define CORVANE_DISPLAY_945E_SIZE              2u
#define CORVANE_DISPLAY_9460                   0x9460u /* U16 SDK1 0x09F8-0x0A08, 5 digits, units first */
#define CORVANE_DISPLAY_9460_SIZE              2u
#define CORVANE_DISPLAY_9462                   0x9462u /* U16 SDK1 0x0A18-0x0A28, 5 digits, units last */
#define CORVANE_DISPLAY_9462_SIZE              2u
#define CORVANE_DISPLAY_9464                   0x9464u /* U16 SDK1 0x0A30-0x0A40, 5 digits, units last */
#define CORVANE_DISPLAY_9464_SIZE              2u
#define CORVANE_DISPLAY_9466                   0x9466u /* U16 SDK1 0x0A4C-0x0A5C, 5 digits, units last */
#define CORVANE_DISPLAY_9466_SIZE              2u
#define CORVANE_DISPLAY_9468                   0x9468u /* U16 SDK1 0x0A64-0x0A74, 5 digits, units last */
#define CORVANE_DISPLAY_9468_SIZE              2u
#define CORVANE_DISPLAY_946A                   0x946Au /* U16 SDK1 0x0A80-0x0A8C, 4 digits, units last */
#define CORVANE_DISPLAY_946A_SIZE              2u
#define CORVANE_DISPLAY_946C                   0x946Cu /* U16 SDK1 0x0B70-0x0B80, 5 digits, units last */
#define CORVANE_DISPLAY_946C_SIZE              2u
#define CORVANE_DISPLAY_946E                   0x946Eu /* U16 SDK1 0x0B84-0x0B94, 5 digits, units last */
#define CORVANE_DISPLAY_946E_SIZE              2u
#define CORVANE_DISPLAY_9470                   0x9470u /* U16 SDK1 0x0CC8-0x0CD0, 3 digits, units last */
#define CORVANE_DISPLAY_9470_SIZE              2u

/* Annunciator bytes (U8), each followed by its fields: a lamp (2 states) or a
   state of up to four; read a field with its byte, mask and shift. */
#define CORVANE_ANNUNCIATOR_9402               0x9402u /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_9402_SIZE          1u
#define CORVANE_ANNUNCIATOR_9402_BIT0          CORVANE_FIELD(0x9402u, 0x01u, 0u) /* SDK1 0x0018, 2 states */
#define CORVANE_ANNUNCIATOR_9402_BIT1          CORVANE_FIELD(0x9402u, 0x02u, 1u) /* SDK1 0x0024, 2 states */
#define CORVANE_ANNUNCIATOR_9402_BIT2          CORVANE_FIELD(0x9402u, 0x04u, 2u) /* SDK1 0x0030, 2 states */
#define CORVANE_ANNUNCIATOR_9402_BIT3          CORVANE_FIELD(0x9402u, 0x08u, 3u) /* SDK1 0x0034, 2 states */
#define CORVANE_ANNUNCIATOR_9402_BIT4          CORVANE_FIELD(0x9402u, 0x10u, 4u) /* SDK1 0x0038, 2 states */
#define CORVANE_ANNUNCIATOR_9402_BIT5          CORVANE_FIELD(0x9402u, 0x20u, 5u) /* SDK1 0x0058, 2 states */
#define CORVANE_ANNUNCIATOR_9402_BIT6          CORVANE_FIELD(0x9402u, 0x40u, 6u) /* SDK1 0x005C, 2 states */
#define CORVANE_ANNUNCIATOR_9402_BIT7          CORVANE_FIELD(0x9402u, 0x80u, 7u) /* SDK1 0x0060, 2 states */
#define CORVANE_ANNUNCIATOR_9403               0x9403u /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_9403_SIZE          1u
#define CORVANE_ANNUNCIATOR_9403_BIT0          CORVANE_FIELD(0x9403u, 0x01u, 0u) /* SDK1 0x0064, 2 states */
#define CORVANE_ANNUNCIATOR_9403_BIT1          CORVANE_FIELD(0x9403u, 0x02u, 1u) /* SDK1 0x0068, 2 states */
#define CORVANE_ANNUNCIATOR_9403_BIT2          CORVANE_FIELD(0x9403u, 0x04u, 2u) /* SDK1 0x006C, 2 states */
#define CORVANE_ANNUNCIATOR_9403_BIT3          CORVANE_FIELD(0x9403u, 0x08u, 3u) /* SDK1 0x007C, 2 states */
#define CORVANE_ANNUNCIATOR_9403_BIT4          CORVANE_FIELD(0x9403u, 0x10u, 4u) /* SDK1 0x0080, 2 states */
#define CORVANE_ANNUNCIATOR_9403_BIT5          CORVANE_FIELD(0x9403u, 0x20u, 5u) /* SDK1 0x0084, 2 states */
#define CORVANE_ANNUNCIATOR_9403_BIT6          CORVANE_FIELD(0x9403u, 0x40u, 6u) /* SDK1 0x0088, 2 states */
#define CORVANE_ANNUNCIATOR_9403_BIT7          CORVANE_FIELD(0x9403u, 0x80u, 7u) /* SDK1 0x00CC, 2 states */
#define CORVANE_ANNUNCIATOR_9404               0x9404u /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_9404_SIZE          1u
#define CORVANE_ANNUNCIATOR_9404_BIT0          CORVANE_FIELD(0x9404u, 0x01u, 0u) /* SDK1 0x00D0, 2 states */
#define CORVANE_ANNUNCIATOR_9404_BIT1          CORVANE_FIELD(0x9404u, 0x02u, 1u) /* SDK1 0x00D4, 2 states */
#define CORVANE_ANNUNCIATOR_9404_BIT2          CORVANE_FIELD(0x9404u, 0x04u, 2u) /* SDK1 0x00F0, 2 states */
#define CORVANE_ANNUNCIATOR_9404_BIT3          CORVANE_FIELD(0x9404u, 0x08u, 3u) /* SDK1 0x00F4, 2 states */
#define CORVANE_ANNUNCIATOR_9405               0x9405u /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_9405_SIZE          1u
#define CORVANE_ANNUNCIATOR_9405_BIT0          CORVANE_FIELD(0x9405u, 0x01u, 0u) /* SDK1 0x011C, 2 states */
#define CORVANE_ANNUNCIATOR_9405_BIT1          CORVANE_FIELD(0x9405u, 0x02u, 1u) /* SDK1 0x0120, 2 states */
#define CORVANE_ANNUNCIATOR_9405_BIT2          CORVANE_FIELD(0x9405u, 0x04u, 2u) /* SDK1 0x0124, 2 states */
#define CORVANE_ANNUNCIATOR_9405_BIT3          CORVANE_FIELD(0x9405u, 0x08u, 3u) /* SDK1 0x0128, 2 states */
#define CORVANE_ANNUNCIATOR_9405_BIT4          CORVANE_FIELD(0x9405u, 0x10u, 4u) /* SDK1 0x012C, 2 states */
#define CORVANE_ANNUNCIATOR_9405_BIT5          CORVANE_FIELD(0x9405u, 0x20u, 5u) /* SDK1 0x0130, 2 states */
#define CORVANE_ANNUNCIATOR_9405_BIT6          CORVANE_FIELD(0x9405u, 0x40u, 6u) /* SDK1 0x0134, 2 states */
#define CORVANE_ANNUNCIATOR_9405_BIT7          CORVANE_FIELD(0x9405u, 0x80u, 7u) /* SDK1 0x0138, 2 states */
#define CORVANE_ANNUNCIATOR_9406               0x9406u /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_9406_SIZE          1u
#define CORVANE_ANNUNCIATOR_9406_BIT0          CORVANE_FIELD(0x9406u, 0x01u, 0u) /* SDK1 0x0150, 2 states */
#define CORVANE_ANNUNCIATOR_9406_BIT1          CORVANE_FIELD(0x9406u, 0x02u, 1u) /* SDK1 0x0154, 2 states */
#define CORVANE_ANNUNCIATOR_9406_BIT2          CORVANE_FIELD(0x9406u, 0x04u, 2u) /* SDK1 0x0158, 2 states */
#define CORVANE_ANNUNCIATOR_9406_BIT3          CORVANE_FIELD(0x9406u, 0x08u, 3u) /* SDK1 0x015C, 2 states */
#define CORVANE_ANNUNCIATOR_9406_BIT4          CORVANE_FIELD(0x9406u, 0x10u, 4u) /* SDK1 0x0160, 2 states */
#define CORVANE_ANNUNCIATOR_9406_BIT5          CORVANE_FIELD(0x9406u, 0x20u, 5u) /* SDK1 0x0164, 2 states */
#define CORVANE_ANNUNCIATOR_9406_BIT6          CORVANE_FIELD(0x9406u, 0x40u, 6u) /* SDK1 0x0168, 2 states */
#define CORVANE_ANNUNCIATOR_9406_BIT7          CORVANE_FIELD(0x9406u, 0x80u, 7u) /* SDK1 0x016C, 2 states */
#define CORVANE_ANNUNCIATOR_9407               0x9407u /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_9407_SIZE          1u
#define CORVANE_ANNUNCIATOR_9407_BITS0_1       CORVANE_FIELD(0x9407u, 0x03u, 0u) /* SDK1 0x0178, 4 states */
#define CORVANE_ANNUNCIATOR_9407_BITS2_3       CORVANE_FIELD(0x9407u, 0x0Cu, 2u) /* SDK1 0x0180, 4 states */
#define CORVANE_ANNUNCIATOR_9407_BITS4_5       CORVANE_FIELD(0x9407u, 0x30u, 4u) /* SDK1 0x0188, 4 states */
#define CORVANE_ANNUNCIATOR_9407_BITS6_7       CORVANE_FIELD(0x9407u, 0xC0u, 6u) /* SDK1 0x0190, 4 states */
#define CORVANE_ANNUNCIATOR_9408               0x9408u /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_9408_SIZE          1u
#define CORVANE_ANNUNCIATOR_9408_BIT0          CORVANE_FIELD(0x9408u, 0x01u, 0u) /* SDK1 0x017C, 2 states */
#define CORVANE_ANNUNCIATOR_9408_BIT1          CORVANE_FIELD(0x9408u, 0x02u, 1u) /* SDK1 0x0184, 2 states */
#define CORVANE_ANNUNCIATOR_9408_BIT2          CORVANE_FIELD(0x9408u, 0x04u, 2u) /* SDK1 0x018C, 2 states */
#define CORVANE_ANNUNCIATOR_9409               0x9409u /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_9409_SIZE          1u
#define CORVANE_ANNUNCIATOR_9409_BIT0          CORVANE_FIELD(0x9409u, 0x01u, 0u) /* SDK1 0x01B4, 2 states */
#define CORVANE_ANNUNCIATOR_9409_BIT1          CORVANE_FIELD(0x9409u, 0x02u, 1u) /* SDK1 0x01CC, 2 states */
#define CORVANE_ANNUNCIATOR_9409_BIT2          CORVANE_FIELD(0x9409u, 0x04u, 2u) /* SDK1 0x01DC, 2 states */
#define CORVANE_ANNUNCIATOR_9409_BIT3          CORVANE_FIELD(0x9409u, 0x08u, 3u) /* SDK1 0x0208, 2 states */
#define CORVANE_ANNUNCIATOR_9409_BIT4          CORVANE_FIELD(0x9409u, 0x10u, 4u) /* SDK1 0x020C, 2 states */
#define CORVANE_ANNUNCIATOR_9409_BIT5          CORVANE_FIELD(0x9409u, 0x20u, 5u) /* SDK1 0x0220, 2 states */
#define CORVANE_ANNUNCIATOR_9409_BIT6          CORVANE_FIELD(0x9409u, 0x40u, 6u) /* SDK1 0x0238, 2 states */
#define CORVANE_ANNUNCIATOR_940A               0x940Au /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_940A_SIZE          1u
#define CORVANE_ANNUNCIATOR_940A_BIT0          CORVANE_FIELD(0x940Au, 0x01u, 0u) /* SDK1 0x0248, 2 states */
#define CORVANE_ANNUNCIATOR_940A_BIT1          CORVANE_FIELD(0x940Au, 0x02u, 1u) /* SDK1 0x024C, 2 states */
#define CORVANE_ANNUNCIATOR_940A_BIT2          CORVANE_FIELD(0x940Au, 0x04u, 2u) /* SDK1 0x0250, 2 states */
#define CORVANE_ANNUNCIATOR_940A_BIT3          CORVANE_FIELD(0x940Au, 0x08u, 3u) /* SDK1 0x025C, 2 states */
#define CORVANE_ANNUNCIATOR_940A_BIT4          CORVANE_FIELD(0x940Au, 0x10u, 4u) /* SDK1 0x0260, 2 states */
#define CORVANE_ANNUNCIATOR_940A_BIT5          CORVANE_FIELD(0x940Au, 0x20u, 5u) /* SDK1 0x0264, 2 states */
#define CORVANE_ANNUNCIATOR_940A_BIT6          CORVANE_FIELD(0x940Au, 0x40u, 6u) /* SDK1 0x0268, 2 states */
#define CORVANE_ANNUNCIATOR_940A_BIT7          CORVANE_FIELD(0x940Au, 0x80u, 7u) /* SDK1 0x026C, 2 states */
#define CORVANE_ANNUNCIATOR_940B               0x940Bu /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_940B_SIZE          1u
#define CORVANE_ANNUNCIATOR_940B_BIT0          CORVANE_FIELD(0x940Bu, 0x01u, 0u) /* SDK1 0x0270, 2 states */
#define CORVANE_ANNUNCIATOR_940B_BIT1          CORVANE_FIELD(0x940Bu, 0x02u, 1u) /* SDK1 0x0274, 2 states */
#define CORVANE_ANNUNCIATOR_940B_BITS2_3       CORVANE_FIELD(0x940Bu, 0x0Cu, 2u) /* SDK1 0x0280, 4 states */
#define CORVANE_ANNUNCIATOR_940B_BITS4_5       CORVANE_FIELD(0x940Bu, 0x30u, 4u) /* SDK1 0x0284, 4 states */
#define CORVANE_ANNUNCIATOR_940B_BIT6          CORVANE_FIELD(0x940Bu, 0x40u, 6u) /* SDK1 0x0288, 2 states */
#define CORVANE_ANNUNCIATOR_940B_BIT7          CORVANE_FIELD(0x940Bu, 0x80u, 7u) /* SDK1 0x028C, 2 states */
#define CORVANE_ANNUNCIATOR_940C               0x940Cu /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_940C_SIZE          1u
#define CORVANE_ANNUNCIATOR_940C_BIT0          CORVANE_FIELD(0x940Cu, 0x01u, 0u) /* SDK1 0x0294, 2 states */
#define CORVANE_ANNUNCIATOR_940C_BIT1          CORVANE_FIELD(0x940Cu, 0x02u, 1u) /* SDK1 0x0298, 2 states */
#define CORVANE_ANNUNCIATOR_940C_BIT2          CORVANE_FIELD(0x940Cu, 0x04u, 2u) /* SDK1 0x02D4, 2 states */
#define CORVANE_ANNUNCIATOR_940C_BIT3          CORVANE_FIELD(0x940Cu, 0x08u, 3u) /* SDK1 0x02D8, 2 states */
#define CORVANE_ANNUNCIATOR_940C_BIT4          CORVANE_FIELD(0x940Cu, 0x10u, 4u) /* SDK1 0x0314, 2 states */
#define CORVANE_ANNUNCIATOR_940C_BIT5          CORVANE_FIELD(0x940Cu, 0x20u, 5u) /* SDK1 0x0320, 2 states */
#define CORVANE_ANNUNCIATOR_940C_BIT6          CORVANE_FIELD(0x940Cu, 0x40u, 6u) /* SDK1 0x033C, 2 states */
#define CORVANE_ANNUNCIATOR_940C_BIT7          CORVANE_FIELD(0x940Cu, 0x80u, 7u) /* SDK1 0x0348, 2 states */
#define CORVANE_ANNUNCIATOR_940D               0x940Du /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_940D_SIZE          1u
#define CORVANE_ANNUNCIATOR_940D_BIT0          CORVANE_FIELD(0x940Du, 0x01u, 0u) /* SDK1 0x0364, 2 states */
#define CORVANE_ANNUNCIATOR_940D_BIT1          CORVANE_FIELD(0x940Du, 0x02u, 1u) /* SDK1 0x0370, 2 states */
#define CORVANE_ANNUNCIATOR_940E               0x940Eu /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_940E_SIZE          1u
#define CORVANE_ANNUNCIATOR_940E_BIT0          CORVANE_FIELD(0x940Eu, 0x01u, 0u) /* SDK1 0x0510, 2 states */
#define CORVANE_ANNUNCIATOR_940E_BIT1          CORVANE_FIELD(0x940Eu, 0x02u, 1u) /* SDK1 0x0514, 2 states */
#define CORVANE_ANNUNCIATOR_940E_BIT2          CORVANE_FIELD(0x940Eu, 0x04u, 2u) /* SDK1 0x0518, 2 states */
#define CORVANE_ANNUNCIATOR_940E_BIT3          CORVANE_FIELD(0x940Eu, 0x08u, 3u) /* SDK1 0x052C, 2 states */
#define CORVANE_ANNUNCIATOR_940E_BIT4          CORVANE_FIELD(0x940Eu, 0x10u, 4u) /* SDK1 0x0530, 2 states */
#define CORVANE_ANNUNCIATOR_940E_BIT5          CORVANE_FIELD(0x940Eu, 0x20u, 5u) /* SDK1 0x0534, 2 states */
#define CORVANE_ANNUNCIATOR_940E_BIT6          CORVANE_FIELD(0x940Eu, 0x40u, 6u) /* SDK1 0x0544, 2 states */
#define CORVANE_ANNUNCIATOR_940E_BIT7          CORVANE_FIELD(0x940Eu, 0x80u, 7u) /* SDK1 0x0550, 2 states */
#define CORVANE_ANNUNCIATOR_940F               0x940Fu /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_940F_SIZE          1u
#define CORVANE_ANNUNCIATOR_940F_BIT0          CORVANE_FIELD(0x940Fu, 0x01u, 0u) /* SDK1 0x0554, 2 states */
#define CORVANE_ANNUNCIATOR_940F_BIT1          CORVANE_FIELD(0x940Fu, 0x02u, 1u) /* SDK1 0x0558, 2 states */
#define CORVANE_ANNUNCIATOR_940F_BIT2          CORVANE_FIELD(0x940Fu, 0x04u, 2u) /* SDK1 0x055C, 2 states */
#define CORVANE_ANNUNCIATOR_940F_BIT3          CORVANE_FIELD(0x940Fu, 0x08u, 3u) /* SDK1 0x0560, 2 states */
#define CORVANE_ANNUNCIATOR_940F_BIT4          CORVANE_FIELD(0x940Fu, 0x10u, 4u) /* SDK1 0x0564, 2 states */
#define CORVANE_ANNUNCIATOR_940F_BIT5          CORVANE_FIELD(0x940Fu, 0x20u, 5u) /* SDK1 0x0568, 2 states */
#define CORVANE_ANNUNCIATOR_9410               0x9410u /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_9410_SIZE          1u
#define CORVANE_ANNUNCIATOR_9410_BIT0          CORVANE_FIELD(0x9410u, 0x01u, 0u) /* SDK1 0x05BC, 2 states */
#define CORVANE_ANNUNCIATOR_9410_BIT1          CORVANE_FIELD(0x9410u, 0x02u, 1u) /* SDK1 0x05C0, 2 states */
#define CORVANE_ANNUNCIATOR_9410_BIT2          CORVANE_FIELD(0x9410u, 0x04u, 2u) /* SDK1 0x05C4, 2 states */
#define CORVANE_ANNUNCIATOR_9410_BIT3          CORVANE_FIELD(0x9410u, 0x08u, 3u) /* SDK1 0x05C8, 2 states */
#define CORVANE_ANNUNCIATOR_9410_BIT4          CORVANE_FIELD(0x9410u, 0x10u, 4u) /* SDK1 0x05E0, 2 states */
#define CORVANE_ANNUNCIATOR_9410_BIT5          CORVANE_FIELD(0x9410u, 0x20u, 5u) /* SDK1 0x05E4, 2 states */
#define CORVANE_ANNUNCIATOR_9410_BIT6          CORVANE_FIELD(0x9410u, 0x40u, 6u) /* SDK1 0x05E8, 2 states */
#define CORVANE_ANNUNCIATOR_9410_BIT7          CORVANE_FIELD(0x9410u, 0x80u, 7u) /* SDK1 0x05EC, 2 states */
#define CORVANE_ANNUNCIATOR_9411               0x9411u /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_9411_SIZE          1u
#define CORVANE_ANNUNCIATOR_9411_BIT0          CORVANE_FIELD(0x9411u, 0x01u, 0u) /* SDK1 0x0608, 2 states */
#define CORVANE_ANNUNCIATOR_9411_BIT1          CORVANE_FIELD(0x9411u, 0x02u, 1u) /* SDK1 0x0614, 2 states */
#define CORVANE_ANNUNCIATOR_9411_BIT2          CORVANE_FIELD(0x9411u, 0x04u, 2u) /* SDK1 0x0618, 2 states */
#define CORVANE_ANNUNCIATOR_9411_BIT3          CORVANE_FIELD(0x9411u, 0x08u, 3u) /* SDK1 0x061C, 2 states */
#define CORVANE_ANNUNCIATOR_9411_BIT4          CORVANE_FIELD(0x9411u, 0x10u, 4u) /* SDK1 0x0620, 2 states */
#define CORVANE_ANNUNCIATOR_9411_BIT5          CORVANE_FIELD(0x9411u, 0x20u, 5u) /* SDK1 0x062C, 2 states */
#define CORVANE_ANNUNCIATOR_9411_BIT6          CORVANE_FIELD(0x9411u, 0x40u, 6u) /* SDK1 0x0630, 2 states */
#define CORVANE_ANNUNCIATOR_9411_BIT7          CORVANE_FIELD(0x9411u, 0x80u, 7u) /* SDK1 0x0634, 2 states */
#define CORVANE_ANNUNCIATOR_9412               0x9412u /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_9412_SIZE          1u
#define CORVANE_ANNUNCIATOR_9412_BIT0          CORVANE_FIELD(0x9412u, 0x01u, 0u) /* SDK1 0x0640, 2 states */
#define CORVANE_ANNUNCIATOR_9412_BIT1          CORVANE_FIELD(0x9412u, 0x02u, 1u) /* SDK1 0x0644, 2 states */
#define CORVANE_ANNUNCIATOR_9412_BIT2          CORVANE_FIELD(0x9412u, 0x04u, 2u) /* SDK1 0x0650, 2 states */
#define CORVANE_ANNUNCIATOR_9413               0x9413u /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_9413_SIZE          1u
#define CORVANE_ANNUNCIATOR_9413_BIT0          CORVANE_FIELD(0x9413u, 0x01u, 0u) /* SDK1 0x066C, 2 states */
#define CORVANE_ANNUNCIATOR_9413_BIT1          CORVANE_FIELD(0x9413u, 0x02u, 1u) /* SDK1 0x0670, 2 states */
#define CORVANE_ANNUNCIATOR_9413_BIT2          CORVANE_FIELD(0x9413u, 0x04u, 2u) /* SDK1 0x0674, 2 states */
#define CORVANE_ANNUNCIATOR_9413_BIT3          CORVANE_FIELD(0x9413u, 0x08u, 3u) /* SDK1 0x0678, 2 states */
#define CORVANE_ANNUNCIATOR_9413_BIT4          CORVANE_FIELD(0x9413u, 0x10u, 4u) /* SDK1 0x068C, 2 states */
#define CORVANE_ANNUNCIATOR_9413_BIT5          CORVANE_FIELD(0x9413u, 0x20u, 5u) /* SDK1 0x0694, 2 states */
#define CORVANE_ANNUNCIATOR_9413_BIT6          CORVANE_FIELD(0x9413u, 0x40u, 6u) /* SDK1 0x0698, 2 states */
#define CORVANE_ANNUNCIATOR_9413_BIT7          CORVANE_FIELD(0x9413u, 0x80u, 7u) /* SDK1 0x069C, 2 states */
#define CORVANE_ANNUNCIATOR_9414               0x9414u /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_9414_SIZE          1u
#define CORVANE_ANNUNCIATOR_9414_BIT0          CORVANE_FIELD(0x9414u, 0x01u, 0u) /* SDK1 0x06A0, 2 states */
#define CORVANE_ANNUNCIATOR_9414_BIT1          CORVANE_FIELD(0x9414u, 0x02u, 1u) /* SDK1 0x06A4, 2 states */
#define CORVANE_ANNUNCIATOR_9414_BIT2          CORVANE_FIELD(0x9414u, 0x04u, 2u) /* SDK1 0x06D4, 2 states */
#define CORVANE_ANNUNCIATOR_9414_BIT3          CORVANE_FIELD(0x9414u, 0x08u, 3u) /* SDK1 0x06D8, 2 states */
#define CORVANE_ANNUNCIATOR_9414_BIT4          CORVANE_FIELD(0x9414u, 0x10u, 4u) /* SDK1 0x06DC, 2 states */
#define CORVANE_ANNUNCIATOR_9414_BIT5          CORVANE_FIELD(0x9414u, 0x20u, 5u) /* SDK1 0x06E4, 2 states */
#define CORVANE_ANNUNCIATOR_9414_BIT6          CORVANE_FIELD(0x9414u, 0x40u, 6u) /* SDK1 0x06F0, 2 states */
#define CORVANE_ANNUNCIATOR_9414_BIT7          CORVANE_FIELD(0x9414u, 0x80u, 7u) /* SDK1 0x06F4, 2 states */
#define CORVANE_ANNUNCIATOR_9415               0x9415u /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_9415_SIZE          1u
#define CORVANE_ANNUNCIATOR_9415_BIT0          CORVANE_FIELD(0x9415u, 0x01u, 0u) /* SDK1 0x06F8, 2 states */
#define CORVANE_ANNUNCIATOR_9415_BIT1          CORVANE_FIELD(0x9415u, 0x02u, 1u) /* SDK1 0x06FC, 2 states */
#define CORVANE_ANNUNCIATOR_9415_BIT2          CORVANE_FIELD(0x9415u, 0x04u, 2u) /* SDK1 0x0704, 2 states */
#define CORVANE_ANNUNCIATOR_9415_BIT3          CORVANE_FIELD(0x9415u, 0x08u, 3u) /* SDK1 0x0708, 2 states */
#define CORVANE_ANNUNCIATOR_9416               0x9416u /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_9416_SIZE          1u
#define CORVANE_ANNUNCIATOR_9416_BIT0          CORVANE_FIELD(0x9416u, 0x01u, 0u) /* SDK1 0x07DC, 2 states */
#define CORVANE_ANNUNCIATOR_9416_BIT1          CORVANE_FIELD(0x9416u, 0x02u, 1u) /* SDK1 0x07E0, 2 states */
#define CORVANE_ANNUNCIATOR_9416_BIT2          CORVANE_FIELD(0x9416u, 0x04u, 2u) /* SDK1 0x07E4, 2 states */
#define CORVANE_ANNUNCIATOR_9416_BIT3          CORVANE_FIELD(0x9416u, 0x08u, 3u) /* SDK1 0x07E8, 2 states */
#define CORVANE_ANNUNCIATOR_9416_BIT4          CORVANE_FIELD(0x9416u, 0x10u, 4u) /* SDK1 0x07EC, 2 states */
#define CORVANE_ANNUNCIATOR_9416_BIT5          CORVANE_FIELD(0x9416u, 0x20u, 5u) /* SDK1 0x07F0, 2 states */
#define CORVANE_ANNUNCIATOR_9417               0x9417u /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_9417_SIZE          1u
#define CORVANE_ANNUNCIATOR_9417_BIT0          CORVANE_FIELD(0x9417u, 0x01u, 0u) /* SDK1 0x07F4, 2 states */
#define CORVANE_ANNUNCIATOR_9417_BIT1          CORVANE_FIELD(0x9417u, 0x02u, 1u) /* SDK1 0x0804, 2 states */
#define CORVANE_ANNUNCIATOR_9417_BIT2          CORVANE_FIELD(0x9417u, 0x04u, 2u) /* SDK1 0x0808, 2 states */
#define CORVANE_ANNUNCIATOR_9417_BIT3          CORVANE_FIELD(0x9417u, 0x08u, 3u) /* SDK1 0x080C, 2 states */
#define CORVANE_ANNUNCIATOR_9417_BIT4          CORVANE_FIELD(0x9417u, 0x10u, 4u) /* SDK1 0x0810, 2 states */
#define CORVANE_ANNUNCIATOR_9417_BIT5          CORVANE_FIELD(0x9417u, 0x20u, 5u) /* SDK1 0x0814, 2 states */
#define CORVANE_ANNUNCIATOR_9417_BIT6          CORVANE_FIELD(0x9417u, 0x40u, 6u) /* SDK1 0x0818, 2 states */
#define CORVANE_ANNUNCIATOR_9417_BIT7          CORVANE_FIELD(0x9417u, 0x80u, 7u) /* SDK1 0x081C, 2 states */
#define CORVANE_ANNUNCIATOR_9418               0x9418u /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_9418_SIZE          1u
#define CORVANE_ANNUNCIATOR_9418_BIT0          CORVANE_FIELD(0x9418u, 0x01u, 0u) /* SDK1 0x0968, 2 states */
#define CORVANE_ANNUNCIATOR_9418_BIT1          CORVANE_FIELD(0x9418u, 0x02u, 1u) /* SDK1 0x096C, 2 states */
#define CORVANE_ANNUNCIATOR_9418_BIT2          CORVANE_FIELD(0x9418u, 0x04u, 2u) /* SDK1 0x0970, 2 states */
#define CORVANE_ANNUNCIATOR_9418_BIT3          CORVANE_FIELD(0x9418u, 0x08u, 3u) /* SDK1 0x0974, 2 states */
#define CORVANE_ANNUNCIATOR_9418_BIT4          CORVANE_FIELD(0x9418u, 0x10u, 4u) /* SDK1 0x0978, 2 states */
#define CORVANE_ANNUNCIATOR_9418_BIT5          CORVANE_FIELD(0x9418u, 0x20u, 5u) /* SDK1 0x097C, 2 states */
#define CORVANE_ANNUNCIATOR_9418_BIT6          CORVANE_FIELD(0x9418u, 0x40u, 6u) /* SDK1 0x0980, 2 states */
#define CORVANE_ANNUNCIATOR_9418_BIT7          CORVANE_FIELD(0x9418u, 0x80u, 7u) /* SDK1 0x0984, 2 states */
#define CORVANE_ANNUNCIATOR_9419               0x9419u /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_9419_SIZE          1u
#define CORVANE_ANNUNCIATOR_9419_BIT0          CORVANE_FIELD(0x9419u, 0x01u, 0u) /* SDK1 0x0988, 2 states */
#define CORVANE_ANNUNCIATOR_9419_BIT1          CORVANE_FIELD(0x9419u, 0x02u, 1u) /* SDK1 0x098C, 2 states */
#define CORVANE_ANNUNCIATOR_9419_BIT2          CORVANE_FIELD(0x9419u, 0x04u, 2u) /* SDK1 0x0990, 2 states */
#define CORVANE_ANNUNCIATOR_9419_BIT3          CORVANE_FIELD(0x9419u, 0x08u, 3u) /* SDK1 0x0A90, 2 states */
#define CORVANE_ANNUNCIATOR_941A               0x941Au /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_941A_SIZE          1u
#define CORVANE_ANNUNCIATOR_941A_BITS0_1       CORVANE_FIELD(0x941Au, 0x03u, 0u) /* SDK1 0x0B14, 4 states */
#define CORVANE_ANNUNCIATOR_941A_BITS2_3       CORVANE_FIELD(0x941Au, 0x0Cu, 2u) /* SDK1 0x0B18, 4 states */
#define CORVANE_ANNUNCIATOR_941A_BITS4_5       CORVANE_FIELD(0x941Au, 0x30u, 4u) /* SDK1 0x0B28, 4 states */
#define CORVANE_ANNUNCIATOR_941A_BITS6_7       CORVANE_FIELD(0x941Au, 0xC0u, 6u) /* SDK1 0x0B2C, 4 states */
#define CORVANE_ANNUNCIATOR_941B               0x941Bu /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_941B_SIZE          1u
#define CORVANE_ANNUNCIATOR_941B_BIT0          CORVANE_FIELD(0x941Bu, 0x01u, 0u) /* SDK1 0x0B30, 2 states */
#define CORVANE_ANNUNCIATOR_941B_BITS1_2       CORVANE_FIELD(0x941Bu, 0x06u, 1u) /* SDK1 0x0B34, 4 states */
#define CORVANE_ANNUNCIATOR_941B_BIT3          CORVANE_FIELD(0x941Bu, 0x08u, 3u) /* SDK1 0x0B38, 2 states */
#define CORVANE_ANNUNCIATOR_941C               0x941Cu /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_941C_SIZE          1u
#define CORVANE_ANNUNCIATOR_941C_BIT0          CORVANE_FIELD(0x941Cu, 0x01u, 0u) /* SDK1 0x0B40, 2 states */
#define CORVANE_ANNUNCIATOR_941C_BIT1          CORVANE_FIELD(0x941Cu, 0x02u, 1u) /* SDK1 0x0B44, 2 states */
#define CORVANE_ANNUNCIATOR_941C_BIT2          CORVANE_FIELD(0x941Cu, 0x04u, 2u) /* SDK1 0x0B50, 2 states */
#define CORVANE_ANNUNCIATOR_941C_BIT3          CORVANE_FIELD(0x941Cu, 0x08u, 3u) /* SDK1 0x0B54, 2 states */
#define CORVANE_ANNUNCIATOR_941C_BIT4          CORVANE_FIELD(0x941Cu, 0x10u, 4u) /* SDK1 0x0B58, 2 states */
#define CORVANE_ANNUNCIATOR_941C_BIT5          CORVANE_FIELD(0x941Cu, 0x20u, 5u) /* SDK1 0x0B5C, 2 states */
#define CORVANE_ANNUNCIATOR_941D               0x941Du /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_941D_SIZE          1u
#define CORVANE_ANNUNCIATOR_941D_BIT0          CORVANE_FIELD(0x941Du, 0x01u, 0u) /* SDK1 0x0BBC, 2 states */
#define CORVANE_ANNUNCIATOR_941D_BIT1          CORVANE_FIELD(0x941Du, 0x02u, 1u) /* SDK1 0x0BC0, 2 states */
#define CORVANE_ANNUNCIATOR_941D_BIT2          CORVANE_FIELD(0x941Du, 0x04u, 2u) /* SDK1 0x0BC4, 2 states */
#define CORVANE_ANNUNCIATOR_941D_BIT3          CORVANE_FIELD(0x941Du, 0x08u, 3u) /* SDK1 0x0BC8, 2 states */
#define CORVANE_ANNUNCIATOR_941D_BIT4          CORVANE_FIELD(0x941Du, 0x10u, 4u) /* SDK1 0x0BCC, 2 states */
#define CORVANE_ANNUNCIATOR_941D_BIT5          CORVANE_FIELD(0x941Du, 0x20u, 5u) /* SDK1 0x0BD0, 2 states */
#define CORVANE_ANNUNCIATOR_941E               0x941Eu /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_941E_SIZE          1u
#define CORVANE_ANNUNCIATOR_941E_BIT0          CORVANE_FIELD(0x941Eu, 0x01u, 0u) /* SDK1 0x0BE4, 2 states */
#define CORVANE_ANNUNCIATOR_941E_BIT1          CORVANE_FIELD(0x941Eu, 0x02u, 1u) /* SDK1 0x0BE8, 2 states */
#define CORVANE_ANNUNCIATOR_941E_BIT2          CORVANE_FIELD(0x941Eu, 0x04u, 2u) /* SDK1 0x0BEC, 2 states */
#define CORVANE_ANNUNCIATOR_941E_BIT3          CORVANE_FIELD(0x941Eu, 0x08u, 3u) /* SDK1 0x0BF0, 2 states */
#define CORVANE_ANNUNCIATOR_941E_BIT4          CORVANE_FIELD(0x941Eu, 0x10u, 4u) /* SDK1 0x0BF4, 2 states */
#define CORVANE_ANNUNCIATOR_941E_BIT5          CORVANE_FIELD(0x941Eu, 0x20u, 5u) /* SDK1 0x0BF8, 2 states */
#define CORVANE_ANNUNCIATOR_941E_BIT6          CORVANE_FIELD(0x941Eu, 0x40u, 6u) /* SDK1 0x0C00, 2 states */
#define CORVANE_ANNUNCIATOR_941E_BIT7          CORVANE_FIELD(0x941Eu, 0x80u, 7u) /* SDK1 0x0C08, 2 states */
#define CORVANE_ANNUNCIATOR_941F               0x941Fu /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_941F_SIZE          1u
#define CORVANE_ANNUNCIATOR_941F_BITS0_7       CORVANE_FIELD(0x941Fu, 0xFFu, 0u) /* SDK1 0x0C10, 256 states */
#define CORVANE_ANNUNCIATOR_9420               0x9420u /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_9420_SIZE          1u
#define CORVANE_ANNUNCIATOR_9420_BIT0          CORVANE_FIELD(0x9420u, 0x01u, 0u) /* SDK1 0x0C20, 2 states */
#define CORVANE_ANNUNCIATOR_9420_BIT1          CORVANE_FIELD(0x9420u, 0x02u, 1u) /* SDK1 0x0C24, 2 states */
#define CORVANE_ANNUNCIATOR_9420_BIT2          CORVANE_FIELD(0x9420u, 0x04u, 2u) /* SDK1 0x0C28, 2 states */
#define CORVANE_ANNUNCIATOR_9420_BIT3          CORVANE_FIELD(0x9420u, 0x08u, 3u) /* SDK1 0x0C2C, 2 states */
#define CORVANE_ANNUNCIATOR_9420_BIT4          CORVANE_FIELD(0x9420u, 0x10u, 4u) /* SDK1 0x0C30, 2 states */
#define CORVANE_ANNUNCIATOR_9420_BIT5          CORVANE_FIELD(0x9420u, 0x20u, 5u) /* SDK1 0x0C34, 2 states */
#define CORVANE_ANNUNCIATOR_9420_BIT6          CORVANE_FIELD(0x9420u, 0x40u, 6u) /* SDK1 0x0C38, 2 states */
#define CORVANE_ANNUNCIATOR_9420_BIT7          CORVANE_FIELD(0x9420u, 0x80u, 7u) /* SDK1 0x0C3C, 2 states */
#define CORVANE_ANNUNCIATOR_9421               0x9421u /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_9421_SIZE          1u
#define CORVANE_ANNUNCIATOR_9421_BIT0          CORVANE_FIELD(0x9421u, 0x01u, 0u) /* SDK1 0x0C40, 2 states */
#define CORVANE_ANNUNCIATOR_9421_BIT1          CORVANE_FIELD(0x9421u, 0x02u, 1u) /* SDK1 0x0C44, 2 states */
#define CORVANE_ANNUNCIATOR_9421_BIT2          CORVANE_FIELD(0x9421u, 0x04u, 2u) /* SDK1 0x0C48, 2 states */
#define CORVANE_ANNUNCIATOR_9421_BIT3          CORVANE_FIELD(0x9421u, 0x08u, 3u) /* SDK1 0x0C4C, 2 states */
#define CORVANE_ANNUNCIATOR_9421_BIT4          CORVANE_FIELD(0x9421u, 0x10u, 4u) /* SDK1 0x0C50, 2 states */
#define CORVANE_ANNUNCIATOR_9421_BIT5          CORVANE_FIELD(0x9421u, 0x20u, 5u) /* SDK1 0x0C54, 2 states */
#define CORVANE_ANNUNCIATOR_9421_BIT6          CORVANE_FIELD(0x9421u, 0x40u, 6u) /* SDK1 0x0C58, 2 states */
#define CORVANE_ANNUNCIATOR_9421_BIT7          CORVANE_FIELD(0x9421u, 0x80u, 7u) /* SDK1 0x0C5C, 2 states */
#define CORVANE_ANNUNCIATOR_9422               0x9422u /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_9422_SIZE          1u
#define CORVANE_ANNUNCIATOR_9422_BIT0          CORVANE_FIELD(0x9422u, 0x01u, 0u) /* SDK1 0x0C60, 2 states */
#define CORVANE_ANNUNCIATOR_9422_BIT1          CORVANE_FIELD(0x9422u, 0x02u, 1u) /* SDK1 0x0C68, 2 states */
#define CORVANE_ANNUNCIATOR_9422_BIT2          CORVANE_FIELD(0x9422u, 0x04u, 2u) /* SDK1 0x0C7C, 2 states */
#define CORVANE_ANNUNCIATOR_9423               0x9423u /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_9423_SIZE          1u
#define CORVANE_ANNUNCIATOR_9423_BIT0          CORVANE_FIELD(0x9423u, 0x01u, 0u) /* SDK1 0x0C8C, 2 states */
#define CORVANE_ANNUNCIATOR_9423_BIT1          CORVANE_FIELD(0x9423u, 0x02u, 1u) /* SDK1 0x0C90, 2 states */
#define CORVANE_ANNUNCIATOR_9423_BIT2          CORVANE_FIELD(0x9423u, 0x04u, 2u) /* SDK1 0x0CA0, 2 states */
#define CORVANE_ANNUNCIATOR_9423_BIT3          CORVANE_FIELD(0x9423u, 0x08u, 3u) /* SDK1 0x0CA8, 2 states */
#define CORVANE_ANNUNCIATOR_9423_BIT4          CORVANE_FIELD(0x9423u, 0x10u, 4u) /* SDK1 0x0CAC, 2 states */
#define CORVANE_ANNUNCIATOR_9423_BIT5          CORVANE_FIELD(0x9423u, 0x20u, 5u) /* SDK1 0x0CB0, 2 states */
#define CORVANE_ANNUNCIATOR_9423_BIT6          CORVANE_FIELD(0x9423u, 0x40u, 6u) /* SDK1 0x0CB4, 2 states */
#define CORVANE_ANNUNCIATOR_9423_BIT7          CORVANE_FIELD(0x9423u, 0x80u, 7u) /* SDK1 0x0CB8, 2 states */
#define CORVANE_ANNUNCIATOR_9424               0x9424u /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_9424_SIZE          1u
#define CORVANE_ANNUNCIATOR_9424_BIT0          CORVANE_FIELD(0x9424u, 0x01u, 0u) /* SDK1 0x0CBC, 2 states */
#define CORVANE_ANNUNCIATOR_9424_BIT1          CORVANE_FIELD(0x9424u, 0x02u, 1u) /* SDK1 0x0CC0, 2 states */
#define CORVANE_ANNUNCIATOR_9424_BIT2          CORVANE_FIELD(0x9424u, 0x04u, 2u) /* SDK1 0x0CC4, 2 states */
#define CORVANE_ANNUNCIATOR_9424_BIT3          CORVANE_FIELD(0x9424u, 0x08u, 3u) /* SDK1 0x0CD4, 2 states */
#define CORVANE_ANNUNCIATOR_9424_BIT4          CORVANE_FIELD(0x9424u, 0x10u, 4u) /* SDK1 0x0CD8, 2 states */
#define CORVANE_ANNUNCIATOR_9424_BIT5          CORVANE_FIELD(0x9424u, 0x20u, 5u) /* SDK1 0x0CDC, 2 states */
#define CORVANE_ANNUNCIATOR_9424_BIT6          CORVANE_FIELD(0x9424u, 0x40u, 6u) /* SDK1 0x0CE0, 2 states */
#define CORVANE_ANNUNCIATOR_9424_BIT7          CORVANE_FIELD(0x9424u, 0x80u, 7u) /* SDK1 0x0CE4, 2 states */
#define CORVANE_ANNUNCIATOR_9425               0x9425u /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_9425_SIZE          1u
#define CORVANE_ANNUNCIATOR_9425_BIT0          CORVANE_FIELD(0x9425u, 0x01u, 0u) /* SDK1 0x0CE8, 2 states */
#define CORVANE_ANNUNCIATOR_9425_BIT1          CORVANE_FIELD(0x9425u, 0x02u, 1u) /* SDK1 0x0CEC, 2 states */
#define CORVANE_ANNUNCIATOR_9425_BIT2          CORVANE_FIELD(0x9425u, 0x04u, 2u) /* SDK1 0x0CF0, 2 states */
#define CORVANE_ANNUNCIATOR_9425_BIT3          CORVANE_FIELD(0x9425u, 0x08u, 3u) /* SDK1 0x0CF4, 2 states */
#define CORVANE_ANNUNCIATOR_9425_BIT4          CORVANE_FIELD(0x9425u, 0x10u, 4u) /* SDK1 0x0CF8, 2 states */
#define CORVANE_ANNUNCIATOR_9425_BIT5          CORVANE_FIELD(0x9425u, 0x20u, 5u) /* SDK1 0x0CFC, 2 states */
#define CORVANE_ANNUNCIATOR_9425_BIT6          CORVANE_FIELD(0x9425u, 0x40u, 6u) /* SDK1 0x0D00, 2 states */
#define CORVANE_ANNUNCIATOR_9425_BIT7          CORVANE_FIELD(0x9425u, 0x80u, 7u) /* SDK1 0x0D04, 2 states */
#define CORVANE_ANNUNCIATOR_9426               0x9426u /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_9426_SIZE          1u
#define CORVANE_ANNUNCIATOR_9426_BIT0          CORVANE_FIELD(0x9426u, 0x01u, 0u) /* SDK1 0x0D08, 2 states */
#define CORVANE_ANNUNCIATOR_9426_BIT1          CORVANE_FIELD(0x9426u, 0x02u, 1u) /* SDK1 0x0D0C, 2 states */
#define CORVANE_ANNUNCIATOR_9426_BIT2          CORVANE_FIELD(0x9426u, 0x04u, 2u) /* SDK1 0x0D10, 2 states */
#define CORVANE_ANNUNCIATOR_9427               0x9427u /* U8 annunciator byte */
#define CORVANE_ANNUNCIATOR_9427_SIZE          1u
#define CORVANE_ANNUNCIATOR_9427_BIT0          CORVANE_FIELD(0x9427u, 0x01u, 0u) /* SDK2 0x1A48, 2 states */
#define CORVANE_ANNUNCIATOR_9427_BIT1          CORVANE_FIELD(0x9427u, 0x02u, 1u) /* SDK2 0x1A4C, 2 states */
#define CORVANE_ANNUNCIATOR_9427_BIT2          CORVANE_FIELD(0x9427u, 0x04u, 2u) /* SDK2 0x1A50, 2 states */
#define CORVANE_ANNUNCIATOR_9427_BIT3          CORVANE_FIELD(0x9427u, 0x08u, 3u) /* SDK2 0x1A54, 2 states */
#define CORVANE_ANNUNCIATOR_9427_BIT4          CORVANE_FIELD(0x9427u, 0x10u, 4u) /* SDK2 0x1A58, 2 states */
#define CORVANE_ANNUNCIATOR_9427_BIT5          CORVANE_FIELD(0x9427u, 0x20u, 5u) /* SDK2 0x1A5C, 2 states */
#define CORVANE_ANNUNCIATOR_9427_BIT6          CORVANE_FIELD(0x9427u, 0x40u, 6u) /* SDK2 0x1A60, 2 states */
#define CORVANE_ANNUNCIATOR_9427_BIT7          CORVANE_FIELD(0x9427u, 0x80u, 7u) /* SDK2 0x1A64, 2 states */

/* Panel values: U8, or S16 where the size is 2 (a double, truncated; some
   taken x1000 first). */
#define CORVANE_PANEL_9472                     0x9472u /* U8 SDK1 0x0FAC, 4-byte integer */
#define CORVANE_PANEL_9472_SIZE                1u
#define CORVANE_PANEL_9473                     0x9473u /* U8 SDK1 0x0658, 4-byte integer */
#define CORVANE_PANEL_9473_SIZE                1u
#define CORVANE_PANEL_9474                     0x9474u /* U8 SDK1 0x065C, 4-byte integer */
#define CORVANE_PANEL_9474_SIZE                1u
#define CORVANE_PANEL_9475                     0x9475u /* U8 SDK1 0x0660, 4-byte integer */
#define CORVANE_PANEL_9475_SIZE                1u
#define CORVANE_PANEL_9476                     0x9476u /* U8 SDK1 0x0118, 4-byte integer */
#define CORVANE_PANEL_9476_SIZE                1u
#define CORVANE_PANEL_9477                     0x9477u /* S16 SDK1 0x0F88, 8-byte double; x 1000, truncated */
#define CORVANE_PANEL_9477_SIZE                2u
#define CORVANE_PANEL_9477_SCALE               1000 /* divide by it */
#define CORVANE_PANEL_9479                     0x9479u /* S16 SDK1 0x0F90, 8-byte double; x 1000, truncated */
#define CORVANE_PANEL_9479_SIZE                2u
#define CORVANE_PANEL_9479_SCALE               1000 /* divide by it */
#define CORVANE_PANEL_947B                     0x947Bu /* U8 SDK1 0x0230, 4-byte integer */
#define CORVANE_PANEL_947B_SIZE                1u
#define CORVANE_PANEL_947C                     0x947Cu /* U8 SDK1 0x0C7C, 4-byte integer */
#define CORVANE_PANEL_947C_SIZE                1u
#define CORVANE_PANEL_9480                     0x9480u /* S16 SDK1 0x0008, 8-byte double; truncated */
#define CORVANE_PANEL_9480_SIZE                2u
#define CORVANE_PANEL_9482                     0x9482u /* S16 SDK1 0x0010, 8-byte double; truncated */
#define CORVANE_PANEL_9482_SIZE                2u
#define CORVANE_PANEL_9484                     0x9484u /* U8 SDK1 0x0020, 4-byte integer */
#define CORVANE_PANEL_9484_SIZE                1u
#define CORVANE_PANEL_9485                     0x9485u /* U8 SDK1 0x0040, 4-byte integer */
#define CORVANE_PANEL_9485_SIZE                1u
#define CORVANE_PANEL_9486                     0x9486u /* U8 SDK1 0x0044, 4-byte integer */
#define CORVANE_PANEL_9486_SIZE                1u
#define CORVANE_PANEL_9487                     0x9487u /* U8 SDK1 0x00BC, 4-byte integer */
#define CORVANE_PANEL_9487_SIZE                1u
#define CORVANE_PANEL_9488                     0x9488u /* S16 SDK1 0x00F8, 8-byte double; truncated */
#define CORVANE_PANEL_9488_SIZE                2u
#define CORVANE_PANEL_948A                     0x948Au /* S16 SDK1 0x0100, 8-byte double; truncated */
#define CORVANE_PANEL_948A_SIZE                2u
#define CORVANE_PANEL_948C                     0x948Cu /* S16 SDK1 0x0110, 8-byte double; truncated */
#define CORVANE_PANEL_948C_SIZE                2u
#define CORVANE_PANEL_948E                     0x948Eu /* U8 SDK1 0x01BC, 4-byte integer */
#define CORVANE_PANEL_948E_SIZE                1u
#define CORVANE_VERTICAL_SPEED_SIGN            0x948Fu /* U8 vertical speed sign (12: negative) */
#define CORVANE_VERTICAL_SPEED_SIGN_SIZE       1u
#define CORVANE_PANEL_9490                     0x9490u /* U8 SDK1 0x02B0, 4-byte integer */
#define CORVANE_PANEL_9490_SIZE                1u
#define CORVANE_PANEL_9491                     0x9491u /* U8 SDK1 0x02B4, 4-byte integer */
#define CORVANE_PANEL_9491_SIZE                1u
#define CORVANE_PANEL_9492                     0x9492u /* U8 SDK1 0x02CC, 4-byte integer */
#define CORVANE_PANEL_9492_SIZE                1u
#define CORVANE_PANEL_9493                     0x9493u /* U8 SDK1 0x02F0, 4-byte integer */
#define CORVANE_PANEL_9493_SIZE                1u
#define CORVANE_PANEL_9494                     0x9494u /* U8 SDK1 0x02F4, 4-byte integer */
#define CORVANE_PANEL_9494_SIZE                1u
#define CORVANE_PANEL_9495                     0x9495u /* U8 SDK1 0x030C, 4-byte integer */
#define CORVANE_PANEL_9495_SIZE                1u
#define CORVANE_PANEL_9496                     0x9496u /* U8 SDK1 0x04D8, 4-byte integer */
#define CORVANE_PANEL_9496_SIZE                1u
#define CORVANE_PANEL_9497                     0x9497u /* U8 SDK1 0x0580, 4-byte integer */
#define CORVANE_PANEL_9497_SIZE                1u
#define CORVANE_PANEL_9498                     0x9498u /* U8 SDK1 0x0584, 4-byte integer */
#define CORVANE_PANEL_9498_SIZE                1u
#define CORVANE_PANEL_9499                     0x9499u /* U8 SDK1 0x0588, 4-byte integer */
#define CORVANE_PANEL_9499_SIZE                1u
#define CORVANE_PANEL_949A                     0x949Au /* U8 SDK1 0x05A4, 4-byte integer */
#define CORVANE_PANEL_949A_SIZE                1u
#define CORVANE_PANEL_949B                     0x949Bu /* U8 SDK1 0x05B4, 4-byte integer */
#define CORVANE_PANEL_949B_SIZE                1u
#define CORVANE_PANEL_949C                     0x949Cu /* U8 SDK1 0x05B8, 4-byte integer */
#define CORVANE_PANEL_949C_SIZE                1u
#define CORVANE_PANEL_949D                     0x949Du /* S16 SDK1 0x05F0, 8-byte double; truncated */
#define CORVANE_PANEL_949D_SIZE                2u
#define CORVANE_PANEL_949F                     0x949Fu /* S16 SDK1 0x06A8, 8-byte double; truncated */
#define CORVANE_PANEL_949F_SIZE                2u
#define CORVANE_PANEL_94A1                     0x94A1u /* S16 SDK1 0x06C0, 8-byte double; truncated */
#define CORVANE_PANEL_94A1_SIZE                2u
#define CORVANE_PANEL_94A3                     0x94A3u /* U8 SDK1 0x06D0, 4-byte integer */
#define CORVANE_PANEL_94A3_SIZE                1u
#define CORVANE_PANEL_94A4                     0x94A4u /* U8 SDK1 0x06E0, 4-byte integer */
#define CORVANE_PANEL_94A4_SIZE                1u
#define CORVANE_PANEL_94A5                     0x94A5u /* S16 SDK1 0x06E8, 8-byte double; truncated */
#define CORVANE_PANEL_94A5_SIZE                2u
#define CORVANE_PANEL_94A7                     0x94A7u /* U8 SDK1 0x071C, 4-byte integer */
#define CORVANE_PANEL_94A7_SIZE                1u
#define CORVANE_PANEL_94A8                     0x94A8u /* U8 SDK1 0x0720, 4-byte integer */
#define CORVANE_PANEL_94A8_SIZE                1u
#define CORVANE_PANEL_94A9                     0x94A9u /* U8 SDK1 0x07A8, 4-byte integer */
#define CORVANE_PANEL_94A9_SIZE                1u
#define CORVANE_PANEL_94AA                     0x94AAu /* U8 SDK1 0x07AC, 4-byte integer */
#define CORVANE_PANEL_94AA_SIZE                1u
#define CORVANE_PANEL_94AB                     0x94ABu /* U8 SDK1 0x082C, 4-byte integer */
#define CORVANE_PANEL_94AB_SIZE                1u
#define CORVANE_PANEL_94AC                     0x94ACu /* U8 SDK1 0x0860, 4-byte integer */
#define CORVANE_PANEL_94AC_SIZE                1u
#define CORVANE_PANEL_94AD                     0x94ADu /* U8 SDK1 0x0888, 4-byte integer */
#define CORVANE_PANEL_94AD_SIZE                1u
#define CORVANE_PANEL_94AE                     0x94AEu /* U8 SDK1 0x088C, 4-byte integer */
#define CORVANE_PANEL_94AE_SIZE                1u
#define CORVANE_PANEL_94AF                     0x94AFu /* U8 SDK1 0x08C4, 4-byte integer */
#define CORVANE_PANEL_94AF_SIZE                1u
#define CORVANE_PANEL_94B0                     0x94B0u /* U8 SDK1 0x08C8, 4-byte integer */
#define CORVANE_PANEL_94B0_SIZE                1u
#define CORVANE_PANEL_94B1                     0x94B1u /* U8 SDK1 0x0914, 4-byte integer */
#define CORVANE_PANEL_94B1_SIZE                1u
#define CORVANE_PANEL_94B2                     0x94B2u /* U8 SDK1 0x0918, 4-byte integer */
#define CORVANE_PANEL_94B2_SIZE                1u
#define CORVANE_PANEL_94B3                     0x94B3u /* U8 SDK1 0x091C, 4-byte integer */
#define CORVANE_PANEL_94B3_SIZE                1u
#define CORVANE_PANEL_94B4                     0x94B4u /* U8 SDK1 0x0920, 4-byte integer */
#define CORVANE_PANEL_94B4_SIZE                1u
#define CORVANE_PANEL_94B5                     0x94B5u /* U8 SDK1 0x0924, 4-byte integer */
#define CORVANE_PANEL_94B5_SIZE                1u
#define CORVANE_PANEL_94B6                     0x94B6u /* U8 SDK1 0x0928, 4-byte integer */
#define CORVANE_PANEL_94B6_SIZE                1u
#define CORVANE_PANEL_94B7                     0x94B7u /* U8 SDK1 0x092C, 4-byte integer */
#define CORVANE_PANEL_94B7_SIZE                1u
#define CORVANE_PANEL_94B8                     0x94B8u /* U8 SDK1 0x0930, 4-byte integer */
#define CORVANE_PANEL_94B8_SIZE                1u
#define CORVANE_PANEL_94B9                     0x94B9u /* U8 SDK1 0x0934, 4-byte integer */
#define CORVANE_PANEL_94B9_SIZE                1u
#define CORVANE_PANEL_94BA                     0x94BAu /* U8 SDK1 0x0938, 4-byte integer */
#define CORVANE_PANEL_94BA_SIZE                1u
#define CORVANE_PANEL_94BB                     0x94BBu /* U8 SDK1 0x093C, 4-byte integer */
#define CORVANE_PANEL_94BB_SIZE                1u
#define CORVANE_PANEL_94BC                     0x94BCu /* U8 SDK1 0x0940, 4-byte integer */
#define CORVANE_PANEL_94BC_SIZE                1u
#define CORVANE_PANEL_94BD                     0x94BDu /* U8 SDK1 0x0944, 4-byte integer */
#define CORVANE_PANEL_94BD_SIZE                1u
#define CORVANE_PANEL_94BE                     0x94BEu /* U8 SDK1 0x0948, 4-byte integer */
#define CORVANE_PANEL_94BE_SIZE                1u
#define CORVANE_PANEL_94BF                     0x94BFu /* U8 SDK1 0x094C, 4-byte integer */
#define CORVANE_PANEL_94BF_SIZE                1u
#define CORVANE_PANEL_94C0                     0x94C0u /* U8 SDK1 0x0950, 4-byte integer */
#define CORVANE_PANEL_94C0_SIZE                1u
#define CORVANE_PANEL_94C1                     0x94C1u /* U8 SDK1 0x0954, 4-byte integer */
#define CORVANE_PANEL_94C1_SIZE                1u
#define CORVANE_PANEL_94C2                     0x94C2u /* U8 SDK1 0x0958, 4-byte integer */
#define CORVANE_PANEL_94C2_SIZE                1u
#define CORVANE_PANEL_94C3                     0x94C3u /* U8 SDK1 0x095C, 4-byte integer */
#define CORVANE_PANEL_94C3_SIZE                1u
#define CORVANE_PANEL_94C4                     0x94C4u /* U8 SDK1 0x099C, 4-byte integer */
#define CORVANE_PANEL_94C4_SIZE                1u
#define CORVANE_PANEL_94C5                     0x94C5u /* U8 SDK1 0x09B4, 4-byte integer */
#define CORVANE_PANEL_94C5_SIZE                1u
#define CORVANE_PANEL_94C6                     0x94C6u /* U8 SDK1 0x09B8, 4-byte integer */
#define CORVANE_PANEL_94C6_SIZE                1u
#define CORVANE_PANEL_94C7                     0x94C7u /* U8 SDK1 0x09D8, 4-byte integer */
#define CORVANE_PANEL_94C7_SIZE                1u
#define CORVANE_PANEL_94C8                     0x94C8u /* U8 SDK1 0x09F0, 4-byte integer */
#define CORVANE_PANEL_94C8_SIZE                1u
#define CORVANE_PANEL_94C9                     0x94C9u /* U8 SDK1 0x09F4, 4-byte integer */
#define CORVANE_PANEL_94C9_SIZE                1u
#define CORVANE_PANEL_94CA                     0x94CAu /* U8 SDK1 0x0A2C, 4-byte integer */
#define CORVANE_PANEL_94CA_SIZE                1u
#define CORVANE_PANEL_94CB                     0x94CBu /* U8 SDK1 0x0A44, 4-byte integer */
#define CORVANE_PANEL_94CB_SIZE                1u
#define CORVANE_PANEL_94CC                     0x94CCu /* U8 SDK1 0x0A60, 4-byte integer */
#define CORVANE_PANEL_94CC_SIZE                1u
#define CORVANE_PANEL_94CD                     0x94CDu /* U8 SDK1 0x0A78, 4-byte integer */
#define CORVANE_PANEL_94CD_SIZE                1u
#define CORVANE_PANEL_94CE                     0x94CEu /* U8 SDK1 0x0A7C, 4-byte integer */
#define CORVANE_PANEL_94CE_SIZE                1u
#define CORVANE_PANEL_94CF                     0x94CFu /* U8 SDK1 0x0A94, 4-byte integer */
#define CORVANE_PANEL_94CF_SIZE                1u
#define CORVANE_PANEL_94D0                     0x94D0u /* U8 SDK1 0x0A98, 4-byte integer */
#define CORVANE_PANEL_94D0_SIZE                1u
#define CORVANE_PANEL_94D1                     0x94D1u /* U8 SDK1 0x0A9C, 4-byte integer */
#define CORVANE_PANEL_94D1_SIZE                1u
#define CORVANE_PANEL_94D2                     0x94D2u /* S16 SDK1 0x0B20, 8-byte double; truncated */
#define CORVANE_PANEL_94D2_SIZE                2u
#define CORVANE_PANEL_94D4                     0x94D4u /* U8 SDK1 0x0B98, 4-byte integer */
#define CORVANE_PANEL_94D4_SIZE                1u
#define CORVANE_PANEL_94D5                     0x94D5u /* U8 SDK1 0x0C04, 4-byte integer */
#define CORVANE_PANEL_94D5_SIZE                1u
#define CORVANE_PANEL_94D6                     0x94D6u /* S16 SDK1 0x0C18, 8-byte double; truncated */
#define CORVANE_PANEL_94D6_SIZE                2u
#define CORVANE_PANEL_94D8                     0x94D8u /* S16 SDK1 0x0C98, 8-byte double; truncated */
#define CORVANE_PANEL_94D8_SIZE                2u
#define CORVANE_PANEL_94DA                     0x94DAu /* U8 SDK1 0x0D40, 4-byte integer */
#define CORVANE_PANEL_94DA_SIZE                1u
#define CORVANE_PANEL_94DB                     0x94DBu /* U8 SDK1 0x0D50, 4-byte integer */
#define CORVANE_PANEL_94DB_SIZE                1u
#define CORVANE_PANEL_94DC                     0x94DCu /* U8 SDK1 0x0D54, 4-byte integer */
#define CORVANE_PANEL_94DC_SIZE                1u
#define CORVANE_PANEL_94DD                     0x94DDu /* U8 SDK1 0x0D58, 4-byte integer */
#define CORVANE_PANEL_94DD_SIZE                1u
#define CORVANE_PANEL_94DE                     0x94DEu /* U8 SDK1 0x0E88, 4-byte integer */
#define CORVANE_PANEL_94DE_SIZE                1u
#define CORVANE_PANEL_94DF                     0x94DFu /* U8 SDK1 0x0E8C, 4-byte integer */
#define CORVANE_PANEL_94DF_SIZE                1u
#define CORVANE_PANEL_94E0                     0x94E0u /* U8 SDK1 0x0E90, 4-byte integer */
#define CORVANE_PANEL_94E0_SIZE                1u
#define CORVANE_PANEL_94E1                     0x94E1u /* U8 SDK1 0x0E94, 4-byte integer */
#define CORVANE_PANEL_94E1_SIZE                1u
#define CORVANE_PANEL_94E2                     0x94E2u /* U8 SDK1 0x0E98, 4-byte integer */
#define CORVANE_PANEL_94E2_SIZE                1u
#define CORVANE_PANEL_94E3                     0x94E3u /* U8 SDK1 0x0E9C, 4-byte integer */
#define CORVANE_PANEL_94E3_SIZE                1u
#define CORVANE_PANEL_94E4                     0x94E4u /* U8 SDK1 0x0EA0, 4-byte integer */
#define CORVANE_PANEL_94E4_SIZE                1u
#define CORVANE_PANEL_94E5                     0x94E5u /* U8 SDK1 0x0EA4, 4-byte integer */
#define CORVANE_PANEL_94E5_SIZE                1u
#define CORVANE_PANEL_94E6                     0x94E6u /* U8 SDK1 0x0EA8, 4-byte integer */
#define CORVANE_PANEL_94E6_SIZE                1u
#define CORVANE_PANEL_94E7                     0x94E7u /* U8 SDK1 0x0EAC, 4-byte integer */
#define CORVANE_PANEL_94E7_SIZE                1u
#define CORVANE_PANEL_94E8                     0x94E8u /* U8 SDK1 0x0EE4, 4-byte integer */
#define CORVANE_PANEL_94E8_SIZE                1u
#define CORVANE_PANEL_94E9                     0x94E9u /* U8 SDK1 0x0EE8, 4-byte integer */
#define CORVANE_PANEL_94E9_SIZE                1u
#define CORVANE_PANEL_94EA                     0x94EAu /* U8 SDK1 0x0EF0, 4-byte integer */
#define CORVANE_PANEL_94EA_SIZE                1u
#define CORVANE_AIRCRAFT_DATA_VALID            0x94EBu /* U8 aircraft data valid */
#define CORVANE_AIRCRAFT_DATA_VALID_SIZE       1u
#define CORVANE_PANEL_94EC                     0x94ECu /* U8 SDK1 0x0610, 4-byte integer */
#define CORVANE_PANEL_94EC_SIZE                1u
#define CORVANE_PANEL_94ED                     0x94EDu /* U8 SDK1 0x0638, 4-byte integer */
#define CORVANE_PANEL_94ED_SIZE                1u
#define CORVANE_PANEL_94EE                     0x94EEu /* U8 SDK1 0x0624, 4-byte integer */
#define CORVANE_PANEL_94EE_SIZE                1u
#define CORVANE_PANEL_94EF                     0x94EFu /* U8 SDK1 0x01B8, 4-byte integer */
#define CORVANE_PANEL_94EF_SIZE                1u

/* Corvane's own state (U8), written only with State=1 in its corvane.ini. */
#define CORVANE_STATE                          0x9429u /* U8 Corvane state */
#define CORVANE_STATE_SIZE                     1u
#define CORVANE_HEARTBEAT                      0x942Au /* U8 heartbeat */
#define CORVANE_HEARTBEAT_SIZE                 1u

/* Little-endian loads from a copy of the block read at CORVANE_BLOCK_FIRST.
   offset is the FSUIPC offset (CORVANE_ALTITUDE_DISPLAY, 0x943A), not its
   place in the copy; one outside the block reads 0. */
static inline uint8_t corvane_u8_at(const uint8_t *block, uint16_t offset) {
    if (offset < CORVANE_BLOCK_FIRST || offset > CORVANE_BLOCK_LAST) {
        return 0;
    }
    return block[offset - CORVANE_BLOCK_FIRST];
}

static inline uint16_t corvane_u16_at(const uint8_t *block, uint16_t offset) {
    if (offset < CORVANE_BLOCK_FIRST || offset >= CORVANE_BLOCK_LAST) {
        return 0;
    }
    return (uint16_t)(block[offset - CORVANE_BLOCK_FIRST] |
                      (uint16_t)((uint16_t)block[offset - CORVANE_BLOCK_FIRST + 1] << 8));
}

/* An S16 value from its two bytes read as U16. The x1000 rows: divide by
   their _SCALE. */
static inline int16_t corvane_s16(uint16_t raw) {
    return (int16_t)((int32_t)raw - (raw >= 0x8000u ? 65536L : 0L));
}

/* A display value: 1 with *value set, or 0 when the window is blank. */
static inline int corvane_display(uint16_t raw, uint16_t *value) {
    if (raw == CORVANE_BLANK) {
        return 0;
    }
    *value = raw;
    return 1;
}

/* The vertical speed window (CORVANE_VERTICAL_SPEED_DISPLAY) with its sign
   (CORVANE_VERTICAL_SPEED_SIGN): 1 with *value set, or 0 when blank. */
static inline int corvane_vertical_speed(uint16_t magnitude, uint8_t sign, int32_t *value) {
    if (magnitude == CORVANE_BLANK) {
        return 0;
    }
    *value = sign == CORVANE_VS_NEGATIVE ? -(int32_t)magnitude : (int32_t)magnitude;
    return 1;
}

/* The parts of a CORVANE_FIELD, and the field's state in its byte:
   (byte & mask) >> shift, 0 or 1 for a lamp, 0 to 3 for a two-bit field. */
static inline uint16_t corvane_field_offset(uint32_t field) { return (uint16_t)(field >> 16); }
static inline uint8_t corvane_field_mask(uint32_t field) { return (uint8_t)(field >> 8); }
static inline uint8_t corvane_field_shift(uint32_t field) { return (uint8_t)(field & 0x07u); }
static inline uint8_t corvane_field_state(uint32_t field, uint8_t byte) {
    return (uint8_t)((byte & corvane_field_mask(field)) >> corvane_field_shift(field));
}

/* A counter after detents: +n clockwise or up, -n the other way, modulo 256.
   Corvane tells at most CORVANE_MAX_DETENTS either way between two of its
   ticks, so more are cut to that many: never a turn the other way. */
static inline uint8_t corvane_counter_add(uint8_t counter, int detents) {
    if (detents > CORVANE_MAX_DETENTS) {
        detents = CORVANE_MAX_DETENTS;
    } else if (detents < -CORVANE_MAX_DETENTS) {
        detents = -CORVANE_MAX_DETENTS;
    }
    return (uint8_t)((unsigned)counter + (unsigned)detents);
}

/* Write the next command code into CORVANE_COMMAND_WORD only while this is
   true: the word is free, negative as a signed word (above
   CORVANE_MAX_COMMAND), as Corvane leaves it once it took a command. */
static inline int corvane_command_free(uint16_t command_word) {
    return command_word > CORVANE_MAX_COMMAND;
}

/* Whether Corvane bridges (State=1 in its corvane.ini): CORVANE_STATE reads
   CORVANE_STATE_BRIDGING and CORVANE_HEARTBEAT moved within CORVANE_LIVE_MS
   by your clock now_ms (milliseconds, wrapping). watch remembers the last
   heartbeat seen: start it zeroed. A Corvane that was killed or cut off
   leaves CORVANE_STATE as it was, but its heartbeat stands still: the first
   reading only takes the heartbeat in, and Corvane is live once it moved. */
typedef struct {
    int seen;
    uint8_t heartbeat;
    uint32_t since_ms;
    int moved;
} corvane_watch;

static inline int corvane_live(corvane_watch *watch, uint8_t state, uint8_t heartbeat,
                               uint32_t now_ms) {
    if (!watch->seen) {
        watch->seen = 1;
        watch->heartbeat = heartbeat;
    } else if (watch->heartbeat != heartbeat) {
        watch->heartbeat = heartbeat;
        watch->since_ms = now_ms;
        watch->moved = 1;
    }
    return watch->moved && state == CORVANE_STATE_BRIDGING &&
           (uint32_t)(now_ms - watch->since_ms) <= CORVANE_LIVE_MS;
}

#endif /* CORVANE_H */
