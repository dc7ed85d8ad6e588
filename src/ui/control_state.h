#pragma once
// What one control of the settings dialog holds, as the logic sets it
// through DialogView: the model both the test view and the Windows dialog's
// stand-in before its windows exist keep for each control.

#include <cstdint>
#include <string>
#include <vector>

#include "common/datetime.h"

namespace pw::ui {

struct ControlState {
    std::string text;
    bool checked = false;
    bool enabled = true;
    std::vector<std::string> items;
    int selected = -1;
    DateTime value = 0;
    int position = 0;
    std::uint32_t colour = 0;
};

}  // namespace pw::ui
