#pragma once
// Small conversions every Winsock caller of the program needs.

#include <winsock2.h>

#include <climits>
#include <cstddef>

#include "net/socket_api.h"

namespace pw::win {

inline sockaddr_in ToSockaddr(const net::Endpoint& e) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(e.address);
    a.sin_port = htons(e.port);
    return a;
}

inline net::Endpoint FromSockaddr(const sockaddr_in& a) {
    return net::Endpoint{ntohl(a.sin_addr.s_addr), ntohs(a.sin_port)};
}

// Winsock takes int lengths.
inline int SocketLength(std::size_t size) { return size > INT_MAX ? INT_MAX : static_cast<int>(size); }

}  // namespace pw::win
