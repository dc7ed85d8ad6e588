#pragma once
// What the clock window's logic needs of the windowing system. The Win32
// layer implements it with a real window, painted labels, a timer, a menu
// and the notification-area icon; the tests implement it with fake
// measurements, so every rule of the window is checked without a screen.

#include <string>
#include <string_view>

namespace pw::app {

// The window's own state. A window hidden in the tray by "Minimize to tray"
// keeps the normal state; only a start in the tray minimizes the window
// itself, and only then does "Restore" move it back to the stored place.
enum class WindowState { Normal, Minimized, Maximized };

struct ScreenRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const ScreenRect&) const = default;
};

struct TextSize {
    int width = 0;
    int height = 0;
};

enum class Label { Date, Time };

// The commands of the pop-up menu, in the menu's order.
enum class MenuCommand { Help, LogFile, Options, DisableSched, Tray, Restore, Close, About };

class ClockView {
public:
    virtual ~ClockView() = default;

    // The window. Left, top, width and height are the outer frame's.
    virtual void SetCaption(std::string_view caption) = 0;
    virtual int Left() = 0;
    virtual int Top() = 0;
    virtual int Width() = 0;
    virtual int Height() = 0;
    virtual void SetPosition(int left, int top) = 0;
    virtual void SetWidth(int width) = 0;
    virtual int ClientWidth() = 0;
    virtual void SetClientHeight(int height) = 0;
    virtual WindowState State() = 0;
    virtual void SetState(WindowState state) = 0;
    virtual void SetTopmost(bool topmost) = 0;
    // Keeps the program off the task bar.
    virtual void MakeToolWindow() = 0;
    // The desktop without the task bar, of the screen the window is on.
    virtual ScreenRect WorkArea() = 0;
    // Pixels per logical inch of the monitor the window is on: the window's
    // pixel sizes are given for 96 and scaled to it. The labels' point sizes
    // are drawn at it too.
    virtual int WindowDpi() = 0;

    // The two labels: bold Arial at a size in points, their size following
    // text and font.
    virtual void SetLabelText(Label label, std::string_view text) = 0;
    virtual void SetLabelFontSize(Label label, int points) = 0;
    virtual TextSize LabelSize(Label label) = 0;
    virtual void SetLabelPosition(Label label, int left, int top) = 0;

    virtual void SetMenuEnabled(MenuCommand command, bool enabled) = 0;
    virtual void SetMenuChecked(MenuCommand command, bool checked) = 0;

    // The application as a whole, with the tray icon: minimizing hides the
    // clock window (the icon stays, the window keeps its state); showing
    // makes the window visible again.
    virtual void MinimizeApplication() = 0;
    virtual void ShowApplication() = 0;
    virtual void BringToFront() = 0;

    // The clock timer; 0 stops it.
    virtual void SetTimerInterval(int milliseconds) = 0;
    // Ends the message loop; the window is destroyed on the way out.
    virtual void Close() = 0;

    // Opens the help document at a numbered topic. False when it could not
    // be opened.
    virtual bool OpenHelp(std::string_view path, int topic) = 0;
};

}  // namespace pw::app
