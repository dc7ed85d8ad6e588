#pragma once
// The clock tick's two deliveries wired as the program wires them: due
// reminders to the real reminder window logic, due programs to the real
// launcher with a recording process starter.

#include "common/errors.h"
#include "sched/launch.h"
#include "sched/reminder_window.h"
#include "support/fake_reminder_view.h"
#include "tick_fixture.h"

namespace pw::sched::test {

class RecordingStarter : public ProcessStarter {
public:
    explicit RecordingStarter(Events& e) : events(e) {}
    void StartProcess(std::string_view cmd, std::string_view dir, ShowCommand show) override {
        events.Add("start:" + std::string(cmd) + "|" + std::string(dir) + "|" +
                   std::to_string(static_cast<int>(show)));
        if (cmd.starts_with("missing")) throw ProcessError(CreateProcessErrorText(2, "not found\r\n"));
    }
    Events& events;
};

// The program's host: the tick's two deliveries go to the window and the
// launcher, everything else is recorded.
class DeliveringHost : public RecordingHost {
public:
    DeliveringHost(Events& e, ReminderWindow& w, Launcher& l) : RecordingHost(e), window(w), launcher(l) {}
    void ShowReminders(const std::vector<std::string>& items) override {
        events.Add("show");
        shown.push_back(items);
        window.ShowReminders(items);
    }
    bool LaunchProgram(std::string_view name, std::string_view cmd, std::string_view dir,
                       std::string_view state) override {
        return launcher.LaunchProgram(name, cmd, dir, state);
    }
    ReminderWindow& window;
    Launcher& launcher;
};

}  // namespace pw::sched::test
