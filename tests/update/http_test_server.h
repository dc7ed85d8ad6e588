#pragma once
// A small HTTP server on 127.0.0.1 for the update check's tests, in a
// thread of the test: it records each request's bytes up to the empty
// line and answers each connection with the next scripted reply ("{port}"
// in a reply becomes its own port), or, when silent, accepts and never
// answers. With dripMs, each reply goes out one byte at a time, dripMs
// apart.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pw::test {

class TestHttpServer {
public:
    explicit TestHttpServer(std::vector<std::string> replies, bool silent = false, int dripMs = 0)
        : replies_(std::move(replies)), silent_(silent), dripMs_(dripMs) {
        listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        ::bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(listen_, 8);
        ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~TestHttpServer() {
        stop_ = true;
        thread_.join();
        ::close(listen_);
    }

    std::uint16_t Port() const { return port_; }
    std::string Authority() const { return "127.0.0.1:" + std::to_string(port_); }
    std::vector<std::string> Requests() {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }

private:
    bool Ready(int fd, int ms) {
        pollfd p{fd, POLLIN, 0};
        return ::poll(&p, 1, ms) > 0;
    }

    void Serve() {
        std::vector<int> held;
        std::size_t next = 0;
        while (!stop_) {
            if (!Ready(listen_, 20)) continue;
            int c = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
            if (c < 0) continue;
            if (silent_) {
                held.push_back(c);
                continue;
            }
            std::string request;
            char buf[1024];
            auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (request.find("\r\n\r\n") == std::string::npos && std::chrono::steady_clock::now() < until) {
                if (!Ready(c, 50)) continue;
                ssize_t n = ::recv(c, buf, sizeof buf, 0);
                if (n <= 0) break;
                request.append(buf, static_cast<std::size_t>(n));
            }
            {
                std::lock_guard<std::mutex> lock(mutex_);
                requests_.push_back(request);
            }
            std::string reply = replies_.empty() ? "" : replies_[std::min(next++, replies_.size() - 1)];
            for (std::size_t at; (at = reply.find("{port}")) != std::string::npos;)
                reply.replace(at, 6, std::to_string(port_));
            for (std::size_t sent = 0; sent < reply.size() && !stop_;) {
                const std::size_t size = dripMs_ > 0 ? 1 : reply.size() - sent;
                ssize_t n = ::send(c, reply.data() + sent, size, MSG_NOSIGNAL);
                if (n <= 0) break;
                sent += static_cast<std::size_t>(n);
                if (dripMs_ > 0) std::this_thread::sleep_for(std::chrono::milliseconds(dripMs_));
            }
            ::shutdown(c, SHUT_WR);
            ::close(c);
        }
        for (int c : held) ::close(c);
    }

    std::vector<std::string> replies_;
    bool silent_;
    int dripMs_;
    int listen_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

}  // namespace pw::test
