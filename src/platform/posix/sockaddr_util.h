#pragma once
// The address conversions every BSD socket caller of the program needs.

#include <arpa/inet.h>
#include <netinet/in.h>

#include "net/socket_api.h"

namespace pw::posix {

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

}  // namespace pw::posix
