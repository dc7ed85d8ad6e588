#include "app/reminder_window.h"

#include <algorithm>

#include "common/errors.h"
#include "common/screen_units.h"
#include "config/value_access.h"
#include "config/values.h"
#include "sched/reminder_item.h"

namespace pw::app {

namespace {

// One code point from UTF-8 at text[i], moving i past it; a byte that
// starts no valid sequence gives '?' and moves one byte.
char32_t NextCodePoint(std::string_view text, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 && lead < 0xF5 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || i + length > text.size()) {
        ++i;
        return U'?';
    }
    char32_t cp = length == 1 ? lead : lead & (0xFF >> (length + 1));
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return U'?';
        }
        cp = cp << 6 | (byte(i + k) & 0x3F);
    }
    i += length;
    // Overlong forms, surrogates and numbers past Unicode are no characters.
    static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[length] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return U'?';
    return cp;
}

// \uN takes a signed 16-bit number; "?" is what a reader without Unicode
// shows instead.
void AppendUnicodeUnit(std::string& out, unsigned unit) {
    out += "\\u";
    out += std::to_string(static_cast<std::int16_t>(unit));
    out += '?';
}

void AppendEscaped(std::string& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const char32_t cp = NextCodePoint(text, i);
        if (cp == U'\r' || cp == U'\n') {
            // CR LF is one break.
            if (cp == U'\r' && i < text.size() && text[i] == '\n') ++i;
            out += "\\line ";
        } else if (cp == U'\t') {
            out += "\\tab ";
        } else if (cp == U'\\' || cp == U'{' || cp == U'}') {
            out += '\\';
            out += static_cast<char>(cp);
        } else if (cp < 0x20 || cp == 0x7F) {
            // Other control characters show as nothing.
        } else if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x10000) {
            AppendUnicodeUnit(out, static_cast<unsigned>(cp));
        } else {
            const char32_t v = cp - 0x10000;
            AppendUnicodeUnit(out, 0xD800 + static_cast<unsigned>(v >> 10));
            AppendUnicodeUnit(out, 0xDC00 + static_cast<unsigned>(v & 0x3FF));
        }
    }
}

// Index of value in a table, adding it when new.
template <class T>
std::size_t IndexIn(std::vector<T>& table, const T& value) {
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i] == value) return i;
    table.push_back(value);
    return table.size() - 1;
}

}  // namespace

std::string RichText(const std::vector<StyledLine>& lines) {
    std::vector<std::string> fonts;
    std::vector<Rgb> colours;
    std::string body;
    for (const StyledLine& line : lines) {
        const std::size_t font = IndexIn(fonts, line.style.font);
        // Colour 0 of the table is the default; ours count from 1.
        const std::size_t colour = IndexIn(colours, line.style.colour) + 1;
        body += "\\pard\\plain\\f" + std::to_string(font) + "\\fs" + std::to_string(std::max(line.style.points, 1) * 2) +
                "\\cf" + std::to_string(colour);
        if (line.style.bold) body += "\\b";
        body += ' ';
        AppendEscaped(body, line.text);
        body += "\\par\n";
    }
    std::string rtf = "{\\rtf1\\ansi\\deff0\\uc1{\\fonttbl";
    for (std::size_t i = 0; i < fonts.size(); ++i) {
        rtf += "{\\f" + std::to_string(i) + "\\fnil ";
        AppendEscaped(rtf, fonts[i]);
        rtf += ";}";
    }
    rtf += "}{\\colortbl;";
    for (Rgb c : colours)
        rtf += "\\red" + std::to_string(c & 0xFF) + "\\green" + std::to_string(c >> 8 & 0xFF) + "\\blue" +
               std::to_string(c >> 16 & 0xFF) + ";";
    rtf += "}\n";
    rtf += body;
    rtf += "}";
    return rtf;
}

ReminderLayout ReminderLayout::At(int dpi) {
    ReminderLayout l;
    for (int* size : {&l.border, &l.panelHeight, &l.nameLeft, &l.nameFontPixels, &l.versionGap, &l.versionFontPixels,
                      &l.countdownGap, &l.countdownFontPixels, &l.countdownRightGap, &l.minTextWidth, &l.minTextHeight,
                      &l.bottomGap})
        *size = ScaleToDpi(*size, dpi);
    return l;
}

ReminderWindow::ReminderWindow(ReminderView& view, Store& store, const cfg::GlobalSettings& settings,
                               sched::LogLineWriter log, ProgramVersion version)
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

std::int64_t ReminderWindow::ClientHeightFor(std::size_t items, int fontPixels, int dpi) {
    const ReminderLayout base;
    const std::int64_t at96 = static_cast<std::int64_t>(items) * (kDescriptionPixels + fontPixels + kRulePixels + 11) +
                              base.panelHeight + base.bottomGap;
    if (dpi <= 0) dpi = kBaseDpi;
    return (at96 * dpi + kBaseDpi / 2) / kBaseDpi;
}

void ReminderWindow::FormCreate() {
    const WindowRect work = view_.WorkArea();
    WindowRect b = view_.Bounds();
    b.left = work.left;
    b.top = work.top;
    b.width = ScaleToDpi(kInitialWidth, view_.Dpi());
    view_.SetBounds(b);
    view_.SetCaption("Reminders");
    view_.SetAppName(kAppTitle);
    view_.SetVersionText("Version " + ThreePartVersion(version_));
    view_.SetCountdownText(CountdownText(0));
}

void ReminderWindow::PlaceCountdown() {
    view_.SetCountdownLeft(view_.PanelWidth() - view_.CountdownWidth() -
                           ReminderLayout::At(view_.Dpi()).countdownRightGap);
}

