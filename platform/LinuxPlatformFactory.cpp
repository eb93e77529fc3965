#include "platform/LinuxPlatform.h"

namespace tidorax {

Platform& platform() {
    static LinuxPlatform instance;
    return instance;
}

} // namespace tidorax
