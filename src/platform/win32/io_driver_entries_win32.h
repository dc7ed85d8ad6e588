#pragma once
// What the Windows driver keeps of each socket, name lookup and pipe under
// way, shared by its two source files: io_driver_win32.cpp (the window,
// timers, lookups and sockets) and io_driver_pipes_win32.cpp (the pipe
// steps, overlapped and polled).

#include <winsock2.h>
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/io_driver_win32.h"

namespace pw::win {

// Looks at the pipe steps under way.
inline constexpr UINT_PTR kPipePollTimer = 0x7FFFFFF0;
inline constexpr UINT kPipePollMs = 10;

struct WinIoDriver::Socket {
    SOCKET s = INVALID_SOCKET;
    bool stream = false;
    bool connected = false;
    net::DatagramHandlers datagram;
    net::StreamHandlers streamHandlers;
    std::string outgoing;
};

struct WinIoDriver::Lookup {
    HANDLE request = nullptr;
    std::string host;
    std::vector<char> buffer = std::vector<char>(MAXGETHOSTSTRUCT);
    std::function<void(std::optional<std::uint32_t>)> done;
};

struct WinIoDriver::Pipe {
    enum class Step { None, Write, Read };
    HANDLE h = INVALID_HANDLE_VALUE;
    HANDLE event = nullptr;
    OVERLAPPED ov{};
    Step step = Step::None;
    std::string buffer;
    std::size_t maxBytes = 0;
    net::PipeHandlers handlers;
};

}  // namespace pw::win
