#pragma once
// The named mutexes that keep a second instance from starting.

#include <windows.h>

#include <vector>

#include "app/startup.h"

namespace pw::win {

class InstanceMutexes : public app::MutexApi {
public:
    InstanceMutexes() = default;
    ~InstanceMutexes() override;
    InstanceMutexes(const InstanceMutexes&) = delete;
    InstanceMutexes& operator=(const InstanceMutexes&) = delete;

    bool CreateOwned(std::string_view name) override;
    void CloseLast() override;

private:
    std::vector<HANDLE> handles_;
};

}  // namespace pw::win
