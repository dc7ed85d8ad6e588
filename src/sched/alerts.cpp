#include "sched/alerts.h"

namespace pw::sched {

void SoundReminderAlert(Sound& sound, const cfg::GlobalSettings& g, bool scheduleSound, std::string_view soundName) {
    if (scheduleSound && !soundName.empty())
        sound.PlayFile(soundName);
    else if (g.GlobalSoundEnabled && !g.GlobalSoundName.empty())
        sound.PlayFile(g.GlobalSoundName);
    else if (g.SystemBeep)
        sound.Beep();
}

}  // namespace pw::sched
