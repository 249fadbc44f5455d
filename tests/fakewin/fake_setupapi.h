// Fake machine area: setupapi (set-up and observation for tests).
#pragma once

#include "platform/win32.h"

namespace fake {} // namespace fake
