#include "platform/FakePlatform.h"

namespace tidorax {

FakePlatform& fakePlatform() {
    static FakePlatform instance;
    return instance;
}

Platform& platform() {
    return fakePlatform();
}

} // namespace tidorax
