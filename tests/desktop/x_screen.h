#pragma once
// The two things the rig asks the X server directly: whether a window
// manager runs, and the picture of the whole screen.

#include <QString>

namespace desk {

// True once a window manager has announced itself on the display.
bool WindowManagerRunning(const QString& display);

// The root window, with every frame and decoration on it, as a PNG file.
bool GrabScreen(const QString& display, const QString& path);

} // namespace desk
