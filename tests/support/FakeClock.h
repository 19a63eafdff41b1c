#pragma once

#include "platform/Clock.h"

namespace torvane::test {

class FakeClock : public platform::Clock {
public:
    explicit FakeClock(platform::LocalDateTime t = {2026, 3, 15, 10, 30, 0}) : now_(t) {}
    platform::LocalDateTime now() const override { return now_; }
    void set(platform::LocalDateTime t) { now_ = t; }

private:
    platform::LocalDateTime now_;
};

}  // namespace torvane::test
