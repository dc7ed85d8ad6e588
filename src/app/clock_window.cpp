#include "app/clock_window.h"

#include <algorithm>
#include <utility>

#include "common/datefmt.h"
#include "common/errors.h"
#include "common/screen_units.h"
#include "config/value_access.h"
#include "config/values.h"
#include "app/log_commands.h"

namespace pw::app {

int CentredLeft(int clientWidth, int labelWidth) {
    const int diff = clientWidth - labelWidth;
    int half = diff / 2;  // towards zero
    if (diff % 2 != 0) {
        // Exactly between half and its neighbour away from zero: take the
        // even one of the two.
        const int other = diff > 0 ? half + 1 : half - 1;
        if (half % 2 != 0) half = other;
    }
    return half + 1;
}

// The centring's extra pixel would push a label exactly as wide as the
// client area one column past its right edge.
bool FitsCentred(int clientWidth, int labelWidth) {
    return CentredLeft(clientWidth, labelWidth) + labelWidth <= clientWidth;
}

ScreenRect KeepInside(ScreenRect w, const ScreenRect& area) {
    if (w.left < area.left) w.left = area.left;
    if (w.top < area.top) w.top = area.top;
    if (w.left > area.left + area.width - w.width) w.left = area.left + area.width - w.width;
    if (w.top > area.top + area.height - w.height) w.top = area.top + area.height - w.height;
    return w;
}

// The tick's view of the rest of the program.
class ClockWindow::TickHost : public sched::TickHost {
public:
    explicit TickHost(ClockWindow& w) : w_(w) {}
    void RefreshClockDisplay() override { w_.RefreshClockDisplay(); }
    void SetCaption(std::string_view caption) override { w_.SetCaption(caption); }
    void TrimLog() override {
        w_.Log().Trim(w_.Settings().TrimLogDays);
    }
    void AutoSynchronize() override {
        if (w_.parts_.links.autoSynchronize) w_.parts_.links.autoSynchronize();
    }
    void WriteLogLine(std::string_view message) override { w_.WriteLogLine(message); }
    bool LaunchProgram(std::string_view name, std::string_view commandLine, std::string_view workingDir,
                       std::string_view windowState) override {
        return w_.parts_.links.launcher.LaunchProgram(name, commandLine, workingDir, windowState);
    }
    void ShowReminders(const std::vector<std::string>& items) override {
        if (w_.parts_.links.showReminders) w_.parts_.links.showReminders(items);
    }

private:
    ClockWindow& w_;
};

ClockWindow::ClockWindow(ClockWindowParts parts)
    : parts_(std::move(parts)),
      host_(std::make_unique<TickHost>(*this)),
      tick_(std::make_unique<sched::ClockTick>(
          sched::TickContext{parts_.app, parts_.links.settings, *host_})) {}

ClockWindow::~ClockWindow() = default;

template <class Value>
auto ClockWindow::ReadOrDefault(const Value& v) {
    try {
        return cfg::Read(parts_.app.store, cfg::kSettingsKey, v);
    } catch (const AppError& e) {
        parts_.app.boxes.ShowError(e.what());
        return decltype(cfg::Read(parts_.app.store, cfg::kSettingsKey, v))(v.def);
    }
}

void ClockWindow::FormCreate() {
    auto& v = parts_.view;
    v.SetCaption("Schedules");
    ResetTimeFont();

    v.SetPosition(ReadOrDefault(cfg::global::Left), ReadOrDefault(cfg::global::Top));
    v.SetWidth(ScaleToDpi(kClockWidth, v.WindowDpi()));
    v.SetTimerInterval(0);
    RefreshClockDisplay();

    // A value the registry holds in the wrong form is reported and replaced
    // by its default; the others still load.
    cfg::LoadGlobalSettings(parts_.app.store, parts_.app.locale, Settings(),
                            [this](const AppError& e) { parts_.app.boxes.ShowError(e.what()); });
    helpPath_ = parts_.programDir + std::string(kHelpFileName);

    v.SetTopmost(ReadOrDefault(cfg::global::AlwaysOnTop));
    log::WriteStartBannerIfLogging(Log(), Settings());
    if (ReadOrDefault(cfg::global::StartMinimized)) v.SetState(WindowState::Minimized);
    SetMenuState(v.State() == WindowState::Minimized);
    v.SetMenuChecked(MenuCommand::DisableSched, tick_->disableSchedules);
    v.MakeToolWindow();
}

void ClockWindow::FormDestroy() {
    if (auto stop = std::exchange(parts_.links.atExit, nullptr)) stop();
    auto& v = parts_.view;
    try {
        cfg::Write(parts_.app.store, cfg::kSettingsKey, cfg::global::Left, v.Left());
        cfg::Write(parts_.app.store, cfg::kSettingsKey, cfg::global::Top, v.Top());
    } catch (const AppError& e) {
        parts_.app.boxes.ShowError(e.what());
    }
}

void ClockWindow::RefreshClockDisplay() {
    auto& v = parts_.view;
    const Locale& loc = parts_.app.locale;
    // Only the copy in memory changes: the store keeps "default", and a new
    // short date pattern of the user's makes it again
    // (RegionalSettingsChanged).
    if (Settings().ClockDateFormat == "default") {
        defaultDateFormat_ = "ddd " + loc.shortDatePattern;
        Settings().ClockDateFormat = defaultDateFormat_;
    }

    const DateTime now = parts_.app.clock.Now();
    v.SetLabelText(Label::Date, FormatDateTime(Settings().ClockDateFormat, now, loc));
    const int clientWidth = v.ClientWidth();
    dateFont_ = kDateFontPoints;
    v.SetLabelFontSize(Label::Date, dateFont_);
    while (!FitsCentred(clientWidth, v.LabelSize(Label::Date).width) && dateFont_ > kMinFontPoints)
        v.SetLabelFontSize(Label::Date, --dateFont_);

    if (Settings().ampmFormat) {
        // Measured with the text of the previous second: the size fits the
        // widest text seen so far and never grows back.
        while (!FitsCentred(clientWidth, v.LabelSize(Label::Time).width) && timeFont_ > kMinFontPoints)
            v.SetLabelFontSize(Label::Time, --timeFont_);
        v.SetLabelText(Label::Time, FormatDateTime("hh:mm:ss ampm", now, loc));
    } else {
        timeFont_ = kTimeFontPoints24;
        v.SetLabelFontSize(Label::Time, timeFont_);
        v.SetLabelText(Label::Time, FormatDateTime("HH:mm:ss", now, loc));
    }

    const TextSize date = v.LabelSize(Label::Date);
    const TextSize time = v.LabelSize(Label::Time);
    v.SetLabelPosition(Label::Date, CentredLeft(clientWidth, date.width), 0);
    v.SetLabelPosition(Label::Time, CentredLeft(clientWidth, time.width), date.height);
    v.SetClientHeight(time.height + date.height);

    if (v.State() == WindowState::Normal) {
        const ScreenRect now{v.Left(), v.Top(), v.Width(), v.Height()};
        const ScreenRect inside = KeepInside(now, v.WorkArea());
        if (!(inside == now)) v.SetPosition(inside.left, inside.top);
    }
}

void ClockWindow::ResetTimeFont() {
    timeFont_ = std::max(kMinFontPoints, PixelsToPoints(kTimeFontPixels12, kBaseDpi));
    parts_.view.SetLabelFontSize(Label::Time, timeFont_);
}

void ClockWindow::DpiChanged() {
    auto& v = parts_.view;
    v.SetWidth(ScaleToDpi(kClockWidth, v.WindowDpi()));
    // The size that fitted was found at the old resolution; rounding may
    // make another one the largest that fits now.
    if (Settings().ampmFormat) ResetTimeFont();
    RefreshClockDisplay();
}

void ClockWindow::RegionalSettingsChanged() {
    // The memory's date form is the old default only while the store still
    // says "default"; a form the user chose stays.
    if (!defaultDateFormat_.empty() && Settings().ClockDateFormat == defaultDateFormat_ &&
        ReadOrDefault(cfg::global::ClockDateFormat) == "default")
        Settings().ClockDateFormat = "default";
    // Other designators may fit at a larger size.
    if (Settings().ampmFormat) ResetTimeFont();
    tick_->RegionalSettingsChanged();
    if (dialog_) dialog_->RegionalSettingsChanged();
    RefreshClockDisplay();
}

void ClockWindow::ClockTimer() { tick_->ClockTimer(); }

bool ClockWindow::SchedulesDisabled() const { return tick_->disableSchedules; }

void ClockWindow::SetMenuState(bool restoreEnabled) {
    restoreEnabled_ = restoreEnabled;
    trayEnabled_ = !restoreEnabled;
    parts_.view.SetMenuEnabled(MenuCommand::Restore, restoreEnabled_);
    parts_.view.SetMenuEnabled(MenuCommand::Tray, trayEnabled_);
}

void ClockWindow::OnCommand(MenuCommand command) {
    switch (command) {
        case MenuCommand::Help: mnuHelpClick(); break;
        case MenuCommand::LogFile: mnuLogFileClick(); break;
        case MenuCommand::Options: mnuOptionsClick(); break;
        case MenuCommand::DisableSched: mnuDisableSchedClick(); break;
        case MenuCommand::Tray: mnuTrayClick(); break;
        case MenuCommand::Restore: TrayIconDblClick(); break;
        case MenuCommand::Close: mnuCloseClick(); break;
        case MenuCommand::About: mnuAboutClick(); break;
    }
}

void ClockWindow::lblDateDblClick() {
    if (dialog_) dialog_->Show(DialogPage::LastSelected);
}

void ClockWindow::mnuOptionsClick() {
    if (dialog_) dialog_->Show(DialogPage::Schedules);
}

void ClockWindow::mnuAboutClick() {
    if (dialog_) dialog_->Show(DialogPage::About);
}

void ClockWindow::mnuHelpClick() {
    if (dialog_) dialog_->HelpClick();
}

void ClockWindow::ShowHelpTopic(int topic) {
    if (!parts_.app.files.FileExists(helpPath_)) {
        parts_.app.sound.Beep();
        parts_.app.boxes.Show("Help file not found");
        return;
    }
    parts_.view.OpenHelp(helpPath_, topic);
}

void ClockWindow::mnuLogFileClick() {
    app::mnuLogFileClick(Log(), parts_.app.shell, parts_.app.sound, parts_.app.boxes);
}

void ClockWindow::mnuDisableSchedClick() {
    tick_->disableSchedules = !tick_->disableSchedules;
    parts_.view.SetMenuChecked(MenuCommand::DisableSched, tick_->disableSchedules);
}

void ClockWindow::mnuTrayClick() {
    parts_.view.MinimizeApplication();
    SetMenuState(true);
}

void ClockWindow::TrayIconDblClick() {
    auto& v = parts_.view;
    if (v.State() == WindowState::Minimized) {
        // Left and Top are written only at exit: this is where the program
        // last ended.
        v.SetPosition(ReadOrDefault(cfg::global::Left), ReadOrDefault(cfg::global::Top));
        v.SetWidth(ScaleToDpi(kClockWidth, v.WindowDpi()));
        v.SetState(WindowState::Normal);
    }
    v.ShowApplication();
    v.BringToFront();
    SetMenuState(false);
}

void ClockWindow::mnuCloseClick() { parts_.view.Close(); }

void ClockWindow::WriteLogLine(std::string_view message) {
    Log().Write(message);
}

const std::string& ClockWindow::LogPath() const { return parts_.links.log.Path(); }

}  // namespace pw::app
