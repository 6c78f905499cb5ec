// The window-thread-only registry of the running program: the shell's
// geometry.

#include "base/ui/shell_geometry.h"
#include "base/window_thread.h"

namespace ostrel {

ShellGeometry& CurrentShellGeometry() {
    CheckWindowThread("the shell geometry");
    static ShellGeometry geometry;
    return geometry;
}

} // namespace ostrel