void ReminderWindow::FormShow() {
    PlaceCountdown();
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

void ReminderWindow::butSnoozeClick() {
    if (!view_.Visible() || shown_.empty() || !snoozes_ || !clock_) return;
    const int minutes = cfg::SpinFieldValue(view_.SnoozeMinutesText(), cfg::global::SnoozeMinutes);
    view_.SetSnoozeMinutesText(std::to_string(minutes));
    cfg::Write(store_, cfg::kSettingsKey, cfg::global::SnoozeMinutes, minutes);
    // A store that refuses raises here and the window stays with its
    // reminders: none is put off in part.
    const std::string until = snoozes_->Put(shown_, minutes, clock_->LocalAndUtc());
    if (settings_.LogReminders && log_)
        for (const auto& item : shown_) log_("Snoozed:" + sched::ParseReminderItem(item).name + " Until:" + until);
    shown_.clear();
    countdown_ = 0;
    view_.Hide();
}

void ReminderWindow::FormDestroy() { countdown_ = 0; }

int ReminderWindow::ReadSetting(const cfg::IntValue& value) {
    // A value of the wrong type must not cost the user the reminders of this
    // pass: it counts as missing. A number outside the dialog's range is
    // brought into it, so a negative display time cannot keep the window up
    // forever.
    try {
        return cfg::Clamp(value, cfg::Read(store_, cfg::kSettingsKey, value));
    } catch (const StoreError&) {
        return value.def;
    }
}

void ReminderWindow::FitHeight(std::size_t items, int fontPixels) {
    // However many reminders fell due, the window is never taller than the
    // work area: the text area scrolls instead, and the countdown panel
    // stays on the screen.
    const WindowRect work = view_.WorkArea();
    const int frame = std::max(view_.Bounds().height - view_.ClientHeight(), 0);
    const std::int64_t wanted = ClientHeightFor(items, fontPixels, view_.Dpi());
    const ReminderLayout sizes = ReminderLayout::At(view_.Dpi());
    const std::int64_t room = std::max<std::int64_t>(work.height - frame, sizes.panelHeight + sizes.bottomGap);
    view_.SetClientHeight(static_cast<int>(std::min(wanted, room)));
}

LineStyle ReminderWindow::Style(int pixels, Rgb colour, bool bold) const {
    // Pixels at 96 DPI, scaled to the window's monitor, in the points of the
    // text control's resolution.
    return LineStyle{std::string(kLineFont), colour, ScaledPixelsToPoints(pixels, view_.Dpi(), view_.PixelsPerInch()),
                     bold};
}

int ReminderWindow::FontPixels() const {
    // The dialog's slider keeps the size in range; an edited registry may
    // not, and a huge or negative font would make the window useless.
    return cfg::Clamp(cfg::global::ReminderFontSize, settings_.ReminderFontSize);
}

void ReminderWindow::DpiChanged() {
    PlaceCountdown();
    // A hidden window is filled anew by its next reminders.
    if (shown_.empty() || !view_.Visible()) return;
    FitHeight(shown_.size(), FontPixels());
    view_.SetText(Lines(shown_, false));
    view_.ScrollToTop();
}

void ReminderWindow::ShowReminders(const std::vector<std::string>& items) {
    // Nothing fell due: no empty window.
    if (items.empty()) return;

    countdown_ = ReadSetting(cfg::global::MsgDisplayTime);
    view_.SetCaption("Reminders: " + std::to_string(items.size()));
    const auto systemColour = [this](int index) { return view_.SystemColour(index); };
    view_.SetTextBackground(ResolveColour(settings_.ReminderBackground, systemColour));

    FitHeight(items.size(), FontPixels());

    shown_ = items;
    if (!view_.Visible()) {
        // The field starts from the minutes used last; while the window is
        // up, a new batch leaves what the user typed alone.
        view_.SetSnoozeMinutesText(std::to_string(ReadSetting(cfg::global::SnoozeMinutes)));
        FormShow();
        view_.Show();
    } else {
        // Already up (a later batch): the window keeps its place unless it
        // has grown past the screen's edge.
        KeepOnScreen();
    }
    view_.BringToFront();

    shown_ = items;
    view_.SetText(Lines(items, true));
    view_.ScrollToTop();
}

std::vector<StyledLine> ReminderWindow::Lines(const std::vector<std::string>& items, bool log) {
    const auto systemColour = [this](int index) { return view_.SystemColour(index); };
    const LineStyle description = Style(kDescriptionPixels, kMaroon, false);
    const LineStyle message = Style(FontPixels(), ResolveColour(settings_.ReminderTextColor, systemColour), true);
    const LineStyle rule = Style(kRulePixels, kRed, false);
    const std::string ruleText(kRuleLength, '-');

    std::vector<StyledLine> lines;
    lines.reserve(items.size() * 3);
    int n = 0;
    for (const auto& item : items) {
        ++n;
        const sched::ReminderFields f = sched::ParseReminderItem(item);
        std::string numbered = std::to_string(n) + "." + f.message;
        if (log && settings_.LogReminders && log_) {
            // A program that was not started is logged by the tick under
            // LogLaunches; only reminders are logged here.
            const auto missed = sched::ParseMissedDescription(f.description);
            if (!missed) {
                log_("Reminder:" + f.name + " Message:" + numbered);
            } else if (!missed->launch) {
                log_("Missed reminder:" + f.name + " Due:" + missed->due + " Count:" + std::to_string(missed->count) +
                     " Message:" + numbered);
            }
        }
        lines.push_back({f.description, description});
        lines.push_back({std::move(numbered), message});
        lines.push_back({ruleText, rule});
    }
    return lines;
}

}  // namespace pw::app
