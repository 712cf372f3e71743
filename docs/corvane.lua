-- corvane.lua: Corvane's FSUIPC offsets 0x9400-0x94FB for FSUIPC Lua plug-ins.
--
-- Generated from Corvane's own tables, like OFFSETS.md; do not edit. Put it
-- beside your plug-in and load it with
--
--   local corvane = require("corvane")
--
-- Offsets are plain numbers, for ipc.readUW(corvane.ALTITUDE_DISPLAY) or
-- event.offset(corvane.ANNUNCIATOR_9402, "UB", ...). Annunciator fields are
-- tables {offset, mask, shift, states} for corvane.field() and corvane.state().
-- The helpers at the end call FSUIPC's ipc library only when they run; the
-- decode_ ones, state, hundredths and add_detents never do: they take values
-- your plug-in has read. The user guide explains every encoding.

local corvane = {}

-- The encodings.
corvane.BLANK                      = 0xFFFF  -- a display window that shows no number
corvane.NO_COMMAND                 = 0xFFFF  -- Corvane took the command (any word above MAX_COMMAND is free)
corvane.MAX_COMMAND                = 32767  -- the highest command code
corvane.VS_NEGATIVE                = 12  -- VERTICAL_SPEED_SIGN: the vertical speed is negative
corvane.MAX_DETENTS                = 127  -- a counter's most between two ticks
corvane.STATE_ENDED                = 0  -- STATE: Corvane ended
corvane.STATE_BRIDGING             = 1  -- STATE: Corvane bridges
corvane.STATE_STOPPED              = 2  -- STATE: the bridge stopped, Corvane waits
corvane.LIVE_MS                    = 3000  -- a live HEARTBEAT moved within this long

-- Inputs: your panel writes these, Corvane reads them.
corvane.COMMAND_WORD               = 0x9400  -- S16 command word
corvane.VALUE_BYTE                 = 0x9428  -- U8 value byte
corvane.KNOB_ALTITUDE              = 0x94F0  -- U8 altitude display knob
corvane.KNOB_COURSE1               = 0x94F1  -- U8 course display 1 knob
corvane.KNOB_COURSE2               = 0x94F2  -- U8 course display 2 knob
corvane.KNOB_SPEED                 = 0x94F3  -- U8 speed display knob
corvane.KNOB_VS                    = 0x94F4  -- U8 vertical speed display knob
corvane.KNOB_HEADING               = 0x94F5  -- U8 heading display knob
corvane.KNOB_FLTALT                = 0x94F6  -- U8 flight altitude display knob
corvane.KNOB_LDGALT                = 0x94F7  -- U8 landing altitude display knob
corvane.STEP_COUNTER_0             = 0x94F8  -- U8 step counter 0
corvane.STEP_COUNTER_1             = 0x94F9  -- U8 step counter 1
corvane.STEP_COUNTER_2             = 0x94FA  -- U8 step counter 2
corvane.STEP_COUNTER_3             = 0x94FB  -- U8 step counter 3

-- Displays (U16): the number a window shows; BLANK when it shows none.
corvane.FLIGHT_ALTITUDE_DISPLAY    = 0x9430  -- U16 flight altitude display
corvane.LANDING_ALTITUDE_DISPLAY   = 0x9432  -- U16 landing altitude display
corvane.COURSE_DISPLAY_1           = 0x9434  -- U16 course display 1
corvane.SPEED_DISPLAY              = 0x9436  -- U16 speed display
corvane.HEADING_DISPLAY            = 0x9438  -- U16 heading display
corvane.ALTITUDE_DISPLAY           = 0x943A  -- U16 altitude display
corvane.VERTICAL_SPEED_DISPLAY     = 0x943C  -- U16 vertical speed display
corvane.COURSE_DISPLAY_2           = 0x943E  -- U16 course display 2
corvane.DISPLAY_9440               = 0x9440  -- U16 SDK1 0x029C-0x02AC, 5 digits, units last
corvane.DISPLAY_9442               = 0x9442  -- U16 SDK1 0x02B8-0x02C8, 5 digits, units last
corvane.DISPLAY_9444               = 0x9444  -- U16 SDK1 0x02DC-0x02EC, 5 digits, units last
corvane.DISPLAY_9446               = 0x9446  -- U16 SDK1 0x02F8-0x0308, 5 digits, units last
corvane.DISPLAY_9448               = 0x9448  -- U16 SDK1 0x04DC-0x04E0, 2 digits, units last
corvane.DISPLAY_944A               = 0x944A  -- U16 SDK1 0x04E4-0x04EC, 3 digits, units last
corvane.DISPLAY_944C               = 0x944C  -- U16 SDK1 0x04F0-0x04F4, 2 digits, units last
corvane.DISPLAY_944E               = 0x944E  -- U16 SDK1 0x04F8-0x0500, 3 digits, units last
corvane.DISPLAY_9450               = 0x9450  -- U16 SDK1 0x0504-0x050C, 3 digits, units last
corvane.DISPLAY_9452               = 0x9452  -- U16 SDK1 0x0898-0x08A4, 4 digits, units last
corvane.DISPLAY_9454               = 0x9454  -- U16 SDK1 0x08AC-0x08B8, 4 digits, units last
corvane.DISPLAY_9456               = 0x9456  -- U16 SDK1 0x08D4-0x08E0, 4 digits, units last
corvane.DISPLAY_9458               = 0x9458  -- U16 SDK1 0x08E8-0x08F4, 4 digits, units last
corvane.DISPLAY_945A               = 0x945A  -- U16 SDK1 0x09A0-0x09B0, 5 digits, units first
corvane.DISPLAY_945C               = 0x945C  -- U16 SDK1 0x09BC-0x09CC, 5 digits, units first
corvane.DISPLAY_945E               = 0x945E  -- U16 SDK1 0x09DC-0x09EC, 5 digits, units first
corvane.DISPLAY_9460               = 0x9460  -- U16 SDK1 0x09F8-0x0A08, 5 digits, units first
corvane.DISPLAY_9462               = 0x9462  -- U16 SDK1 0x0A18-0x0A28, 5 digits, units last
corvane.DISPLAY_9464               = 0x9464  -- U16 SDK1 0x0A30-0x0A40, 5 digits, units last
corvane.DISPLAY_9466               = 0x9466  -- U16 SDK1 0x0A4C-0x0A5C, 5 digits, units last
corvane.DISPLAY_9468               = 0x9468  -- U16 SDK1 0x0A64-0x0A74, 5 digits, units last
corvane.DISPLAY_946A               = 0x946A  -- U16 SDK1 0x0A80-0x0A8C, 4 digits, units last
corvane.DISPLAY_946C               = 0x946C  -- U16 SDK1 0x0B70-0x0B80, 5 digits, units last
corvane.DISPLAY_946E               = 0x946E  -- U16 SDK1 0x0B84-0x0B94, 5 digits, units last
corvane.DISPLAY_9470               = 0x9470  -- U16 SDK1 0x0CC8-0x0CD0, 3 digits, units last

