#include "TemasVisuales.h"

#include <windows.h>
#include <uxtheme.h>

namespace ui {

// Themes count only when the system draws them and this program takes part
// (a manifest with common controls 6 and no opt-out).
bool TemasVisualesActivos() { return ::IsThemeActive() && ::IsAppThemed(); }

}  // namespace ui
