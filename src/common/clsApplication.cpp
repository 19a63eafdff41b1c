#include "clsApplication.h"

#include "common/TorvaneError.h"
#include "common/VersionText.h"

namespace torvane {

clsApplication::clsApplication(platform::InstanceLock& lock) : lock_(lock) {}

bool clsApplication::PrevInstance() {
    return wrapErrors("clsApplication:PrevInstance Method", [&] { return !lock_.acquire(); });
}

std::string clsApplication::VersionNo() { return VersionText(); }

}  // namespace torvane