-- Annunciator bytes (U8), each followed by its fields: a lamp (2 states) or a
-- state of up to four; read a field with its byte, mask and shift.
corvane.ANNUNCIATOR_9402           = 0x9402  -- U8 annunciator byte
corvane.ANNUNCIATOR_9402_BIT0      = {offset = 0x9402, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x0018, 2 states
corvane.ANNUNCIATOR_9402_BIT1      = {offset = 0x9402, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x0024, 2 states
corvane.ANNUNCIATOR_9402_BIT2      = {offset = 0x9402, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x0030, 2 states
corvane.ANNUNCIATOR_9402_BIT3      = {offset = 0x9402, mask = 0x08, shift = 3, states = 2}  -- SDK1 0x0034, 2 states
corvane.ANNUNCIATOR_9402_BIT4      = {offset = 0x9402, mask = 0x10, shift = 4, states = 2}  -- SDK1 0x0038, 2 states
corvane.ANNUNCIATOR_9402_BIT5      = {offset = 0x9402, mask = 0x20, shift = 5, states = 2}  -- SDK1 0x0058, 2 states
corvane.ANNUNCIATOR_9402_BIT6      = {offset = 0x9402, mask = 0x40, shift = 6, states = 2}  -- SDK1 0x005C, 2 states
corvane.ANNUNCIATOR_9402_BIT7      = {offset = 0x9402, mask = 0x80, shift = 7, states = 2}  -- SDK1 0x0060, 2 states
corvane.ANNUNCIATOR_9403           = 0x9403  -- U8 annunciator byte
corvane.ANNUNCIATOR_9403_BIT0      = {offset = 0x9403, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x0064, 2 states
corvane.ANNUNCIATOR_9403_BIT1      = {offset = 0x9403, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x0068, 2 states
corvane.ANNUNCIATOR_9403_BIT2      = {offset = 0x9403, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x006C, 2 states
corvane.ANNUNCIATOR_9403_BIT3      = {offset = 0x9403, mask = 0x08, shift = 3, states = 2}  -- SDK1 0x007C, 2 states
corvane.ANNUNCIATOR_9403_BIT4      = {offset = 0x9403, mask = 0x10, shift = 4, states = 2}  -- SDK1 0x0080, 2 states
corvane.ANNUNCIATOR_9403_BIT5      = {offset = 0x9403, mask = 0x20, shift = 5, states = 2}  -- SDK1 0x0084, 2 states
corvane.ANNUNCIATOR_9403_BIT6      = {offset = 0x9403, mask = 0x40, shift = 6, states = 2}  -- SDK1 0x0088, 2 states
corvane.ANNUNCIATOR_9403_BIT7      = {offset = 0x9403, mask = 0x80, shift = 7, states = 2}  -- SDK1 0x00CC, 2 states
corvane.ANNUNCIATOR_9404           = 0x9404  -- U8 annunciator byte
corvane.ANNUNCIATOR_9404_BIT0      = {offset = 0x9404, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x00D0, 2 states
corvane.ANNUNCIATOR_9404_BIT1      = {offset = 0x9404, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x00D4, 2 states
corvane.ANNUNCIATOR_9404_BIT2      = {offset = 0x9404, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x00F0, 2 states
corvane.ANNUNCIATOR_9404_BIT3      = {offset = 0x9404, mask = 0x08, shift = 3, states = 2}  -- SDK1 0x00F4, 2 states
corvane.ANNUNCIATOR_9405           = 0x9405  -- U8 annunciator byte
corvane.ANNUNCIATOR_9405_BIT0      = {offset = 0x9405, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x011C, 2 states
corvane.ANNUNCIATOR_9405_BIT1      = {offset = 0x9405, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x0120, 2 states
corvane.ANNUNCIATOR_9405_BIT2      = {offset = 0x9405, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x0124, 2 states
corvane.ANNUNCIATOR_9405_BIT3      = {offset = 0x9405, mask = 0x08, shift = 3, states = 2}  -- SDK1 0x0128, 2 states
corvane.ANNUNCIATOR_9405_BIT4      = {offset = 0x9405, mask = 0x10, shift = 4, states = 2}  -- SDK1 0x012C, 2 states
corvane.ANNUNCIATOR_9405_BIT5      = {offset = 0x9405, mask = 0x20, shift = 5, states = 2}  -- SDK1 0x0130, 2 states
corvane.ANNUNCIATOR_9405_BIT6      = {offset = 0x9405, mask = 0x40, shift = 6, states = 2}  -- SDK1 0x0134, 2 states
corvane.ANNUNCIATOR_9405_BIT7      = {offset = 0x9405, mask = 0x80, shift = 7, states = 2}  -- SDK1 0x0138, 2 states
corvane.ANNUNCIATOR_9406           = 0x9406  -- U8 annunciator byte
corvane.ANNUNCIATOR_9406_BIT0      = {offset = 0x9406, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x0150, 2 states
corvane.ANNUNCIATOR_9406_BIT1      = {offset = 0x9406, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x0154, 2 states
corvane.ANNUNCIATOR_9406_BIT2      = {offset = 0x9406, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x0158, 2 states
corvane.ANNUNCIATOR_9406_BIT3      = {offset = 0x9406, mask = 0x08, shift = 3, states = 2}  -- SDK1 0x015C, 2 states
corvane.ANNUNCIATOR_9406_BIT4      = {offset = 0x9406, mask = 0x10, shift = 4, states = 2}  -- SDK1 0x0160, 2 states
corvane.ANNUNCIATOR_9406_BIT5      = {offset = 0x9406, mask = 0x20, shift = 5, states = 2}  -- SDK1 0x0164, 2 states
corvane.ANNUNCIATOR_9406_BIT6      = {offset = 0x9406, mask = 0x40, shift = 6, states = 2}  -- SDK1 0x0168, 2 states
corvane.ANNUNCIATOR_9406_BIT7      = {offset = 0x9406, mask = 0x80, shift = 7, states = 2}  -- SDK1 0x016C, 2 states
corvane.ANNUNCIATOR_9407           = 0x9407  -- U8 annunciator byte
corvane.ANNUNCIATOR_9407_BITS0_1   = {offset = 0x9407, mask = 0x03, shift = 0, states = 4}  -- SDK1 0x0178, 4 states
corvane.ANNUNCIATOR_9407_BITS2_3   = {offset = 0x9407, mask = 0x0C, shift = 2, states = 4}  -- SDK1 0x0180, 4 states
corvane.ANNUNCIATOR_9407_BITS4_5   = {offset = 0x9407, mask = 0x30, shift = 4, states = 4}  -- SDK1 0x0188, 4 states
corvane.ANNUNCIATOR_9407_BITS6_7   = {offset = 0x9407, mask = 0xC0, shift = 6, states = 4}  -- SDK1 0x0190, 4 states
corvane.ANNUNCIATOR_9408           = 0x9408  -- U8 annunciator byte
corvane.ANNUNCIATOR_9408_BIT0      = {offset = 0x9408, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x017C, 2 states
corvane.ANNUNCIATOR_9408_BIT1      = {offset = 0x9408, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x0184, 2 states
corvane.ANNUNCIATOR_9408_BIT2      = {offset = 0x9408, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x018C, 2 states
corvane.ANNUNCIATOR_9409           = 0x9409  -- U8 annunciator byte
corvane.ANNUNCIATOR_9409_BIT0      = {offset = 0x9409, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x01B4, 2 states
corvane.ANNUNCIATOR_9409_BIT1      = {offset = 0x9409, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x01CC, 2 states
corvane.ANNUNCIATOR_9409_BIT2      = {offset = 0x9409, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x01DC, 2 states
corvane.ANNUNCIATOR_9409_BIT3      = {offset = 0x9409, mask = 0x08, shift = 3, states = 2}  -- SDK1 0x0208, 2 states
corvane.ANNUNCIATOR_9409_BIT4      = {offset = 0x9409, mask = 0x10, shift = 4, states = 2}  -- SDK1 0x020C, 2 states
corvane.ANNUNCIATOR_9409_BIT5      = {offset = 0x9409, mask = 0x20, shift = 5, states = 2}  -- SDK1 0x0220, 2 states
corvane.ANNUNCIATOR_9409_BIT6      = {offset = 0x9409, mask = 0x40, shift = 6, states = 2}  -- SDK1 0x0238, 2 states
corvane.ANNUNCIATOR_940A           = 0x940A  -- U8 annunciator byte
corvane.ANNUNCIATOR_940A_BIT0      = {offset = 0x940A, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x0248, 2 states
corvane.ANNUNCIATOR_940A_BIT1      = {offset = 0x940A, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x024C, 2 states
corvane.ANNUNCIATOR_940A_BIT2      = {offset = 0x940A, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x0250, 2 states
corvane.ANNUNCIATOR_940A_BIT3      = {offset = 0x940A, mask = 0x08, shift = 3, states = 2}  -- SDK1 0x025C, 2 states
corvane.ANNUNCIATOR_940A_BIT4      = {offset = 0x940A, mask = 0x10, shift = 4, states = 2}  -- SDK1 0x0260, 2 states
corvane.ANNUNCIATOR_940A_BIT5      = {offset = 0x940A, mask = 0x20, shift = 5, states = 2}  -- SDK1 0x0264, 2 states
corvane.ANNUNCIATOR_940A_BIT6      = {offset = 0x940A, mask = 0x40, shift = 6, states = 2}  -- SDK1 0x0268, 2 states
corvane.ANNUNCIATOR_940A_BIT7      = {offset = 0x940A, mask = 0x80, shift = 7, states = 2}  -- SDK1 0x026C, 2 states
corvane.ANNUNCIATOR_940B           = 0x940B  -- U8 annunciator byte
corvane.ANNUNCIATOR_940B_BIT0      = {offset = 0x940B, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x0270, 2 states
corvane.ANNUNCIATOR_940B_BIT1      = {offset = 0x940B, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x0274, 2 states
corvane.ANNUNCIATOR_940B_BITS2_3   = {offset = 0x940B, mask = 0x0C, shift = 2, states = 4}  -- SDK1 0x0280, 4 states
corvane.ANNUNCIATOR_940B_BITS4_5   = {offset = 0x940B, mask = 0x30, shift = 4, states = 4}  -- SDK1 0x0284, 4 states
corvane.ANNUNCIATOR_940B_BIT6      = {offset = 0x940B, mask = 0x40, shift = 6, states = 2}  -- SDK1 0x0288, 2 states
corvane.ANNUNCIATOR_940B_BIT7      = {offset = 0x940B, mask = 0x80, shift = 7, states = 2}  -- SDK1 0x028C, 2 states
corvane.ANNUNCIATOR_940C           = 0x940C  -- U8 annunciator byte
corvane.ANNUNCIATOR_940C_BIT0      = {offset = 0x940C, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x0294, 2 states
corvane.ANNUNCIATOR_940C_BIT1      = {offset = 0x940C, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x0298, 2 states
corvane.ANNUNCIATOR_940C_BIT2      = {offset = 0x940C, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x02D4, 2 states
corvane.ANNUNCIATOR_940C_BIT3      = {offset = 0x940C, mask = 0x08, shift = 3, states = 2}  -- SDK1 0x02D8, 2 states
corvane.ANNUNCIATOR_940C_BIT4      = {offset = 0x940C, mask = 0x10, shift = 4, states = 2}  -- SDK1 0x0314, 2 states
corvane.ANNUNCIATOR_940C_BIT5      = {offset = 0x940C, mask = 0x20, shift = 5, states = 2}  -- SDK1 0x0320, 2 states
corvane.ANNUNCIATOR_940C_BIT6      = {offset = 0x940C, mask = 0x40, shift = 6, states = 2}  -- SDK1 0x033C, 2 states
corvane.ANNUNCIATOR_940C_BIT7      = {offset = 0x940C, mask = 0x80, shift = 7, states = 2}  -- SDK1 0x0348, 2 states
corvane.ANNUNCIATOR_940D           = 0x940D  -- U8 annunciator byte
corvane.ANNUNCIATOR_940D_BIT0      = {offset = 0x940D, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x0364, 2 states
corvane.ANNUNCIATOR_940D_BIT1      = {offset = 0x940D, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x0370, 2 states
corvane.ANNUNCIATOR_940E           = 0x940E  -- U8 annunciator byte
corvane.ANNUNCIATOR_940E_BIT0      = {offset = 0x940E, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x0510, 2 states
corvane.ANNUNCIATOR_940E_BIT1      = {offset = 0x940E, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x0514, 2 states
corvane.ANNUNCIATOR_940E_BIT2      = {offset = 0x940E, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x0518, 2 states
corvane.ANNUNCIATOR_940E_BIT3      = {offset = 0x940E, mask = 0x08, shift = 3, states = 2}  -- SDK1 0x052C, 2 states
corvane.ANNUNCIATOR_940E_BIT4      = {offset = 0x940E, mask = 0x10, shift = 4, states = 2}  -- SDK1 0x0530, 2 states
corvane.ANNUNCIATOR_940E_BIT5      = {offset = 0x940E, mask = 0x20, shift = 5, states = 2}  -- SDK1 0x0534, 2 states
corvane.ANNUNCIATOR_940E_BIT6      = {offset = 0x940E, mask = 0x40, shift = 6, states = 2}  -- SDK1 0x0544, 2 states
corvane.ANNUNCIATOR_940E_BIT7      = {offset = 0x940E, mask = 0x80, shift = 7, states = 2}  -- SDK1 0x0550, 2 states
corvane.ANNUNCIATOR_940F           = 0x940F  -- U8 annunciator byte
corvane.ANNUNCIATOR_940F_BIT0      = {offset = 0x940F, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x0554, 2 states
corvane.ANNUNCIATOR_940F_BIT1      = {offset = 0x940F, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x0558, 2 states
corvane.ANNUNCIATOR_940F_BIT2      = {offset = 0x940F, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x055C, 2 states
corvane.ANNUNCIATOR_940F_BIT3      = {offset = 0x940F, mask = 0x08, shift = 3, states = 2}  -- SDK1 0x0560, 2 states
corvane.ANNUNCIATOR_940F_BIT4      = {offset = 0x940F, mask = 0x10, shift = 4, states = 2}  -- SDK1 0x0564, 2 states
corvane.ANNUNCIATOR_940F_BIT5      = {offset = 0x940F, mask = 0x20, shift = 5, states = 2}  -- SDK1 0x0568, 2 states
corvane.ANNUNCIATOR_9410           = 0x9410  -- U8 annunciator byte
corvane.ANNUNCIATOR_9410_BIT0      = {offset = 0x9410, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x05BC, 2 states
corvane.ANNUNCIATOR_9410_BIT1      = {offset = 0x9410, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x05C0, 2 states
corvane.ANNUNCIATOR_9410_BIT2      = {offset = 0x9410, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x05C4, 2 states
corvane.ANNUNCIATOR_9410_BIT3      = {offset = 0x9410, mask = 0x08, shift = 3, states = 2}  -- SDK1 0x05C8, 2 states
corvane.ANNUNCIATOR_9410_BIT4      = {offset = 0x9410, mask = 0x10, shift = 4, states = 2}  -- SDK1 0x05E0, 2 states
corvane.ANNUNCIATOR_9410_BIT5      = {offset = 0x9410, mask = 0x20, shift = 5, states = 2}  -- SDK1 0x05E4, 2 states
corvane.ANNUNCIATOR_9410_BIT6      = {offset = 0x9410, mask = 0x40, shift = 6, states = 2}  -- SDK1 0x05E8, 2 states
corvane.ANNUNCIATOR_9410_BIT7      = {offset = 0x9410, mask = 0x80, shift = 7, states = 2}  -- SDK1 0x05EC, 2 states
corvane.ANNUNCIATOR_9411           = 0x9411  -- U8 annunciator byte
corvane.ANNUNCIATOR_9411_BIT0      = {offset = 0x9411, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x0608, 2 states
corvane.ANNUNCIATOR_9411_BIT1      = {offset = 0x9411, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x0614, 2 states
corvane.ANNUNCIATOR_9411_BIT2      = {offset = 0x9411, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x0618, 2 states
corvane.ANNUNCIATOR_9411_BIT3      = {offset = 0x9411, mask = 0x08, shift = 3, states = 2}  -- SDK1 0x061C, 2 states
corvane.ANNUNCIATOR_9411_BIT4      = {offset = 0x9411, mask = 0x10, shift = 4, states = 2}  -- SDK1 0x0620, 2 states
corvane.ANNUNCIATOR_9411_BIT5      = {offset = 0x9411, mask = 0x20, shift = 5, states = 2}  -- SDK1 0x062C, 2 states
corvane.ANNUNCIATOR_9411_BIT6      = {offset = 0x9411, mask = 0x40, shift = 6, states = 2}  -- SDK1 0x0630, 2 states
corvane.ANNUNCIATOR_9411_BIT7      = {offset = 0x9411, mask = 0x80, shift = 7, states = 2}  -- SDK1 0x0634, 2 states
corvane.ANNUNCIATOR_9412           = 0x9412  -- U8 annunciator byte
corvane.ANNUNCIATOR_9412_BIT0      = {offset = 0x9412, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x0640, 2 states
corvane.ANNUNCIATOR_9412_BIT1      = {offset = 0x9412, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x0644, 2 states
corvane.ANNUNCIATOR_9412_BIT2      = {offset = 0x9412, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x0650, 2 states
corvane.ANNUNCIATOR_9413           = 0x9413  -- U8 annunciator byte
corvane.ANNUNCIATOR_9413_BIT0      = {offset = 0x9413, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x066C, 2 states
corvane.ANNUNCIATOR_9413_BIT1      = {offset = 0x9413, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x0670, 2 states
corvane.ANNUNCIATOR_9413_BIT2      = {offset = 0x9413, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x0674, 2 states
corvane.ANNUNCIATOR_9413_BIT3      = {offset = 0x9413, mask = 0x08, shift = 3, states = 2}  -- SDK1 0x0678, 2 states
corvane.ANNUNCIATOR_9413_BIT4      = {offset = 0x9413, mask = 0x10, shift = 4, states = 2}  -- SDK1 0x068C, 2 states
corvane.ANNUNCIATOR_9413_BIT5      = {offset = 0x9413, mask = 0x20, shift = 5, states = 2}  -- SDK1 0x0694, 2 states
corvane.ANNUNCIATOR_9413_BIT6      = {offset = 0x9413, mask = 0x40, shift = 6, states = 2}  -- SDK1 0x0698, 2 states
corvane.ANNUNCIATOR_9413_BIT7      = {offset = 0x9413, mask = 0x80, shift = 7, states = 2}  -- SDK1 0x069C, 2 states
corvane.ANNUNCIATOR_9414           = 0x9414  -- U8 annunciator byte
corvane.ANNUNCIATOR_9414_BIT0      = {offset = 0x9414, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x06A0, 2 states
corvane.ANNUNCIATOR_9414_BIT1      = {offset = 0x9414, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x06A4, 2 states
corvane.ANNUNCIATOR_9414_BIT2      = {offset = 0x9414, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x06D4, 2 states
corvane.ANNUNCIATOR_9414_BIT3      = {offset = 0x9414, mask = 0x08, shift = 3, states = 2}  -- SDK1 0x06D8, 2 states
corvane.ANNUNCIATOR_9414_BIT4      = {offset = 0x9414, mask = 0x10, shift = 4, states = 2}  -- SDK1 0x06DC, 2 states
corvane.ANNUNCIATOR_9414_BIT5      = {offset = 0x9414, mask = 0x20, shift = 5, states = 2}  -- SDK1 0x06E4, 2 states
corvane.ANNUNCIATOR_9414_BIT6      = {offset = 0x9414, mask = 0x40, shift = 6, states = 2}  -- SDK1 0x06F0, 2 states
corvane.ANNUNCIATOR_9414_BIT7      = {offset = 0x9414, mask = 0x80, shift = 7, states = 2}  -- SDK1 0x06F4, 2 states
corvane.ANNUNCIATOR_9415           = 0x9415  -- U8 annunciator byte
corvane.ANNUNCIATOR_9415_BIT0      = {offset = 0x9415, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x06F8, 2 states
corvane.ANNUNCIATOR_9415_BIT1      = {offset = 0x9415, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x06FC, 2 states
corvane.ANNUNCIATOR_9415_BIT2      = {offset = 0x9415, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x0704, 2 states
corvane.ANNUNCIATOR_9415_BIT3      = {offset = 0x9415, mask = 0x08, shift = 3, states = 2}  -- SDK1 0x0708, 2 states
corvane.ANNUNCIATOR_9416           = 0x9416  -- U8 annunciator byte
corvane.ANNUNCIATOR_9416_BIT0      = {offset = 0x9416, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x07DC, 2 states
corvane.ANNUNCIATOR_9416_BIT1      = {offset = 0x9416, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x07E0, 2 states
corvane.ANNUNCIATOR_9416_BIT2      = {offset = 0x9416, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x07E4, 2 states
corvane.ANNUNCIATOR_9416_BIT3      = {offset = 0x9416, mask = 0x08, shift = 3, states = 2}  -- SDK1 0x07E8, 2 states
corvane.ANNUNCIATOR_9416_BIT4      = {offset = 0x9416, mask = 0x10, shift = 4, states = 2}  -- SDK1 0x07EC, 2 states
corvane.ANNUNCIATOR_9416_BIT5      = {offset = 0x9416, mask = 0x20, shift = 5, states = 2}  -- SDK1 0x07F0, 2 states
corvane.ANNUNCIATOR_9417           = 0x9417  -- U8 annunciator byte
corvane.ANNUNCIATOR_9417_BIT0      = {offset = 0x9417, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x07F4, 2 states
corvane.ANNUNCIATOR_9417_BIT1      = {offset = 0x9417, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x0804, 2 states
corvane.ANNUNCIATOR_9417_BIT2      = {offset = 0x9417, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x0808, 2 states
corvane.ANNUNCIATOR_9417_BIT3      = {offset = 0x9417, mask = 0x08, shift = 3, states = 2}  -- SDK1 0x080C, 2 states
corvane.ANNUNCIATOR_9417_BIT4      = {offset = 0x9417, mask = 0x10, shift = 4, states = 2}  -- SDK1 0x0810, 2 states
corvane.ANNUNCIATOR_9417_BIT5      = {offset = 0x9417, mask = 0x20, shift = 5, states = 2}  -- SDK1 0x0814, 2 states
corvane.ANNUNCIATOR_9417_BIT6      = {offset = 0x9417, mask = 0x40, shift = 6, states = 2}  -- SDK1 0x0818, 2 states
corvane.ANNUNCIATOR_9417_BIT7      = {offset = 0x9417, mask = 0x80, shift = 7, states = 2}  -- SDK1 0x081C, 2 states
corvane.ANNUNCIATOR_9418           = 0x9418  -- U8 annunciator byte
corvane.ANNUNCIATOR_9418_BIT0      = {offset = 0x9418, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x0968, 2 states
corvane.ANNUNCIATOR_9418_BIT1      = {offset = 0x9418, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x096C, 2 states
corvane.ANNUNCIATOR_9418_BIT2      = {offset = 0x9418, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x0970, 2 states
corvane.ANNUNCIATOR_9418_BIT3      = {offset = 0x9418, mask = 0x08, shift = 3, states = 2}  -- SDK1 0x0974, 2 states
corvane.ANNUNCIATOR_9418_BIT4      = {offset = 0x9418, mask = 0x10, shift = 4, states = 2}  -- SDK1 0x0978, 2 states
corvane.ANNUNCIATOR_9418_BIT5      = {offset = 0x9418, mask = 0x20, shift = 5, states = 2}  -- SDK1 0x097C, 2 states
corvane.ANNUNCIATOR_9418_BIT6      = {offset = 0x9418, mask = 0x40, shift = 6, states = 2}  -- SDK1 0x0980, 2 states
corvane.ANNUNCIATOR_9418_BIT7      = {offset = 0x9418, mask = 0x80, shift = 7, states = 2}  -- SDK1 0x0984, 2 states
corvane.ANNUNCIATOR_9419           = 0x9419  -- U8 annunciator byte
corvane.ANNUNCIATOR_9419_BIT0      = {offset = 0x9419, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x0988, 2 states
corvane.ANNUNCIATOR_9419_BIT1      = {offset = 0x9419, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x098C, 2 states
corvane.ANNUNCIATOR_9419_BIT2      = {offset = 0x9419, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x0990, 2 states
corvane.ANNUNCIATOR_9419_BIT3      = {offset = 0x9419, mask = 0x08, shift = 3, states = 2}  -- SDK1 0x0A90, 2 states
corvane.ANNUNCIATOR_941A           = 0x941A  -- U8 annunciator byte
corvane.ANNUNCIATOR_941A_BITS0_1   = {offset = 0x941A, mask = 0x03, shift = 0, states = 4}  -- SDK1 0x0B14, 4 states
corvane.ANNUNCIATOR_941A_BITS2_3   = {offset = 0x941A, mask = 0x0C, shift = 2, states = 4}  -- SDK1 0x0B18, 4 states
corvane.ANNUNCIATOR_941A_BITS4_5   = {offset = 0x941A, mask = 0x30, shift = 4, states = 4}  -- SDK1 0x0B28, 4 states
corvane.ANNUNCIATOR_941A_BITS6_7   = {offset = 0x941A, mask = 0xC0, shift = 6, states = 4}  -- SDK1 0x0B2C, 4 states
corvane.ANNUNCIATOR_941B           = 0x941B  -- U8 annunciator byte
corvane.ANNUNCIATOR_941B_BIT0      = {offset = 0x941B, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x0B30, 2 states
corvane.ANNUNCIATOR_941B_BITS1_2   = {offset = 0x941B, mask = 0x06, shift = 1, states = 4}  -- SDK1 0x0B34, 4 states
corvane.ANNUNCIATOR_941B_BIT3      = {offset = 0x941B, mask = 0x08, shift = 3, states = 2}  -- SDK1 0x0B38, 2 states
corvane.ANNUNCIATOR_941C           = 0x941C  -- U8 annunciator byte
corvane.ANNUNCIATOR_941C_BIT0      = {offset = 0x941C, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x0B40, 2 states
corvane.ANNUNCIATOR_941C_BIT1      = {offset = 0x941C, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x0B44, 2 states
corvane.ANNUNCIATOR_941C_BIT2      = {offset = 0x941C, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x0B50, 2 states
corvane.ANNUNCIATOR_941C_BIT3      = {offset = 0x941C, mask = 0x08, shift = 3, states = 2}  -- SDK1 0x0B54, 2 states
corvane.ANNUNCIATOR_941C_BIT4      = {offset = 0x941C, mask = 0x10, shift = 4, states = 2}  -- SDK1 0x0B58, 2 states
corvane.ANNUNCIATOR_941C_BIT5      = {offset = 0x941C, mask = 0x20, shift = 5, states = 2}  -- SDK1 0x0B5C, 2 states
corvane.ANNUNCIATOR_941D           = 0x941D  -- U8 annunciator byte
corvane.ANNUNCIATOR_941D_BIT0      = {offset = 0x941D, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x0BBC, 2 states
corvane.ANNUNCIATOR_941D_BIT1      = {offset = 0x941D, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x0BC0, 2 states
corvane.ANNUNCIATOR_941D_BIT2      = {offset = 0x941D, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x0BC4, 2 states
corvane.ANNUNCIATOR_941D_BIT3      = {offset = 0x941D, mask = 0x08, shift = 3, states = 2}  -- SDK1 0x0BC8, 2 states
corvane.ANNUNCIATOR_941D_BIT4      = {offset = 0x941D, mask = 0x10, shift = 4, states = 2}  -- SDK1 0x0BCC, 2 states
corvane.ANNUNCIATOR_941D_BIT5      = {offset = 0x941D, mask = 0x20, shift = 5, states = 2}  -- SDK1 0x0BD0, 2 states
corvane.ANNUNCIATOR_941E           = 0x941E  -- U8 annunciator byte
corvane.ANNUNCIATOR_941E_BIT0      = {offset = 0x941E, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x0BE4, 2 states
corvane.ANNUNCIATOR_941E_BIT1      = {offset = 0x941E, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x0BE8, 2 states
corvane.ANNUNCIATOR_941E_BIT2      = {offset = 0x941E, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x0BEC, 2 states
corvane.ANNUNCIATOR_941E_BIT3      = {offset = 0x941E, mask = 0x08, shift = 3, states = 2}  -- SDK1 0x0BF0, 2 states
corvane.ANNUNCIATOR_941E_BIT4      = {offset = 0x941E, mask = 0x10, shift = 4, states = 2}  -- SDK1 0x0BF4, 2 states
corvane.ANNUNCIATOR_941E_BIT5      = {offset = 0x941E, mask = 0x20, shift = 5, states = 2}  -- SDK1 0x0BF8, 2 states
corvane.ANNUNCIATOR_941E_BIT6      = {offset = 0x941E, mask = 0x40, shift = 6, states = 2}  -- SDK1 0x0C00, 2 states
corvane.ANNUNCIATOR_941E_BIT7      = {offset = 0x941E, mask = 0x80, shift = 7, states = 2}  -- SDK1 0x0C08, 2 states
corvane.ANNUNCIATOR_941F           = 0x941F  -- U8 annunciator byte
corvane.ANNUNCIATOR_941F_BITS0_7   = {offset = 0x941F, mask = 0xFF, shift = 0, states = 256}  -- SDK1 0x0C10, 256 states
corvane.ANNUNCIATOR_9420           = 0x9420  -- U8 annunciator byte
corvane.ANNUNCIATOR_9420_BIT0      = {offset = 0x9420, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x0C20, 2 states
corvane.ANNUNCIATOR_9420_BIT1      = {offset = 0x9420, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x0C24, 2 states
corvane.ANNUNCIATOR_9420_BIT2      = {offset = 0x9420, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x0C28, 2 states
corvane.ANNUNCIATOR_9420_BIT3      = {offset = 0x9420, mask = 0x08, shift = 3, states = 2}  -- SDK1 0x0C2C, 2 states
corvane.ANNUNCIATOR_9420_BIT4      = {offset = 0x9420, mask = 0x10, shift = 4, states = 2}  -- SDK1 0x0C30, 2 states
corvane.ANNUNCIATOR_9420_BIT5      = {offset = 0x9420, mask = 0x20, shift = 5, states = 2}  -- SDK1 0x0C34, 2 states
corvane.ANNUNCIATOR_9420_BIT6      = {offset = 0x9420, mask = 0x40, shift = 6, states = 2}  -- SDK1 0x0C38, 2 states
corvane.ANNUNCIATOR_9420_BIT7      = {offset = 0x9420, mask = 0x80, shift = 7, states = 2}  -- SDK1 0x0C3C, 2 states
corvane.ANNUNCIATOR_9421           = 0x9421  -- U8 annunciator byte
corvane.ANNUNCIATOR_9421_BIT0      = {offset = 0x9421, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x0C40, 2 states
corvane.ANNUNCIATOR_9421_BIT1      = {offset = 0x9421, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x0C44, 2 states
corvane.ANNUNCIATOR_9421_BIT2      = {offset = 0x9421, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x0C48, 2 states
corvane.ANNUNCIATOR_9421_BIT3      = {offset = 0x9421, mask = 0x08, shift = 3, states = 2}  -- SDK1 0x0C4C, 2 states
corvane.ANNUNCIATOR_9421_BIT4      = {offset = 0x9421, mask = 0x10, shift = 4, states = 2}  -- SDK1 0x0C50, 2 states
corvane.ANNUNCIATOR_9421_BIT5      = {offset = 0x9421, mask = 0x20, shift = 5, states = 2}  -- SDK1 0x0C54, 2 states
corvane.ANNUNCIATOR_9421_BIT6      = {offset = 0x9421, mask = 0x40, shift = 6, states = 2}  -- SDK1 0x0C58, 2 states
corvane.ANNUNCIATOR_9421_BIT7      = {offset = 0x9421, mask = 0x80, shift = 7, states = 2}  -- SDK1 0x0C5C, 2 states
corvane.ANNUNCIATOR_9422           = 0x9422  -- U8 annunciator byte
corvane.ANNUNCIATOR_9422_BIT0      = {offset = 0x9422, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x0C60, 2 states
corvane.ANNUNCIATOR_9422_BIT1      = {offset = 0x9422, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x0C68, 2 states
corvane.ANNUNCIATOR_9422_BIT2      = {offset = 0x9422, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x0C7C, 2 states
corvane.ANNUNCIATOR_9423           = 0x9423  -- U8 annunciator byte
corvane.ANNUNCIATOR_9423_BIT0      = {offset = 0x9423, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x0C8C, 2 states
corvane.ANNUNCIATOR_9423_BIT1      = {offset = 0x9423, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x0C90, 2 states
corvane.ANNUNCIATOR_9423_BIT2      = {offset = 0x9423, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x0CA0, 2 states
corvane.ANNUNCIATOR_9423_BIT3      = {offset = 0x9423, mask = 0x08, shift = 3, states = 2}  -- SDK1 0x0CA8, 2 states
corvane.ANNUNCIATOR_9423_BIT4      = {offset = 0x9423, mask = 0x10, shift = 4, states = 2}  -- SDK1 0x0CAC, 2 states
corvane.ANNUNCIATOR_9423_BIT5      = {offset = 0x9423, mask = 0x20, shift = 5, states = 2}  -- SDK1 0x0CB0, 2 states
corvane.ANNUNCIATOR_9423_BIT6      = {offset = 0x9423, mask = 0x40, shift = 6, states = 2}  -- SDK1 0x0CB4, 2 states
corvane.ANNUNCIATOR_9423_BIT7      = {offset = 0x9423, mask = 0x80, shift = 7, states = 2}  -- SDK1 0x0CB8, 2 states
corvane.ANNUNCIATOR_9424           = 0x9424  -- U8 annunciator byte
corvane.ANNUNCIATOR_9424_BIT0      = {offset = 0x9424, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x0CBC, 2 states
corvane.ANNUNCIATOR_9424_BIT1      = {offset = 0x9424, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x0CC0, 2 states
corvane.ANNUNCIATOR_9424_BIT2      = {offset = 0x9424, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x0CC4, 2 states
corvane.ANNUNCIATOR_9424_BIT3      = {offset = 0x9424, mask = 0x08, shift = 3, states = 2}  -- SDK1 0x0CD4, 2 states
corvane.ANNUNCIATOR_9424_BIT4      = {offset = 0x9424, mask = 0x10, shift = 4, states = 2}  -- SDK1 0x0CD8, 2 states
corvane.ANNUNCIATOR_9424_BIT5      = {offset = 0x9424, mask = 0x20, shift = 5, states = 2}  -- SDK1 0x0CDC, 2 states
corvane.ANNUNCIATOR_9424_BIT6      = {offset = 0x9424, mask = 0x40, shift = 6, states = 2}  -- SDK1 0x0CE0, 2 states
corvane.ANNUNCIATOR_9424_BIT7      = {offset = 0x9424, mask = 0x80, shift = 7, states = 2}  -- SDK1 0x0CE4, 2 states
corvane.ANNUNCIATOR_9425           = 0x9425  -- U8 annunciator byte
corvane.ANNUNCIATOR_9425_BIT0      = {offset = 0x9425, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x0CE8, 2 states
corvane.ANNUNCIATOR_9425_BIT1      = {offset = 0x9425, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x0CEC, 2 states
corvane.ANNUNCIATOR_9425_BIT2      = {offset = 0x9425, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x0CF0, 2 states
corvane.ANNUNCIATOR_9425_BIT3      = {offset = 0x9425, mask = 0x08, shift = 3, states = 2}  -- SDK1 0x0CF4, 2 states
corvane.ANNUNCIATOR_9425_BIT4      = {offset = 0x9425, mask = 0x10, shift = 4, states = 2}  -- SDK1 0x0CF8, 2 states
corvane.ANNUNCIATOR_9425_BIT5      = {offset = 0x9425, mask = 0x20, shift = 5, states = 2}  -- SDK1 0x0CFC, 2 states
corvane.ANNUNCIATOR_9425_BIT6      = {offset = 0x9425, mask = 0x40, shift = 6, states = 2}  -- SDK1 0x0D00, 2 states
corvane.ANNUNCIATOR_9425_BIT7      = {offset = 0x9425, mask = 0x80, shift = 7, states = 2}  -- SDK1 0x0D04, 2 states
corvane.ANNUNCIATOR_9426           = 0x9426  -- U8 annunciator byte
corvane.ANNUNCIATOR_9426_BIT0      = {offset = 0x9426, mask = 0x01, shift = 0, states = 2}  -- SDK1 0x0D08, 2 states
corvane.ANNUNCIATOR_9426_BIT1      = {offset = 0x9426, mask = 0x02, shift = 1, states = 2}  -- SDK1 0x0D0C, 2 states
corvane.ANNUNCIATOR_9426_BIT2      = {offset = 0x9426, mask = 0x04, shift = 2, states = 2}  -- SDK1 0x0D10, 2 states
corvane.ANNUNCIATOR_9427           = 0x9427  -- U8 annunciator byte
corvane.ANNUNCIATOR_9427_BIT0      = {offset = 0x9427, mask = 0x01, shift = 0, states = 2}  -- SDK2 0x1A48, 2 states
corvane.ANNUNCIATOR_9427_BIT1      = {offset = 0x9427, mask = 0x02, shift = 1, states = 2}  -- SDK2 0x1A4C, 2 states
corvane.ANNUNCIATOR_9427_BIT2      = {offset = 0x9427, mask = 0x04, shift = 2, states = 2}  -- SDK2 0x1A50, 2 states
corvane.ANNUNCIATOR_9427_BIT3      = {offset = 0x9427, mask = 0x08, shift = 3, states = 2}  -- SDK2 0x1A54, 2 states
corvane.ANNUNCIATOR_9427_BIT4      = {offset = 0x9427, mask = 0x10, shift = 4, states = 2}  -- SDK2 0x1A58, 2 states
corvane.ANNUNCIATOR_9427_BIT5      = {offset = 0x9427, mask = 0x20, shift = 5, states = 2}  -- SDK2 0x1A5C, 2 states
corvane.ANNUNCIATOR_9427_BIT6      = {offset = 0x9427, mask = 0x40, shift = 6, states = 2}  -- SDK2 0x1A60, 2 states
corvane.ANNUNCIATOR_9427_BIT7      = {offset = 0x9427, mask = 0x80, shift = 7, states = 2}  -- SDK2 0x1A64, 2 states

-- Panel values: U8, or S16 where the size is 2 (a double, truncated; some
-- taken x1000 first).
corvane.PANEL_9472                 = 0x9472  -- U8 SDK1 0x0FAC, 4-byte integer
corvane.PANEL_9473                 = 0x9473  -- U8 SDK1 0x0658, 4-byte integer
corvane.PANEL_9474                 = 0x9474  -- U8 SDK1 0x065C, 4-byte integer
corvane.PANEL_9475                 = 0x9475  -- U8 SDK1 0x0660, 4-byte integer
corvane.PANEL_9476                 = 0x9476  -- U8 SDK1 0x0118, 4-byte integer
corvane.PANEL_9477                 = 0x9477  -- S16 SDK1 0x0F88, 8-byte double; x 1000, truncated
corvane.PANEL_9479                 = 0x9479  -- S16 SDK1 0x0F90, 8-byte double; x 1000, truncated
corvane.PANEL_947B                 = 0x947B  -- U8 SDK1 0x0230, 4-byte integer
corvane.PANEL_947C                 = 0x947C  -- U8 SDK1 0x0C7C, 4-byte integer
corvane.PANEL_9480                 = 0x9480  -- S16 SDK1 0x0008, 8-byte double; truncated
corvane.PANEL_9482                 = 0x9482  -- S16 SDK1 0x0010, 8-byte double; truncated
corvane.PANEL_9484                 = 0x9484  -- U8 SDK1 0x0020, 4-byte integer
corvane.PANEL_9485                 = 0x9485  -- U8 SDK1 0x0040, 4-byte integer
corvane.PANEL_9486                 = 0x9486  -- U8 SDK1 0x0044, 4-byte integer
corvane.PANEL_9487                 = 0x9487  -- U8 SDK1 0x00BC, 4-byte integer
corvane.PANEL_9488                 = 0x9488  -- S16 SDK1 0x00F8, 8-byte double; truncated
corvane.PANEL_948A                 = 0x948A  -- S16 SDK1 0x0100, 8-byte double; truncated
corvane.PANEL_948C                 = 0x948C  -- S16 SDK1 0x0110, 8-byte double; truncated
corvane.PANEL_948E                 = 0x948E  -- U8 SDK1 0x01BC, 4-byte integer
corvane.VERTICAL_SPEED_SIGN        = 0x948F  -- U8 vertical speed sign (12: negative)
corvane.PANEL_9490                 = 0x9490  -- U8 SDK1 0x02B0, 4-byte integer
corvane.PANEL_9491                 = 0x9491  -- U8 SDK1 0x02B4, 4-byte integer
corvane.PANEL_9492                 = 0x9492  -- U8 SDK1 0x02CC, 4-byte integer
corvane.PANEL_9493                 = 0x9493  -- U8 SDK1 0x02F0, 4-byte integer
corvane.PANEL_9494                 = 0x9494  -- U8 SDK1 0x02F4, 4-byte integer
corvane.PANEL_9495                 = 0x9495  -- U8 SDK1 0x030C, 4-byte integer
corvane.PANEL_9496                 = 0x9496  -- U8 SDK1 0x04D8, 4-byte integer
corvane.PANEL_9497                 = 0x9497  -- U8 SDK1 0x0580, 4-byte integer
corvane.PANEL_9498                 = 0x9498  -- U8 SDK1 0x0584, 4-byte integer
corvane.PANEL_9499                 = 0x9499  -- U8 SDK1 0x0588, 4-byte integer
corvane.PANEL_949A                 = 0x949A  -- U8 SDK1 0x05A4, 4-byte integer
corvane.PANEL_949B                 = 0x949B  -- U8 SDK1 0x05B4, 4-byte integer
corvane.PANEL_949C                 = 0x949C  -- U8 SDK1 0x05B8, 4-byte integer
corvane.PANEL_949D                 = 0x949D  -- S16 SDK1 0x05F0, 8-byte double; truncated
corvane.PANEL_949F                 = 0x949F  -- S16 SDK1 0x06A8, 8-byte double; truncated
corvane.PANEL_94A1                 = 0x94A1  -- S16 SDK1 0x06C0, 8-byte double; truncated
corvane.PANEL_94A3                 = 0x94A3  -- U8 SDK1 0x06D0, 4-byte integer
corvane.PANEL_94A4                 = 0x94A4  -- U8 SDK1 0x06E0, 4-byte integer
corvane.PANEL_94A5                 = 0x94A5  -- S16 SDK1 0x06E8, 8-byte double; truncated
corvane.PANEL_94A7                 = 0x94A7  -- U8 SDK1 0x071C, 4-byte integer
corvane.PANEL_94A8                 = 0x94A8  -- U8 SDK1 0x0720, 4-byte integer
corvane.PANEL_94A9                 = 0x94A9  -- U8 SDK1 0x07A8, 4-byte integer
corvane.PANEL_94AA                 = 0x94AA  -- U8 SDK1 0x07AC, 4-byte integer
corvane.PANEL_94AB                 = 0x94AB  -- U8 SDK1 0x082C, 4-byte integer
corvane.PANEL_94AC                 = 0x94AC  -- U8 SDK1 0x0860, 4-byte integer
corvane.PANEL_94AD                 = 0x94AD  -- U8 SDK1 0x0888, 4-byte integer
corvane.PANEL_94AE                 = 0x94AE  -- U8 SDK1 0x088C, 4-byte integer
corvane.PANEL_94AF                 = 0x94AF  -- U8 SDK1 0x08C4, 4-byte integer
corvane.PANEL_94B0                 = 0x94B0  -- U8 SDK1 0x08C8, 4-byte integer
corvane.PANEL_94B1                 = 0x94B1  -- U8 SDK1 0x0914, 4-byte integer
corvane.PANEL_94B2                 = 0x94B2  -- U8 SDK1 0x0918, 4-byte integer
corvane.PANEL_94B3                 = 0x94B3  -- U8 SDK1 0x091C, 4-byte integer
corvane.PANEL_94B4                 = 0x94B4  -- U8 SDK1 0x0920, 4-byte integer
corvane.PANEL_94B5                 = 0x94B5  -- U8 SDK1 0x0924, 4-byte integer
corvane.PANEL_94B6                 = 0x94B6  -- U8 SDK1 0x0928, 4-byte integer
corvane.PANEL_94B7                 = 0x94B7  -- U8 SDK1 0x092C, 4-byte integer
corvane.PANEL_94B8                 = 0x94B8  -- U8 SDK1 0x0930, 4-byte integer
corvane.PANEL_94B9                 = 0x94B9  -- U8 SDK1 0x0934, 4-byte integer
corvane.PANEL_94BA                 = 0x94BA  -- U8 SDK1 0x0938, 4-byte integer
corvane.PANEL_94BB                 = 0x94BB  -- U8 SDK1 0x093C, 4-byte integer
corvane.PANEL_94BC                 = 0x94BC  -- U8 SDK1 0x0940, 4-byte integer
corvane.PANEL_94BD                 = 0x94BD  -- U8 SDK1 0x0944, 4-byte integer
corvane.PANEL_94BE                 = 0x94BE  -- U8 SDK1 0x0948, 4-byte integer
corvane.PANEL_94BF                 = 0x94BF  -- U8 SDK1 0x094C, 4-byte integer
corvane.PANEL_94C0                 = 0x94C0  -- U8 SDK1 0x0950, 4-byte integer
corvane.PANEL_94C1                 = 0x94C1  -- U8 SDK1 0x0954, 4-byte integer
corvane.PANEL_94C2                 = 0x94C2  -- U8 SDK1 0x0958, 4-byte integer
corvane.PANEL_94C3                 = 0x94C3  -- U8 SDK1 0x095C, 4-byte integer
corvane.PANEL_94C4                 = 0x94C4  -- U8 SDK1 0x099C, 4-byte integer
corvane.PANEL_94C5                 = 0x94C5  -- U8 SDK1 0x09B4, 4-byte integer
corvane.PANEL_94C6                 = 0x94C6  -- U8 SDK1 0x09B8, 4-byte integer
corvane.PANEL_94C7                 = 0x94C7  -- U8 SDK1 0x09D8, 4-byte integer
corvane.PANEL_94C8                 = 0x94C8  -- U8 SDK1 0x09F0, 4-byte integer
corvane.PANEL_94C9                 = 0x94C9  -- U8 SDK1 0x09F4, 4-byte integer
corvane.PANEL_94CA                 = 0x94CA  -- U8 SDK1 0x0A2C, 4-byte integer
corvane.PANEL_94CB                 = 0x94CB  -- U8 SDK1 0x0A44, 4-byte integer
corvane.PANEL_94CC                 = 0x94CC  -- U8 SDK1 0x0A60, 4-byte integer
corvane.PANEL_94CD                 = 0x94CD  -- U8 SDK1 0x0A78, 4-byte integer
corvane.PANEL_94CE                 = 0x94CE  -- U8 SDK1 0x0A7C, 4-byte integer
corvane.PANEL_94CF                 = 0x94CF  -- U8 SDK1 0x0A94, 4-byte integer
corvane.PANEL_94D0                 = 0x94D0  -- U8 SDK1 0x0A98, 4-byte integer
corvane.PANEL_94D1                 = 0x94D1  -- U8 SDK1 0x0A9C, 4-byte integer
corvane.PANEL_94D2                 = 0x94D2  -- S16 SDK1 0x0B20, 8-byte double; truncated
corvane.PANEL_94D4                 = 0x94D4  -- U8 SDK1 0x0B98, 4-byte integer
corvane.PANEL_94D5                 = 0x94D5  -- U8 SDK1 0x0C04, 4-byte integer
corvane.PANEL_94D6                 = 0x94D6  -- S16 SDK1 0x0C18, 8-byte double; truncated
corvane.PANEL_94D8                 = 0x94D8  -- S16 SDK1 0x0C98, 8-byte double; truncated
corvane.PANEL_94DA                 = 0x94DA  -- U8 SDK1 0x0D40, 4-byte integer
corvane.PANEL_94DB                 = 0x94DB  -- U8 SDK1 0x0D50, 4-byte integer
corvane.PANEL_94DC                 = 0x94DC  -- U8 SDK1 0x0D54, 4-byte integer
corvane.PANEL_94DD                 = 0x94DD  -- U8 SDK1 0x0D58, 4-byte integer
corvane.PANEL_94DE                 = 0x94DE  -- U8 SDK1 0x0E88, 4-byte integer
corvane.PANEL_94DF                 = 0x94DF  -- U8 SDK1 0x0E8C, 4-byte integer
corvane.PANEL_94E0                 = 0x94E0  -- U8 SDK1 0x0E90, 4-byte integer
corvane.PANEL_94E1                 = 0x94E1  -- U8 SDK1 0x0E94, 4-byte integer
corvane.PANEL_94E2                 = 0x94E2  -- U8 SDK1 0x0E98, 4-byte integer
corvane.PANEL_94E3                 = 0x94E3  -- U8 SDK1 0x0E9C, 4-byte integer
corvane.PANEL_94E4                 = 0x94E4  -- U8 SDK1 0x0EA0, 4-byte integer
corvane.PANEL_94E5                 = 0x94E5  -- U8 SDK1 0x0EA4, 4-byte integer
corvane.PANEL_94E6                 = 0x94E6  -- U8 SDK1 0x0EA8, 4-byte integer
corvane.PANEL_94E7                 = 0x94E7  -- U8 SDK1 0x0EAC, 4-byte integer
corvane.PANEL_94E8                 = 0x94E8  -- U8 SDK1 0x0EE4, 4-byte integer
corvane.PANEL_94E9                 = 0x94E9  -- U8 SDK1 0x0EE8, 4-byte integer
corvane.PANEL_94EA                 = 0x94EA  -- U8 SDK1 0x0EF0, 4-byte integer
corvane.AIRCRAFT_DATA_VALID        = 0x94EB  -- U8 aircraft data valid
corvane.PANEL_94EC                 = 0x94EC  -- U8 SDK1 0x0610, 4-byte integer
corvane.PANEL_94ED                 = 0x94ED  -- U8 SDK1 0x0638, 4-byte integer
corvane.PANEL_94EE                 = 0x94EE  -- U8 SDK1 0x0624, 4-byte integer
corvane.PANEL_94EF                 = 0x94EF  -- U8 SDK1 0x01B8, 4-byte integer

-- Corvane's own state (U8), written only with State=1 in its corvane.ini.
corvane.STATE                      = 0x9429  -- U8 Corvane state
corvane.HEARTBEAT                  = 0x942A  -- U8 heartbeat

-- The S16 panel values, each with what undoes its scale.
local s16_divisor = {
  [corvane.PANEL_9477] = 1000,
  [corvane.PANEL_9479] = 1000,
  [corvane.PANEL_9480] = 1,
  [corvane.PANEL_9482] = 1,
  [corvane.PANEL_9488] = 1,
  [corvane.PANEL_948A] = 1,
  [corvane.PANEL_948C] = 1,
  [corvane.PANEL_949D] = 1,
  [corvane.PANEL_949F] = 1,
  [corvane.PANEL_94A1] = 1,
  [corvane.PANEL_94A5] = 1,
  [corvane.PANEL_94D2] = 1,
  [corvane.PANEL_94D6] = 1,
  [corvane.PANEL_94D8] = 1,
}

local function in_block(offset, size)
  return type(offset) == "number" and offset >= 0x9400 and offset + size - 1 <= 0x94FB
end

-- A display value, or nil when the window is blank.
function corvane.decode_display(raw)
  if raw == corvane.BLANK then
    return nil
  end
  return raw
end

function corvane.display(offset)
  if not in_block(offset, 2) then
    return nil
  end
  return corvane.decode_display(ipc.readUW(offset))
end

-- The vertical speed window with its sign (the window shows the magnitude,
-- VERTICAL_SPEED_SIGN says VS_NEGATIVE when it is negative), or nil when blank.
function corvane.decode_vertical_speed(magnitude, sign)
  local value = corvane.decode_display(magnitude)
  if value ~= nil and sign == corvane.VS_NEGATIVE then
    value = -value
  end
  return value
end

function corvane.vertical_speed()
  return corvane.decode_vertical_speed(ipc.readUW(corvane.VERTICAL_SPEED_DISPLAY),
                                       ipc.readUB(corvane.VERTICAL_SPEED_SIGN))
end

-- A number shown in hundredths (the speed window in Mach mode shows M.78 as
-- 78: 0.78); nil stays nil.
function corvane.hundredths(value)
  if value == nil then
    return nil
  end
  return value / 100
end

-- A panel value as the aircraft has it: raw as read, with ipc.readSW for the S16
-- rows and ipc.readUB for the others; the x1000 rows are divided back
-- (1234 gives 1.234).
function corvane.decode_panel(offset, raw)
  local divisor = s16_divisor[offset]
  if divisor == nil then
    return raw
  end
  return raw / divisor
end

function corvane.panel(offset)
  if not in_block(offset, 1) then
    return nil
  end
  if s16_divisor[offset] == nil then
    return ipc.readUB(offset)
  end
  return corvane.decode_panel(offset, ipc.readSW(offset))
end

-- The state of an annunciator field in its byte, (byte & mask) >> shift: 0 or 1
-- for a lamp, 0 to 3 for a field with two bits.
function corvane.state(field, byte)
  return math.floor(byte / 2 ^ field.shift) % field.states
end

function corvane.field(field)
  return corvane.state(field, ipc.readUB(field.offset))
end

function corvane.lit(field)
  return corvane.field(field) ~= 0
end

-- A counter after detents: +n clockwise or up, -n the other way, modulo 256.
-- Corvane reads the difference since its last tick, so at most MAX_DETENTS
-- either way at a time, and whole detents only: a counter holds no fraction.
function corvane.add_detents(counter, detents)
  if detents > corvane.MAX_DETENTS or detents < -corvane.MAX_DETENTS then
    error("corvane: at most " .. corvane.MAX_DETENTS .. " detents at a time, not " .. detents, 2)
  end
  if detents ~= math.floor(detents) then
    error("corvane: whole detents only, not " .. detents, 2)
  end
  return (counter + detents) % 256
end

function corvane.turn(counter, detents)
  ipc.writeUB(counter, corvane.add_detents(ipc.readUB(counter), detents))
end

-- Writes a command code into the command word once Corvane has taken the
-- previous one (the word is free: above MAX_COMMAND, negative as a signed
-- word, NO_COMMAND once Corvane took it), waiting up to wait_ms (default 0:
-- no wait). True when written, false when the word stayed busy.
function corvane.command(code, wait_ms)
  if code < 0 or code > corvane.MAX_COMMAND then
    error("corvane: a command code is 0.." .. corvane.MAX_COMMAND .. ", not " .. code, 2)
  end
  local waited = 0
  while ipc.readUW(corvane.COMMAND_WORD) <= corvane.MAX_COMMAND do
    if waited >= (wait_ms or 0) then
      return false
    end
    ipc.sleep(10)
    waited = waited + 10
  end
  ipc.writeUW(corvane.COMMAND_WORD, code)
  return true
end

-- Whether Corvane bridges (State=1 in its corvane.ini): STATE reads
-- STATE_BRIDGING and HEARTBEAT moved within LIVE_MS. watch is your table
-- that remembers the last heartbeat seen (start with {}), now_ms your clock
-- in milliseconds. A Corvane that was killed or cut off leaves STATE as it
-- was, but its heartbeat stands still: the first reading only takes the
-- heartbeat in, and Corvane is live once it moved.
function corvane.decode_live(watch, state, heartbeat, now_ms)
  if watch.heartbeat == nil then
    watch.heartbeat = heartbeat
  elseif watch.heartbeat ~= heartbeat then
    watch.heartbeat = heartbeat
    watch.since = now_ms
  end
  return state == corvane.STATE_BRIDGING and watch.since ~= nil and
         now_ms - watch.since <= corvane.LIVE_MS
end

function corvane.live(watch)
  return corvane.decode_live(watch, ipc.readUB(corvane.STATE),
                             ipc.readUB(corvane.HEARTBEAT), ipc.elapsedtime())
end

return corvane
