// The log stamp's formats where no locale formats exist.
#include "controller.h"

namespace dorimo {
namespace {

class PortableStampFormat : public StampFormat {
public:
    std::string short_date(const LocalTime& t) override { return date_text(t); }
    std::string long_time(const LocalTime& t) override {
        return std::to_string(t.hour) + ":" + zero_padded(t.minute, 2) + ":" + zero_padded(t.second, 2);
    }
};

}  // namespace

std::unique_ptr<StampFormat> make_system_stamp_format() {
    return std::make_unique<PortableStampFormat>();
}

}  // namespace dorimo
