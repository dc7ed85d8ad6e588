#pragma once
// The program's icon in the notification area. It reports mouse events to
// its window with a message of the window's choosing.

#include <windows.h>

namespace pw::win {

class TrayIcon {
public:
    TrayIcon() = default;
    ~TrayIcon() { Remove(); }
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Adds the icon with the program's title as its tip. False when the
    // notification area is not there (yet).
    bool Add(HWND owner, UINT id, UINT callbackMessage, HICON icon);
    // After Explorer restarted, the icon is gone with the old task bar; the
    // new one may run at another scaling and want another size.
    bool AddAgain(HICON icon) { added_ = false; return Add(owner_, id_, message_, icon); }
    void Remove();
    bool Added() const { return added_; }

private:
    HWND owner_ = nullptr;
    UINT id_ = 0;
    UINT message_ = 0;
    HICON icon_ = nullptr;
    bool added_ = false;
};

}  // namespace pw::win
