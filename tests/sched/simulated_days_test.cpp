// Four days of a realistic set of schedules, the clock ticking every
// second, checked against the minutes worked out by hand from the rules.
#include "tick_fixture.h"

#include <algorithm>
#include <cstdio>

namespace pw::sched::test {
namespace {

class SimulatedDays : public TickTest {
protected:
    // "25 12:00 Hourly" for every reminder shown and program launched.
    std::vector<std::string> Fired() {
        std::vector<std::string> out;
        for (auto& e : events.list) {
            std::string rest;
            if (e.rfind("show:", 0) == 0) {
                for (std::size_t at = 0; (at = e.find('[', at)) != std::string::npos; ++at)
                    out.push_back(stamp + " " + e.substr(at + 1, e.find(':', at) - at - 1));
            } else if (e.rfind("launch:", 0) == 0) {
                out.push_back(stamp + " " + e.substr(7, e.find('|') - 7));
            }
        }
        return out;
    }
    std::string stamp;
};

TEST_F(SimulatedDays, EveryUnitFiresInItsMinutesAndNowhereElse) {
    settings.AutoDelSched = true;
    settings.DelSchedDays = 30;
    settings.SystemBeep = false;
    AddSchedule("Standup", When(2026, 12, 24, 9, 30), When(2026, 12, 24, 9, 30), "00:00:00", 1, "days");
    AddSchedule("Meds", When(2026, 12, 24, 8, 0), When(2026, 12, 24, 20, 0), "12:00:00", 2, "days");
    AddSchedule("Hourly", When(2026, 12, 25, 10, 0), When(2026, 12, 25, 14, 30), "01:00:00");
    AddSchedule("Monthly", When(2026, 11, 25, 12, 0), When(2026, 11, 25, 12, 0), "00:00:00", 1, "mths date");
    AddSchedule("LastFriday", When(2026, 11, 27, 18, 0), When(2026, 11, 27, 18, 0), "00:00:00", 1, "mths dow-");
    AddSchedule("Yearly", When(2025, 12, 26, 7, 15), When(2025, 12, 26, 7, 15), "00:00:00", 1, "years");
    AddSchedule("Backup", When(2026, 12, 24, 22, 0), When(2026, 12, 25, 2, 0), "01:30:00", 1, "days", 0,
                "backup.exe /all");
    AddSchedule("SecondTuesday", When(2026, 12, 8, 10, 0), When(2026, 12, 8, 10, 0), "00:00:00", 1, "mths dow+");
    AddSchedule("Expired", When(2026, 10, 1, 9, 0), When(2026, 10, 1, 9, 0), "00:00:00");
    AddSchedule("Future", When(2026, 12, 29, 9, 0), When(2026, 12, 29, 9, 0), "00:00:00", 1, "days");

    std::vector<std::string> fired;
    for (Seconds s = ToSeconds(When(2026, 12, 24, 0, 0, 30)); s < ToSeconds(When(2026, 12, 28, 0, 0)); ++s) {
        events.Clear();
        TickAt(FromSeconds(s));
        if (events.list.empty()) continue;
        CivilDate d;
        CivilTime t;
        DecodeDateTime(FromSeconds(s), d, t);
        char buf[16];
        std::snprintf(buf, sizeof buf, "%02d %02d:%02d", d.day, t.hour, t.minute);
        stamp = buf;
        auto f = Fired();
        fired.insert(fired.end(), f.begin(), f.end());
        if (s == ToSeconds(When(2026, 12, 24, 0, 1))) {
            EXPECT_NE(std::find(events.list.begin(), events.list.end(), "log:Schedule deleted: Expired"),
                      events.list.end());
        }
    }
    std::sort(fired.begin(), fired.end());
    std::vector<std::string> expected = {
        "24 08:00 Meds",     "24 09:30 Standup", "24 20:00 Meds",       "24 22:00 Backup",  "24 23:30 Backup",
        "25 01:00 Backup",   "25 02:00 Backup",  "25 09:30 Standup",    "25 10:00 Hourly",  "25 11:00 Hourly",
        "25 12:00 Hourly",   "25 12:00 Monthly", "25 13:00 Hourly",     "25 14:00 Hourly",  "25 14:30 Hourly",
        "25 18:00 LastFriday", "25 22:00 Backup", "25 23:30 Backup",    "26 01:00 Backup",  "26 02:00 Backup",
        "26 07:15 Yearly",   "26 08:00 Meds",    "26 09:30 Standup",    "26 20:00 Meds",    "26 22:00 Backup",
        "26 23:30 Backup",   "27 01:00 Backup",  "27 02:00 Backup",     "27 09:30 Standup", "27 22:00 Backup",
        "27 23:30 Backup",
    };
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(fired, expected);

    // Where each schedule stands afterwards.
    EXPECT_EQ(Stored("Standup", "StartDate"), "28/12/2026");
    EXPECT_EQ(Stored("Meds", "StartDate"), "28/12/2026");
    EXPECT_EQ(Stored("Monthly", "StartDate"), "25/01/2027");
    EXPECT_EQ(Stored("LastFriday", "StartDate"), "29/01/2027");
    EXPECT_EQ(Stored("Yearly", "StartDate"), "26/12/2027");
    EXPECT_EQ(Stored("Backup", "StartDate"), "27/12/2026");
    EXPECT_EQ(Stored("Backup", "EndDate"), "28/12/2026");
    EXPECT_EQ(Stored("SecondTuesday", "StartDate"), "12/01/2027");
    EXPECT_EQ(Stored("Hourly", "StartDate"), "25/12/2026");
    EXPECT_EQ(Stored("Future", "StartDate"), "29/12/2026");
    EXPECT_FALSE(KeyExists(store, cfg::ScheduleKey("Expired")));
}

}  // namespace
}  // namespace pw::sched::test
