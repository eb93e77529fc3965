#include "platform/fake/FakePlatform.h"

namespace tidorax {

FakePlatform& fakePlatform() {
    static FakePlatform instance;
    return instance;
}

Platform& platform() {
    return fakePlatform();
}

} // namespace tidorax
