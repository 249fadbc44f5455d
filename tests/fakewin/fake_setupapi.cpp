#include "tests/fakewin/fake_kernel.h"

namespace fake {

void ResetSetupApi() {}

} // namespace fake
