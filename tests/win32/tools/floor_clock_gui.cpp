// The floor for the clock benchmark (bench/clock_vs_floor.sh): the least a
// Win32 clock can be. One window, two static labels, a one-second timer
// that sets them to the date and the time. Nothing else: no store, no
// menu, no tray, no log.
// With /tray it also does the two things every start of the program must:
// a tray icon shown until exit, and the connection query at every tick.
// The two libraries they need weigh more than the rest of a small program.
#include <windows.h>
#include <shellapi.h>
#include <wininet.h>

#include <cstring>

namespace {

HWND g_date = nullptr;
HWND g_time = nullptr;
bool g_tray = false;

void Update() {
    wchar_t text[64];
    if (GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, text, 64)) SetWindowTextW(g_date, text);
    if (GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, text, 64)) SetWindowTextW(g_time, text);
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE:
            g_date = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_CENTER, 0, 0, 106, 16, hwnd,
                                     nullptr, nullptr, nullptr);
            g_time = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_CENTER, 0, 16, 106, 22, hwnd,
                                     nullptr, nullptr, nullptr);
            Update();
            SetTimer(hwnd, 1, 1000, nullptr);
            return 0;
        case WM_TIMER:
            Update();
            if (g_tray) {
                DWORD flags = 0;
                InternetGetConnectedState(&flags, 0);
            }
            return 0;
        case WM_DESTROY:
            if (g_tray) {
                NOTIFYICONDATAW nid{};
                nid.cbSize = sizeof nid;
                nid.hWnd = hwnd;
                Shell_NotifyIconW(NIM_DELETE, &nid);
            }
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
    g_tray = std::strstr(commandLine, "/tray") != nullptr;
    WNDCLASSW wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    // Its own class with /tray, so that both floors can run side by side.
    const wchar_t* cls = g_tray ? L"FloorClockTray" : L"FloorClock";
    wc.lpszClassName = cls;
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, cls, L"Floor", WS_POPUP | WS_CAPTION, 300, 0, 112, 60,
                                nullptr, nullptr, instance, nullptr);
    ShowWindow(hwnd, show);
    if (g_tray) {
        UpdateWindow(hwnd);
        NOTIFYICONDATAW nid{};
        nid.cbSize = sizeof nid;
        nid.hWnd = hwnd;
        nid.uFlags = NIF_ICON | NIF_TIP;
        nid.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
        lstrcpynW(nid.szTip, L"Floor", 64);
        Shell_NotifyIconW(NIM_ADD, &nid);
    }
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    return 0;
}
