#include "platform/win32/io_driver_win32.h"
#include "platform/win32/io_driver_entries_win32.h"

#include <climits>
#include <cstring>
#include <utility>
#include <exception>
#include <vector>

#include "platform/win32/winsock_util.h"

namespace pw::win {

namespace {

constexpr UINT kLookupMessage = WM_APP + 1;
constexpr UINT kLaterMessage = WM_APP + 2;
// Each socket reports with a message of its own, so a report still queued
// for a socket that was closed cannot be taken for one of a new socket the
// system gave the same handle.
constexpr UINT kSocketMessages = WM_APP + 0x100;
constexpr net::IoId kSocketMessageSpan = 0x3F00;

UINT SocketMessage(net::IoId id) { return kSocketMessages + static_cast<UINT>(id % kSocketMessageSpan); }

const wchar_t* WindowClass() { return L"PlenwickIoDriver"; }

}  // namespace

WinIoDriver::WinIoDriver() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = WindowClass();
    RegisterClassW(&wc);  // fails harmlessly when a second driver registers again
    hwnd_ = CreateWindowExW(0, WindowClass(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (hwnd_) SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

WinIoDriver::~WinIoDriver() {
    Shutdown();
    if (hwnd_) DestroyWindow(hwnd_);
    if (winsock_) WSACleanup();
}

bool WinIoDriver::Winsock() {
    // Started at the first socket, so that a program that never asks a
    // server never loads the socket library.
    if (!winsock_) {
        WSADATA data;
        winsock_ = WSAStartup(MAKEWORD(1, 1), &data) == 0;
    }
    return winsock_;
}

void WinIoDriver::Shutdown() {
    shut_ = true;
    while (!timers_.empty()) Cancel(timers_.begin()->first);
    while (!lookups_.empty()) Cancel(lookups_.begin()->first);
    while (!sockets_.empty()) Cancel(sockets_.begin()->first);
    while (!pipes_.empty()) Cancel(pipes_.begin()->first);
    later_.clear();
}

LRESULT CALLBACK WinIoDriver::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<WinIoDriver*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && (msg == WM_TIMER || msg == kLookupMessage || msg == kLaterMessage ||
                 (msg >= kSocketMessages && msg < kSocketMessages + kSocketMessageSpan))) {
        self->OnMessage(msg, wp, lp);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void WinIoDriver::Run(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        if (report_) report_(e.what());
    } catch (...) {
        if (report_) report_("Unexpected error.");
    }
}

void WinIoDriver::Later(net::IoId owner, std::function<void()> fn) {
    later_.emplace_back(owner, std::move(fn));
    PostMessageW(hwnd_, kLaterMessage, 0, 0);
}

void WinIoDriver::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (shut_) return;
    if (msg == WM_TIMER) {
        if (wp == kPipePollTimer) {
            PollPipes();
            return;
        }
        const net::IoId id = wp;
        KillTimer(hwnd_, wp);
        auto it = timers_.find(id);
        if (it == timers_.end()) return;
        const std::function<void()> fired = std::move(it->second);
        timers_.erase(it);
        Run(fired);
        return;
    }
    if (msg == kLaterMessage) {
        if (later_.empty()) return;
        auto [owner, fn] = std::move(later_.front());
        later_.pop_front();
        const bool alive = sockets_.count(owner) || pipes_.count(owner) || timers_.count(owner) || lookups_.count(owner);
        if (alive) Run(fn);
        return;
    }
    if (msg == kLookupMessage) {
        const auto request = reinterpret_cast<HANDLE>(wp);
        for (auto it = lookups_.begin(); it != lookups_.end(); ++it) {
            if (it->second->request != request) continue;
            const std::unique_ptr<Lookup> lookup = std::move(it->second);
            lookups_.erase(it);
            std::optional<std::uint32_t> address;
            const auto* host = reinterpret_cast<const hostent*>(lookup->buffer.data());
            if (WSAGETASYNCERROR(lp) == 0 && host->h_addrtype == AF_INET && host->h_length == 4 &&
                host->h_addr_list && host->h_addr_list[0]) {
                in_addr a;
                std::memcpy(&a, host->h_addr_list[0], sizeof a);
                address = ntohl(a.s_addr);
            }
            Run([&] { lookup->done(address); });
            return;
        }
        return;
    }
    // A socket's report: the message names the socket's id, the parameter
    // its handle.
    for (const auto& [id, socket] : sockets_) {
        if (SocketMessage(id) == msg && socket->s == static_cast<SOCKET>(wp)) {
            SocketEvent(id, wp, lp);
            return;
        }
    }
}

// --- timers and lookups ----------------------------------------------------

net::IoId WinIoDriver::StartTimer(int ms, std::function<void()> fired) {
    if (shut_ || !hwnd_) return net::kNoIo;
    const net::IoId id = NewId();
    if (!SetTimer(hwnd_, static_cast<UINT_PTR>(id), static_cast<UINT>(ms < 0 ? 0 : ms), nullptr)) return net::kNoIo;
    timers_[id] = std::move(fired);
    return id;
}

net::IoId WinIoDriver::Resolve(const std::string& host, std::function<void(std::optional<std::uint32_t>)> done) {
    if (shut_ || !hwnd_) return net::kNoIo;
    const net::IoId id = NewId();
    auto lookup = std::make_unique<Lookup>();
    lookup->host = host;
    lookup->done = std::move(done);
    if (Winsock())
        lookup->request = WSAAsyncGetHostByName(hwnd_, kLookupMessage, lookup->host.c_str(), lookup->buffer.data(),
                                                static_cast<int>(lookup->buffer.size()));
    if (!lookup->request) {
        // Not even started: the answer is that there is none.
        auto answer = std::move(lookup->done);
        timers_[id] = [answer] { answer(std::nullopt); };
        SetTimer(hwnd_, static_cast<UINT_PTR>(id), 0, nullptr);
        return id;
    }
    lookups_[id] = std::move(lookup);
    return id;
}

// --- sockets ----------------------------------------------------------------

net::IoId WinIoDriver::OpenDatagram(const net::Endpoint& remote, net::DatagramHandlers handlers, int& error) {
    error = 0;
    if (shut_ || !hwnd_ || !Winsock()) {
        error = net::kWsaNotInitialised;
        return net::kNoIo;
    }
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) {
        error = WSAGetLastError();
        return net::kNoIo;
    }
    const net::IoId id = NewId();
    const sockaddr_in a = ToSockaddr(remote);
    // Connected, so that the system delivers datagrams from the server's
    // address and port only.
    if (connect(s, reinterpret_cast<const sockaddr*>(&a), sizeof a) == SOCKET_ERROR ||
        WSAAsyncSelect(s, hwnd_, SocketMessage(id), FD_READ) == SOCKET_ERROR) {
        error = WSAGetLastError();
        closesocket(s);
        return net::kNoIo;
    }
    auto socket = std::make_unique<Socket>();
    socket->s = s;
    socket->datagram = std::move(handlers);
    sockets_[id] = std::move(socket);
    return id;
}

