#pragma once

#include <windows.h>

#include <vector>

#include "agent/agent.h"

namespace tvac::ui {

// Pops up the first pop-up of menu resource `menu_id` at the cursor, owned by
// `owner`, with `items` changed as the agent's state has them, and returns once it
// is closed; the chosen command arrives at `owner` as WM_COMMAND.
void TrackMenu(HWND owner, int menu_id, const std::vector<agent::MenuItemState>& items);

}  // namespace tvac::ui
