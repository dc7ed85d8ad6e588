#pragma once
// The clock window's two labels, drawn by hand: a label control repaints
// through several round trips to the window system, and the clock changes
// a label every second. Each label has its text, its bold Arial size in
// points, its place and its colour; the window draws them in one go.

#include <windows.h>

#include <map>
#include <string>
#include <string_view>

#include "app/clock_view.h"

namespace pw::win {

class PaintedLabels {
public:
    PaintedLabels() { date_.colourIndex = COLOR_ACTIVECAPTION; }
    ~PaintedLabels();
    PaintedLabels(const PaintedLabels&) = delete;
    PaintedLabels& operator=(const PaintedLabels&) = delete;

    // The DPI the point sizes are drawn at, the window's; a new one makes
    // new fonts.
    void SetDpi(int dpi);
    void SetText(app::Label label, std::string_view text);
    void SetFontSize(app::Label label, int points);
    void SetPosition(app::Label label, int left, int top);
    // Width and height of the text; an empty label keeps the height of a
    // line, as a label does.
    app::TextSize Size(app::Label label);

    const std::wstring& Text(app::Label label) const { return Of(label).text; }
    int Points(app::Label label) const { return Of(label).points; }
    POINT Position(app::Label label) const { return {Of(label).left, Of(label).top}; }

    // Whether a label changed since the last TakeChanged.
    bool TakeChanged();
    // Draws the background and both labels into the client area.
    void Paint(HDC dc, const RECT& client);

private:
    struct Entry {
        std::wstring text;
        int points = 8;
        int left = 0;
        int top = 0;
        bool measured = false;
        app::TextSize size;
        int colourIndex = COLOR_WINDOWTEXT;
    };
    Entry& Of(app::Label label) { return label == app::Label::Date ? date_ : time_; }
    const Entry& Of(app::Label label) const { return label == app::Label::Date ? date_ : time_; }
    HFONT Font(int points);
    int FontHeight(int points);
    HDC MeasureDc();

    Entry date_;
    Entry time_;
    bool changed_ = false;
    int dpi_ = 96;
    std::map<int, HFONT> fonts_;
    std::map<int, int> fontHeights_;
    // Text is measured on a memory DC of the screen, kept for the window's
    // life: fetching the window's own DC every second costs a round trip.
    HDC measureDc_ = nullptr;
    // The back buffer the labels are drawn into, kept between paints.
    HDC backDc_ = nullptr;
    HBITMAP backBitmap_ = nullptr;
    HGDIOBJ backOld_ = nullptr;
    SIZE backSize_{};
};

}  // namespace pw::win
