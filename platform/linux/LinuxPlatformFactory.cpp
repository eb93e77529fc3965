#include "platform/linux/LinuxPlatform.h"

namespace tidorax {

Platform& platform() {
    static LinuxPlatform instance;
    return instance;
}

} // namespace tidorax
