#pragma once
// The reminder window: every reminder of one pass in one window on top of
// all others, each as a description line, a numbered message line and a
// rule, with a countdown that hides the window after MsgDisplayTime
// seconds. This is the window's whole behaviour; the Windows layer
// (platform/win32/reminder_window_win32.h) only turns its messages into
// calls of the handlers below and the view calls into controls.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/clock.h"
#include "common/colour.h"
#include "common/store.h"
#include "common/version.h"
#include "config/global_settings.h"
#include "sched/log_line.h"
#include "sched/snooze.h"

namespace pw::app {

struct WindowRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const WindowRect&) const = default;
};

struct ScreenSize {
    int width = 0;
    int height = 0;
};

// How one line of the text area looks. Sizes are in points.
struct LineStyle {
    std::string font;
    Rgb colour = kBlack;
    int points = 0;
    bool bold = false;
    bool operator==(const LineStyle&) const = default;
};

struct StyledLine {
    std::string text;
    LineStyle style;
};

// The lines as one rich text (RTF) document, each line its own paragraph
// in its own font, size, colour and weight, so that a text control takes
// them all in one step. Text is UTF-8; what RTF cannot carry as it is
// (non-ASCII characters, backslash and braces) is escaped, and a line
// break inside a line becomes a break within its paragraph.
std::string RichText(const std::vector<StyledLine>& lines);

// The sizes of the window's border and bottom panel in pixels. The numbers
// are those of a screen at 96 DPI; At gives them at the DPI of the monitor
// the window is on. Every control of the panel takes its sizes from here,
// so that all of them scale alike.
struct ReminderLayout {
    int border = 3;  // around the text area and the panel
    int panelHeight = 38;
    int nameLeft = 8;
    int nameFontPixels = 15;
    int versionGap = 10;  // from the name to the version
    int versionFontPixels = 11;
    int countdownGap = 4;  // from the version's end to the countdown
    int countdownFontPixels = 19;
    int countdownRightGap = 15;
    int minTextWidth = 160;  // the smallest client area the user can size
    int minTextHeight = 20;  // it to, beside the panel
    int bottomGap = 10;      // below the last block of the text area

    static ReminderLayout At(int dpi);
    bool operator==(const ReminderLayout&) const = default;
};

// The controls of the window as its logic sees them. Positions are screen
// pixels; the client area is the part inside the frame and the window's
// border width, shared by the text area and the bottom panel.
class ReminderView {
public:
    virtual ~ReminderView() = default;

    virtual void SetCaption(std::string_view caption) = 0;
    // Outer bounds of the window, frame included.
    virtual WindowRect Bounds() const = 0;
    virtual void SetBounds(const WindowRect& bounds) = 0;
    virtual int ClientHeight() const = 0;
    // Changes the height so that the client area gets this height; the top
    // left corner stays.
    virtual void SetClientHeight(int height) = 0;
    virtual bool Visible() const = 0;
    virtual void Show() = 0;
    // Brings the program to the front, this window first.
    virtual void BringToFront() = 0;
    virtual void Hide() = 0;

    virtual void SetTextBackground(Rgb colour) = 0;
    // Replaces the whole text area with these lines, in one step: hundreds
    // of reminders must not cost a round of layout each.
    virtual void SetText(const std::vector<StyledLine>& lines) = 0;
    virtual void ScrollToTop() = 0;

    virtual void SetAppName(std::string_view text) = 0;
    virtual void SetVersionText(std::string_view text) = 0;
    virtual void SetCountdownText(std::string_view text) = 0;
    virtual int PanelWidth() const = 0;
    virtual int CountdownWidth() const = 0;
    // Left edge of the countdown label inside the panel; the label keeps its
    // distance to the panel's right edge when the window is resized.
    virtual void SetCountdownLeft(int left) = 0;
    // The snooze minutes field beside the Snooze button.
    virtual std::string SnoozeMinutesText() const = 0;
    virtual void SetSnoozeMinutesText(std::string_view text) = 0;

    virtual ScreenSize Screen() const = 0;
    // The screen without the task bar.
    virtual WindowRect WorkArea() const = 0;
    // The DPI of the monitor the window is on: the window's sizes follow it.
    virtual int Dpi() const = 0;
    // The text control's resolution, at which it turns points into pixels.
    virtual int PixelsPerInch() const = 0;
    virtual Rgb SystemColour(int index) const = 0;
};

class ReminderWindow {
public:
    // Width at 96 DPI; the panel's sizes are ReminderLayout's.
    static constexpr int kInitialWidth = 350;
    static constexpr int kTimerIntervalMs = 1000;
    static constexpr std::string_view kLineFont = "Arial";
    static constexpr int kDescriptionPixels = 9;
    static constexpr int kRulePixels = 7;
    static constexpr int kRuleLength = 170;

    // The settings are the clock window's in-memory copy, read at each
    // ShowReminders, so a change in the settings dialog holds for the next
    // batch. MsgDisplayTime is read from the store at each ShowReminders.
    ReminderWindow(ReminderView& view, Store& store, const cfg::GlobalSettings& settings, sched::LogLineWriter log,
                   ProgramVersion version);

    // Where the Snooze button puts reminders off; without it the button
    // does nothing.
    void AttachSnooze(sched::SnoozeQueue* queue, Clock* clock) {
        snoozes_ = queue;
        clock_ = clock;
    }

    // Once, when the window has been created hidden at start.
    void FormCreate();
    // Each time the window goes from hidden to shown.
    void FormShow();
    // The window's one-second timer, running for the program's whole life.
    void MsgTimerTimer();
    // The caption's close button: the window is only hidden.
    void FormClose();
    // The Snooze button: every reminder shown is put off by the minutes of
    // the field (kept as SnoozeMinutes for the next time), stored before
    // the window hides. Once per showing: a second press finds nothing.
    void butSnoozeClick();
    void FormDestroy();
    // The window went to a monitor of another DPI, or the scaling changed:
    // the reminders shown are laid out again at the new sizes.
    void DpiChanged();

    // Fills the window with one reminder item (sched/reminder_item.h) per
    // reminder, logs each reminder, due or missed, when LogReminders is on
    // and shows the window on top. A later call replaces everything and restarts the countdown.
    void ShowReminders(const std::vector<std::string>& items);

    int CountdownSeconds() const { return countdown_; }

    // " m:ss ": the countdown label for a number of seconds.
    static std::string CountdownText(int seconds);
    // The client height for a number of items: per item the three lines
    // (9 + font + 7 pixels) and 11 pixels between blocks, then the panel
    // and 10 pixels; pixels at 96 DPI, the sum scaled to dpi.
    static std::int64_t ClientHeightFor(std::size_t items, int fontPixels, int dpi = 96);

private:
    // A global integer from the store, in its range.
    int ReadSetting(const cfg::IntValue& value);
    void FitHeight(std::size_t items, int fontPixels);
    void KeepOnScreen();
    void PlaceCountdown();
    LineStyle Style(int pixels, Rgb colour, bool bold) const;
    int FontPixels() const;
    // The lines of the items, logging each one when log is set.
    std::vector<StyledLine> Lines(const std::vector<std::string>& items, bool log);

    ReminderView& view_;
    Store& store_;
    const cfg::GlobalSettings& settings_;
    sched::LogLineWriter log_;
    ProgramVersion version_;
    int countdown_ = 0;
    // The items on the screen: for the Snooze button, and to lay them out
    // again at another DPI.
    std::vector<std::string> shown_;
    sched::SnoozeQueue* snoozes_ = nullptr;
    Clock* clock_ = nullptr;
};

}  // namespace pw::app
