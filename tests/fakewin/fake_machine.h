// Everything a test needs to set up and observe the fake machine.
#pragma once

#include "tests/fakewin/fake_devices.h"
#include "tests/fakewin/fake_kernel.h"
#include "tests/fakewin/fake_registry.h"
#include "tests/fakewin/fake_resources.h"
#include "tests/fakewin/fake_setupapi.h"
#include "tests/fakewin/fake_system.h"
#include "tests/fakewin/fake_threads.h"
#include "tests/fakewin/fake_windows.h"
