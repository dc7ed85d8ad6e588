#include "platform/win32/net_sync_win32.h"

#include "platform/win32/system_clock.h"

namespace pw::win {

bool WinConnectionState::IsInternetConnected() { return win::IsInternetConnected(); }

}  // namespace pw::win
