#include "platform/win32/system_clock.h"

#include <windows.h>
#include <wininet.h>

#include <cmath>

namespace pw::win {

namespace {

// 1 January 1601, where FILETIME counts from, as a date-time value.
constexpr double kFileTimeEpoch = -109205.0;
// 1 January 10000, the first moment past the calendar's range.
constexpr double kPastLastDate = 2958466.0;
constexpr double kMsPerDay = 86400000.0;
constexpr unsigned long long kTicksPerMs = 10000;

void EnableSystemTimePrivilege() {
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return;
    TOKEN_PRIVILEGES tp{};
    tp.PrivilegeCount = 1;
    tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueW(nullptr, SE_SYSTEMTIME_NAME, &tp.Privileges[0].Luid))
        AdjustTokenPrivileges(token, FALSE, &tp, 0, nullptr, nullptr);
    CloseHandle(token);
}

}  // namespace

DateTime FromSystemTime(const SYSTEMTIME& st) {
    FILETIME ft;
    if (!SystemTimeToFileTime(&st, &ft)) return 0;
    ULARGE_INTEGER ticks;
    ticks.LowPart = ft.dwLowDateTime;
    ticks.HighPart = ft.dwHighDateTime;
    return static_cast<double>(ticks.QuadPart / kTicksPerMs) / kMsPerDay + kFileTimeEpoch;
}

bool ToSystemTime(DateTime value, SYSTEMTIME& out) {
    if (!(value >= kFileTimeEpoch && value < kPastLastDate)) return false;
    double ms = std::round((value - kFileTimeEpoch) * kMsPerDay);
    ULARGE_INTEGER ticks;
    ticks.QuadPart = static_cast<unsigned long long>(ms) * kTicksPerMs;
    FILETIME ft;
    ft.dwLowDateTime = ticks.LowPart;
    ft.dwHighDateTime = ticks.HighPart;
    return FileTimeToSystemTime(&ft, &out) != FALSE;
}

DateTime SystemClock::Now() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return FromSystemTime(st);
}

DateTime SystemClock::UtcNow() {
    SYSTEMTIME st;
    GetSystemTime(&st);
    return FromSystemTime(st);
}

Clock::Reading SystemClock::LocalAndUtc() {
    SYSTEMTIME utc, local;
    GetSystemTime(&utc);
    // The zone's rule for that very moment, so local time and UTC agree
    // also across a change of daylight saving time.
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) GetLocalTime(&local);
    return {FromSystemTime(local), FromSystemTime(utc)};
}

ClockSet SystemClock::SetUtc(DateTime utc) {
    SYSTEMTIME st;
    if (!ToSystemTime(utc, st)) return ClockSet::Failed;
    EnableSystemTimePrivilege();
    if (SetSystemTime(&st)) return ClockSet::Done;
    // A token without the privilege (a standard user, or an administrator's
    // filtered token) gets ERROR_PRIVILEGE_NOT_HELD; some systems answer
    // access denied instead.
    const DWORD error = GetLastError();
    return error == ERROR_PRIVILEGE_NOT_HELD || error == ERROR_ACCESS_DENIED ? ClockSet::NoRight : ClockSet::Failed;
}

int SystemClock::ZoneBiasMinutes() {
    TIME_ZONE_INFORMATION tzi;
    switch (GetTimeZoneInformation(&tzi)) {
        case TIME_ZONE_ID_STANDARD: return static_cast<int>(tzi.Bias + tzi.StandardBias);
        case TIME_ZONE_ID_DAYLIGHT: return static_cast<int>(tzi.Bias + tzi.DaylightBias);
        // A zone without daylight saving time reports neither period; its
        // base bias is then the whole difference to UTC. Taking 0 here
        // would read local time as UTC everywhere but on UTC itself.
        case TIME_ZONE_ID_UNKNOWN: return static_cast<int>(tzi.Bias);
        default: return 0;
    }
}

bool IsInternetConnected() {
    DWORD flags = 0;
    return InternetGetConnectedState(&flags, 0) != FALSE;
}

}  // namespace pw::win
