// corvane-monitor's output on the console, a file or a pipe.
#include "monitor/win32/console.h"

namespace corvane::monitor::win32 {

namespace {

constexpr std::size_t kStreamWidth = 120;
constexpr std::size_t kMinWidth = 20;
constexpr std::size_t kMinHeight = 2;
constexpr DWORD kWriteChunk = 16384;
// ENABLE_VIRTUAL_TERMINAL_PROCESSING, not named by every SDK's headers.
constexpr DWORD kVtProcessing = 0x0004;
constexpr UINT kUtf8CodePage = 65001;
constexpr WORD kColourBits = 0x00FF;

constexpr char kReverse[] = "\x1b[7m";
constexpr char kNotReverse[] = "\x1b[27m";
constexpr char kClearToLineEnd[] = "\x1b[K";
constexpr char kClearBelow[] = "\x1b[J";
constexpr char kHideCursor[] = "\x1b[?25l";
constexpr char kShowCursor[] = "\x1b[?25h";
constexpr char kLineEnd[] = "\r\n";

// Wine's console (up to Wine 8 at least) takes VT sequences but counts
// their bytes as columns when it wraps a line, so highlighted lines break
// early; its console calls work as they should.
bool vt_wraps_wrongly() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool console_mode(HANDLE handle, DWORD& mode) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

void write_handle(HANDLE handle, bool console, const char* data, std::size_t size) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return;
    }
    while (size > 0) {
        const DWORD chunk = size < kWriteChunk ? static_cast<DWORD>(size) : kWriteChunk;
        DWORD written = 0;
        const BOOL ok = console ? WriteConsoleA(handle, data, chunk, &written, nullptr)
                                : WriteFile(handle, data, chunk, &written, nullptr);
        if (!ok || written == 0) {
            return;
        }
        data += written;
        size -= written;
    }
}

// Foreground and background colours swapped; the other attribute bits kept.
WORD reversed(WORD attributes) {
    const WORD colours = attributes & kColourBits;
    return static_cast<WORD>((attributes & ~kColourBits) | ((colours & 0x0F) << 4) | ((colours & 0xF0) >> 4));
}

void draw_vt(Output& output, const Frame& frame) {
    std::string& text = output.text;
    text.clear();
    if (output.drawn > 0) {
        // Back to the first column of the previous frame's first line.
        text += "\x1b[";
        text += std::to_string(output.drawn);
        text += 'F';
    }
    std::size_t h = 0;
    for (std::size_t l = 0; l < frame.line_count; ++l) {
        const std::string& line = frame.lines[l];
        std::size_t at = 0;
        for (; h < frame.highlights.size() && frame.highlights[h].line == l; ++h) {
            const Highlight& span = frame.highlights[h];
            text.append(line, at, span.byte - at);
            text += kReverse;
            text.append(line, span.byte, span.length);
            text += kNotReverse;
            at = span.byte + span.length;
        }
        text.append(line, at, std::string::npos);
        text += kClearToLineEnd;
        text += kLineEnd;
    }
    text += kClearBelow;
    output.drawn = frame.line_count;
    write_handle(output.out, true, text.data(), text.size());
}

void draw_cells(Output& output, const Frame& frame) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(output.out, &info)) {
        return;
    }
    const std::size_t need = frame.line_count;
    if (output.reserved < need) {
        // Take more rows below the view: new lines from its end, so that a
        // full buffer scrolls once now and never while drawing.
        if (output.reserved == 0) {
            output.top = info.dwCursorPosition.Y;
            if (info.dwCursorPosition.X != 0) {
                ++output.top;
            }
        }
        SetConsoleCursorPosition(output.out, COORD{0, static_cast<SHORT>(output.top + output.reserved)});
        std::string& lines = output.text;
        lines.clear();
        for (std::size_t i = output.reserved; i < need; ++i) {
            lines += kLineEnd;
        }
        write_handle(output.out, true, lines.data(), lines.size());
        if (!GetConsoleScreenBufferInfo(output.out, &info)) {
            return;
        }
        output.top = static_cast<SHORT>(info.dwCursorPosition.Y - static_cast<SHORT>(need));
        output.reserved = need;
    }
    const std::size_t width = static_cast<std::size_t>(info.dwSize.X);
    DWORD done = 0;
    std::size_t h = 0;
    for (std::size_t l = 0; l < output.reserved; ++l) {
        const COORD row{0, static_cast<SHORT>(output.top + static_cast<SHORT>(l))};
        std::string& text = output.text;
        text.assign(l < need ? frame.lines[l] : std::string(), 0, width);
        text.append(width - text.size(), ' ');
        WriteConsoleOutputCharacterA(output.out, text.data(), static_cast<DWORD>(text.size()), row, &done);
        FillConsoleOutputAttribute(output.out, output.attributes, static_cast<DWORD>(width), row, &done);
        for (; h < frame.highlights.size() && frame.highlights[h].line == l; ++h) {
            const Highlight& span = frame.highlights[h];
            FillConsoleOutputAttribute(output.out, reversed(output.attributes), static_cast<DWORD>(span.length),
                                       COORD{static_cast<SHORT>(span.column), row.Y}, &done);
        }
    }
}

