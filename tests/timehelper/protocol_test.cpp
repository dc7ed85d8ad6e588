// The time helper's pipe texts as a client and the helper exchange them:
// what reads as a request, and a status that comes back as it was sent.
#include "timehelper/protocol.h"

#include <gtest/gtest.h>

#include <string>

namespace pw::timehelper {
namespace {

using namespace std::string_literals;

TEST(TimeHelperRequest, OnlyTheTwoRequestsRead) {
    struct Case {
        std::string bytes;
        std::optional<Request> read;
    };
    const Case cases[] = {
        {RequestText(Request::Sync), Request::Sync},
        {RequestText(Request::Status), Request::Status},
        {"SYNC", Request::Sync},
        {"STATUS", Request::Status},
        {"", std::nullopt},
        {"\n", std::nullopt},
        {"SYNC\n\n", std::nullopt},
        {"SYNC\r\n", std::nullopt},
        {"sync", std::nullopt},
        {" SYNC", std::nullopt},
        {"SYNC\0"s, std::nullopt},
        {"SYNC\0STATUS"s, std::nullopt},
        {"SYNC 2026-12-09 12:00:00", std::nullopt},
        {"SYNC server=evil.example", std::nullopt},
        {"STATUSX", std::nullopt},
        {std::string(kMaxRequestBytes + 1, 'A'), std::nullopt},
        {std::string(1 << 20, 'S'), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 40));
        EXPECT_EQ(ParseRequest(c.bytes), c.read);
    }
}

TEST(TimeHelperStatus, ComesBackAsItWasSent) {
    Status corrected;
    corrected.attempted = true;
    // A date-time with a fraction that few digits would round.
    corrected.lastAttemptUtc = 46365.587654321098765;
    corrected.lastCorrectionUtc = corrected.lastAttemptUtc;
    corrected.server = "ntp.example.net";
    corrected.offsetText = "+ 0 days, 00:01:30";
    corrected.clockSet = true;

    Status refused = corrected;
    refused.clockSet = false;
    refused.lastCorrectionUtc = 46300.25;
    refused.whyNot = "no right to set the clock";
    refused.server = "caf\xc3\xa9.example";

    Status never;
    Status oddServer = refused;
    oddServer.server = "a=b";

    for (const Status& s : {corrected, refused, never, oddServer}) {
        SCOPED_TRACE(StatusText(s));
        const auto text = StatusText(s);
        EXPECT_LE(text.size(), kMaxReplyBytes);
        EXPECT_EQ(ParseStatus(text), s);
    }
}

TEST(TimeHelperStatus, AServerNameThatCouldBreakTheReplyIsKeptInBounds) {
    Status s;
    s.attempted = true;
    s.server = "one\ntwo\rthree";
    s.whyNot = std::string(10000, 'x');
    const std::string text = StatusText(s);
    EXPECT_LE(text.size(), kMaxReplyBytes);
    const auto back = ParseStatus(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->server, "one two three");
    EXPECT_TRUE(back->attempted);
}

TEST(TimeHelperStatus, WhatIsNotAStatusReadsAsNothing) {
    const std::string good = "attempted=1\nlastAttempt=46365.5\nclockSet=0\n";
    struct Case {
        const char* why;
        std::string text;
        bool reads;
    };
    const Case cases[] = {
        {"a status", good, true},
        {"no final line end", "attempted=0", true},
        {"names it does not know", good + "future=42\nsomething\n", true},
        {"empty", "", false},
        {"no attempted line", "lastAttempt=46365.5\nclockSet=1\n", false},
        {"a flag that is not 0 or 1", "attempted=yes\n", false},
        {"clock set as 2", good + "clockSet=2\n", false},
        {"a date with text behind", good + "lastCorrection=46365.5x\n", false},
        {"a date that is no number", good + "lastAttempt=soon\n", false},
        {"an empty date", good + "lastAttempt=\n", false},
        {"a date beyond the year 9999", good + "lastAttempt=1e300\n", false},
        {"not a number", good + "lastAttempt=nan\n", false},
        {"infinite", good + "lastCorrection=inf\n", false},
        {"too long", good + "server=" + std::string(kMaxReplyBytes, 'x') + "\n", false},
        {"binary noise", std::string("\x00\xff\x01=\n\x00", 6), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(ParseStatus(c.text).has_value(), c.reads);
    }
}

}  // namespace
}  // namespace pw::timehelper
