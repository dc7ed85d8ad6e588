#include "sched/reminder_window.h"

#include <algorithm>

#include "common/errors.h"
#include "common/screen_units.h"
#include "config/value_access.h"
#include "config/values.h"
#include "sched/reminder_item.h"

namespace pw::sched {

namespace {

// Used when the system reports no resolution at all, so a font size never
// divides by zero.

}  // namespace

ReminderWindow::ReminderWindow(ReminderView& view, Store& store, const cfg::GlobalSettings& settings,
                               LogLineWriter log, ProgramVersion version)
    : view_(view), store_(store), settings_(settings), log_(std::move(log)), version_(std::move(version)) {}

std::string ReminderWindow::CountdownText(int seconds) {
    // A countdown below zero exists only for the moment after the window
    // hid itself; it never reads as a negative time.
    seconds = std::max(seconds, 0);
    const int rest = seconds % 60;
    std::string text = " " + std::to_string(seconds / 60) + ":";
    if (rest < 10) text += '0';
    text += std::to_string(rest);
    text += ' ';
    return text;
}

std::int64_t ReminderWindow::ClientHeightFor(std::size_t items, int fontPixels) {
    return static_cast<std::int64_t>(items) * (kDescriptionPixels + fontPixels + kRulePixels + 11) + kPanelHeight +
           10;
}

void ReminderWindow::FormCreate() {
    const WindowRect work = view_.WorkArea();
    WindowRect b = view_.Bounds();
    b.left = work.left;
    b.top = work.top;
    b.width = kInitialWidth;
    view_.SetBounds(b);
    view_.SetCaption("Reminders");
    view_.SetAppName(kAppTitle);
    view_.SetVersionText("Version " + ThreePartVersion(version_));
    view_.SetCountdownText(CountdownText(0));
}

void ReminderWindow::FormShow() {
    view_.SetCountdownLeft(view_.PanelWidth() - view_.CountdownWidth() - kCountdownRightGap);
    KeepOnScreen();
}

void ReminderWindow::KeepOnScreen() {
    const ScreenSize screen = view_.Screen();
    WindowRect b = view_.Bounds();
    const WindowRect before = b;
    if (b.left < 0) b.left = 0;
    if (b.top < 0) b.top = 0;
    if (b.left > screen.width - b.width) b.left = screen.width - b.width;
    if (b.top > screen.height - b.height) b.top = screen.height - b.height;
    if (!(b == before)) view_.SetBounds(b);
}

void ReminderWindow::MsgTimerTimer() {
    if (!view_.Visible()) return;
    view_.SetCountdownText(CountdownText(countdown_));
    if (countdown_ <= 0) view_.Hide();
    countdown_ -= kTimerIntervalMs / 1000;
}

void ReminderWindow::FormClose() { view_.Hide(); }

void ReminderWindow::FormDestroy() { countdown_ = 0; }

int ReminderWindow::ReadDisplayTime() {
    // A value of the wrong type must not cost the user the reminders of this
    // pass: it counts as missing. A number outside the dialog's range is
    // brought into it, so a negative one cannot keep the window up forever.
    try {
        return cfg::Clamp(cfg::global::MsgDisplayTime,
                          cfg::Read(store_, cfg::kSettingsKey, cfg::global::MsgDisplayTime));
    } catch (const StoreError&) {
        return cfg::global::MsgDisplayTime.def;
    }
}

void ReminderWindow::FitHeight(std::size_t items, int fontPixels) {
    // However many reminders fell due, the window is never taller than the
    // work area: the text area scrolls instead, and the countdown panel
    // stays on the screen.
    const WindowRect work = view_.WorkArea();
    const int frame = std::max(view_.Bounds().height - view_.ClientHeight(), 0);
    const std::int64_t wanted = ClientHeightFor(items, fontPixels);
    const std::int64_t room = std::max<std::int64_t>(work.height - frame, kPanelHeight + 10);
    view_.SetClientHeight(static_cast<int>(std::min(wanted, room)));
}

LineStyle ReminderWindow::Style(int pixels, Rgb colour, bool bold) const {
    return LineStyle{std::string(kLineFont), colour, PixelsToPoints(pixels, view_.PixelsPerInch()), bold};
}

void ReminderWindow::ShowReminders(const std::vector<std::string>& items) {
    // Nothing fell due: no empty window.
    if (items.empty()) return;

    countdown_ = ReadDisplayTime();
    view_.SetCaption("Reminders: " + std::to_string(items.size()));
    const auto systemColour = [this](int index) { return view_.SystemColour(index); };
    view_.SetTextBackground(ResolveColour(settings_.ReminderBackground, systemColour));

    // The dialog's slider keeps the size in range; an edited registry may
    // not, and a huge or negative font would make the window useless.
    const int fontPixels = cfg::Clamp(cfg::global::ReminderFontSize, settings_.ReminderFontSize);
    FitHeight(items.size(), fontPixels);
    view_.ClearText();

    if (!view_.Visible()) {
        FormShow();
        view_.Show();
    } else {
        // Already up (a later batch): the window keeps its place unless it
        // has grown past the screen's edge.
        KeepOnScreen();
    }
    view_.BringToFront();

    const LineStyle description = Style(kDescriptionPixels, kMaroon, false);
    const LineStyle message = Style(fontPixels, ResolveColour(settings_.ReminderTextColor, systemColour), true);
    const LineStyle rule = Style(kRulePixels, kRed, false);
    const std::string ruleText(kRuleLength, '-');

    int n = 0;
    for (const auto& item : items) {
        ++n;
        const ReminderFields f = ParseReminderItem(item);
        const std::string numbered = std::to_string(n) + "." + f.message;
        view_.AppendLine(f.description, description);
        view_.AppendLine(numbered, message);
        view_.AppendLine(ruleText, rule);
        if (!settings_.LogReminders || !log_) continue;
        // A program that was not started is logged by the tick under
        // LogLaunches; only reminders are logged here.
        const auto missed = ParseMissedDescription(f.description);
        if (!missed) {
            log_("Reminder:" + f.name + " Message:" + numbered);
        } else if (!missed->launch) {
            log_("Missed reminder:" + f.name + " Due:" + missed->due + " Count:" + std::to_string(missed->count) +
                 " Message:" + numbered);
        }
    }
    view_.ScrollToTop();
}

}  // namespace pw::sched
