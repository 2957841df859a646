// The profile functions of systems without the Windows ones.
#include "portable_profile.h"

namespace dorimo {

std::unique_ptr<ProfileFunctions> make_system_profile() { return std::make_unique<PortableProfile>(); }

}  // namespace dorimo
