#pragma once
// What every window of the program does the same way: the window object
// found through GWLP_USERDATA, no exception ever crossing the window
// procedure (an escaping error is shown once in the program's error box),
// the work area of the monitor the window is on, and the screen's DPI.

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

class WindowBase {
public:
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;

    HWND Handle() const { return hwnd_; }

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
    // The program's error box, for a failure no handler threw.
    void ShowError(const char* what) { guard_.Report(what); }

    HWND hwnd_ = nullptr;

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    ErrorGuard guard_;
    mutable std::optional<RECT> workArea_;
};

}  // namespace pw::win
