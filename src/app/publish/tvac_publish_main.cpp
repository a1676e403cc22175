// tvac-publish: builds, checks and publishes the agent's signature database on the
// update server's side. See app/publish/publish_command.h.
#include <iostream>
#include <string>
#include <vector>

#include "app/publish/publish_command.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  try {
    return tvac::app::publish::RunPublish(args, std::cout, std::cerr);
  } catch (const std::exception& e) {
    std::cerr << "tvac-publish: " << e.what() << "\n";
    return tvac::app::publish::kExitInput;
  }
}
