#include "app/settings_placeholder.h"

#include "common/errors.h"
#include "config/value_access.h"
#include "config/values.h"

namespace pw::app {

namespace {

std::int32_t ReadMaxCorrection(Store& store) {
    try {
        return cfg::Read(store, cfg::kSettingsKey, cfg::global::MaxCorrection);
    } catch (const AppError&) {
        return cfg::global::MaxCorrection.def;
    }
}

}  // namespace

SettingsPlaceholder::SettingsPlaceholder(Store& store, ClockWindow& clock)
    : clock_(clock), maxCorrection_(ReadMaxCorrection(store)) {
    clock_.AttachSettingsDialog(this);
    clock_.SetClockTimer(kTimerInterval);
}

void SettingsPlaceholder::HelpClick() { clock_.ShowHelpTopic(kHelpTopic); }

}  // namespace pw::app
