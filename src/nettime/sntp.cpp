#include "nettime/sntp.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <random>

namespace pw::nettime {

namespace {

constexpr double kTwoTo32 = 4294967296.0;
constexpr double kSecondsPerDay = 86400.0;

// Packet fields travel big-endian; the host may be either.
std::uint32_t SwapToOrFromNetwork(std::uint32_t v) {
    if constexpr (std::endian::native == std::endian::big) return v;
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

std::uint32_t RawField(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// The low 32 bits of a whole number held in a double. In range this is
// the two's-complement pattern of the value; far out of range (or NaN) it
// is 0 instead of undefined behaviour.
std::uint32_t Low32(double whole) {
    if (!(std::fabs(whole) < 9.0e18)) return 0;
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(whole));
}

// A value no one but the server sees, for the request's transmit field.
// Only a reply that carries it back in its originate field is ours. A
// timestamp would do by the letter of the protocol, but ours is cut to a
// tenth of a millisecond and so could be guessed by a forger.
bool DrawNonce(std::array<std::uint8_t, 8>& nonce) {
    try {
        std::random_device source;
        do {
            for (std::size_t i = 0; i < nonce.size(); i += 4) {
                std::uint32_t r = source();
                std::memcpy(&nonce[i], &r, 4);
            }
        } while (std::all_of(nonce.begin(), nonce.end(), [](std::uint8_t b) { return b == 0; }));
        return true;
    } catch (...) {
        return false;
    }
}

enum class Verdict { Accept, Kiss, Reject };

bool EchoesRequest(const std::array<std::uint8_t, kNtpPacketSize>& reply,
                   const std::array<std::uint8_t, kNtpPacketSize>& request) {
    return std::equal(&reply[kNtpOriginate], &reply[kNtpOriginate] + 8, &request[kNtpTransmit]);
}

Verdict Judge(const std::array<std::uint8_t, kNtpPacketSize>& reply,
              const std::array<std::uint8_t, kNtpPacketSize>& request, std::uint8_t leap, std::uint8_t mode) {
    if (mode != 4) return Verdict::Reject;  // not a server reply
    // Only a kiss that answers our own request counts: anyone could send
    // one, and each makes us leave a server alone for a long while.
    const std::uint8_t stratum = reply[kNtpStratum];
    if (stratum == 0) return EchoesRequest(reply, request) ? Verdict::Kiss : Verdict::Reject;
    if (leap >= 3) return Verdict::Reject;  // server not synchronized
    if (stratum > 15) return Verdict::Reject;
    if (RawField(&reply[kNtpReceive]) == 0) return Verdict::Reject;
    if (RawField(&reply[kNtpTransmit]) == 0) return Verdict::Reject;
    return EchoesRequest(reply, request) ? Verdict::Accept : Verdict::Reject;
}

// The four ASCII letters of a kiss code; anything else in them is shown
// as '?' so that the code can go into a log line as it is.
std::string KissCodeOf(const std::array<std::uint8_t, kNtpPacketSize>& reply) {
    std::string code;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::uint8_t c = reply[kNtpReferenceId + i];
        if (c == 0) break;
        code += c > ' ' && c < 0x7F ? static_cast<char>(c) : '?';
    }
    return code.empty() ? "?" : code;
}

}  // namespace

TSNTPSend::TSNTPSend(Clock& clock, std::unique_ptr<net::DatagramSocket> socket)
    : clock_(clock), socket_(std::move(socket)) {}

DateTime TSNTPSend::GetUtcNow() { return clock_.UtcNow(); }

ClockSet TSNTPSend::SetUtcNow(DateTime value) { return clock_.SetUtc(value); }

DateTime TSNTPSend::DecodeTimestamp(std::uint32_t seconds, std::uint32_t fraction) {
    double s = SwapToOrFromNetwork(seconds);
    // All 32 fraction bits set is a whole second (the divisor is 2^32 - 1),
    // and only whole tenths of a millisecond are kept.
    double f = SwapToOrFromNetwork(fraction) / (kTwoTo32 - 1);
    f = std::trunc(f * 10000) / 10000;
    return (s + f) / kSecondsPerDay + kNtpEraStart;
}

DateTime TSNTPSend::DecodeTimestamp(std::uint32_t seconds, std::uint32_t fraction, DateTime near) {
    const DateTime inEraZero = DecodeTimestamp(seconds, fraction);
    // A reference the clocks cannot have leaves the reading in era 0.
    const double eras = std::round((near - inEraZero) / kNtpEraDays);
    if (!std::isfinite(eras) || std::fabs(eras) > 1e6) return inEraZero;
    return inEraZero + eras * kNtpEraDays;
}

void TSNTPSend::EncodeTimestamp(DateTime value, std::uint32_t& seconds, std::uint32_t& fraction) {
    double s = (value - kNtpEraStart) * kSecondsPerDay;
    double whole = std::trunc(s);
    double frac = s - whole;
    frac = std::trunc(frac * 10000) / 10000;
    frac *= kTwoTo32 - 1;
    seconds = SwapToOrFromNetwork(Low32(whole));
    fraction = SwapToOrFromNetwork(Low32(std::trunc(frac)));
}

bool TSNTPSend::QueryTime() {
    SetResult.reset();
    KissCode.clear();
    if (!socket_) return false;
    socket_->SetRemote(Host, "ntp");
    const auto request = MakeRequest();
    if (!request) return false;
    socket_->SendDatagram(request->data(), request->size());
    std::vector<std::uint8_t> datagram = socket_->ReceiveDatagram(TimeoutMs);
    if (socket_->LastSocketError() != 0) return false;
    return TakeReply(std::move(datagram));
}

std::optional<std::array<std::uint8_t, kNtpPacketSize>> TSNTPSend::MakeRequest() {
    SetResult.reset();
    KissCode.clear();
    request_ = {};
    request_[0] = 0x1B;  // leap 0, version 3, client
    std::array<std::uint8_t, 8> nonce;
    if (!DrawNonce(nonce)) return std::nullopt;
    std::copy(nonce.begin(), nonce.end(), &request_[kNtpTransmit]);
    t1_ = GetUtcNow();
    std::uint32_t sec, frac;
    EncodeTimestamp(t1_, sec, frac);
    std::memcpy(&request_[kNtpOriginate], &sec, 4);
    std::memcpy(&request_[kNtpOriginate + 4], &frac, 4);
    return request_;
}

bool TSNTPSend::TakeReply(std::vector<std::uint8_t> datagram) {
    ReceiveBuffer = std::move(datagram);
    const DateTime t1 = t1_;
    const DateTime t4 = GetUtcNow();

    if (ReceiveBuffer.size() < kNtpPacketSize) return false;
    std::copy_n(ReceiveBuffer.begin(), kNtpPacketSize, Reply.begin());
    ReplyLeap = Reply[0] >> 6;
    ReplyVersion = (Reply[0] >> 3) & 7;
    ReplyMode = Reply[0] & 7;
    switch (Judge(Reply, request_, ReplyLeap, ReplyMode)) {
        case Verdict::Accept: break;
        case Verdict::Kiss: KissCode = KissCodeOf(Reply); return false;
        case Verdict::Reject: return false;
    }

    // The seconds field wraps every 136 years, first in February 2036; each
    // timestamp is read in the era nearest the local clock.
    DateTime t2 = DecodeTimestamp(RawField(&Reply[kNtpReceive]), RawField(&Reply[kNtpReceive + 4]), t1);
    DateTime t3 = DecodeTimestamp(RawField(&Reply[kNtpTransmit]), RawField(&Reply[kNtpTransmit + 4]), t1);
    // The round trip less the time the server held the request (t3 - t2).
    double delay = (t4 - t1) - (t3 - t2);
    ServerTime = t3 + delay / 2;
    OffsetSeconds = ((t2 - t1) + (t3 - t4)) / 2 * kSecondsPerDay;
    DelaySeconds = delay * kSecondsPerDay;

    // Against t1: the reading before the request went out.
    if (ApplyTime && (MaxApplyDiff == 0 || std::fabs(ServerTime - t1) * kSecondsPerDay <= MaxApplyDiff))
        SetResult = SetUtcNow(ServerTime);
    return true;
}

}  // namespace pw::nettime
