#include "platform/win32/win_services.h"

#include <mmsystem.h>
#include <shellapi.h>

#include "common/version.h"
#include "platform/win32/text.h"

namespace pw::win {

std::wstring SystemFilePath(const wchar_t* name) {
    wchar_t dir[MAX_PATH];
    const UINT n = GetSystemDirectoryW(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    std::wstring path(dir, n);
    path += L'\\';
    path += name;
    return path;
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
    const std::wstring path = SystemFilePath(name);
    return path.empty() ? nullptr : LoadLibraryW(path.c_str());
}

namespace {

using PlaySoundFn = BOOL(WINAPI*)(LPCWSTR, HMODULE, DWORD);

// The sound library and the audio stack it pulls in are loaded with the
// first sound, not at start: most days a clock plays none, and they would
// otherwise add a good part to the program's memory.
PlaySoundFn PlaySoundEntry() {
    static const PlaySoundFn entry = [] {
        HMODULE lib = LoadSystemLibrary(L"winmm.dll");
        return lib ? reinterpret_cast<PlaySoundFn>(reinterpret_cast<void*>(GetProcAddress(lib, "PlaySoundW")))
                   : nullptr;
    }();
    return entry;
}

}  // namespace

void WinSound::PlayFile(std::string_view path) {
    // No SND_NODEFAULT: a missing file plays the default sound instead.
    if (PlaySoundFn play = PlaySoundEntry()) play(Widen(path).c_str(), nullptr, SND_FILENAME | SND_ASYNC);
}

void WinSound::Beep() { MessageBeep(0); }

bool WinSound::Available() { return PlaySoundEntry() != nullptr; }

namespace {

// The title of every message box the program shows.
const wchar_t* AppTitle() {
    static const std::wstring title = Widen(kAppTitle);
    return title.c_str();
}

}  // namespace

HWND WinMessageBoxes::Owner() const {
    const HWND dialog = dialog_ ? dialog_() : nullptr;
    return dialog && IsWindowVisible(dialog) && !IsIconic(dialog) ? dialog : owner_;
}

int WinMessageBoxes::Box(HWND owner, std::string_view text, const wchar_t* caption, UINT flags) {
    const HWND focus = GetFocus();
    const int r = MessageBoxW(owner, Widen(text).c_str(), caption, flags);
    // Windows gives the activation back to the owner, but not the focus
    // to the control inside it that had it.
    if (owner && owner != owner_ && focus && IsWindow(focus) && IsChild(owner, focus) && IsWindowVisible(owner))
        SetFocus(focus);
    return r;
}

void WinMessageBoxes::Show(std::string_view text) { Box(Owner(), text, AppTitle(), MB_OK); }

void WinMessageBoxes::ShowError(std::string_view text) { Box(Owner(), text, AppTitle(), MB_OK | MB_ICONERROR); }

namespace {

// The program began to end while the box was up: its Exit, a WM_CLOSE, a
// setup that closes it to replace it. The box may still return a button
// then (its modal loop met the quit), which nobody pressed.
bool ProgramEnding(HWND owner) {
    MSG quit;
    if (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) return true;
    return owner && !IsWindow(owner);
}

}  // namespace

Answer WinMessageBoxes::Ask(std::string_view caption, std::string_view text, Answer defaultAnswer) {
    UINT flags = MB_YESNO | MB_ICONQUESTION | (defaultAnswer == Answer::No ? MB_DEFBUTTON2 : MB_DEFBUTTON1);
    const HWND owner = Owner();
    int r = Box(owner, text, Widen(caption).c_str(), flags);
    // Only a Yes pressed by the user is a Yes: a box that could not be
    // shown (0) or that closed because the program is ending is a No.
    if (r != IDYES || ProgramEnding(owner)) return Answer::No;
    return Answer::Yes;
}

bool WinShell::Open(std::string_view pathOrAddress) {
    auto r = ShellExecuteW(nullptr, L"open", Widen(pathOrAddress).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    // The shell reports success as a value above 32.
    return reinterpret_cast<INT_PTR>(r) > 32;
}

}  // namespace pw::win
