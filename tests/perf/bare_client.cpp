// bare-client: the floor that corvane.exe's cost is measured against
// (scripts/latency.sh). A plain top-level window, as big as Corvane's and
// shown like it, whose window timer runs one FSUIPC exchange of the same 14
// reads that every bridge cycle makes (the command word, the twelve counters,
// the value byte), through the same client, and nothing else: no aircraft,
// no export, no commands, no controls.
//
//   bare-client [--speed MS] [--seconds N]
//
// --speed is the timer period (default 20, as Corvane's), --seconds ends the
// program after that long (default: runs until its window is closed). The
// link is opened on the first tick and again on any tick after a failure.
//
// Two clients whose timers tick at a fixed distance from each other do not
// cost the same: under Wine the one that runs a few milliseconds after the
// other finds the machine warm and pays up to a quarter less per tick, and
// which one that is depends on when each happened to start. So every half
// second this client moves its tick to a random point of the period: over
// a run both clients see every distance alike. It skips about one tick in
// 25 doing so, which is why the cost is compared per exchange.
#include <cstdlib>
#include <cstring>

#include "platform/windows_api.h"

#include "bridge/command_tables.h"
#include "fsuipc/client.h"
#include "platform/win32_os.h"

namespace {

using namespace corvane;

constexpr char kClassName[] = "CORVANE_BARE_CLIENT";
constexpr char kTitle[] = "Corvane floor: bare client";
constexpr UINT_PTR kTimerId = 1;
constexpr UINT_PTR kRephaseTimerId = 2;  // one-shot: restarts the tick timer
constexpr unsigned kRephaseEveryTicks = 25;
constexpr UINT kDefaultSpeedMs = 20;
// Corvane's main window: where it stands, how big, which frame.
constexpr DWORD kWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int kWindowX = 100;
constexpr int kWindowY = 100;
constexpr int kWindowWidth = 532;
constexpr int kWindowHeight = 320;

constexpr std::uint32_t kCounterCount = bridge::kKnobCount + bridge::kStepCounterCount;
constexpr std::uint32_t kCountersAt = 2;
constexpr std::uint32_t kValueByteAt = kCountersAt + kCounterCount;

// A bridge cycle's reads, in the bridge's order.
struct CycleReads {
    fsuipc::BatchRead reads[kCounterCount + 2];
    CycleReads() {
        reads[0] = {bridge::kCommandWordOffset, 2, 0};
        for (std::uint32_t i = 0; i < kCounterCount; ++i) {
            reads[1 + i] = {bridge::kKnobCounterOffset + i, 1, kCountersAt + i};
        }
        reads[kCounterCount + 1] = {bridge::kValueByteOffset, 1, kValueByteAt};
    }
};

struct BareClient {
    Win32Os os;
    fsuipc::Client client;
    std::int32_t code = 0;
    bool open = false;
    unsigned char bytes[kValueByteAt + 1] = {};
    CycleReads table;
    fsuipc::PreparedReads reads;
    ULONGLONG stop_at = 0;  // 0: never
    UINT speed_ms = kDefaultSpeedMs;
    unsigned ticks = 0;
    std::uint32_t random = 0;
};

// A random delay of 1 .. speed-1 ms (xorshift; any spread will do).
UINT random_delay(BareClient& b) {
    b.random ^= b.random << 13;
    b.random ^= b.random >> 17;
    b.random ^= b.random << 5;
    return b.speed_ms > 1 ? 1 + b.random % (b.speed_ms - 1) : 1;
}

// One bridge cycle's reads, queued as the bridge queues them, and one exchange.
void exchange(BareClient& b) {
    if (!b.open) {
        b.open = fsuipc::open(b.client, b.os, 0, b.code) != 0;
        if (!b.open) {
            return;
        }
    }
    fsuipc::queue_reads(b.client, b.reads, b.code);
    if (fsuipc::process(b.client, b.os, b.code) == 0) {
        fsuipc::close(b.client, b.os);
        b.open = false;
    }
}

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lparam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* b = reinterpret_cast<BareClient*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (b != nullptr && message == WM_TIMER && wparam == kRephaseTimerId) {
        KillTimer(window, kRephaseTimerId);
        SetTimer(window, kTimerId, b->speed_ms, nullptr);  // the next tick one period from now
        return 0;
    }
    if (b != nullptr && message == WM_TIMER) {
        if (++b->ticks % kRephaseEveryTicks == 0) {
            KillTimer(window, kTimerId);
            SetTimer(window, kRephaseTimerId, random_delay(*b), nullptr);
        }
        exchange(*b);
        if (b->stop_at != 0 && GetTickCount64() >= b->stop_at) {
            DestroyWindow(window);
        }
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

// "--speed MS" and "--seconds N", in any order; false on anything else.
bool parse(char* command_line, UINT& speed_ms, unsigned long& seconds) {
    const char* separators = " \t";
    for (char* word = std::strtok(command_line, separators); word != nullptr;
         word = std::strtok(nullptr, separators)) {
        const bool speed = std::strcmp(word, "--speed") == 0;
        if (!speed && std::strcmp(word, "--seconds") != 0) {
            return false;
        }
        char* number = std::strtok(nullptr, separators);
        char* end = nullptr;
        const unsigned long value = number != nullptr ? std::strtoul(number, &end, 10) : 0;
        if (number == nullptr || *end != '\0' || value == 0) {
            return false;
        }
        if (speed) {
            speed_ms = static_cast<UINT>(value);
        } else {
            seconds = value;
        }
    }
    return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int) {
    UINT speed_ms = kDefaultSpeedMs;
    unsigned long seconds = 0;
    if (!parse(command_line, speed_ms, seconds)) {
        MessageBoxA(nullptr, "usage: bare-client [--speed MS] [--seconds N]", kTitle, MB_ICONERROR);
        return 2;
    }
    BareClient b;
    b.speed_ms = speed_ms;
    b.random = GetTickCount() | 1;
    fsuipc::prepare_reads(b.reads, b.table.reads, kCounterCount + 2, b.bytes);
    if (seconds != 0) {
        b.stop_at = GetTickCount64() + seconds * 1000;
    }

    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = window_procedure;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    window_class.lpszClassName = kClassName;
    RegisterClassA(&window_class);
    const HWND window = CreateWindowExA(0, kClassName, kTitle, kWindowStyle, kWindowX, kWindowY,
                                        kWindowWidth, kWindowHeight, nullptr, nullptr, instance,
                                        &b);
    if (window == nullptr) {
        return 1;
    }
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    SetTimer(window, kTimerId, speed_ms, nullptr);

    MSG message = {};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (b.open) {
        fsuipc::close(b.client, b.os);
    }
    return 0;
}
