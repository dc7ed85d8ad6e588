#pragma once
// The clock window on Windows: a small captioned window without system
// menu or caption buttons, two painted labels (date over time), the clock
// timer, the pop-up menu and the notification-area icon. What it shows and
// does comes from app::ClockWindow; this class maps window messages to its
// handlers and its view calls to the window.

#include <windows.h>

#include <map>
#include <optional>
#include <string>

#include "app/clock_view.h"
#include "app/clock_window.h"

namespace pw::win {

inline constexpr const wchar_t* kClockWindowClass = L"PlenwickClock";
// The tray icon reports mouse events to the clock window with this message.
inline constexpr UINT kTrayMessage = WM_APP + 1;
inline constexpr UINT kTrayIconId = 1;
inline constexpr UINT_PTR kClockTimerId = 1;

// The menu command of a resource identifier, false when it is none.
bool MenuCommandOf(UINT id, app::MenuCommand& command);
UINT MenuIdOf(app::MenuCommand command);

class ClockWindowWin32 : private app::ClockView {
public:
    struct Services {
        Store& store;
        Clock& clock;
        const Locale& locale;
        FileSystem& files;
        Sound& sound;
        MessageBoxes& boxes;
        Shell& shell;
        std::string programDir;
    };

    explicit ClockWindowWin32(Services services);
    ~ClockWindowWin32() override;
    ClockWindowWin32(const ClockWindowWin32&) = delete;
    ClockWindowWin32& operator=(const ClockWindowWin32&) = delete;

    // Creates the window hidden with its tray icon and runs FormCreate.
    // False when the window could not be created.
    bool Create(HINSTANCE instance);
    // Shows the window unless it starts in the tray; the last step of the
    // start, before the message loop.
    void ShowAtStart();

    app::ClockWindow& Logic() { return logic_; }
    HWND Handle() const { return hwnd_; }

    // For tests and the screenshot tool.
    const std::wstring& LabelText(app::Label label) const { return Paint(label).text; }
    int LabelPoints(app::Label label) const { return Paint(label).points; }
    POINT LabelPosition(app::Label label) const { return {Paint(label).left, Paint(label).top}; }
    bool TrayIconAdded() const { return trayAdded_; }
    int TimerInterval() const { return timerInterval_; }
    HMENU PopupMenu() const { return popup_; }

private:
    struct LabelPaint {
        std::wstring text;
        int points = 8;
        int left = 0;
        int top = 0;
        bool measured = false;
        app::TextSize size;
        int colourIndex = COLOR_WINDOWTEXT;
        static LabelPaint WithColour(int index) {
            LabelPaint l;
            l.colourIndex = index;
            return l;
        }
    };

    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
    template <class F>
    void Guard(F&& handler);
    void PaintWindow(HDC dc);
    void ShowPopupMenu(POINT at);
    bool AddTrayIcon();
    void RemoveTrayIcon();
    HFONT Font(int points);
    LabelPaint& Paint(app::Label label) { return label == app::Label::Date ? date_ : time_; }
    const LabelPaint& Paint(app::Label label) const { return label == app::Label::Date ? date_ : time_; }
    // Draws the labels once when the handler that changed them returns:
    // a refresh changes a label several times, and each drawing is a round
    // trip to the window system.
    void RepaintIfChanged();
    int FontHeight(int points);
    HDC MeasureDc();
    DWORD Style() const;
    DWORD ExStyle() const;

    // app::ClockView
    void SetCaption(std::string_view caption) override;
    int Left() override;
    int Top() override;
    int Width() override;
    int Height() override;
    void SetPosition(int left, int top) override;
    void SetWidth(int width) override;
    int ClientWidth() override;
    void SetClientHeight(int height) override;
    app::WindowState State() override { return state_; }
    void SetState(app::WindowState state) override;
    void SetTopmost(bool topmost) override;
    void MakeToolWindow() override;
    app::ScreenRect WorkArea() override;
    int ScreenDpi() override;
    void SetLabelText(app::Label label, std::string_view text) override;
    void SetLabelFontSize(app::Label label, int points) override;
    app::TextSize LabelSize(app::Label label) override;
    void SetLabelPosition(app::Label label, int left, int top) override;
    void SetMenuEnabled(app::MenuCommand command, bool enabled) override;
    void SetMenuChecked(app::MenuCommand command, bool checked) override;
    void MinimizeApplication() override;
    void ShowApplication() override;
    void BringToFront() override;
    void SetTimerInterval(int milliseconds) override;
    void Close() override;
    bool OpenHelp(std::string_view path, int topic) override;

    Services services_;
    app::ClockWindow logic_;
    HINSTANCE instance_ = nullptr;
    HWND hwnd_ = nullptr;
    HMENU menu_ = nullptr;
    HMENU popup_ = nullptr;
    HICON icon_ = nullptr;
    UINT taskbarCreated_ = 0;
    bool trayAdded_ = false;
    bool positionSaved_ = false;
    bool inErrorBox_ = false;
    int timerInterval_ = 0;
    int clientHeight_ = 0;
    int dpi_ = 0;
    app::WindowState state_ = app::WindowState::Normal;
    LabelPaint date_ = LabelPaint::WithColour(COLOR_ACTIVECAPTION);
    LabelPaint time_ = LabelPaint::WithColour(COLOR_WINDOWTEXT);
    std::map<int, HFONT> fonts_;
    std::map<int, int> fontHeights_;
    std::wstring caption_;
    bool labelsChanged_ = false;
    // Text is measured on a memory DC of the screen, kept for the window's
    // life: fetching the window's own DC every second costs a round trip.
    HDC measureDc_ = nullptr;
    // The work area changes only when the window moves or the desktop
    // changes; asking for it is costly under some window systems, and the
    // refresh asks every second.
    std::optional<app::ScreenRect> workArea_;
    // The back buffer the labels are drawn into, kept between paints.
    HDC backDc_ = nullptr;
    HBITMAP backBitmap_ = nullptr;
    HGDIOBJ backOld_ = nullptr;
    SIZE backSize_{};
};

}  // namespace pw::win
