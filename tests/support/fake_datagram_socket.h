#pragma once
// A scripted datagram socket for the SNTP client: it records what the
// client asks of it and answers each request with whatever the test's
// server function makes of it, without any network.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "net/blocksock.h"

namespace pw::test {

struct FakeAnswer {
    std::vector<std::uint8_t> datagram;
    int error = 0;  // LastSocketError after the receive; 0 delivers datagram
};

// Everything the socket saw; owned by the test, so it outlives the socket.
struct FakeSocketLog {
    std::string host;
    std::string port;
    int setRemoteCalls = 0;
    std::vector<std::vector<std::uint8_t>> sent;
    std::vector<int> receiveTimeouts;
};

class FakeDatagramSocket : public net::DatagramSocket {
public:
    using Server = std::function<FakeAnswer(const std::vector<std::uint8_t>& request)>;

    FakeDatagramSocket(FakeSocketLog& log, Server server) : log_(log), server_(std::move(server)) {}

    void SetRemote(std::string_view host, std::string_view port) override {
        log_.host = host;
        log_.port = port;
        ++log_.setRemoteCalls;
        error_ = 0;
    }
    void SendDatagram(const std::uint8_t* data, std::size_t length) override {
        log_.sent.emplace_back(data, data + length);
        error_ = 0;
    }
    std::vector<std::uint8_t> ReceiveDatagram(int timeoutMs) override {
        log_.receiveTimeouts.push_back(timeoutMs);
        if (log_.sent.empty() || !server_) {
            error_ = net::kWsaTimedOut;
            return {};
        }
        FakeAnswer a = server_(log_.sent.back());
        error_ = a.error;
        if (a.error != 0) return {};
        return a.datagram;
    }
    int LastSocketError() const override { return error_; }

private:
    FakeSocketLog& log_;
    Server server_;
    int error_ = 0;
};

}  // namespace pw::test
