#pragma once
// Figures of the desktop that the main window determines and the other
// windows place themselves by: the main window's height and the taskbar's.

namespace ostrel {

struct ShellGeometry {
    int mainWindowHeight = 0; // frame included
    int taskbarHeight = 0;    // 0 when there is none at the bottom or it hides itself
};

// Process-wide; written by the main window on the window thread.
ShellGeometry& CurrentShellGeometry();

} // namespace ostrel
