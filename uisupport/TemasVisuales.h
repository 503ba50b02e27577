// Whether the user interface is drawn with visual themes (the themed look),
// as opposed to the classic look. Windows side only.
#pragma once

namespace ui {

bool TemasVisualesActivos();

}  // namespace ui
