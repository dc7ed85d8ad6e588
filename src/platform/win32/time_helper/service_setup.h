#pragma once
// What the time helper's setup asks of plenwick-time.exe: to enter itself
// in the service manager and to leave it again.

#include <windows.h>

#include <string>

namespace pw::win::timehelper {

// Creates the service for this program (or sets an existing one back to
// its configuration). ERROR_SUCCESS or the Win32 error that stopped it.
DWORD InstallService(const std::wstring& exePath);
// Stops the service, waiting for it a little while, and deletes it.
// ERROR_SUCCESS also when it was not there.
DWORD UninstallService();

}  // namespace pw::win::timehelper
