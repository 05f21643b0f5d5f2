#pragma once
#include "app/Timers.h"

#include <set>

namespace hg::testing {

// Timers a test steps by hand: it calls the tick handler itself.
class FakeTimers final : public ITimers {
public:
    std::set<TimerId> enabled;
    void Enable(TimerId id) override { enabled.insert(id); }
    void Disable(TimerId id) override { enabled.erase(id); }
    bool IsEnabled(TimerId id) const override { return enabled.count(id) != 0; }
};

} // namespace hg::testing
