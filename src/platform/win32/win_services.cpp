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

void WinMessageBoxes::Show(std::string_view text) {
    MessageBoxW(owner_, Widen(text).c_str(), AppTitle(), MB_OK);
}

void WinMessageBoxes::ShowError(std::string_view text) {
    MessageBoxW(owner_, Widen(text).c_str(), AppTitle(), MB_OK | MB_ICONERROR);
}

Answer WinMessageBoxes::Ask(std::string_view caption, std::string_view text, Answer defaultAnswer) {
    UINT flags = MB_YESNO | MB_ICONQUESTION | (defaultAnswer == Answer::No ? MB_DEFBUTTON2 : MB_DEFBUTTON1);
    int r = MessageBoxW(owner_, Widen(text).c_str(), Widen(caption).c_str(), flags);
    if (r == 0) return defaultAnswer;  // no box could be shown
    return r == IDYES ? Answer::Yes : Answer::No;
}

bool WinShell::Open(std::string_view pathOrAddress) {
    auto r = ShellExecuteW(nullptr, L"open", Widen(pathOrAddress).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    // The shell reports success as a value above 32.
    return reinterpret_cast<INT_PTR>(r) > 32;
}

}  // namespace pw::win
