#include "tests/fakewin/fake_kernel.h"

namespace fake {

void ResetRegistry() {}

} // namespace fake
