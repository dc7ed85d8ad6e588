#include "platform/win32/window_base.h"

namespace pw::win {

void ErrorGuard::Report(const char* what) {
    if (inBox_) return;
    inBox_ = true;
    try {
        boxes_.ShowError(what);
    } catch (...) {
        // Not even the box could be shown; there is nobody left to tell.
    }
    inBox_ = false;
}

std::wstring WindowText(HWND h) {
    const int n = GetWindowTextLengthW(h);
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(h, text.data(), n + 1)));
    return text;
}

int SystemDpi() {
    static const int dpi = [] {
        HDC dc = GetDC(nullptr);
        const int d = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
        if (dc) ReleaseDC(nullptr, dc);
        return d > 0 ? d : 96;
    }();
    return dpi;
}

WindowBase::~WindowBase() {
    // A derived window destroys itself in its own destructor, while its
    // handlers still exist; a window left over gets no more messages.
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

bool WindowBase::CreateBaseWindow(HINSTANCE instance, const ClassInfo& cls, DWORD exStyle, const wchar_t* caption,
                                  DWORD style, int width, int height, HWND owner) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = cls.style;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hIcon = cls.icon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = cls.name;
    RegisterClassExW(&wc);  // fails harmlessly when a second window registers it again
    CreateWindowExW(exStyle, cls.name, caption, style, 0, 0, width, height, owner, nullptr, instance, this);
    return hwnd_ != nullptr;
}

LRESULT CALLBACK WindowBase::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* created = static_cast<WindowBase*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        created->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    auto* self = reinterpret_cast<WindowBase*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    // Messages that come before WM_NCCREATE have no window object yet.
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
        case WM_MOVE:
        case WM_DISPLAYCHANGE:
        case WM_SETTINGCHANGE:
            self->workArea_.reset();
            break;
        case WM_NCDESTROY: {
            const LRESULT r = DefWindowProcW(hwnd, msg, wp, lp);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
            self->OnDestroyed();
            return r;
        }
    }
    LRESULT result = 0;
    if (!self->guard_.Run([&] { result = self->OnMessage(msg, wp, lp); })) return 0;
    return result;
}

RECT WindowBase::WorkAreaRect() const {
    if (workArea_) return *workArea_;
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    RECT r;
    HMONITOR mon = MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST);
    if (mon && GetMonitorInfoW(mon, &mi)) {
        r = mi.rcWork;
    } else if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) {
        r = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    workArea_ = r;
    return r;
}

}  // namespace pw::win
