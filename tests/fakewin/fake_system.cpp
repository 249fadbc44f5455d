#include "tests/fakewin/fake_kernel.h"

namespace fake {

void ResetSystem() {}

} // namespace fake
