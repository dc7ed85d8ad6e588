#include "timehelper/protocol.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/text.h"

namespace pw::timehelper {

namespace {

constexpr std::string_view kSyncText = "SYNC";
constexpr std::string_view kStatusText = "STATUS";

// The reply's names, written once for both directions.
constexpr std::string_view kAttempted = "attempted";
constexpr std::string_view kLastAttempt = "lastAttempt";
constexpr std::string_view kLastCorrection = "lastCorrection";
constexpr std::string_view kServer = "server";
constexpr std::string_view kOffset = "offset";
constexpr std::string_view kClockSet = "clockSet";
constexpr std::string_view kWhyNot = "whyNot";

// A value cannot hold the line end that ends it; a control character in a
// server name from the policy is not worth failing the reply for.
std::string LineSafe(std::string_view value) {
    std::string out(value);
    for (char& c : out)
        if (c == '\n' || c == '\r' || c == '\0') c = ' ';
    return out;
}

void AddLine(std::string& out, std::string_view name, std::string_view value) {
    out.append(name).append("=").append(LineSafe(value)).append("\n");
}

// Seventeen significant digits bring a double back bit for bit.
std::string DateText(DateTime value) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    return buffer;
}

std::optional<DateTime> ParseDate(std::string_view text) {
    // strtod rather than the floating-point from_chars, which alone would
    // add tens of kilobytes to the program. Only what "%.17g" writes is
    // let through: no blanks, hexadecimal, "inf" or "nan".
    if (text.empty() || text.size() > 32 ||
        text.find_first_not_of("0123456789.eE+-") != std::string_view::npos)
        return std::nullopt;
    const std::string copy(text);
    char* end = nullptr;
    const DateTime value = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size()) return std::nullopt;
    if (!std::isfinite(value) || (value != 0 && !IsValidDateTime(value))) return std::nullopt;
    return value;
}

std::optional<bool> ParseFlag(std::string_view text) {
    if (text == "1") return true;
    if (text == "0") return false;
    return std::nullopt;
}

}  // namespace

std::string RequestText(Request r) { return std::string(r == Request::Sync ? kSyncText : kStatusText) + "\n"; }

std::optional<Request> ParseRequest(std::string_view bytes) {
    if (bytes.size() > kMaxRequestBytes) return std::nullopt;
    if (!bytes.empty() && bytes.back() == '\n') bytes.remove_suffix(1);
    if (bytes == kSyncText) return Request::Sync;
    if (bytes == kStatusText) return Request::Status;
    return std::nullopt;
}

std::string StatusText(const Status& s) {
    std::string out;
    AddLine(out, kAttempted, s.attempted ? "1" : "0");
    AddLine(out, kLastAttempt, DateText(s.lastAttemptUtc));
    AddLine(out, kLastCorrection, DateText(s.lastCorrectionUtc));
    AddLine(out, kServer, s.server);
    AddLine(out, kOffset, s.offsetText);
    AddLine(out, kClockSet, s.clockSet ? "1" : "0");
    AddLine(out, kWhyNot, s.whyNot);
    // The reply must fit the client's buffer whatever the policy holds.
    if (out.size() > kMaxReplyBytes) {
        Status shorter = s;
        shorter.server = s.server.substr(0, 255);
        shorter.whyNot = s.whyNot.substr(0, 255);
        shorter.offsetText = s.offsetText.substr(0, 255);
        return StatusText(shorter);
    }
    return out;
}

std::optional<Status> ParseStatus(std::string_view text) {
    if (text.size() > kMaxReplyBytes) return std::nullopt;
    Status s;
    bool sawAttempted = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string_view name = line.substr(0, eq);
        const std::string_view value = line.substr(eq + 1);
        if (name == kAttempted || name == kClockSet) {
            const auto flag = ParseFlag(value);
            if (!flag) return std::nullopt;
            (name == kAttempted ? s.attempted : s.clockSet) = *flag;
            sawAttempted = sawAttempted || name == kAttempted;
        } else if (name == kLastAttempt || name == kLastCorrection) {
            const auto date = ParseDate(value);
            if (!date) return std::nullopt;
            (name == kLastAttempt ? s.lastAttemptUtc : s.lastCorrectionUtc) = *date;
        } else if (name == kServer) {
            s.server = value;
        } else if (name == kOffset) {
            s.offsetText = value;
        } else if (name == kWhyNot) {
            s.whyNot = value;
        }
    }
    if (!sawAttempted) return std::nullopt;
    return s;
}

}  // namespace pw::timehelper
