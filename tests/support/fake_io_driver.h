#pragma once
// A driver for tests: no network, no real waits. Time is a count of
// milliseconds that moves only when the test runs the driver; what the
// exchanges start is written down as a line each ("resolve good",
// "udp 10.0.0.1:123", "send #2 48", "timer 5000", "cancel #2"), and
// everything that comes back is queued, either by a script (the world's
// servers) or by the test itself, in any order it likes.
//
// With deliverAfterCancel, events queued for an operation that was
// cancelled still come: a careless driver, against which an exchange must
// still end once.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "net/io_driver.h"

namespace pw::test {

class FakeIoDriver : public net::IoDriver {
public:
    using IoId = net::IoId;

    // The world. Each script is asked when the exchange starts something;
    // a script that is not set leaves it without an answer.
    // Host names and the addresses they resolve to; a name not listed has
    // none (unless silentNames holds it: then the lookup never ends).
    std::map<std::string, std::uint32_t, std::less<>> hosts;
    std::set<std::string, std::less<>> silentNames;
    // A name in neither list gets an address of its own (10.0.0.n) instead
    // of none.
    bool anyNameResolves = false;
    // A datagram was sent on a socket.
    std::function<void(IoId socket, const net::Endpoint& to, const std::vector<std::uint8_t>& datagram)> datagramSent;
    // A stream was opened (the script answers with Connected, or not),
    // and bytes were sent on it.
    std::function<void(IoId stream, const net::Endpoint& to)> streamOpened;
    std::function<void(IoId stream, const std::string& bytes)> streamSent;
    // How a pipe opens, and what its server makes of a message.
    std::function<net::PipeOpening(const net::PipeTarget&)> pipeOpening;
    std::function<void(IoId pipe, const std::string& message)> pipeWritten;
    // Returns an error to OpenDatagram or OpenStream (0: opens).
    int openError = 0;

    bool deliverAfterCancel = false;

    // What was started, one line each.
    std::vector<std::string> actions;
    // Every datagram sent, in order.
    struct Datagram {
        IoId socket;
        net::Endpoint to;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Datagram> datagrams;

    // Queue what comes back, delayMs from now.
    void ResolveDone(IoId lookup, std::optional<std::uint32_t> address, int delayMs = 0);
    void Deliver(IoId socket, std::vector<std::uint8_t> datagram, net::Endpoint from, int delayMs = 0);
    void FailDatagram(IoId socket, int error, int delayMs = 0);
    void Connected(IoId stream, int error, int delayMs = 0);
    void StreamData(IoId stream, std::string bytes, int delayMs = 0);
    void StreamClosed(IoId stream, int error, int delayMs = 0);
    void PipeWritten(IoId pipe, int delayMs = 0);
    void PipeMessage(IoId pipe, std::string message, bool whole = true, int delayMs = 0);
    void PipeFailed(IoId pipe, int error, int delayMs = 0);

    // Runs what is due now, including what that queues for now.
    void RunReady();
    // Moves time on by ms, running everything that falls due on the way in
    // order.
    void RunFor(int ms);
    // Runs until nothing is queued and no timer is set, or limitMs have
    // passed; true when it went quiet.
    bool RunUntilIdle(int limitMs = 3'600'000);
    // Runs until done() holds or limitMs have passed; true when it held.
    bool RunUntil(const std::function<bool()>& done, int limitMs = 3'600'000);

    int Now() const { return now_; }
    // Operations started and neither ended nor cancelled.
    std::size_t OpenCount() const { return open_.size(); }
    bool IsOpen(IoId id) const { return open_.count(id) != 0; }
    // The newest operation of a kind ("udp", "tcp", "pipe", "timer",
    // "resolve"), kNoIo when there was none.
    IoId Last(const std::string& kind) const;
    // The name hosts gives an address, else its dotted form.
    std::string HostOf(std::uint32_t address) const;
    // Whether the newest timer is still set.
    bool TimerSet() const { return IsOpen(Last("timer")); }

    // net::IoDriver
    IoId StartTimer(int ms, std::function<void()> fired) override;
    IoId Resolve(const std::string& host, std::function<void(std::optional<std::uint32_t>)> done) override;
    IoId OpenDatagram(const net::Endpoint& remote, net::DatagramHandlers handlers, int& error) override;
    int SendDatagram(IoId socket, net::Bytes datagram) override;
    IoId OpenStream(const net::Endpoint& remote, net::StreamHandlers handlers, int& error) override;
    void SendStream(IoId stream, std::string_view bytes) override;
    IoId OpenPipe(const net::PipeTarget& target, net::PipeHandlers handlers, net::PipeOpening& how) override;
    void WritePipe(IoId pipe, std::string_view message) override;
    void ReadPipe(IoId pipe, std::size_t maxBytes) override;
    void Cancel(IoId id) override;

private:
    struct Event {
        int due;
        std::uint64_t order;
        IoId owner;
        std::function<void()> run;
    };
    IoId Open(const std::string& kind, const std::string& action);
    void Queue(IoId owner, int delayMs, std::function<void()> run);
    // Runs the first event due by then; false when there is none.
    bool RunOne(int by);
    // Whether events of owner still come.
    bool Live(IoId owner) const { return deliverAfterCancel || open_.count(owner); }

    int now_ = 0;
    IoId next_ = 1;
    std::uint64_t order_ = 0;
    std::vector<Event> queue_;
    std::set<IoId> open_;
    std::map<std::string, IoId> last_;
    std::map<IoId, std::function<void()>> timers_;
    std::map<IoId, std::function<void(std::optional<std::uint32_t>)>> lookups_;
    std::map<IoId, net::DatagramHandlers> datagramSockets_;
    std::map<IoId, net::Endpoint> remotes_;
    std::map<IoId, net::StreamHandlers> streams_;
    std::map<IoId, net::PipeHandlers> pipes_;
    std::map<IoId, std::size_t> pipeReadLimit_;
};

std::string EndpointText(const net::Endpoint& e);

}  // namespace pw::test
