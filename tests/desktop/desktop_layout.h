#pragma once
// What a user must find on the desktop after a start or a tile: every frame
// inside the available area, nothing over the main strip, the live windows
// side by side without covering each other, and the recorder's status bar and
// the data list's newest row on the screen.

#include "desktop_rig.h"

namespace desk {

// "" when the layout is right, else what is wrong.
QString LayoutProblems(const Snapshot& s);

} // namespace desk
