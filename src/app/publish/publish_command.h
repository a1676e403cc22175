#pragma once

#include <ostream>
#include <string>
#include <vector>

// tvac-publish: from a readable signature list to a served update.
//   build SIGNATURES OUT.ini   writes the database the list describes
//   check PATTERN.ini          reports what the agent makes of a database
//   site --db PATTERN.ini --db-version V [--installer SETUP.exe --version V]
//        --base-url http://HOST[:PORT] OUT_DIR
//                              writes the tree the update server serves
namespace tvac::app::publish {

inline constexpr int kExitOk = 0;
inline constexpr int kExitInput = 1;  // a faulty input, a refused or failed step
inline constexpr int kExitUsage = 2;

// Runs one command (`args` without the program name); messages go to `out` and `err`
// in UTF-8.
int RunPublish(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tvac::app::publish
