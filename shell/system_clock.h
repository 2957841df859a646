// The local wall clock of Windows.
#pragma once

#include "date_time.h"

namespace dorimo {

class SystemClock : public Clock {
public:
    LocalTime now() override;
    // Moves the clock by a number of seconds (the tests' seam alone does).
    void shift(long long seconds) { shift_ = seconds; }

private:
    long long shift_ = 0;
};

}  // namespace dorimo
