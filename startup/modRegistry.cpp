#include "startup/modRegistry.h"