int WinIoDriver::SendDatagram(net::IoId id, net::Bytes datagram) {
    auto it = sockets_.find(id);
    if (it == sockets_.end() || it->second->stream) return net::kWsaNotSocket;
    if (send(it->second->s, reinterpret_cast<const char*>(datagram.data()), SocketLength(datagram.size()), 0) ==
        SOCKET_ERROR)
        return WSAGetLastError();
    return 0;
}

net::IoId WinIoDriver::OpenStream(const net::Endpoint& remote, net::StreamHandlers handlers, int& error) {
    error = 0;
    if (shut_ || !hwnd_ || !Winsock()) {
        error = net::kWsaNotInitialised;
        return net::kNoIo;
    }
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) {
        error = WSAGetLastError();
        return net::kNoIo;
    }
    const net::IoId id = NewId();
    // Also makes the socket non-blocking.
    if (WSAAsyncSelect(s, hwnd_, SocketMessage(id), FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE) == SOCKET_ERROR) {
        error = WSAGetLastError();
        closesocket(s);
        return net::kNoIo;
    }
    auto socket = std::make_unique<Socket>();
    socket->s = s;
    socket->stream = true;
    socket->streamHandlers = std::move(handlers);
    sockets_[id] = std::move(socket);
    const sockaddr_in a = ToSockaddr(remote);
    if (connect(s, reinterpret_cast<const sockaddr*>(&a), sizeof a) == SOCKET_ERROR) {
        const int e = WSAGetLastError();
        // Under way: FD_CONNECT tells how it ended.
        if (e != WSAEWOULDBLOCK)
            Later(id, [this, id, e] {
                auto connected = sockets_[id]->streamHandlers.connected;
                CloseSocket(id);
                connected(e);
            });
    }
    return id;
}

void WinIoDriver::SendStream(net::IoId id, std::string_view bytes) {
    auto it = sockets_.find(id);
    if (it == sockets_.end() || !it->second->stream) return;
    it->second->outgoing.append(bytes);
    if (it->second->connected) FlushStream(id);
}

