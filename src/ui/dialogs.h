#pragma once

#include <windows.h>

#include "agent/agent.h"
#include "platform/network.h"

// The agent's three further windows. Each asks the system whether it is online once,
// when it opens, and keeps that answer.
namespace tvac::ui {

// The notifier popup at the work area's bottom-right corner: fades in, tells what a
// background scan found, and fades out by itself after ten seconds. Modeless, on the
// calling (user-interface) thread; it goes away by itself.
void OpenNotifierPopup(agent::Agent& agent, platform::Network& network);

// The settings dialog, modal until its confirm, cancel or close is pressed.
void RunSettingsDialog(agent::Agent& agent);

// The update dialog, modeless: "시작" downloads the pending update on a worker;
// `main_window` gets the timer that reloads its database line afterwards.
void OpenUpdateDialog(agent::Agent& agent, platform::Network& network, HWND main_window);

}  // namespace tvac::ui
