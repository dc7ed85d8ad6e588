// Drives a running plenwick.exe from outside, for the end-to-end tests and
// the benchmark: finds windows by class and caption, sends the clock
// window's menu commands and tray events, and reports what it sees.
//
//   pwdriver wait <class|*> <caption prefix|*> <timeout ms>
//        waits for a visible window; prints its caption; exit 1 on timeout
//   pwdriver gone <class> <timeout ms>    waits until no window of the class is left
//   pwdriver count <class>                prints how many windows of the class exist
//   pwdriver caption <class>              prints the first one's caption
//   pwdriver rect <class>                 prints "left top width height visible"
//   pwdriver topmost <class>              prints 1 when the first one stays on top, else 0
//   pwdriver command <name> [all]         posts a menu command to the clock window
//        (help, logfile, settings, disable, tray, restore, exit, about)
//   pwdriver tray <rclick|dblclick>       the tray icon's mouse events
//   pwdriver menu-open <timeout ms>       waits until a pop-up menu is shown
//   pwdriver menu-close                   closes an open pop-up menu
//   pwdriver close <class>                posts WM_CLOSE to every window of the class
//   pwdriver move <class> <left> <top>    moves the window, as a drag would
//   pwdriver launch <exe> <class> [args]  starts a program and prints the
//        milliseconds until a visible window of the class has been painted
//   pwdriver windows                      lists the visible top-level windows
//   pwdriver control <caption prefix> <id>  the control of that resource ID in
//        the visible window so captioned: "x y width height visible enabled",
//        x and y its centre on the screen, for a click
//   pwdriver text <caption prefix> <id>   prints the control's text
//   pwdriver focus <caption prefix>       prints the resource ID of the control
//        that has the keyboard focus in that window's thread
//   pwdriver open-settings <timeout ms>   "Settings" on the clock window, then
//        prints the milliseconds until the dialog is shown and painted
//   pwdriver watch <class> <ms>           for <ms>, every 50 ms: the window's
//        pixels on screen and how long it takes to answer a message; prints
//        "still <longest ms without a change of its pixels>", "answer
//        <slowest answer in ms>" and "reminders <ms until a window captioned
//        Reminders: was visible, or -1>", and before them, for each answer
//        of 100 ms or more, "late <ms from the start> <answer ms>", and for
//        each stillness over 1.5 s, "stood <ms from the start> <ms>"
//   pwdriver band <class> <from %> <to %>  a hash of the pixels of that band
//        of the window's client area (0 % its top), as the screen shows it
//   pwdriver ink <caption prefix> [COLORREF]  of the rich text control in
//        that window: "background <COLORREF of its commonest colour> rows
//        <rows holding any other colour> text <COLORREF of the commonest
//        other> rowsof <rows holding the given colour>"
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <iterator>
#include <string>
#include <vector>

#include "platform/win32/clock_window_win32.h"
#include "resource.h"

namespace {

struct Found {
    std::vector<HWND> windows;
    const wchar_t* cls = nullptr;
    const wchar_t* caption = nullptr;
    bool visibleOnly = false;
};

std::wstring ClassOf(HWND h) {
    wchar_t buf[256];
    int n = GetClassNameW(h, buf, 256);
    return std::wstring(buf, n > 0 ? n : 0);
}

std::wstring CaptionOf(HWND h) {
    wchar_t buf[512];
    int n = GetWindowTextW(h, buf, 512);
    return std::wstring(buf, n > 0 ? n : 0);
}

BOOL CALLBACK Collect(HWND h, LPARAM lp) {
    auto* f = reinterpret_cast<Found*>(lp);
    if (f->visibleOnly && !IsWindowVisible(h)) return TRUE;
    if (f->cls && lstrcmpW(f->cls, L"*") != 0 && ClassOf(h) != f->cls) return TRUE;
    if (f->caption && lstrcmpW(f->caption, L"*") != 0 && CaptionOf(h).rfind(f->caption, 0) != 0) return TRUE;
    f->windows.push_back(h);
    return TRUE;
}

std::vector<HWND> FindAll(const wchar_t* cls, const wchar_t* caption = nullptr, bool visibleOnly = false) {
    Found f;
    f.cls = cls;
    f.caption = caption;
    f.visibleOnly = visibleOnly;
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&f));
    return f.windows;
}

void PrintLine(const std::wstring& text) {
    std::string utf8(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr);
    std::printf("%s\n", utf8.c_str());
    std::fflush(stdout);
}

