#pragma once
// Sounds, message boxes and the shell on Windows.

#include <windows.h>

#include <functional>
#include <string>

#include "common/services.h"

namespace pw::win {

// Loads a library of the system by name from the system directory only,
// never from the program's own folder, where anything may have been put
// beside it. Null when it is not there.
HMODULE LoadSystemLibrary(const wchar_t* name);
// The full path of a file of the system folder; empty when it is unknown.
std::wstring SystemFilePath(const wchar_t* name);

class WinSound : public Sound {
public:
    void PlayFile(std::string_view path) override;
    void Beep() override;
    // Whether the system's sound service could be reached; it is loaded
    // with the first sound.
    static bool Available();
};

class WinMessageBoxes : public MessageBoxes {
public:
    // Boxes are owned by this window (none: the desktop).
    void SetOwner(HWND owner) { owner_ = owner; }
    // While this window is shown, boxes belong to it instead: the user's
    // answer must not send the focus to another window.
    // The window is asked for each box: it may be built after this is set.
    void SetDialog(std::function<HWND()> dialog) { dialog_ = std::move(dialog); }
    void Show(std::string_view text) override;
    void ShowError(std::string_view text) override;
    Answer Ask(std::string_view caption, std::string_view text, Answer defaultAnswer) override;

private:
    // The box, owned by the dialog when it is shown, with the keyboard
    // focus given back to the control that had it.
    int Box(HWND owner, std::string_view text, const wchar_t* caption, UINT flags);
    HWND Owner() const;

    HWND owner_ = nullptr;
    std::function<HWND()> dialog_;
};

class WinShell : public Shell {
public:
    bool Open(std::string_view pathOrAddress) override;
};

}  // namespace pw::win
