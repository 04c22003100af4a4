#pragma once

// The common-control classes the program's windows use (status bars, tool tips, list views), registered
// once at start-up before the first window is made.

namespace ui {

void RegisterCommonControls();

}  // namespace ui
