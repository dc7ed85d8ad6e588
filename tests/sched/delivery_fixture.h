#pragma once
// The clock tick's two deliveries wired as the program wires them: due
// reminders to the real reminder window logic, due programs to the real
// launcher with a recording process starter.

#include "common/errors.h"
#include "sched/launch.h"
#include "app/reminder_window.h"
#include "sched/snooze.h"
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
    DeliveringHost(Events& e, app::ReminderWindow& w, Launcher& l) : RecordingHost(e), window(w), launcher(l) {}
    void ShowReminders(const std::vector<std::string>& items) override {
        events.Add("show");
        shown.push_back(items);
        window.ShowReminders(items);
    }
    bool LaunchProgram(std::string_view name, std::string_view cmd, std::string_view dir,
                       std::string_view state) override {
        return launcher.LaunchProgram(name, cmd, dir, state);
    }
    app::ReminderWindow& window;
    Launcher& launcher;
};

// Each window shown as "[description|numbered message]...", a due
// reminder's description as "due" (and the note of a snooze, if any).
inline std::vector<std::string> ShownWindows(const std::vector<std::vector<std::string>>& shown) {
    std::vector<std::string> out;
    for (const auto& batch : shown) {
        std::string w;
        int n = 0;
        for (const auto& item : batch) {
            const ReminderFields f = ParseReminderItem(item);
            std::string d = f.description;
            if (d.starts_with("Start:")) d = "due" + std::string(SnoozeNote(d));
            w += "[" + d + "|" + std::to_string(++n) + "." + f.message + "]";
        }
        out.push_back(w);
    }
    return out;
}

// Everything a tick delivers to, wired so, logging into one event list.
struct DeliveryParts {
    DeliveryParts()
        : starter(events),
          launcher(starter, settings, Log()),
          window(view, store, settings, Log(), ProgramVersion{1, 0, 0, 0, "1.0.0.0"}),
          host(events, window, launcher),
          sound(events) {
        window.FormCreate();
    }
    LogLineWriter Log() {
        return [this](std::string_view m) { events.Add("log:" + std::string(m)); };
    }

    Events events;
    pw::test::TestStore store;
    pw::test::FakeClock clock;
    Locale locale = Locale::EnGB();
    cfg::GlobalSettings settings;
    pw::test::FakeReminderView view;
    RecordingStarter starter;
    Launcher launcher;
    app::ReminderWindow window;
    DeliveringHost host;
    pw::test::FakeSound sound;
};

}  // namespace pw::sched::test
