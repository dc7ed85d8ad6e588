#pragma once
// What the time synchronization needs of Windows: the connection state
// and a Winsock UDP socket for each attempt.

#include "nettime/netsync.h"

namespace pw::win {

// Asks WinINet each time.
class WinConnectionState : public net::ConnectionState {
public:
    bool IsInternetConnected() override;
};

// Each call makes a TUDPBlockSocket over the shared Winsock layer.
net::SocketFactory WinsockSocketFactory();

}  // namespace pw::win
