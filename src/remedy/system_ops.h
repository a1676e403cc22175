#pragma once

#include <string>
#include <string_view>

#include "platform/error_codes.h"
#include "platform/files.h"
#include "platform/processes.h"
#include "platform/registry.h"

// The operations that curing needs from the system. They keep no state, show
// nothing and never retry.
namespace tvac::remedy {

using platform::ErrorCode;
using platform::RootKey;

// Removes every key below `path`, deepest first, and leaves the key itself. 0 when
// all are gone; else the error of the first key that could not be opened, listed or
// removed, which ends the operation. A root and the keys directly under a root
// (such as HKEY_LOCAL_MACHINE\SOFTWARE) are refused with kAccessDenied.
ErrorCode DeleteRegistrySubkeys(platform::Registry& registry, RootKey root, std::string_view path);

// DeleteRegistrySubkeys, then, when `delete_key_itself`, the key. 0 when done.
ErrorCode DeleteRegistryKey(platform::Registry& registry, RootKey root, std::string_view path,
                            bool delete_key_itself);

// Ends the first process whose image name equals `image_name` as a whole (ASCII
// letter case ignored), never this program's own. True when it was ended.
bool TerminateProcessByName(platform::Processes& processes, std::string image_name);

// Ends every process running from the file at `path` (letter case ignored), never
// this program's own. True when at least one was ended.
bool TerminateProcessByPath(platform::Processes& processes, std::string_view path);

// Starts the system's regsvr32 hidden to unregister the module quietly, and returns
// at once. True when regsvr32 was started.
bool UnregisterModule(platform::Files& files, platform::Shell& shell, std::string_view path);

// Deletes a folder with everything in it, read-only files too. A junction or
// symbolic link inside is removed as a link; its target is left alone. A file that
// cannot be deleted (one in use) stays, and so do the folders that hold it. A drive root, the
// Windows folder, the Program Files folders, the profiles folder, a user's profile folder, and any
// folder holding one of them are refused without touching anything. True when the folder is gone
// afterwards.
bool DeleteFolderTree(platform::Files& files, std::string_view path);

}  // namespace tvac::remedy
