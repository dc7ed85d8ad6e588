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
#include <string>
#include <vector>

#include "common/clock.h"
#include "nettime/blocksock.h"

namespace pw::net {

inline constexpr std::size_t kNtpPacketSize = 48;

// Offsets of the fields used in a 48-byte NTP packet.
inline constexpr std::size_t kNtpStratum = 1;
inline constexpr std::size_t kNtpOriginate = 24;
inline constexpr std::size_t kNtpReceive = 32;
inline constexpr std::size_t kNtpTransmit = 40;

// 1 January 1900 00:00, the start of NTP era 0, as a date-time value.
inline constexpr DateTime kNtpEraStart = 2.0;

class TSNTPSend {
public:
    // The socket is owned; its opening happened when it was made.
    TSNTPSend(Clock& clock, std::unique_ptr<DatagramSocket> socket);

    std::array<std::uint8_t, kNtpPacketSize> Reply{};
    DateTime ServerTime = 0;
    double OffsetSeconds = 0;  // positive when the local clock is behind
    double DelaySeconds = 0;
    double MaxApplyDiff = 3600;  // seconds; exactly 0 = no limit
    bool ApplyTime = false;
    // Whether the last QueryTime set the clock: the difference was within
    // MaxApplyDiff and the system took the new time.
    bool TimeApplied = false;
    std::string Host = "localhost";
    int TimeoutMs = 5000;
    std::vector<std::uint8_t> ReceiveBuffer;
    std::uint8_t ReplyLeap = 0;
    std::uint8_t ReplyVersion = 0;
    std::uint8_t ReplyMode = 0;

    // One exchange with Host. True when a valid reply to this request
    // arrived, whether or not the clock was then set.
    bool QueryTime();

    // Both fields exactly as they stand in a packet (network byte order).
    static DateTime DecodeTimestamp(std::uint32_t seconds, std::uint32_t fraction);
    static void EncodeTimestamp(DateTime value, std::uint32_t& seconds, std::uint32_t& fraction);

    DateTime GetUtcNow();
    // False when the system refused the new time.
    bool SetUtcNow(DateTime value);

private:
    Clock& clock_;
    std::unique_ptr<DatagramSocket> socket_;
};

}  // namespace pw::net
