#pragma once
// A clock window without a screen. Labels are measured with a simple font
// model (at 96 DPI a character is two thirds of the point size wide, a line
// five thirds high; both grow with the DPI), so the fitting loops can be
// followed by hand. The frame adds a border on each side and a caption on
// top, as the real window has, scaled with the DPI as well.

#include <map>
#include <string>
#include <vector>

#include "app/clock_view.h"
#include "common/screen_units.h"

namespace pw::test {

using namespace pw::app;

class FakeClockView : public ClockView {
public:
    static constexpr int kBorder = 3;
    static constexpr int kCaption = 15;

    struct LabelState {
        std::string text;
        int points = 8;
        int left = 0;
        int top = 0;
        std::vector<int> sizes;  // every size set, in order
    };

    // Extra width a label gets beyond the font model, so a test can make a
    // text that fits at no size.
    std::map<Label, int> extraWidth;

    void SetCaption(std::string_view c) override { caption = std::string(c); }
    int Left() override { return left; }
    int Top() override { return top; }
    int Width() override { return width; }
    int Height() override { return clientHeight + 2 * Border() + ScaleToDpi(kCaption, dpi); }
    void SetPosition(int l, int t) override {
        left = l;
        top = t;
        moves.push_back({l, t});
    }
    void SetWidth(int w) override { width = w; }
    int ClientWidth() override { return width - 2 * Border(); }
    int Border() const { return ScaleToDpi(kBorder, dpi); }
    void SetClientHeight(int h) override { clientHeight = h; }
    WindowState State() override { return state; }
    void SetState(WindowState s) override {
        state = s;
        if (s == WindowState::Minimized) visible = false;
    }
    void SetTopmost(bool t) override { topmost = t; }
    void MakeToolWindow() override { toolWindow = true; }
    ScreenRect WorkArea() override { return workArea; }
    int WindowDpi() override { return dpi; }

    void SetLabelText(Label l, std::string_view t) override { labels[l].text = std::string(t); }
    void SetLabelFontSize(Label l, int points) override {
        labels[l].points = points;
        labels[l].sizes.push_back(points);
    }
    TextSize LabelSize(Label l) override {
        const auto& s = labels[l];
        return {static_cast<int>(s.text.size()) * s.points * 2 * dpi / (3 * 96) + extraWidth[l],
                s.points * 5 * dpi / (3 * 96)};
    }
    void SetLabelPosition(Label l, int x, int y) override {
        labels[l].left = x;
        labels[l].top = y;
    }

    void SetMenuEnabled(MenuCommand c, bool e) override { enabled[c] = e; }
    void SetMenuChecked(MenuCommand c, bool ch) override { checked[c] = ch; }

    void MinimizeApplication() override {
        visible = false;
        events.push_back("minimize");
    }
    void ShowApplication() override {
        visible = true;
        events.push_back("show");
    }
    void BringToFront() override { events.push_back("front"); }
    void SetTimerInterval(int ms) override {
        timerInterval = ms;
        events.push_back("timer:" + std::to_string(ms));
    }
    void Close() override {
        closed = true;
        events.push_back("close");
    }
    bool OpenHelp(std::string_view path, int topic) override {
        events.push_back("help:" + std::string(path) + "#" + std::to_string(topic));
        return true;
    }

    std::string caption;
    int left = -1;
    int top = -1;
    int width = 200;
    int clientHeight = 0;
    WindowState state = WindowState::Normal;
    bool visible = true;
    bool topmost = false;
    bool toolWindow = false;
    bool closed = false;
    int dpi = 96;
    int timerInterval = -1;
    ScreenRect workArea{0, 0, 1024, 738};
    std::map<Label, LabelState> labels;
    std::map<MenuCommand, bool> enabled;
    std::map<MenuCommand, bool> checked;
    std::vector<std::pair<int, int>> moves;
    std::vector<std::string> events;
};

}  // namespace pw::test
