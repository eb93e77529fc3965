#include "startup/SpecialFolders.h"