struct ControlSearch {
    int id;
    HWND found = nullptr;
};

BOOL CALLBACK MatchControl(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<ControlSearch*>(lp);
    if (GetDlgCtrlID(h) != s->id) return TRUE;
    s->found = h;
    return FALSE;
}

// The descendant of a visible top-level window (caption prefix) with the ID.
HWND FindControl(const wchar_t* caption, int id) {
    ControlSearch search{id};
    for (HWND top : FindAll(L"*", caption, true)) {
        EnumChildWindows(top, MatchControl, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
    }
    return nullptr;
}

// Whether the program has drawn all it has to: no visible part of the
// window or of its children waits for a paint. Asked from here, not by
// painting from here: a redraw forced from another process paints through
// one round trip per control and measures the driver, not the program.
// Hidden windows and all below them are skipped: asking about each of the
// hidden pages' controls would take the program's core from it.
bool Painted(HWND h) {
    if (!IsWindowVisible(h)) return true;
    if (GetUpdateRect(h, nullptr, FALSE)) return false;
    for (HWND c = GetWindow(h, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (!Painted(c)) return false;
    return true;
}

// Waits until the program has taken every message sent so far and drawn
// the window; false after the time limit.
bool WaitPainted(HWND top, DWORD timeout) {
    const DWORD start = GetTickCount();
    for (;;) {
        DWORD_PTR r;
        SendMessageTimeoutW(top, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &r);
        if (Painted(top)) return true;
        if (GetTickCount() - start > timeout) return false;
        Sleep(2);
    }
}

int Usage() {
    std::fprintf(stderr, "usage: pwdriver wait|gone|count|caption|rect|command|tray|menu-open|menu-close|close|move|launch|windows|control|text|focus|open-settings|watch|lines|labels ...\n");
    return 2;
}

HWND ClockWindow() {
    auto all = FindAll(pw::win::ClockWindowClass());
    return all.empty() ? nullptr : all.front();
}

int CommandId(const std::wstring& name) {
    if (name == L"help") return IDM_HELP;
    if (name == L"logfile") return IDM_LOGFILE;
    if (name == L"settings") return IDM_OPTIONS;
    if (name == L"disable") return IDM_DISABLESCHED;
    if (name == L"tray") return IDM_TRAY;
    if (name == L"restore") return IDM_RESTORE;
    if (name == L"exit") return IDM_CLOSE;
    if (name == L"about") return IDM_ABOUT;
    return 0;
}

// A pop-up menu is a window of the system class "#32768".
HWND OpenMenu() {
    auto menus = FindAll(L"#32768", nullptr, true);
    return menus.empty() ? nullptr : menus.front();
}

// The pixels of a rectangle of the screen as 0x00RRGGBB, row by row, or
// nothing when they cannot be read.
std::vector<std::uint32_t> ScreenPixels(const RECT& r) {
    if (r.right <= r.left || r.bottom <= r.top) return {};
    const int w = r.right - r.left, ht = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, ht);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, ht, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -ht;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * ht);
    if (!GetDIBits(mem, bmp, 0, ht, pixels.data(), &bi, DIB_RGB_COLORS)) pixels.clear();
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return pixels;
}

std::vector<std::uint32_t> ScreenPixels(HWND h) {
    RECT r;
    if (!GetWindowRect(h, &r)) return {};
    return ScreenPixels(r);
}

// The client area of a window in screen coordinates.
RECT ClientOnScreen(HWND h) {
    RECT r{};
    GetClientRect(h, &r);
    MapWindowPoints(h, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

int Band(const wchar_t* cls, int fromPercent, int toPercent) {
    auto all = FindAll(cls, nullptr, true);
    if (all.empty()) return 1;
    RECT r = ClientOnScreen(all.front());
    const int height = r.bottom - r.top;
    r.bottom = r.top + height * toPercent / 100;
    r.top += height * fromPercent / 100;
    std::uint64_t hash = 14695981039346656037ull;
    for (std::uint32_t p : ScreenPixels(r)) hash = (hash ^ p) * 1099511628211ull;
    std::printf("%016llx\n", static_cast<unsigned long long>(hash));
    return 0;
}

BOOL CALLBACK FindRichEdit(HWND h, LPARAM lp) {
    const std::wstring cls = ClassOf(h);
    if (cls.rfind(L"RICHEDIT", 0) == 0 || cls.rfind(L"RichEdit", 0) == 0) {
        *reinterpret_cast<HWND*>(lp) = h;
        return FALSE;
    }
    return TRUE;
}

std::uint32_t Commonest(std::vector<std::uint32_t> pixels) {
    std::sort(pixels.begin(), pixels.end());
    std::uint32_t commonest = pixels.front();
    std::size_t best = 0;
    for (std::size_t i = 0; i < pixels.size();) {
        std::size_t j = i;
        while (j < pixels.size() && pixels[j] == pixels[i]) ++j;
        if (j - i > best) {
            best = j - i;
            commonest = pixels[i];
        }
        i = j;
    }
    return commonest;
}

// As the registry keeps a colour: 0x00BBGGRR.
std::uint32_t ColorRef(std::uint32_t rgb) { return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF); }

int Ink(const wchar_t* caption, long long colour) {
    auto all = FindAll(L"*", caption, true);
    if (all.empty()) return 1;
    HWND edit = nullptr;
    EnumChildWindows(all.front(), FindRichEdit, reinterpret_cast<LPARAM>(&edit));
    if (!edit) return 1;
    RECT r = ClientOnScreen(edit);
    // The vertical scroll bar is outside the client area; a margin of the
    // control's own is not.
    const std::vector<std::uint32_t> pixels = ScreenPixels(r);
    const int w = r.right - r.left;
    if (pixels.empty() || w <= 0) return 1;
    const std::uint32_t commonest = Commonest(pixels);
    int rows = 0;
    for (std::size_t y = 0; y * w < pixels.size(); ++y)
        if (std::any_of(pixels.begin() + y * w, pixels.begin() + (y + 1) * w,
                        [&](std::uint32_t p) { return p != commonest; }))
            ++rows;
    std::vector<std::uint32_t> ink;
    std::copy_if(pixels.begin(), pixels.end(), std::back_inserter(ink),
                 [&](std::uint32_t p) { return p != commonest; });
    // The rows that hold the given colour: the lines of text in it alone.
    int rowsOf = 0;
    for (std::size_t y = 0; colour >= 0 && y * w < pixels.size(); ++y)
        if (std::any_of(pixels.begin() + y * w, pixels.begin() + (y + 1) * w,
                        [&](std::uint32_t p) { return ColorRef(p) == static_cast<std::uint32_t>(colour); }))
            ++rowsOf;
    std::printf("background %lu rows %d text %lu rowsof %d\n", static_cast<unsigned long>(ColorRef(commonest)), rows,
                static_cast<unsigned long>(ink.empty() ? 0 : ColorRef(Commonest(ink))), rowsOf);
    return 0;
}

// The lines of text in a window as they show on the screen: each run of
// rows that hold anything but the background is one line (a label of the
// clock, a line of the reminder text), printed as its rows, the columns of
// its first and last ink, and the width it has. A line whose ink reaches a
// side is cut there. The reminder window's text control is measured on its
// own, without the scroll bar and the panel.
int Lines(const wchar_t* cls, const wchar_t* caption) {
    auto all = FindAll(cls, caption, true);
    if (all.empty()) return 1;
    HWND h = all.front();
    EnumChildWindows(all.front(), FindRichEdit, reinterpret_cast<LPARAM>(&h));
    const RECT r = ClientOnScreen(h);
    const std::vector<std::uint32_t> pixels = ScreenPixels(r);
    const int w = r.right - r.left;
    if (pixels.empty() || w <= 0) return 1;
    const std::uint32_t background = Commonest(pixels);
    const int rows = static_cast<int>(pixels.size()) / w;
    for (int y = 0; y < rows;) {
        int left = w, right = -1, top = y;
        for (; y < rows; ++y) {
            const auto row = pixels.begin() + static_cast<std::ptrdiff_t>(y) * w;
            const auto first = std::find_if(row, row + w, [&](std::uint32_t p) { return p != background; });
            if (first == row + w) break;
            const auto last = std::find_if(std::make_reverse_iterator(row + w), std::make_reverse_iterator(row),
                                           [&](std::uint32_t p) { return p != background; });
            left = std::min(left, static_cast<int>(first - row));
            right = std::max(right, static_cast<int>(w - 1 - (last - std::make_reverse_iterator(row + w))));
        }
        if (right >= 0) std::printf("%d %d %d %d %d\n", top, y - 1, left, right, w);
        ++y;
    }
    return 0;
}

// Every visible text control of a window (labels, buttons, check boxes)
// with its text in its own font against the room the control has for it:
// a check box or radio button gives the box and a gap to it, and a label
// that wraps its text has its height too. One line each: "fits" or "CUT",
// the text's width and height, the room's, and the text.
UINT DpiOf(HWND h) {
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static const auto forWindow = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (forWindow) return forWindow(h);
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return static_cast<UINT>(dpi);
}

BOOL CALLBACK MeasureLabel(HWND h, LPARAM) {
    if (!IsWindowVisible(h)) return TRUE;
    const std::wstring cls = ClassOf(h);
    const LONG style = static_cast<LONG>(GetWindowLongPtrW(h, GWL_STYLE));
    const LONG staticType = style & SS_TYPEMASK;
    const LONG buttonType = style & BS_TYPEMASK;
    bool wraps = false;
    if (cls == L"Static") {
        if (staticType != SS_LEFT && staticType != SS_CENTER && staticType != SS_RIGHT &&
            staticType != SS_LEFTNOWORDWRAP && staticType != SS_SIMPLE)
            return TRUE;  // pictures, frames
        wraps = staticType <= SS_RIGHT;
    } else if (cls == L"Button") {
        if (buttonType == BS_GROUPBOX || (style & (BS_ICON | BS_BITMAP))) return TRUE;
        wraps = (style & BS_MULTILINE) != 0;
    } else {
        return TRUE;
    }
    std::wstring text = CaptionOf(h);
    if (text.empty()) return TRUE;
    RECT c;
    GetClientRect(h, &c);
    RECT need{0, 0, c.right, 0};
    const bool box = cls == L"Button" && buttonType != BS_PUSHBUTTON && buttonType != BS_DEFPUSHBUTTON;
    if (box) need.right -= GetSystemMetrics(SM_CXMENUCHECK) + GetSystemMetrics(SM_CXEDGE);
    const int room = need.right;
    // A font handle belongs to the program's process (under Wine it means
    // nothing in this one): make the dialog font at the window's DPI here.
    // Controls with a font of their own (the About page's title) are left out.
    const LPARAM own = SendMessageW(h, WM_GETFONT, 0, 0);
    if (own != SendMessageW(GetParent(h), WM_GETFONT, 0, 0)) return TRUE;
    HFONT font = CreateFontW(-MulDiv(8, static_cast<int>(DpiOf(h)), 72), 0, 0, 0, FW_NORMAL, FALSE,
                             FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH, L"MS Shell Dlg");
    HDC dc = GetDC(h);
    HGDIOBJ old = SelectObject(dc, font);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &need,
              DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
    ReleaseDC(h, dc);
    DeleteObject(font);
    const bool fits = need.right <= room && need.bottom <= c.bottom;
    std::printf("%s %ldx%ld %dx%ld ", fits ? "fits" : "CUT", need.right, need.bottom, room, c.bottom);
    PrintLine(text);
    return TRUE;
}

int Labels(const wchar_t* caption) {
    auto all = FindAll(L"*", caption, true);
    if (all.empty()) return 1;
    EnumChildWindows(all.front(), MeasureLabel, 0);
    return 0;
}

int Watch(const wchar_t* cls, DWORD duration) {
    HWND h = nullptr;
    if (auto all = FindAll(cls, nullptr, true); !all.empty()) h = all.front();
    if (!h) return 1;
    const DWORD start = GetTickCount();
    DWORD lastChange = start, longestStill = 0, slowestAnswer = 0;
    long reminders = -1;
    std::vector<std::uint32_t> before = ScreenPixels(h);
    for (DWORD now = start; now - start < duration; now = GetTickCount()) {
        Sleep(50);
        const DWORD asked = GetTickCount();
        DWORD_PTR result;
        SendMessageTimeoutW(h, WM_NULL, 0, 0, SMTO_BLOCK, 30000, &result);
        const DWORD answered = GetTickCount();
        slowestAnswer = std::max(slowestAnswer, answered - asked);
        if (answered - asked >= 100)
            std::printf("late %lu %lu\n", static_cast<unsigned long>(asked - start),
                        static_cast<unsigned long>(answered - asked));
        std::vector<std::uint32_t> pixels = ScreenPixels(h);
        if (pixels != before) {
            if (answered - lastChange > 1500)
                std::printf("stood %lu %lu\n", static_cast<unsigned long>(lastChange - start),
                            static_cast<unsigned long>(answered - lastChange));
            longestStill = std::max(longestStill, answered - lastChange);
            lastChange = answered;
            before = std::move(pixels);
        }
        if (reminders < 0 && !FindAll(L"*", L"Reminders: ", true).empty())
            reminders = static_cast<long>(answered - start);
    }
    longestStill = std::max(longestStill, GetTickCount() - lastChange);
    std::printf("still %lu\nanswer %lu\nreminders %ld\n", static_cast<unsigned long>(longestStill),
                static_cast<unsigned long>(slowestAnswer), reminders);
    return 0;
}

}  // namespace

int Run(int argc, wchar_t** argv) {
    if (argc < 2) return Usage();
    const std::wstring verb = argv[1];

    if (verb == L"wait" && argc == 5) {
        const DWORD timeout = static_cast<DWORD>(_wtoi(argv[4]));
        const DWORD start = GetTickCount();
        for (;;) {
            auto found = FindAll(argv[2], argv[3], true);
            if (!found.empty()) {
                PrintLine(CaptionOf(found.front()));
                return 0;
            }
            if (GetTickCount() - start > timeout) return 1;
            Sleep(50);
        }
    }
    if (verb == L"gone" && argc == 4) {
        const DWORD timeout = static_cast<DWORD>(_wtoi(argv[3]));
        const DWORD start = GetTickCount();
        while (!FindAll(argv[2]).empty()) {
            if (GetTickCount() - start > timeout) return 1;
            Sleep(50);
        }
        return 0;
    }
    if (verb == L"count" && argc == 3) {
        std::printf("%u\n", static_cast<unsigned>(FindAll(argv[2]).size()));
        return 0;
    }
    if (verb == L"caption" && argc == 3) {
        auto all = FindAll(argv[2]);
        if (all.empty()) return 1;
        PrintLine(CaptionOf(all.front()));
        return 0;
    }
    if (verb == L"topmost" && argc == 3) {
        auto all = FindAll(argv[2]);
        if (all.empty()) return 1;
        std::printf("%d\n", (GetWindowLongPtrW(all.front(), GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0);
        return 0;
    }
    if (verb == L"rect" && argc == 3) {
        auto all = FindAll(argv[2]);
        if (all.empty()) return 1;
        RECT r;
        GetWindowRect(all.front(), &r);
        std::printf("%ld %ld %ld %ld %d\n", r.left, r.top, r.right - r.left, r.bottom - r.top,
                    IsWindowVisible(all.front()) ? 1 : 0);
        return 0;
    }
    if (verb == L"command" && (argc == 3 || argc == 4)) {
        const int id = CommandId(argv[2]);
        if (id == 0) return Usage();
        auto all = FindAll(pw::win::ClockWindowClass());
        if (all.empty()) return 1;
        if (argc == 3) all.resize(1);
        for (HWND h : all) PostMessageW(h, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        return 0;
    }
    if (verb == L"tray" && argc == 3) {
        HWND h = ClockWindow();
        if (!h) return 1;
        const std::wstring what = argv[2];
        UINT event = what == L"rclick" ? WM_RBUTTONUP : what == L"dblclick" ? WM_LBUTTONDBLCLK : 0;
        if (!event) return Usage();
        // The program may take the foreground for its menu only when the
        // foreground is given up to it, as the shell does for its icons.
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        AllowSetForegroundWindow(pid);
        PostMessageW(h, pw::win::kTrayMessage, pw::win::kTrayIconId, event);
        return 0;
    }
    if (verb == L"menu-open" && argc == 3) {
        const DWORD timeout = static_cast<DWORD>(_wtoi(argv[2]));
        const DWORD start = GetTickCount();
        while (!OpenMenu()) {
            if (GetTickCount() - start > timeout) return 1;
            Sleep(50);
        }
        return 0;
    }
    if (verb == L"menu-close" && argc == 2) {
        HWND h = ClockWindow();
        if (!h) return 1;
        // The menu's owner ends its menu loop on this.
        PostMessageW(h, WM_CANCELMODE, 0, 0);
        HWND menu = OpenMenu();
        if (menu) PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        return 0;
    }
    if (verb == L"close" && argc == 3) {
        auto all = FindAll(argv[2]);
        if (all.empty()) return 1;
        for (HWND h : all) PostMessageW(h, WM_CLOSE, 0, 0);
        return 0;
    }
    if (verb == L"move" && argc == 5) {
        auto all = FindAll(argv[2]);
        if (all.empty()) return 1;
        SetWindowPos(all.front(), nullptr, _wtoi(argv[3]), _wtoi(argv[4]), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    if (verb == L"launch" && argc >= 4) {
        std::wstring cmd = L"\"" + std::wstring(argv[2]) + L"\"";
        for (int i = 4; i < argc; ++i) cmd += L" " + std::wstring(argv[i]);
        LARGE_INTEGER freq, t0, t1;
        QueryPerformanceFrequency(&freq);
        // The program gets no standard handles of ours, so it does not keep
        // the driver's output open after the driver has ended.
        STARTUPINFOW si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        PROCESS_INFORMATION pi{};
        QueryPerformanceCounter(&t0);
        if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 1;
        for (;;) {
            auto found = FindAll(argv[3], nullptr, true);
            if (!found.empty()) {
                // Shown is not yet drawn: wait until its first paint is done.
                WaitPainted(found.front(), 10000);
                break;
            }
            if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0) return 1;
        }
        QueryPerformanceCounter(&t1);
        std::printf("%.1f\n", 1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(freq.QuadPart));
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return 0;
    }
    if (verb == L"control" && argc == 4) {
        HWND h = FindControl(argv[2], _wtoi(argv[3]));
        if (!h) return 1;
        RECT r;
        GetWindowRect(h, &r);
        std::printf("%ld %ld %ld %ld %d %d\n", (r.left + r.right) / 2, (r.top + r.bottom) / 2, r.right - r.left,
                    r.bottom - r.top, IsWindowVisible(h) ? 1 : 0, IsWindowEnabled(h) ? 1 : 0);
        return 0;
    }
    if (verb == L"text" && argc == 4) {
        HWND h = FindControl(argv[2], _wtoi(argv[3]));
        if (!h) return 1;
        wchar_t buf[1024];
        const LRESULT n = SendMessageW(h, WM_GETTEXT, std::size(buf), reinterpret_cast<LPARAM>(buf));
        PrintLine(std::wstring(buf, static_cast<std::size_t>(n)));
        return 0;
    }
    if (verb == L"focus" && argc == 3) {
        auto found = FindAll(L"*", argv[2], true);
        if (found.empty()) return 1;
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (!GetGUIThreadInfo(GetWindowThreadProcessId(found.front(), nullptr), &info) || !info.hwndFocus) return 1;
        std::printf("%d\n", GetDlgCtrlID(info.hwndFocus));
        return 0;
    }
    if (verb == L"open-settings" && argc == 3) {
        HWND clock = ClockWindow();
        if (!clock) return 1;
        const DWORD timeout = static_cast<DWORD>(_wtoi(argv[2]));
        DWORD pid = 0;
        GetWindowThreadProcessId(clock, &pid);
        AllowSetForegroundWindow(pid);
        LARGE_INTEGER freq, t0, t1;
        QueryPerformanceFrequency(&freq);
        QueryPerformanceCounter(&t0);
        PostMessageW(clock, WM_COMMAND, MAKEWPARAM(IDM_OPTIONS, 0), 0);
        const DWORD start = GetTickCount();
        for (;;) {
            auto found = FindAll(L"#32770", L"Plenwick v", true);
            if (!found.empty()) {
                // Shown is not yet drawn: wait until the dialog and every
                // control of it are.
                if (!WaitPainted(found.front(), timeout)) return 1;
                break;
            }
            if (GetTickCount() - start > timeout) return 1;
            // The program shares the core: poll without taking it over.
            Sleep(1);
        }
        QueryPerformanceCounter(&t1);
        std::printf("%.1f\n", 1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(freq.QuadPart));
        return 0;
    }
    if (verb == L"lines" && argc == 4) return Lines(argv[2], argv[3]);
    if (verb == L"labels" && argc == 3) return Labels(argv[2]);
    if (verb == L"band" && argc == 5) return Band(argv[2], _wtoi(argv[3]), _wtoi(argv[4]));
    if (verb == L"ink" && (argc == 3 || argc == 4)) return Ink(argv[2], argc == 4 ? std::wcstoll(argv[3], nullptr, 10) : -1);
    if (verb == L"watch" && argc == 4) return Watch(argv[2], static_cast<DWORD>(_wtoi(argv[3])));
    if (verb == L"windows" && argc == 2) {
        for (HWND h : FindAll(L"*", nullptr, true)) {
            RECT r;
            GetWindowRect(h, &r);
            PrintLine(ClassOf(h) + L" | " + CaptionOf(h) + L" | " + std::to_wstring(r.left) + L"," +
                      std::to_wstring(r.top) + L" " + std::to_wstring(r.right - r.left) + L"x" +
                      std::to_wstring(r.bottom - r.top));
        }
        return 0;
    }
    return Usage();
}

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 2;
    const int rc = Run(argc, argv);
    LocalFree(argv);
    return rc;
}
