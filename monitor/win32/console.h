// corvane-monitor's output: standard output and error as Win32 handles, and
// the live view drawn in place on the console.
//
// Three ways to draw a frame, picked once at start:
//   Vt      the console takes VT sequences: each frame goes back up over the
//           previous one and overwrites it line by line;
//   Cells   a console without VT (or Wine's, which wraps VT lines wrongly):
//           the frame is written into fixed rows of the screen buffer with
//           the console calls, so nothing ever scrolls;
//   Stream  output redirected to a file or a pipe: a frame is printed whole,
//           after a blank line, whenever it differs from the last one.
// Frames are kept one line shorter than the console window, so drawing one
// never scrolls the window.
//
// Everything goes through WriteConsoleA / WriteFile rather than the C
// runtime, so that a Winelib build and a MinGW build write to the same
// Windows handles and nothing waits in a stdio buffer.
#pragma once

#include <cstddef>
#include <string>

#include "monitor/view.h"
#include "platform/windows_api.h"

namespace corvane::monitor::win32 {

enum class Drawing { Vt, Cells, Stream };

struct Output {
    HANDLE out = nullptr;
    HANDLE err = nullptr;
    bool out_is_console = false;
    bool err_is_console = false;
    Drawing drawing = Drawing::Stream;

    // What open_output changed, for close_output to put back.
    DWORD original_mode = 0;
    bool mode_changed = false;
    UINT original_code_page = 0;
    bool code_page_changed = false;
    bool cursor_hidden = false;

    // Vt: lines of the frame on screen. Cells: the rows of the buffer the
    // view owns (top, reserved), and the console's own colours.
    std::size_t drawn = 0;
    SHORT top = 0;
    std::size_t reserved = 0;
    WORD attributes = 0;

    std::string text;  // reused for every write
    std::string last;  // Stream: the frame printed last
};

// Takes the standard handles; for a live view on a console also switches
// on VT processing where the console has it and UTF-8 output (labels).
void open_output(Output& output, bool live_view);
// Puts the console back as it was and leaves the cursor below the view.
void close_output(Output& output);

// Columns and lines a frame may take now.
void frame_size(const Output& output, std::size_t& width, std::size_t& height);
void draw(Output& output, const Frame& frame);

void write_out(Output& output, const std::string& text);
void write_err(Output& output, const std::string& text);

}  // namespace corvane::monitor::win32
