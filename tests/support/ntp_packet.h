#pragma once
// Building NTP server replies for tests. Timestamps are given as whole
// NTP seconds and a 32-bit fraction, so a test knows exactly what the
// client decodes.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "common/datetime.h"
#include "nettime/sntp.h"

namespace pw::test {

struct NtpTime {
    std::uint32_t seconds = 0;
    std::uint32_t fraction = 0;
};

// The date-time value the client makes of an NTP time with a zero
// fraction or one of exactly one half (0x80000000).
inline DateTime DateTimeOf(std::uint32_t seconds, bool half = false) {
    return (static_cast<double>(seconds) + (half ? 0.5 : 0.0)) / 86400.0 + 2.0;
}

// The NTP time of a date-time value in era 0, to about a microsecond
// (the client then keeps whole tenths of a millisecond of it).
inline NtpTime NtpOf(DateTime value) {
    double s = (value - 2.0) * 86400.0;
    auto whole = static_cast<std::uint64_t>(s);
    double frac = (s - static_cast<double>(whole)) * 4294967296.0;
    if (frac >= 4294967295.0) frac = 4294967295.0;
    return NtpTime{static_cast<std::uint32_t>(whole), static_cast<std::uint32_t>(frac)};
}

enum class Originate {
    Echo,         // the request's transmit field, as a server does
    Zero,         // what a server answering a zero transmit field sends
    RequestTime,  // the request's originate field (its t1)
    Flipped,      // the echo with one bit changed
};

struct ReplyFields {
    std::uint8_t leap = 0;
    std::uint8_t version = 3;
    std::uint8_t mode = 4;
    std::uint8_t stratum = 2;
    NtpTime receive{3900000000u, 0};
    NtpTime transmit{3900000000u, 0};
    Originate originate = Originate::Echo;
    std::size_t length = 48;  // longer replies get 0xA5 filler
    const char* referenceId = "";  // up to four letters, as a kiss code
};

// A kiss-o'-death as servers send it: leap 3, stratum 0, the code in the
// reference identifier, no timestamps.
inline ReplyFields KissOfDeath(const char* code) {
    ReplyFields f;
    f.leap = 3;
    f.stratum = 0;
    f.referenceId = code;
    f.receive = f.transmit = NtpTime{};
    return f;
}

inline void PutBigEndian(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

inline std::uint32_t GetBigEndian(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

// A 32-bit field as it lies in memory when it is read straight from a
// packet, whatever the host's byte order.
inline std::uint32_t Raw(std::uint32_t value) {
    std::uint8_t bytes[4];
    PutBigEndian(bytes, value);
    std::uint32_t raw;
    std::memcpy(&raw, bytes, 4);
    return raw;
}

inline std::uint32_t Unraw(std::uint32_t raw) {
    std::uint8_t bytes[4];
    std::memcpy(bytes, &raw, 4);
    return GetBigEndian(bytes);
}

inline std::vector<std::uint8_t> MakeReply(const std::vector<std::uint8_t>& request, const ReplyFields& fields) {
    std::vector<std::uint8_t> r(fields.length < 48 ? 48 : fields.length, 0xA5);
    std::fill(r.begin(), r.begin() + 48, 0);
    r[0] = static_cast<std::uint8_t>(fields.leap << 6 | (fields.version & 7) << 3 | (fields.mode & 7));
    r[nettime::kNtpStratum] = fields.stratum;
    r[2] = 6;     // poll
    r[3] = 0xEC;  // precision
    for (std::size_t i = 0; i < 4 && fields.referenceId[i]; ++i)
        r[nettime::kNtpReferenceId + i] = static_cast<std::uint8_t>(fields.referenceId[i]);
    if (request.size() >= 48) {
        switch (fields.originate) {
            case Originate::Echo:
            case Originate::Flipped:
                std::memcpy(&r[nettime::kNtpOriginate], &request[nettime::kNtpTransmit], 8);
                if (fields.originate == Originate::Flipped) r[nettime::kNtpOriginate + 7] ^= 1;
                break;
            case Originate::RequestTime:
                std::memcpy(&r[nettime::kNtpOriginate], &request[nettime::kNtpOriginate], 8);
                break;
            case Originate::Zero:
                break;
        }
    }
    PutBigEndian(&r[nettime::kNtpReceive], fields.receive.seconds);
    PutBigEndian(&r[nettime::kNtpReceive + 4], fields.receive.fraction);
    PutBigEndian(&r[nettime::kNtpTransmit], fields.transmit.seconds);
    PutBigEndian(&r[nettime::kNtpTransmit + 4], fields.transmit.fraction);
    r.resize(fields.length);
    return r;
}

}  // namespace pw::test
