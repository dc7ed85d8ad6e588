#pragma once
// The pipe's requests and replies. Both are short UTF-8 texts sent as one
// pipe message each. A request names what is wanted and nothing else: it
// carries no time, no server and no limit, so a client can only ask the
// helper to do what its own policy already allows.
//
// Request: "SYNC" or "STATUS", optionally followed by one LF.
// Reply: lines "name=value" ending in LF, in any order; unknown names are
// ignored so that a newer helper can say more.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "common/datetime.h"

namespace pw::timehelper {

inline constexpr std::size_t kMaxRequestBytes = 64;
inline constexpr std::size_t kMaxReplyBytes = 4096;

enum class Request {
    // Synchronise now (or, within a minute of the last attempt, the result
    // of that attempt).
    Sync,
    // The last attempt's result; asks no server.
    Status,
};

std::string RequestText(Request r);
// Nothing for anything but the two requests (oversized, unknown, NULs).
std::optional<Request> ParseRequest(std::string_view bytes);

// The last attempt as the helper reports it.
struct Status {
    // Whether any attempt has been made since the service started.
    bool attempted = false;
    // UTC date-time values; 0 when there is none.
    DateTime lastAttemptUtc = 0;
    DateTime lastCorrectionUtc = 0;
    std::string server;
    // As the program words it (nettime OffsetText); empty without a reply.
    std::string offsetText;
    bool clockSet = false;
    // Why the clock was not set, in the program's words; empty when set.
    std::string whyNot;
    bool operator==(const Status&) const = default;
};

std::string StatusText(const Status& s);
// Nothing for a reply that is not a status (too long, no "attempted" line,
// a date that does not read).
std::optional<Status> ParseStatus(std::string_view text);

}  // namespace pw::timehelper
