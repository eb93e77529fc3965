#include "startup/CommandLine.h"
