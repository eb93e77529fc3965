#include "startup/Module1.h"
