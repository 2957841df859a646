// The error that reaches the user's error box with its message.
#pragma once

#include <stdexcept>

namespace dorimo {

class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace dorimo
