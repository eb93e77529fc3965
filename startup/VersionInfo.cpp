#include "startup/VersionInfo.h"
