// Arbitrary datagrams as replies to the SNTP client. Nothing may crash,
// and the clock may be set only by a reply that passes every check.
//
// Input: one control byte, then the datagram. Control bit 0 copies the
// request's secret into the originate field (so the fuzzer gets past that
// check), bit 1 turns ApplyTime on, bit 2 lifts the limit (MaxApplyDiff 0).
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "nettime/sntp.h"
#include "support/fake_clock.h"
#include "support/fake_datagram_socket.h"

namespace {

void Require(bool ok) {
    if (!ok) std::abort();
}

bool AnyNonZero(const std::uint8_t* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (p[i]) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t control = data[0];
    const std::vector<std::uint8_t> input(data + 1, data + size);

    pw::test::FakeClock clock;
    clock.local = 46000.25;
    pw::test::FakeSocketLog log;
    std::vector<std::uint8_t> delivered;
    auto socket = std::make_unique<pw::test::FakeDatagramSocket>(log, [&](const std::vector<std::uint8_t>& request) {
        delivered = input;
        if ((control & 1) && delivered.size() >= 32 && request.size() >= 48)
            std::memcpy(&delivered[pw::nettime::kNtpOriginate], &request[pw::nettime::kNtpTransmit], 8);
        clock.AdvanceSeconds(0.125);
        return pw::test::FakeAnswer{delivered, 0};
    });
    pw::nettime::TSNTPSend client(clock, std::move(socket));
    client.ApplyTime = (control & 2) != 0;
    client.MaxApplyDiff = (control & 4) ? 0 : 3600;
    const pw::DateTime t1 = clock.UtcNow();

    const bool ok = client.QueryTime();

    Require(log.sent.size() == 1 && log.sent[0].size() == 48);
    const std::uint8_t* secret = &log.sent[0][pw::nettime::kNtpTransmit];
    const std::uint8_t* d = delivered.data();
    const bool valid = delivered.size() >= 48 && (d[0] >> 6) < 3 && (d[0] & 7) == 4 && d[1] >= 1 && d[1] <= 15 &&
                       AnyNonZero(d + 32, 4) && AnyNonZero(d + 40, 4) && std::memcmp(d + 24, secret, 8) == 0;
    Require(ok == valid);
    if (!valid) {
        Require(clock.sets.empty());
        Require(client.ServerTime == 0 && client.OffsetSeconds == 0 && client.DelaySeconds == 0);
        return 0;
    }
    Require(std::isfinite(client.ServerTime) && std::isfinite(client.OffsetSeconds));
    const bool withinLimit = client.MaxApplyDiff == 0 || std::fabs(client.ServerTime - t1) * 86400 <= client.MaxApplyDiff;
    const bool shouldSet = client.ApplyTime && withinLimit;
    Require(clock.sets.size() == (shouldSet ? 1u : 0u));
    if (shouldSet) Require(clock.sets[0] == client.ServerTime);
    return 0;
}
