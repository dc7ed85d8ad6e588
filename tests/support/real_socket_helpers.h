#pragma once
// Helpers for tests that run the SNTP client over real loopback sockets:
// a clock that reads the machine's time but only records settings, and a
// socket that sends the client's "ntp" requests to a test server's port.

#include <memory>
#include <string>
#include <vector>

#include "common/clock.h"
#include "net/blocksock.h"

namespace pw::test {

// Reads the real clock, shifted by skewSeconds; SetUtc only records.
class RecordingClock : public Clock {
public:
    explicit RecordingClock(Clock& real, double skewSeconds = 0) : real_(real), skewDays_(skewSeconds / 86400.0) {}
    DateTime Now() override { return real_.Now() + skewDays_; }
    DateTime UtcNow() override { return real_.UtcNow() + skewDays_; }
    ClockSet SetUtc(DateTime utc) override {
        sets.push_back(utc);
        return ClockSet::Done;
    }
    int ZoneBiasMinutes() override { return real_.ZoneBiasMinutes(); }

    std::vector<DateTime> sets;

private:
    Clock& real_;
    double skewDays_;
};

// The SNTP client always asks for the "ntp" service; test servers listen
// on high ports. This socket keeps the client's host and replaces the port.
class RedirectedSocket : public net::DatagramSocket {
public:
    RedirectedSocket(net::SocketApi& api, std::uint16_t port)
        : inner_(std::make_unique<net::TUDPBlockSocket>(api)), port_(std::to_string(port)) {}
    void SetRemote(std::string_view host, std::string_view) override { inner_->SetRemote(host, port_); }
    void SendDatagram(const std::uint8_t* data, std::size_t length) override { inner_->SendDatagram(data, length); }
    std::vector<std::uint8_t> ReceiveDatagram(int timeoutMs) override { return inner_->ReceiveDatagram(timeoutMs); }
    int LastSocketError() const override { return inner_->LastSocketError(); }

private:
    std::unique_ptr<net::TUDPBlockSocket> inner_;
    std::string port_;
};

}  // namespace pw::test
