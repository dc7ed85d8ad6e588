// Shows the reminder window with three reminders, as a due minute with
// three reminder schedules would, for looking at it (scripts/screenshot-
// reminders). Runs until the countdown hides the window, or for the number
// of seconds given as the first argument.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "common/datetime.h"
#include "common/memory_store.h"
#include "config/global_settings.h"
#include "config/value_access.h"
#include "config/values.h"
#include "platform/win32/locale_win32.h"
#include "platform/win32/win_services.h"
#include "platform/win32/reminder_window_win32.h"
#include "platform/win32/version_win32.h"
#include "sched/reminder_item.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR args, int) {
    const int seconds = args && *args ? std::atoi(args) : 0;

    pw::MemoryStore store;
    pw::cfg::Write(store, pw::cfg::kSettingsKey, pw::cfg::global::MsgDisplayTime, 125);
    pw::cfg::GlobalSettings settings;  // the defaults: 19 px blue text on the button face
    // This tool has no version resource of its own; the program beside it has.
    wchar_t path[MAX_PATH];
    std::wstring exe(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    exe = exe.substr(0, exe.find_last_of(L"\\/") + 1) + L"plenwick.exe";
    pw::win::WinMessageBoxes boxes;
    pw::win::ReminderWindowWin32 window(store, settings, nullptr, boxes, pw::win::ReadFileVersion(exe));
    if (!window.Create(instance)) return 1;

    const pw::Locale locale = pw::win::ReadUserLocale();
    auto timing = [](int h, int m, int period, int n, const char* unit) {
        pw::sched::ScheduleTiming t;
        t.startDate = pw::EncodeDate(2026, 12, 8);
        t.startTime = pw::EncodeTime(h, m, 0, 0);
        t.endDate = pw::EncodeDate(2026, 12, 8);
        t.endTime = pw::EncodeTime(18, 0, 0, 0);
        t.repeatPeriod = pw::EncodeTime(period, 0, 0, 0);
        t.cycleNumber = n;
        t.cycleUnit = pw::sched::ParseCycleUnit(unit);
        return t;
    };
    const std::vector<std::string> items = {
        pw::sched::MakeReminderItem("Stand-up meeting in room 4",
                                    pw::sched::ReminderDescription(timing(9, 30, 1, 1, "days"), locale), "Stand-up"),
        pw::sched::MakeReminderItem("Call the dentist || ask about Friday",
                                    pw::sched::ReminderDescription(timing(9, 30, 0, 0, "disabled"), locale),
                                    "Dentist"),
        pw::sched::MakeReminderItem("Back up the project folder",
                                    pw::sched::ReminderDescription(timing(7, 30, 2, 1, "mths date"), locale),
                                    "Backup"),
    };
    window.ShowReminders(items);

    if (seconds > 0) SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr) break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (!IsWindowVisible(window.Handle())) break;
    }
    return 0;
}
