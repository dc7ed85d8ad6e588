#pragma once
// The settings dialog on Windows: a modeless dialog made from the resource
// script's templates, a frame with the Help and Close bar and a tab
// control, one child dialog per page. What it shows and does comes from
// ui::SettingsDialog; this class turns control notifications into its
// OnEvent calls and its view calls into control messages. Its parts: the
// control table (settings_controls_win32), the stand-in before the windows
// exist (settings_shadow_win32), the controls' values
// (settings_values_win32), the colour buttons (colour_button_win32) and the
// common dialogs (common_dialogs_win32).
//
// How the program wires it, right after the clock window:
//
//     pw::win::SettingsDialogWin32 dialog({.app = app, .clockWindow = clockWindow.Logic(),
//         .version = version, .executablePath = exePath, .checkForUpdates = check,
//         .launcher = launcher, .showReminders = show, .netTime = &netTime});
//     clockWindow.Logic().ConnectDialog(dialog.Logic());
//     dialog.Create(instance, clockWindow.Handle());   // no windows yet
//     ...
//     // in the message loop, before TranslateMessage:
//     if (dialog.IsDialogMessage(msg)) continue;

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/common_dialogs_win32.h"
#include "platform/win32/settings_shadow_win32.h"
#include "platform/win32/window_base.h"
#include "ui/settings_dialog.h"

namespace pw::win {

class SettingsDialogWin32 : private ui::DialogView {
public:
    using Services = ui::SettingsDialogServices;

    explicit SettingsDialogWin32(Services services);
    ~SettingsDialogWin32() override;
    SettingsDialogWin32(const SettingsDialogWin32&) = delete;
    SettingsDialogWin32& operator=(const SettingsDialogWin32&) = delete;

    // Runs FormCreate without making a window: the frame, its pages and
    // their controls are made when the dialog is first shown, and until
    // then the view keeps what the logic sets. False when the templates or the common controls are missing.
    bool Create(HINSTANCE instance, HWND owner);

    // Makes the windows after delayMs, when the clock has shown and the
    // program waits for the user, so that the first "Settings" only shows
    // them. An earlier showing makes them itself.
    void BuildLater(unsigned delayMs);

    ui::SettingsDialog& Logic() { return logic_; }
    // Null until the dialog was first shown or built.
    HWND Handle() const { return frame_; }
    // Tab, the arrow keys, Enter, Esc and mnemonics of the dialog; true when
    // the message was the dialog's.
    bool IsDialogMessage(MSG& msg);

    // For tests and the test driver.
    HWND Control(ui::Ctl control) const;
    HWND PageWindow(ui::Page page) const { return pages_[static_cast<std::size_t>(page)]; }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static void CALLBACK BuildTimerProc(HWND hwnd, UINT msg, UINT_PTR id, DWORD time);
    INT_PTR OnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void OnCommand(int id, int code);
    void OnNotify(const NMHDR& header);
    void Raise(ui::Ctl control, ui::Event event);
    void ShowPage(ui::Page page);
    bool BuildWindows();
    void ApplyShadow();
    void PlacePages();
    void PrepareControls();
    void PrepareAboutPage();

    // ui::DialogView
    void SetCaption(std::string_view caption) override;
    void SelectPage(ui::Page page) override;
    ui::Page SelectedPage() override;
    void ShowDialog() override;
    void HideDialog() override;
    bool DialogVisible() override;
    std::string Text(ui::Ctl c) override;
    void SetText(ui::Ctl c, std::string_view text) override;
    bool Checked(ui::Ctl c) override;
    void SetChecked(ui::Ctl c, bool checked) override;
    void SetEnabled(ui::Ctl c, bool enabled) override;
    void SetItems(ui::Ctl c, const std::vector<std::string>& items) override;
    int Selected(ui::Ctl c) override;
    void SetSelected(ui::Ctl c, int index) override;
    DateTime Value(ui::Ctl c) override;
    void SetValue(ui::Ctl c, DateTime value) override;
    int Position(ui::Ctl c) override;
    void SetPosition(ui::Ctl c, int position) override;
    void SetColour(ui::Ctl c, std::uint32_t colour) override;
    std::optional<std::string> InputBox(std::string_view caption, std::string_view prompt,
                                        std::string_view initial) override;
    std::optional<std::string> OpenFileDialog(const ui::FileDialogRequest& request) override;
    std::optional<std::string> FolderDialog(std::string_view initialDir) override;
    std::optional<std::uint32_t> ColourDialog(std::uint32_t initial) override;

    MessageBoxes& boxes_;
    ui::SettingsDialog logic_;
    ErrorGuard guard_;
    HINSTANCE instance_ = nullptr;
    HWND frame_ = nullptr;
    HWND tab_ = nullptr;
    HWND tooltip_ = nullptr;
    std::array<HWND, ui::kPageCount> pages_{};
    // What the colour buttons show.
    std::map<ui::Ctl, std::uint32_t> colours_;
    HICON logo_ = nullptr;
    HFONT nameFont_ = nullptr;
    CustomColours customColours_{};
    std::vector<HICON> glyphs_;
    // What the view was told for a control while it had no window.
    DeferredControls shadow_;
    bool Deferred(ui::Ctl c) const;
    std::optional<std::string> caption_;
    ui::Page page_ = ui::Page::Schedules;
    HWND owner_ = nullptr;
    // The windows are made once; after the program destroyed them at its
    // end, a late view call must not make them again.
    bool built_ = false;
    // Above zero while a view call sets a control: the notifications that
    // causes are not the user's.
    int setting_ = 0;
    class Setting {
    public:
        explicit Setting(int& depth) : depth_(depth) { ++depth_; }
        ~Setting() { --depth_; }
        Setting(const Setting&) = delete;
        Setting& operator=(const Setting&) = delete;

    private:
        int& depth_;
    };
};

}  // namespace pw::win