void WinIoDriver::FlushStream(net::IoId id) {
    Socket& socket = *sockets_[id];
    while (!socket.outgoing.empty()) {
        const int sent = send(socket.s, socket.outgoing.data(), SocketLength(socket.outgoing.size()), 0);
        if (sent == SOCKET_ERROR) {
            const int e = WSAGetLastError();
            // The rest goes at the next FD_WRITE.
            if (e == WSAEWOULDBLOCK) return;
            socket.outgoing.clear();
            Later(id, [this, id, e] {
                auto closed = sockets_[id]->streamHandlers.closed;
                CloseSocket(id);
                closed(e);
            });
            return;
        }
        socket.outgoing.erase(0, static_cast<std::size_t>(sent));
    }
}

void WinIoDriver::SocketEvent(net::IoId id, WPARAM, LPARAM lp) {
    Socket& socket = *sockets_[id];
    const int error = WSAGETSELECTERROR(lp);
    switch (WSAGETSELECTEVENT(lp)) {
        case FD_READ:
            if (!socket.stream) {
                if (error != 0) {
                    auto failed = socket.datagram.failed;
                    CloseSocket(id);
                    Run([&] { failed(error); });
                    return;
                }
                DatagramReadable(id);
            } else {
                StreamReadable(id, false, 0);
            }
            return;
        case FD_CONNECT: {
            if (error != 0) {
                auto connected = socket.streamHandlers.connected;
                CloseSocket(id);
                Run([&] { connected(error); });
                return;
            }
            socket.connected = true;
            FlushStream(id);
            auto connected = socket.streamHandlers.connected;
            Run([&] { connected(0); });
            return;
        }
        case FD_WRITE:
            if (socket.connected) FlushStream(id);
            return;
        case FD_CLOSE: StreamReadable(id, true, error); return;
    }
}

void WinIoDriver::DatagramReadable(net::IoId id) {
    Socket& socket = *sockets_[id];
    std::vector<std::uint8_t> buffer(net::kMaxDatagram);
    sockaddr_in from{};
    int fromLength = sizeof from;
    const int n = recvfrom(socket.s, reinterpret_cast<char*>(buffer.data()), SocketLength(buffer.size()), 0,
                           reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (n == SOCKET_ERROR) {
        const int e = WSAGetLastError();
        if (e == WSAEWOULDBLOCK) return;
        // A refused port (ICMP port unreachable) shows here.
        auto failed = socket.datagram.failed;
        CloseSocket(id);
        Run([&] { failed(e); });
        return;
    }
    buffer.resize(static_cast<std::size_t>(n));
    const net::Endpoint sender = FromSockaddr(from);
    auto received = socket.datagram.received;
    Run([&] { received(net::Bytes(buffer), sender); });
}

void WinIoDriver::StreamReadable(net::IoId id, bool closing, int closeError) {
    // After FD_CLOSE no FD_READ comes: what is left is read now.
    for (;;) {
        auto it = sockets_.find(id);
        if (it == sockets_.end()) return;
        Socket& socket = *it->second;
        char buffer[4096];
        const int n = recv(socket.s, buffer, sizeof buffer, 0);
        if (n > 0) {
            auto received = socket.streamHandlers.received;
            Run([&] { received(std::string_view(buffer, static_cast<std::size_t>(n))); });
            if (!closing) return;  // the next FD_READ brings the rest
            continue;
        }
        int e = n == 0 ? 0 : WSAGetLastError();
        if (e == WSAEWOULDBLOCK) {
            if (!closing) return;
            e = closeError;
        }
        auto closed = socket.streamHandlers.closed;
        CloseSocket(id);
        Run([&] { closed(e); });
        return;
    }
}

void WinIoDriver::CloseSocket(net::IoId id) {
    auto it = sockets_.find(id);
    if (it == sockets_.end()) return;
    // No report comes after this, queued or not: the message is this
    // socket's own, and its entry is gone.
    WSAAsyncSelect(it->second->s, hwnd_, 0, 0);
    closesocket(it->second->s);
    sockets_.erase(it);
}

// --- both -------------------------------------------------------------------

void WinIoDriver::Cancel(net::IoId id) {
    if (auto t = timers_.find(id); t != timers_.end()) {
        KillTimer(hwnd_, static_cast<UINT_PTR>(id));
        timers_.erase(t);
        return;
    }
    if (auto l = lookups_.find(id); l != lookups_.end()) {
        WSACancelAsyncRequest(l->second->request);
        // The buffer may still be written to by a lookup that was just
        // ending; it is kept until the driver goes.
        l->second->done = nullptr;
        retiredLookups_.push_back(std::move(l->second));
        lookups_.erase(l);
        return;
    }
    if (sockets_.count(id)) {
        CloseSocket(id);
        return;
    }
    if (pipes_.count(id)) ClosePipe(id);
}

bool WinIoDriver::RunUntil(const std::function<bool()>& done, int timeoutMs) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        if (done()) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return done();
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

}  // namespace pw::win