void draw_stream(Output& output, const Frame& frame) {
    std::string& text = output.text;
    text.clear();
    for (std::size_t l = 0; l < frame.line_count; ++l) {
        text += frame.lines[l];
        text += kLineEnd;
    }
    if (text == output.last) {
        return;
    }
    output.last = text;
    text += kLineEnd;
    write_handle(output.out, output.out_is_console, text.data(), text.size());
}

}  // namespace

void open_output(Output& output, bool live_view) {
    output.out = GetStdHandle(STD_OUTPUT_HANDLE);
    output.err = GetStdHandle(STD_ERROR_HANDLE);
    DWORD out_mode = 0;
    DWORD err_mode = 0;
    output.out_is_console = console_mode(output.out, out_mode);
    output.err_is_console = console_mode(output.err, err_mode);
    if (output.out_is_console || output.err_is_console) {
        // Labels are read as UTF-8.
        output.original_code_page = GetConsoleOutputCP();
        output.code_page_changed = SetConsoleOutputCP(kUtf8CodePage) != 0;
    }
    output.drawing = Drawing::Stream;
    if (!output.out_is_console || !live_view) {
        return;
    }
    CONSOLE_SCREEN_BUFFER_INFO info;
    output.attributes = GetConsoleScreenBufferInfo(output.out, &info) ? info.wAttributes : WORD{0x07};
    output.original_mode = out_mode;
    DWORD mode = 0;
    if (!vt_wraps_wrongly() && SetConsoleMode(output.out, out_mode | kVtProcessing) &&
        GetConsoleMode(output.out, &mode) && (mode & kVtProcessing) != 0) {
        output.mode_changed = true;
        output.drawing = Drawing::Vt;
        write_handle(output.out, true, kHideCursor, sizeof kHideCursor - 1);
        output.cursor_hidden = true;
    } else {
        output.drawing = Drawing::Cells;
    }
}

void close_output(Output& output) {
    if (output.drawing == Drawing::Cells && output.reserved > 0) {
        SetConsoleCursorPosition(output.out,
                                 COORD{0, static_cast<SHORT>(output.top + static_cast<SHORT>(output.reserved))});
    }
    if (output.cursor_hidden) {
        write_handle(output.out, true, kShowCursor, sizeof kShowCursor - 1);
        output.cursor_hidden = false;
    }
    if (output.mode_changed) {
        SetConsoleMode(output.out, output.original_mode);
        output.mode_changed = false;
    }
    if (output.code_page_changed) {
        SetConsoleOutputCP(output.original_code_page);
        output.code_page_changed = false;
    }
}

void frame_size(const Output& output, std::size_t& width, std::size_t& height) {
    width = kStreamWidth;
    height = 0;
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (output.drawing == Drawing::Stream || !GetConsoleScreenBufferInfo(output.out, &info)) {
        return;
    }
    // One column and one line short of the window: nothing wraps or scrolls.
    const std::size_t columns = static_cast<std::size_t>(info.srWindow.Right - info.srWindow.Left + 1);
    const std::size_t lines = static_cast<std::size_t>(info.srWindow.Bottom - info.srWindow.Top + 1);
    width = columns > kMinWidth ? columns - 1 : kMinWidth;
    height = lines > kMinHeight ? lines - 1 : kMinHeight;
}

void draw(Output& output, const Frame& frame) {
    switch (output.drawing) {
        case Drawing::Vt:
            draw_vt(output, frame);
            break;
        case Drawing::Cells:
            draw_cells(output, frame);
            break;
        case Drawing::Stream:
            draw_stream(output, frame);
            break;
    }
}

void write_out(Output& output, const std::string& text) {
    write_handle(output.out, output.out_is_console, text.data(), text.size());
}

void write_err(Output& output, const std::string& text) {
    write_handle(output.err, output.err_is_console, text.data(), text.size());
}

}  // namespace corvane::monitor::win32
