#pragma once
// How the reminder window and the launcher reach the event log: a callable
// that writes one line, the time stamp + " - " + the message. The program
// hands in its log writer; tests hand in a recorder. The callers test the
// log switches; the writer writes whatever it gets and drops every error.

#include <functional>
#include <string_view>

namespace pw::sched {

using LogLineWriter = std::function<void(std::string_view message)>;

}  // namespace pw::sched
