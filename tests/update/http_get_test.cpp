// The update check's GET without waiting, on a scripted driver: every way
// a server can answer or not, in whatever order, ends the GET once, with
// the outcome the check tells the user by, and within its time limit.
// The driver is careless: it delivers even what comes for a closed socket.
#include "update/http_get.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "support/fake_io_driver.h"

namespace pw::update {
namespace {

using D = test::FakeIoDriver;
using Outcome = HttpResult::Outcome;

const std::string kOk = "HTTP/1.0 200 OK\r\n\r\nplenwick 9.0\r\n";

struct Case {
    const char* what;
    const char* url;
    // The server: what it does when the connection is opened.
    std::function<void(D&, net::IoId)> server;
    // What happens to the GET meanwhile (after 1 ms).
    std::function<void(D&, std::unique_ptr<HttpGet>&)> meanwhile;
    std::vector<std::string> results;  // outcome and body
    int endsByMs;
};

TEST(HttpGetWithoutWaiting, EveryOrderOfEventsEndsOnce) {
    const auto answers = [](std::string reply, int afterMs = 0) {
        return [reply, afterMs](D& d, net::IoId s) {
            d.Connected(s, 0);
            d.StreamData(s, reply, afterMs);
            d.StreamClosed(s, 0, afterMs);
        };
    };
    const auto none = [](D&, std::unique_ptr<HttpGet>&) {};
    const Case cases[] = {
        {"a whole reply", "http://10.0.0.1/upgrades.txt", answers(kOk), none, {"Completed plenwick 9.0\r\n"}, 10},
        {"a name that resolves", "http://update.example/upgrades.txt", answers(kOk), none,
         {"Completed plenwick 9.0\r\n"}, 10},
        {"a name that does not", "http://nowhere.example/upgrades.txt", answers(kOk), none, {"HostNotFound "}, 10},
        {"a name server that never answers", "http://silent.example/upgrades.txt", answers(kOk), none,
         {"ConnectFailed "}, 1000},
        {"refused", "http://10.0.0.1/upgrades.txt",
         [](D& d, net::IoId s) { d.Connected(s, net::kWsaConnectionRefused); }, none, {"ConnectFailed "}, 10},
        {"no connection within the time", "http://10.0.0.1/upgrades.txt", [](D&, net::IoId) {}, none,
         {"ConnectFailed "}, 1000},
        {"connected, then silence", "http://10.0.0.1/upgrades.txt", [](D& d, net::IoId s) { d.Connected(s, 0); },
         none, {"TimedOut "}, 1000},
        {"a reply dripping past the time", "http://10.0.0.1/upgrades.txt",
         [](D& d, net::IoId s) {
             d.Connected(s, 0);
             for (std::size_t i = 0; i < kOk.size(); ++i) d.StreamData(s, kOk.substr(i, 1), 100 * static_cast<int>(i));
         },
         none, {"TimedOut "}, 1000},
        {"the reply after the time", "http://10.0.0.1/upgrades.txt", answers(kOk, 1500), none, {"TimedOut "}, 1000},
        {"the connection lost", "http://10.0.0.1/upgrades.txt",
         [](D& d, net::IoId s) {
             d.Connected(s, 0);
             d.StreamData(s, kOk.substr(0, 10));
             d.StreamClosed(s, net::kWsaConnectionReset, 1);
             d.StreamData(s, kOk.substr(10), 2);
         },
         none, {"ConnectionLost "}, 10},
        {"an error status", "http://10.0.0.1/upgrades.txt", answers("HTTP/1.0 404 Not Found\r\n\r\n"), none,
         {"ErrorStatus "}, 10},
        {"a redirection, then the list", "http://10.0.0.1/upgrades.txt",
         [](D& d, net::IoId s) {
             int opened = 0;
             for (const std::string& a : d.actions) opened += a.starts_with("tcp ");
             d.Connected(s, 0);
             d.StreamData(s, opened == 1 ? "HTTP/1.0 302 Found\r\nLocation: /list.txt\r\n\r\n" : kOk);
             d.StreamClosed(s, 0);
         },
         none, {"Completed plenwick 9.0\r\n"}, 10},
        {"cancelled, then the reply", "http://10.0.0.1/upgrades.txt", answers(kOk, 50),
         [](D&, std::unique_ptr<HttpGet>& g) { g->Cancel(); }, {}, 0},
        {"the program ends, then the reply", "http://10.0.0.1/upgrades.txt", answers(kOk, 50),
         [](D& d, std::unique_ptr<HttpGet>& g) {
             d.deliverAfterCancel = false;
             g.reset();
         },
         {}, 0},
        {"no http address", "ftp://10.0.0.1/upgrades.txt", answers(kOk), none, {"BadAddress "}, 10},
    };
    const char* names[] = {"Completed",  "BadAddress", "HostNotFound", "ConnectFailed",    "ConnectionLost", "TimedOut",
                           "ErrorStatus", "BadReply",  "TooLarge",     "TooManyRedirects", "SinkFailed"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        D driver;
        driver.deliverAfterCancel = true;
        driver.hosts["update.example"] = 0x0A000001;
        driver.silentNames.insert("silent.example");
        driver.streamOpened = [&](net::IoId s, const net::Endpoint&) { c.server(driver, s); };
        std::vector<std::string> results;
        std::string body;
        auto get = std::make_unique<HttpGet>(driver);
        get->TimeoutMs = 1000;
        get->Start(c.url, [&](std::string_view b) { return body.append(b), true; },
                   [&](const HttpResult& r) { results.push_back(names[static_cast<int>(r.outcome)] + (" " + body)); });
        EXPECT_TRUE(results.empty()) << "an answer from inside Start";
        driver.RunFor(1);
        c.meanwhile(driver, get);
        driver.RunFor(c.endsByMs);
        if (get) {
            EXPECT_FALSE(get->Running());
        }
        EXPECT_EQ(driver.OpenCount(), 0u) << testing::PrintToString(driver.actions);
        driver.RunUntilIdle();
        EXPECT_EQ(results, c.results);
    }
}

}  // namespace
}  // namespace pw::update
