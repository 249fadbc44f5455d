// The agreement through a pager, found as Debian programs find one.
#pragma once

#include <string>

// Writes `text` (in the terminal's character set) to the first pager that
// starts: $PAGER through the shell, then sensible-pager, less and more as
// found on PATH. False when there is none.
bool ShowThroughPager(const std::string& text);
