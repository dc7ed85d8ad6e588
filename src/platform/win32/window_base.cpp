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

namespace {

// A function of user32 that older systems lack, looked up once; user32 is
// loaded with the program, so asking costs nothing.
template <class Fn>
Fn User32Function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

}  // namespace

int WindowDpi(HWND hwnd) {
    using Fn = UINT(WINAPI*)(HWND);
    static const Fn getDpiForWindow = User32Function<Fn>("GetDpiForWindow");
    const int dpi = getDpiForWindow && hwnd ? static_cast<int>(getDpiForWindow(hwnd)) : 0;
    return dpi > 0 ? dpi : SystemDpi();
}

int SystemMetricForDpi(int index, int dpi) {
    using Fn = int(WINAPI*)(int, UINT);
    static const Fn forDpi = User32Function<Fn>("GetSystemMetricsForDpi");
    if (forDpi) return forDpi(index, static_cast<UINT>(dpi));
    // Before Windows 10 1607 a metric is the system's; a window on a monitor
    // of another DPI still gets its own size.
    return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

HICON LoadIconForDpi(HINSTANCE instance, int id, int metric, int dpi) {
    const int size = SystemMetricForDpi(metric, dpi);
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
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
        created->dpi_ = WindowDpi(hwnd);
        // Per-monitor awareness of the first kind (Windows 10 1607) scales
        // the caption and frame only when asked; the second kind does it
        // by itself.
        using Fn = BOOL(WINAPI*)(HWND);
        static const Fn enableNonClient = User32Function<Fn>("EnableNonClientDpiScaling");
        if (enableNonClient) enableNonClient(hwnd);
    }
    auto* self = reinterpret_cast<WindowBase*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    // Messages that come before WM_NCCREATE have no window object yet.
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
        case WM_DPICHANGED:
            self->dpi_ = HIWORD(wp) > 0 ? HIWORD(wp) : self->dpi_;
            self->workArea_.reset();
            break;
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

void WindowBase::MoveToSuggestedRect(LPARAM lp) {
    const RECT* r = reinterpret_cast<const RECT*>(lp);
    if (!r) return;
    SetWindowPos(hwnd_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
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
