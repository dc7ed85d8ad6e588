// Arbitrary bytes on the time helper's pipe, both ways. As a request, the
// helper answers a status or nothing, and sets the clock only from its own
// servers (here none answers, so never). As a reply, the program reads a
// status or nothing, and a status it read is sent on unchanged in what the
// program uses of it.
//
// Input: the bytes, used as a request and as a reply.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "support/fake_clock.h"
#include "support/fake_datagram_socket.h"
#include "timehelper/helper.h"

namespace {

void Require(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    using namespace pw::timehelper;

    pw::test::FakeClock clock;
    clock.local = 46000.25;
    pw::test::FakeSocketLog sockets;
    TimeHelper helper(HelperParts{clock,
                                  [&] { return std::make_unique<pw::test::FakeDatagramSocket>(sockets, nullptr); },
                                  [] { return std::unique_ptr<pw::StoreKey>(); },
                                  {}});
    const std::string reply = helper.Handle(bytes);
    Require(reply.empty() == !ParseRequest(bytes).has_value());
    Require(reply.empty() || ParseStatus(reply).has_value());
    Require(clock.sets.empty());

    if (const auto status = ParseStatus(bytes)) {
        const auto again = ParseStatus(StatusText(*status));
        Require(again.has_value());
        Require(again->attempted == status->attempted && again->clockSet == status->clockSet);
        Require(again->lastAttemptUtc == status->lastAttemptUtc);
        Require(again->lastCorrectionUtc == status->lastCorrectionUtc);
    }
    return 0;
}
