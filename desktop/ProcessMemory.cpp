#include "desktop/ProcessMemory.h"

#include <malloc.h>

namespace tidorax {

void UseOneMallocArena() {
    ::mallopt(M_ARENA_MAX, 1);
}

} // namespace tidorax
