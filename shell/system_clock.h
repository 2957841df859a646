// The local wall clock of Windows.
#pragma once

#include "date_time.h"

namespace dorimo {

class SystemClock : public Clock {
public:
    LocalTime now() override;
};

}  // namespace dorimo
