#pragma once
// What a clock window under test drives besides its view: the settings, the
// event log in the test's folder and a launcher whose starter records.

#include <string>
#include <string_view>
#include <vector>

#include "app/clock_window.h"
#include "log/log.h"
#include "sched/launch.h"

namespace pw::test {

class RecordingStarter : public sched::ProcessStarter {
public:
    void StartProcess(std::string_view cmd, std::string_view, sched::ShowCommand) override {
        started.emplace_back(cmd);
    }
    std::vector<std::string> started;
};

struct ClockLinks {
    ClockLinks(FileSystem& files, Clock& clock, const Locale& locale, std::string_view programDir)
        : log(files, clock, locale, log::LogFilePath(programDir)) {}

    app::ClockWindowLinks Get(app::ShowRemindersFn showReminders = {}) {
        return {.settings = settings, .log = log, .showReminders = std::move(showReminders), .launcher = launcher};
    }

    cfg::GlobalSettings settings;
    log::EventLog log;
    RecordingStarter starter;
    sched::Launcher launcher{starter, settings, [this](std::string_view m) { log.Write(m); }};
};

}  // namespace pw::test
