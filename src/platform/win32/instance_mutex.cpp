#include "platform/win32/instance_mutex.h"

#include "platform/win32/text.h"

namespace pw::win {

InstanceMutexes::~InstanceMutexes() {
    for (HANDLE h : handles_) CloseHandle(h);
}

bool InstanceMutexes::CreateOwned(std::string_view name) {
    const std::wstring wide = Widen(name);
    HANDLE h = CreateMutexW(nullptr, TRUE, wide.c_str());
    // Read at once: nothing may run between the call and its last error.
    // A mutex another account made may be refused to us: it exists all the
    // same.
    const DWORD error = GetLastError();
    const bool existed = error == ERROR_ALREADY_EXISTS || (!h && error == ERROR_ACCESS_DENIED);
    if (h) handles_.push_back(h);
    return existed;
}

void InstanceMutexes::CloseLast() {
    if (handles_.empty()) return;
    CloseHandle(handles_.back());
    handles_.pop_back();
}

}  // namespace pw::win
