#pragma once
// Helpers for tests that run the SNTP client over real loopback sockets:
// a clock that reads the machine's time but only records settings, and a
// socket that sends the client's "ntp" requests to a test server's port.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/clock.h"
#include "net/blocksock.h"
#include "net/io_driver.h"

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

// Sends every datagram to one port of the server's address, so that a
// test server can listen on a free high port instead of the "ntp" port.
class RedirectedDriver : public net::IoDriver {
public:
    RedirectedDriver(net::IoDriver& inner, std::uint16_t port) : inner_(inner), port_(port) {}
    net::IoId StartTimer(int ms, std::function<void()> fired) override { return inner_.StartTimer(ms, std::move(fired)); }
    net::IoId Resolve(const std::string& host, std::function<void(std::optional<std::uint32_t>)> done) override {
        return inner_.Resolve(host, std::move(done));
    }
    net::IoId OpenDatagram(const net::Endpoint& remote, net::DatagramHandlers handlers, int& error) override {
        // The test server's port reads as the port asked for; any other
        // stays what it is.
        net::DatagramHandlers asIf{
            [received = handlers.received, asked = remote.port, to = port_](net::Bytes d, const net::Endpoint& from) {
                received(d, net::Endpoint{from.address, from.port == to ? asked : from.port});
            },
            handlers.failed};
        return inner_.OpenDatagram({remote.address, port_}, std::move(asIf), error);
    }
    int SendDatagram(net::IoId socket, net::Bytes datagram) override { return inner_.SendDatagram(socket, datagram); }
    net::IoId OpenStream(const net::Endpoint& remote, net::StreamHandlers handlers, int& error) override {
        return inner_.OpenStream(remote, std::move(handlers), error);
    }
    void SendStream(net::IoId stream, std::string_view bytes) override { inner_.SendStream(stream, bytes); }
    net::IoId OpenPipe(const net::PipeTarget& target, net::PipeHandlers handlers, net::PipeOpening& how) override {
        return inner_.OpenPipe(target, std::move(handlers), how);
    }
    void WritePipe(net::IoId pipe, std::string_view message) override { inner_.WritePipe(pipe, message); }
    void ReadPipe(net::IoId pipe, std::size_t maxBytes) override { inner_.ReadPipe(pipe, maxBytes); }
    void Cancel(net::IoId id) override { inner_.Cancel(id); }

private:
    net::IoDriver& inner_;
    std::uint16_t port_;
};

}  // namespace pw::test
