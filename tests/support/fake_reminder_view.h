#pragma once
// A reminder window without a window: it keeps what the logic sets, lets
// tests choose the screen, and models the frame so that client height and
// outer height differ as on a real window.

#include <string>
#include <vector>

#include "app/reminder_window.h"

namespace pw::test {

class FakeReminderView : public app::ReminderView {
public:
    void SetCaption(std::string_view c) override { caption = std::string(c); }
    app::WindowRect Bounds() const override { return bounds; }
    void SetBounds(const app::WindowRect& b) override { bounds = b; }
    int ClientHeight() const override { return bounds.height - frameHeight; }
    void SetClientHeight(int h) override { bounds.height = h + frameHeight; }
    bool Visible() const override { return visible; }
    void Show() override {
        visible = true;
        ++shows;
    }
    void BringToFront() override { ++fronts; }
    void Hide() override {
        visible = false;
        ++hides;
    }
    void SetTextBackground(Rgb c) override { background = c; }
    void SetText(const std::vector<app::StyledLine>& l) override {
        lines = l;
        ++fills;
        scrolledToTop = false;
    }
    void ScrollToTop() override { scrolledToTop = true; }
    void SetAppName(std::string_view t) override { appName = std::string(t); }
    void SetVersionText(std::string_view t) override { versionText = std::string(t); }
    void SetCountdownText(std::string_view t) override { countdownTexts.push_back(std::string(t)); }
    int PanelWidth() const override { return bounds.width - 2 * app::ReminderLayout::At(dpi).border - frameWidth; }
    int CountdownWidth() const override { return countdownWidth; }
    void SetCountdownLeft(int left) override { countdownLeft = left; }
    std::string SnoozeMinutesText() const override { return snoozeMinutes; }
    void SetSnoozeMinutesText(std::string_view t) override { snoozeMinutes = std::string(t); }
    app::ScreenSize Screen() const override { return screen; }
    app::WindowRect WorkArea() const override { return workArea; }
    int Dpi() const override { return dpi; }
    int PixelsPerInch() const override { return ppi; }
    Rgb SystemColour(int index) const override { return index == kSysColourButtonFace ? buttonFace : MakeRgb(1, 2, 3); }

    std::string Countdown() const { return countdownTexts.empty() ? "" : countdownTexts.back(); }

    // What the logic has set.
    std::string caption;
    app::WindowRect bounds{100, 100, 200, 300};
    bool visible = false;
    int shows = 0;
    int fronts = 0;
    int hides = 0;
    Rgb background = 0;
    std::vector<app::StyledLine> lines;
    int fills = 0;
    bool scrolledToTop = false;
    std::string appName;
    std::string versionText;
    std::vector<std::string> countdownTexts;
    int countdownLeft = -1;
    std::string snoozeMinutes;  // the field, as the user may also type in it

    // The surroundings a test sets up.
    int frameHeight = 25;  // caption and borders
    int frameWidth = 8;
    int countdownWidth = 60;
    app::ScreenSize screen{1024, 768};
    app::WindowRect workArea{0, 0, 1024, 728};  // task bar at the bottom
    int ppi = 96;
    int dpi = 96;
    Rgb buttonFace = MakeRgb(212, 208, 200);
};

}  // namespace pw::test
