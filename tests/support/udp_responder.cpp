#include "support/udp_responder.h"

namespace pw::test {

UdpResponder::UdpResponder(net::SocketApi& api, Handler handler) : api_(api), handler_(std::move(handler)) {
    started_ = api_.Startup() == 0;
    ok_ = started_ && OpenBound(main_, port_) && OpenBound(other_, otherPort_);
    if (ok_) thread_ = std::thread([this] { Run(); });
}

UdpResponder::~UdpResponder() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (main_ != net::kNoSocket) api_.Close(main_);
    if (other_ != net::kNoSocket) api_.Close(other_);
    if (started_) api_.Cleanup();
}

bool UdpResponder::OpenBound(net::SocketHandle& s, std::uint16_t& port) {
    if (api_.OpenUdp(s) != 0) return false;
    net::Endpoint local;
    if (api_.Bind(s, net::Endpoint{net::kLoopback, 0}) != 0 || api_.LocalEndpoint(s, local) != 0) return false;
    port = local.port;
    return true;
}

net::Endpoint UdpResponder::LastClient() {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastClient_;
}

void UdpResponder::Run() {
    std::vector<std::uint8_t> buffer(net::kMaxDatagram);
    while (!stop_) {
        bool readable = false;
        if (api_.WaitReadable(main_, 50, readable) != 0 || !readable) continue;
        std::size_t got = 0;
        net::Endpoint from;
        // Errors here are leftovers of earlier clients (a port that has
        // gone away); the server carries on.
        if (api_.Receive(main_, buffer.data(), buffer.size(), got, &from) != 0) continue;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            lastClient_ = from;
        }
        ++requests_;
        if (!handler_) continue;
        for (const Outgoing& out : handler_(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + got)))
            api_.SendTo(out.fromOtherPort ? other_ : main_, out.datagram.data(), out.datagram.size(), from);
    }
}

}  // namespace pw::test
