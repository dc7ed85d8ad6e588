#include "config/values.h"

namespace pw::cfg {

std::string ScheduleKey(std::string_view scheduleName) {
    std::string key(kSchedulesKey);
    key += '\\';
    key += scheduleName;
    return key;
}

std::string_view NameOf(const AnyValue& v) {
    return std::visit([](const auto& x) { return x.name; }, v);
}

}  // namespace pw::cfg
