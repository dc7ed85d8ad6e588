// The portable parts of the socket layer: the texts SetRemote accepts and
// what it does with the platform's answers.
#include "net/blocksock.h"

#include <gtest/gtest.h>

#include <map>

namespace pw::net {
namespace {

TEST(Ipv4Literal, OnlyPlainDottedQuadsAreLiterals) {
    struct Case {
        const char* text;
        std::optional<std::uint32_t> address;
    };
    const Case cases[] = {
        {"127.0.0.1", 0x7F000001},
        {"0.0.0.0", 0},
        {"255.255.255.255", kBroadcast},
        {"10.20.30.40", 0x0A141E28},
        {"192.168.0.255", 0xC0A800FF},
        // Left to the resolver: not four parts, out of range, leading
        // zeros (octal to some resolvers), signs, blanks, names.
        {"256.0.0.1", std::nullopt},
        {"1.2.3", std::nullopt},
        {"1.2.3.4.5", std::nullopt},
        {"1.2.3.", std::nullopt},
        {".1.2.3", std::nullopt},
        {"1..2.3", std::nullopt},
        {"010.0.0.1", std::nullopt},
        {"1.2.3.0004", std::nullopt},
        {"+1.2.3.4", std::nullopt},
        {"1.2.3.4 ", std::nullopt},
        {" 1.2.3.4", std::nullopt},
        {"0x7f.0.0.1", std::nullopt},
        {"localhost", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseIpv4Literal(c.text), c.address);
    }
}

// A platform that records what it is asked and refuses everything else.
class ScriptedApi : public SocketApi {
public:
    std::map<std::string, std::uint16_t> services;
    std::map<std::string, std::uint32_t> hosts;
    std::vector<std::string> resolved;
    std::vector<Endpoint> connects;
    int startupError = 0;
    int startups = 0, cleanups = 0, opens = 0, closes = 0, sends = 0;

