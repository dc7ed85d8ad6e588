#include "platform/win32/tray_icon.h"

#include <shellapi.h>

#include <iterator>

#include "common/version.h"
#include "platform/win32/text.h"

namespace pw::win {

bool TrayIcon::Add(HWND owner, UINT id, UINT callbackMessage, HICON icon) {
    owner_ = owner;
    id_ = id;
    message_ = callbackMessage;
    icon_ = icon;
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = owner;
    nid.uID = id;
    nid.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    nid.uCallbackMessage = callbackMessage;
    nid.hIcon = icon;
    lstrcpynW(nid.szTip, Widen(kAppTitle).c_str(), static_cast<int>(std::size(nid.szTip)));
    added_ = Shell_NotifyIconW(NIM_ADD, &nid) != FALSE;
    return added_;
}

void TrayIcon::Remove() {
    if (!added_) return;
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = owner_;
    nid.uID = id_;
    Shell_NotifyIconW(NIM_DELETE, &nid);
    added_ = false;
}

}  // namespace pw::win
