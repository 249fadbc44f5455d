// Reduces the running Windows version to one platform code.
#pragma once

#include "platform/win32.h"

// Queries the version and the native processor afresh and classifies them.
// Never fails: a system that answers neither version query gives 0.
int ClassifyPlatform();
