#include "tests/fakewin/fake_kernel.h"

namespace fake {

void ResetThreads() {}

} // namespace fake
