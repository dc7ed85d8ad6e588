#include "ui/settings_placeholder.h"

#include "common/errors.h"
#include "config/value_access.h"
#include "config/values.h"

namespace pw::ui {

namespace {

std::int32_t ReadMaxCorrection(Store& store) {
    try {
        return cfg::Read(store, cfg::kSettingsKey, cfg::global::MaxCorrection);
    } catch (const AppError&) {
        return cfg::global::MaxCorrection.def;
    }
}

}  // namespace

SettingsPlaceholder::SettingsPlaceholder(Store& store, app::ClockWindow& clock)
    : clock_(clock), maxCorrection_(ReadMaxCorrection(store)) {
    clock_.AttachSettingsDialog(this);
    clock_.SetClockTimer(app::kTimerInterval);
}

void SettingsPlaceholder::HelpClick() { clock_.ShowHelpTopic(app::kHelpTopic); }

}  // namespace pw::ui
