// The window-thread-only registries of the running program: the window list
// and the shell's geometry.

#include "base/ui/app_windows.h"
#include "base/ui/shell_geometry.h"
#include "base/window_thread.h"

namespace ostrel {

AppWindows& Windows() {
    CheckWindowThread("the window list");
    static AppWindows windows;
    return windows;
}

ShellGeometry& CurrentShellGeometry() {
    CheckWindowThread("the shell geometry");
    static ShellGeometry geometry;
    return geometry;
}

} // namespace ostrel
