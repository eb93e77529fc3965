#include "startup/CRegSettings.h"
