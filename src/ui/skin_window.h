#pragma once

#include <windows.h>

#include "ui/layout.h"

// What every captionless skinned window does alike.
namespace tvac::ui {

// Sizes the window to `size` and centres it in the screen's work area.
void PlaceInWorkAreaCentre(HWND window, const Rect& size);

// Lets the user drag the window as if its caption had been pressed; returns when the
// move ends.
void StartDrag(HWND window);

// The hand over click areas, the arrow elsewhere.
void ShowPointer(bool over_click_area);

// The point of a mouse message's lparam, in client pixels.
POINT ClientPoint(LPARAM lparam);

}  // namespace tvac::ui
