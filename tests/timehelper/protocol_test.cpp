// The time helper's pipe texts: what reads as a request, and a status that
// comes back as it was sent.
#include "timehelper/protocol.h"

#include <gtest/gtest.h>

namespace pw::timehelper {
namespace {

using namespace std::string_literals;

TEST(TimeHelperRequest, OnlyTheTwoRequestsRead) {
    const std::pair<std::string, std::optional<Request>> cases[] = {
        {RequestText(Request::Sync), Request::Sync}, {RequestText(Request::Status), Request::Status},
        {"STATUS", Request::Status},    {"SYNC\n\n", std::nullopt},  {"SYNC\r\n", std::nullopt},
        {"sync", std::nullopt},         {"SYNC\0"s, std::nullopt},   {"SYNC 2030-01-01 server=x", std::nullopt},
        {"", std::nullopt},             {std::string(1 << 20, 'S'), std::nullopt},
    };
    for (const auto& [bytes, read] : cases) EXPECT_EQ(ParseRequest(bytes), read) << bytes.substr(0, 30);
}

TEST(TimeHelperStatus, ComesBackAsItWasSentAndInBounds) {
    Status set{true, 46365.587654321098765, 46365.587654321098765, "a=b", "+ 0 days, 00:01:30", true, ""};
    Status refused{true, 46365.5, 46300.25, "caf\xc3\xa9.example", "", false, "no right to set the clock"};
    for (const Status& s : {set, refused, Status{}}) EXPECT_EQ(ParseStatus(StatusText(s)), s) << StatusText(s);

    refused.server = "one\ntwo";
    refused.whyNot = std::string(10000, 'x');
    const std::string text = StatusText(refused);
    EXPECT_LE(text.size(), kMaxReplyBytes);
    EXPECT_EQ(ParseStatus(text)->server, "one two");
}

TEST(TimeHelperStatus, WhatIsNotAStatusReadsAsNothing) {
    const std::string good = "attempted=1\nlastAttempt=46365.5\n";
    const std::pair<std::string, bool> cases[] = {
        {good, true},
        {"attempted=0", true},
        {good + "future=42\nsomething\n", true},
        {"", false},
        {"lastAttempt=46365.5\nclockSet=1\n", false},
        {"attempted=yes\n", false},
        {good + "clockSet=2\n", false},
        {good + "lastCorrection=46365.5x\n", false},
        {good + "lastAttempt=\n", false},
        {good + "lastAttempt=1e300\n", false},
        {good + "lastCorrection=nan\n", false},
        {good + "lastCorrection=inf\n", false},
        {good + "lastCorrection= 46365.5\n", false},
        {good + "lastCorrection=0x1p15\n", false},
        {good + "lastCorrection=4.6365123456789012e4\n", true},
        {good + "server=" + std::string(kMaxReplyBytes, 'x'), false},
        {"\0\xff=\n\0"s, false},
    };
    for (const auto& [text, reads] : cases) EXPECT_EQ(ParseStatus(text).has_value(), reads) << text.substr(0, 60);
}

}  // namespace
}  // namespace pw::timehelper
