// Windows: 300 reminders into the real reminder window, filled in one step
// (one rich text stream), against the line-by-line fill it replaced (per
// line: select the end, set the format, insert the text), in the same
// control in the same run. Each fill is timed until the window has
// handled every message it caused, the repaints included. Then the same
// 300 put off with Snooze into the registry and taken back out of it at
// their minute, as the tick does before it fills the window again, against
// that fill. Needs a display:
//   PW_XVFB=1 scripts/wine-run build/win32/bench_reminder_fill_win32.exe
#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>

#include "common/memory_store.h"
#include "config/global_settings.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/reminder_window_win32.h"
#include "platform/win32/system_clock.h"
#include "platform/win32/text.h"
#include "platform/win32/win_services.h"
#include "reminder_fill.h"
#include "sched/snooze.h"
#include "support/fake_reminder_view.h"

namespace {

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// How the window filled its text before: one line at a time.
void AppendLineByLine(HWND edit, const pw::app::StyledLine& line) {
    CHARRANGE end{-1, -1};
    SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_FACE | CFM_COLOR | CFM_SIZE | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_CHARSET;
    cf.dwEffects = line.style.bold ? CFE_BOLD : 0;
    cf.yHeight = line.style.points * 20;
    cf.crTextColor = line.style.colour;
    cf.bCharSet = DEFAULT_CHARSET;
    lstrcpynW(cf.szFaceName, pw::win::Widen(line.style.font).c_str(), LF_FACESIZE);
    SendMessageW(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    const std::wstring text = pw::win::Widen(line.text) + L"\r\n";
    SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace

int main() {
    using namespace pw;
    const auto items = bench::DueReminders(bench::kReminders);
    MemoryStore store;
    cfg::GlobalSettings settings;
    win::WinMessageBoxes boxes;
    win::ReminderWindowWin32 window(store, settings, nullptr, boxes, ProgramVersion{});
    if (!window.Create(GetModuleHandleW(nullptr))) {
        std::printf("the reminder window could not be created (no display?)\n");
        return 1;
    }
    HWND edit = window.TextControl();

    // The styled lines exactly as the window's logic makes them.
    test::FakeReminderView capture;
    HDC dc = GetDC(nullptr);
    capture.ppi = GetDeviceCaps(dc, LOGPIXELSY);
    capture.dpi = capture.ppi;
    ReleaseDC(nullptr, dc);
    app::ReminderWindow logic(capture, store, settings, nullptr, ProgramVersion{});
    logic.FormCreate();
    logic.ShowReminders(items);

    const double oneStep = bench::BestMs(3, [&] {
        window.ShowReminders(items);
        UpdateWindow(window.Handle());
        Pump();
    });
    const double lineByLine = bench::BestMs(1, [&] {
        SetWindowTextW(edit, L"");
        for (const auto& line : capture.lines) AppendLineByLine(edit, line);
        SendMessageW(edit, WM_VSCROLL, SB_TOP, 0);
        UpdateWindow(window.Handle());
        Pump();
    });
    std::printf("%d reminders (%zu lines) into the reminder window:\n", bench::kReminders, capture.lines.size());
    std::printf("  one rich text stream: %.1f ms\n", oneStep);
    std::printf("  line by line (before): %.1f ms\n", lineByLine);
    std::printf("  line by line / one stream: %.1fx\n", lineByLine / std::max(oneStep, 1e-3));

    // Snoozed into this prefix's registry and back; nothing is left there.
    win::RegistryStore registry;
    win::SystemClock clock;
    const Locale locale = Locale::EnGB();
    sched::SnoozeQueue queue(registry, locale);
    std::size_t back = 0;
    const double put = bench::BestMs(1, [&] { queue.Put(items, 1, clock.LocalAndUtc()); });
    const double take = bench::BestMs(1, [&] { back = queue.TakeDue(ToSeconds(clock.UtcNow()) + 3600, {}).size(); });
    std::printf("  snoozed into the registry: %.1f ms; %zu taken back out: %.1f ms\n", put, back, take);
    std::printf("  taken back / one stream: %.2fx\n", take / std::max(oneStep, 1e-3));
    return 0;
}
