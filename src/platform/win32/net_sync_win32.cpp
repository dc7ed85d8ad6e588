#include "platform/win32/net_sync_win32.h"

#include "platform/win32/system_clock.h"
#include "platform/win32/winsock_api.h"

namespace pw::win {

bool WinConnectionState::IsInternetConnected() { return win::IsInternetConnected(); }

net::SocketFactory WinsockSocketFactory() {
    return [] { return std::make_unique<net::TUDPBlockSocket>(Winsock()); };
}

}  // namespace pw::win
