#pragma once

#include "platform/registry.h"

namespace tvac::platform::win32 {

// The registry through RegOpenKeyExW and its kin; names and string data cross as
// UTF-16 and come back as code page 949.
class Win32Registry : public Registry {
 public:
  OpenedKey Open(RootKey root, std::string_view path, KeyAccess access) override;
  OpenedKey Create(RootKey root, std::string_view path, KeyAccess access) override;
  ErrorCode DeleteKey(RootKey root, std::string_view path) override;
};

}  // namespace tvac::platform::win32