    int Startup() override {
        ++startups;
        return startupError;
    }
    void Cleanup() override { ++cleanups; }
    int OpenUdp(SocketHandle& out) override {
        ++opens;
        out = 42;
        return 0;
    }
    void Close(SocketHandle) override { ++closes; }
    int Bind(SocketHandle, const Endpoint&) override { return kWsaInvalidArgument; }
    int LocalEndpoint(SocketHandle, Endpoint&) override { return kWsaInvalidArgument; }
    int Connect(SocketHandle, const Endpoint& remote) override {
        connects.push_back(remote);
        return 0;
    }
    int Send(SocketHandle, const std::uint8_t*, std::size_t) override {
        ++sends;
        return 0;
    }
    int SendTo(SocketHandle, const std::uint8_t*, std::size_t, const Endpoint&) override { return kWsaInvalidArgument; }
    int WaitReadable(SocketHandle, int, bool& readable) override {
        readable = false;
        return 0;
    }
    int PendingSize(SocketHandle, std::size_t& size) override {
        size = 0;
        return 0;
    }
    int Receive(SocketHandle, std::uint8_t*, std::size_t, std::size_t& received, Endpoint*) override {
        received = 0;
        return 0;
    }
    std::optional<std::uint16_t> ServicePort(const std::string& name) override {
        auto it = services.find(name);
        if (it == services.end()) return std::nullopt;
        return it->second;
    }
    std::optional<std::uint32_t> ResolveIpv4(const std::string& host) override {
        resolved.push_back(host);
        auto it = hosts.find(host);
        if (it == hosts.end()) return std::nullopt;
        return it->second;
    }
};

TEST(PortFromText, ServicesFirstThenNumbers) {
    ScriptedApi api;
    api.services = {{"ntp", 1123}, {"echo", 7}, {"99", 5}};
    EXPECT_EQ(PortFromText(api, "ntp"), 1123);
    EXPECT_EQ(PortFromText(api, "echo"), 7);
    EXPECT_EQ(PortFromText(api, "99"), 5);
    EXPECT_EQ(PortFromText(api, "123"), 123);
}

TEST(PortFromText, WithoutServicesDatabaseNtpIs123) {
    ScriptedApi api;
    struct Case {
        const char* text;
        std::uint16_t port;
    };
    const Case cases[] = {
        {"ntp", 123}, {"123", 123}, {"1", 1}, {"65535", 65535}, {"00123", 123}, {"65536", 0},
        {"999999", 0}, {"0", 0},    {"", 0},  {"-5", 0},        {"12 ", 0},     {"NTP", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(PortFromText(api, c.text), c.port);
    }
    EXPECT_EQ(PortFromText(api, std::string_view("12\0" "3", 4)), 0);
}

TEST(UDPBlockSocket, LiteralsSkipTheResolverAndNamesUseIt) {
    ScriptedApi api;
    api.hosts = {{"time.example", 0x0A000001}};
    TUDPBlockSocket s(api);
    s.SetRemote("192.0.2.7", "123");
    EXPECT_EQ(s.LastSocketError(), 0);
    s.SetRemote("time.example", "123");
    EXPECT_EQ(s.LastSocketError(), 0);
    EXPECT_EQ(api.resolved, std::vector<std::string>{"time.example"});
    ASSERT_EQ(api.connects.size(), 2u);
    EXPECT_EQ(api.connects[0], (Endpoint{0xC0000207, 123}));
    EXPECT_EQ(api.connects[1], (Endpoint{0x0A000001, 123}));
}

TEST(UDPBlockSocket, UnresolvedHostLeavesNoDestination) {
    ScriptedApi api;
    TUDPBlockSocket s(api);
    s.SetRemote("192.0.2.7", "123");
    s.SetRemote("nowhere.example", "123");
    EXPECT_EQ(s.LastSocketError(), kWsaHostNotFound);
    EXPECT_FALSE(s.Remote().has_value());
    std::uint8_t b = 0;
    s.SendDatagram(&b, 1);
    EXPECT_EQ(s.LastSocketError(), kWsaDestAddressRequired);
    EXPECT_EQ(api.sends, 0);
    // A name with a NUL in it would reach the C resolver cut short.
    s.SetRemote(std::string_view("localhost\0.evil", 15), "123");
    EXPECT_EQ(s.LastSocketError(), kWsaHostNotFound);
    EXPECT_EQ(api.resolved, std::vector<std::string>{"nowhere.example"});
}

TEST(UDPBlockSocket, EachObjectStartsAndReleasesTheLibrary) {
    ScriptedApi api;
    {
        TUDPBlockSocket a(api);
        TUDPBlockSocket b(api);
        EXPECT_EQ(api.startups, 2);
        EXPECT_EQ(api.opens, 2);
        EXPECT_EQ(api.cleanups, 0);
    }
    EXPECT_EQ(api.closes, 2);
    EXPECT_EQ(api.cleanups, 2);
}

TEST(UDPBlockSocket, FailedStartupOpensNothingAndReleasesNothing) {
    ScriptedApi api;
    api.startupError = 10091;  // WSASYSNOTREADY
    {
        TUDPBlockSocket s(api);
        EXPECT_NE(s.LastSocketError(), 0);
        EXPECT_FALSE(s.IsOpen());
        s.SetRemote("127.0.0.1", "123");
        EXPECT_NE(s.LastSocketError(), 0);
        EXPECT_TRUE(s.ReceiveDatagram(0).empty());
        EXPECT_NE(s.LastSocketError(), 0);
    }
    EXPECT_EQ(api.opens, 0);
    EXPECT_EQ(api.cleanups, 0);
    EXPECT_TRUE(api.connects.empty());
}

TEST(UDPBlockSocket, ReadableWithNothingQueuedIsResetWithoutARead) {
    struct ReadableEmpty : ScriptedApi {
        int receives = 0;
        int WaitReadable(SocketHandle, int, bool& readable) override {
            readable = true;
            return 0;
        }
        int Receive(SocketHandle, std::uint8_t*, std::size_t, std::size_t& received, Endpoint*) override {
            ++receives;
            received = 0;
            return 0;
        }
    } api;
    TUDPBlockSocket s(api);
    EXPECT_TRUE(s.ReceiveDatagram(1000).empty());
    EXPECT_EQ(s.LastSocketError(), kWsaConnectionReset);
    EXPECT_EQ(api.receives, 0);
}

}  // namespace
}  // namespace pw::net
