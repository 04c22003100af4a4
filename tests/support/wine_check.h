#pragma once

namespace testing_support {

// True when the Windows test program runs under Wine rather than on Windows; always false on Linux.
// Tests skip the few checks where Wine's behaviour is known to differ from Windows'.
bool RunningUnderWine();

}  // namespace testing_support
