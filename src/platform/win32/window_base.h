#pragma once
// What every window of the program does the same way: the window object
// found through GWLP_USERDATA, no exception ever crossing the window
// procedure (an escaping error is shown once in the program's error box),
// the work area of the monitor the window is on, and the resolution (DPI)
// of the system and of the monitor a window is on.

#include <windows.h>

#include <exception>
#include <optional>
#include <string>

#include "common/services.h"

namespace pw::win {

// Runs handlers and shows what escapes them in the program's error box. A
// second failure while the box is open (timers go on meanwhile) is not
// stacked on top of it.
class ErrorGuard {
public:
    explicit ErrorGuard(MessageBoxes& boxes) : boxes_(boxes) {}

    template <class F>
    bool Run(F&& handler) {
        try {
            handler();
            return true;
        } catch (const std::exception& e) {
            Report(e.what());
        } catch (...) {
            Report("Unexpected error.");
        }
        return false;
    }
    void Report(const char* what);

private:
    MessageBoxes& boxes_;
    bool inBox_ = false;
};

// The text of a window or control.
std::wstring WindowText(HWND h);

// The system's DPI, read once: it changes only with a new logon.
int SystemDpi();
// The DPI of the monitor the window is on, where the system tells it
// (Windows 10 1607 and later); elsewhere the system's, which is then the
// one of every monitor.
int WindowDpi(HWND hwnd);
// A system metric (an icon's size, a frame's width) at a DPI; where the
// system cannot say (before Windows 10 1607), the system's own scaled.
int SystemMetricForDpi(int index, int dpi);
// An icon resource at the size of a metric (SM_CXICON, SM_CXSMICON) at a
// DPI: the icon file holds sizes for 100 % to 200 %, so the system picks a
// drawn one instead of stretching another. Null when it is missing.
HICON LoadIconForDpi(HINSTANCE instance, int id, int metric, int dpi);

class WindowBase {
public:
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;

    HWND Handle() const { return hwnd_; }
    // The DPI of the monitor the window is on, kept up to date by
    // WM_DPICHANGED.
    int Dpi() const { return dpi_; }

protected:
    explicit WindowBase(MessageBoxes& boxes) : guard_(boxes) {}
    // A derived class destroys its window in its own destructor.
    virtual ~WindowBase();

    struct ClassInfo {
        const wchar_t* name;
        UINT style = 0;
        HICON icon = nullptr;
    };
    // Registers the class (once per process) and creates the window; the
    // window's messages then reach OnMessage. False when it failed.
    bool CreateBaseWindow(HINSTANCE instance, const ClassInfo& cls, DWORD exStyle, const wchar_t* caption, DWORD style,
                          int width, int height, HWND owner);

    virtual LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) = 0;
    // After the window is gone, for handles of its children.
    virtual void OnDestroyed() {}
    // Runs after every guarded handler, before an error box would show.
    virtual void AfterHandler() {}

    template <class F>
    void Guard(F&& handler) {
        guard_.Run([&] {
            try {
                handler();
            } catch (...) {
                AfterHandler();
                throw;
            }
            AfterHandler();
        });
    }

    // The work area (desktop without the task bar) of the monitor the
    // window is on or nearest to; kept until the window moves or the
    // desktop changes, as asking is costly under some window systems.
    RECT WorkAreaRect() const;

    LRESULT Default(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(hwnd_, msg, wp, lp); }
    // WM_DPICHANGED's advice: the rectangle the window takes at its new
    // resolution, where it keeps its place relative to the cursor.
    void MoveToSuggestedRect(LPARAM lp);

    // The program's error box, for a failure no handler threw.
    void ShowError(const char* what) { guard_.Report(what); }

    HWND hwnd_ = nullptr;

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    ErrorGuard guard_;
    int dpi_ = 96;
    mutable std::optional<RECT> workArea_;
};

}  // namespace pw::win
