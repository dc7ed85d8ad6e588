#pragma once
// The SNTP client: one request/reply exchange with one time server (NTP
// version 3 packet, client mode), the server's time, offset and delay
// worked out from it, and, when asked, the system clock set from it.
// A one-shot object: set it up, call QueryTime once, read the results.
//
// All times are date-time values in UTC.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/clock.h"
#include "net/blocksock.h"

namespace pw::nettime {

inline constexpr std::size_t kNtpPacketSize = 48;
// The "ntp" service's port.
inline constexpr std::uint16_t kNtpPort = 123;

// Offsets of the fields used in a 48-byte NTP packet.
inline constexpr std::size_t kNtpStratum = 1;
inline constexpr std::size_t kNtpReferenceId = 12;
inline constexpr std::size_t kNtpOriginate = 24;
inline constexpr std::size_t kNtpReceive = 32;
inline constexpr std::size_t kNtpTransmit = 40;

// 1 January 1900 00:00, the start of NTP era 0, as a date-time value.
inline constexpr DateTime kNtpEraStart = 2.0;
// One era: the 2^32 seconds the seconds field counts before it wraps
// (era 1 starts on 7 February 2036 06:28:16).
inline constexpr double kNtpEraDays = 4294967296.0 / 86400.0;

class TSNTPSend {
public:
    // The socket is owned; its opening happened when it was made. Without
    // one, only MakeRequest and TakeReply serve.
    TSNTPSend(Clock& clock, std::unique_ptr<net::DatagramSocket> socket = nullptr);

    std::array<std::uint8_t, kNtpPacketSize> Reply{};
    DateTime ServerTime = 0;
    double OffsetSeconds = 0;  // positive when the local clock is behind
    double DelaySeconds = 0;
    double MaxApplyDiff = 3600;  // seconds; exactly 0 = no limit
    bool ApplyTime = false;
    // What became of the last QueryTime's attempt to set the clock; nothing
    // when it made none (ApplyTime off, beyond MaxApplyDiff, no valid reply).
    std::optional<ClockSet> SetResult;
    // The code of a kiss-o'-death reply to the last request (stratum 0, the
    // code in the reference identifier: "RATE", "DENY", "RSTR", ...); empty
    // when the last reply was none.
    std::string KissCode;
    std::string Host = "localhost";
    int TimeoutMs = 5000;
    std::vector<std::uint8_t> ReceiveBuffer;
    std::uint8_t ReplyLeap = 0;
    std::uint8_t ReplyVersion = 0;
    std::uint8_t ReplyMode = 0;

    // One exchange with Host over the socket, waiting for the reply. True
    // when a valid reply to this request arrived, whether or not the clock
    // was then set.
    bool QueryTime();

    // The two halves of an exchange, for a caller that sends and waits
    // itself. MakeRequest reads the clock (t1) and draws the secret the
    // reply must carry back; nothing when no secret could be drawn.
    // TakeReply judges the datagram that came back (t4 is read at once)
    // and, like QueryTime, sets the clock when asked and within the limit.
    std::optional<std::array<std::uint8_t, kNtpPacketSize>> MakeRequest();
    bool TakeReply(std::vector<std::uint8_t> datagram);

    // Both fields exactly as they stand in a packet (network byte order).
    // Read in era 0 (1900 to 2036).
    static DateTime DecodeTimestamp(std::uint32_t seconds, std::uint32_t fraction);
    // Read in the era that puts it nearest to near, so that a timestamp
    // within 68 years of the local clock is read right on either side of
    // an era's end.
    static DateTime DecodeTimestamp(std::uint32_t seconds, std::uint32_t fraction, DateTime near);
    static void EncodeTimestamp(DateTime value, std::uint32_t& seconds, std::uint32_t& fraction);

    DateTime GetUtcNow();
    ClockSet SetUtcNow(DateTime value);

private:
    Clock& clock_;
    std::unique_ptr<net::DatagramSocket> socket_;
    // The last request and the clock reading it carries.
    std::array<std::uint8_t, kNtpPacketSize> request_{};
    DateTime t1_ = 0;
};

}  // namespace pw::nettime
