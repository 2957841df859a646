// The log stamp's formats where no locale formats exist.
#include <cstdio>

#include "controller.h"

namespace dorimo {
namespace {

class PortableStampFormat : public StampFormat {
public:
    std::string short_date(const LocalTime& t) override { return date_text(t); }
    std::string long_time(const LocalTime& t) override {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%d:%02d:%02d", t.hour, t.minute, t.second);
        return buf;
    }
};

}  // namespace

std::unique_ptr<StampFormat> make_system_stamp_format() {
    return std::make_unique<PortableStampFormat>();
}

}  // namespace dorimo
