#pragma once
// Time servers for the synchronization tests, the same for the waiting
// exchanges (a scripted socket per attempt) and for the attempts without
// waiting (a scripted driver, whose every name resolves): what answers
// depends on the host asked. A server named in `ahead` answers with the
// test clock's UTC shifted by that many seconds, one in `throwing` raises
// an error from inside the exchange, one in `kissing` answers with a
// kiss-o'-death of that code, and any other host never answers.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/datefmt.h"
#include "common/datetime.h"
#include "common/store_access.h"
#include "config/global_settings.h"
#include "config/values.h"
#include "nettime/net_time_attempts.h"
#include "nettime/netsync.h"
#include "support/fake_clock.h"
#include "support/fake_datagram_socket.h"
#include "support/fake_io_driver.h"
#include "support/fake_services.h"
#include "support/fake_store.h"
#include "support/test_services.h"
#include "support/ntp_packet.h"

namespace pw::nettime::test {

using pw::test::Events;

inline constexpr double kSecond = 1.0 / 86400.0;
inline constexpr double kMinute = 1.0 / 1440.0;
inline constexpr double kHour = 1.0 / 24.0;

class NetSyncFixture : public ::testing::Test {
protected:
    NetSyncFixture() {
        // 8 December 2026 14:05:00.5 local, one hour ahead of UTC. The half
        // second keeps whole-second texts of times near it clear of the
        // tenth of a millisecond the NTP timestamps lose.
        clock.local = EncodeDate(2026, 12, 8) + EncodeTime(14, 5, 0, 500);
        clock.biasMinutes = -60;
        driver.anyNameResolves = true;
        driver.datagramSent = [this](net::IoId socket, const net::Endpoint& to, const std::vector<std::uint8_t>& request) {
            pw::test::FakeAnswer a = Answer(driver.HostOf(to.address), request);
            if (!a.datagram.empty()) driver.Deliver(socket, a.datagram, to, 1);
        };
    }

    SyncContext Context() {
        return SyncContext{clock,
                           [this] {
                               ++socketsMade;
                               return std::make_unique<pw::test::FakeDatagramSocket>(
                                   socketLog, [this](const std::vector<std::uint8_t>& r) { return Answer(socketLog.host, r); });
                           },
                           [this] { return maxCorrection; }};
    }

    // The attempts of the program, on the scripted driver, with the
    // fixture's settings and log; a helper when one is given.
    NetTimeAttempts& Attempts(ConnectionState& connection, timehelper::HelperLink* helper = nullptr) {
        if (!attempts)
            attempts = std::make_unique<NetTimeAttempts>(
                NetTimeParts{pw::test::Services(store, clock, locale, sound, boxes), driver, connection, settings,
                             [this] { return maxCorrection; }, Log(), helper});
        return *attempts;
    }
    // The number of datagram sockets the attempts opened.
    int SocketsOpened() const {
        int n = 0;
        for (const std::string& a : driver.actions) n += a.starts_with("udp ");
        return n;
    }

    pw::test::FakeAnswer Answer(const std::string& host, const std::vector<std::uint8_t>& request) {
        asked.push_back(host);
        events.Add("ask:" + host);
        if (throwing.count(host)) throw std::runtime_error("resolver gave up");
        if (auto kiss = kissing.find(host); kiss != kissing.end())
            return {pw::test::MakeReply(request, pw::test::KissOfDeath(kiss->second)), 0};
        auto it = ahead.find(host);
        if (it == ahead.end()) return {{}, net::kWsaTimedOut};
        pw::test::ReplyFields fields;
        fields.receive = fields.transmit = pw::test::NtpOf(clock.UtcNow() + it->second * kSecond);
        return {pw::test::MakeReply(request, fields), 0};
    }

    LogWriter Log() {
        return [this](std::string_view m) { events.Add("log:" + std::string(m)); };
    }

    std::string StoredLastSynch() {
        return ReadRegString(store, cfg::kSettingsKey, cfg::global::LastSynchTime.name, "(missing)");
    }

    pw::test::FakeClock clock;
    pw::test::FakeSocketLog socketLog;
    pw::test::TestStore store;
    Locale locale = Locale::EnGB();
    cfg::GlobalSettings settings;
    Events events;
    std::map<std::string, double> ahead;
    std::set<std::string> throwing;
    std::map<std::string, const char*> kissing;
    std::vector<std::string> asked;
    std::int32_t maxCorrection = 60;
    int socketsMade = 0;
    pw::test::FakeSound sound{events};
    pw::test::FakeMessageBoxes boxes{events};
    pw::test::FakeIoDriver driver;
    // Made by Attempts(), after the members it uses.
    std::unique_ptr<NetTimeAttempts> attempts;
};

}  // namespace pw::nettime::test
