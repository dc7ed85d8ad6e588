#pragma once
// What the time synchronization needs of Windows: the connection state
// and a Winsock UDP socket for each attempt.

#include "nettime/netsync.h"

namespace pw::win {

// Asks WinINet each time.
class WinConnectionState : public nettime::ConnectionState {
public:
    bool IsInternetConnected() override;
};

// Each call makes a TUDPBlockSocket over the shared Winsock layer (for the
// time helper service; defined beside that layer, so that the program,
// which asks through its driver, does not carry it).
nettime::SocketFactory WinsockSocketFactory();

}  // namespace pw::win
