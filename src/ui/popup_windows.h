#pragma once

#include <string>

#include "base/settings.h"

// The two small skinned popups. Each runs modally on the calling thread, without an
// owner, until the user clicks its close box or its confirm button.
namespace tvac::ui {

// Shows the text stored in the `Message` setting.
void ShowMessageWindow(const base::Settings& settings);

struct RowTexts {
  std::string name;
  std::string location;
  std::string kind;
};

// Shows one row of the result list: its name, location and kind.
void ShowDetailDialog(const RowTexts& row);

}  // namespace tvac::ui
