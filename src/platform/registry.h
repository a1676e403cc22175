#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "platform/error_codes.h"

namespace tvac::platform {

enum class RootKey { kClassesRoot, kCurrentUser, kLocalMachine, kUsers };

// The access a key is opened with: KEY_READ, KEY_WRITE or KEY_ALL_ACCESS.
enum class KeyAccess { kRead, kWrite, kAll };

// An open registry key; closed when the object goes away.
// Names and data are code page 949 byte strings. Names compare without regard to
// letter case; the empty name is the key's unnamed default value.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;

  // Reads the stored bytes of value `name` (for strings: the text and its
  // terminating zero). kOk and the bytes when they fit in `buffer_size` bytes;
  // kMoreData and no bytes when they do not; kFileNotFound when there is no such value.
  virtual ErrorCode QueryValue(std::string_view name, std::size_t buffer_size,
                               std::string& data) = 0;

  // Stores `text` as REG_SZ, with its terminating zero.
  virtual ErrorCode SetString(std::string_view name, std::string_view text) = 0;

  // The name of the value at `index`. kNoMoreItems past the last value; kMoreData
  // when the name and its terminator do not fit in `name_capacity` characters.
  virtual ErrorCode EnumValueName(std::uint32_t index, std::size_t name_capacity,
                                  std::string& name) = 0;

  // The name of the subkey at `index`, as EnumValueName.
  virtual ErrorCode EnumSubkeyName(std::uint32_t index, std::size_t name_capacity,
                                   std::string& name) = 0;

  // Removes one value; kFileNotFound when there is no such value.
  virtual ErrorCode DeleteValue(std::string_view name) = 0;
};

struct OpenedKey {
  ErrorCode error = kFileNotFound;
  std::unique_ptr<RegistryKey> key;  // set exactly when error is kOk
};

// Paths are below the root, parts separated by single backslashes; the empty path
// names the root itself.
class Registry {
 public:
  virtual ~Registry() = default;

  // Opens an existing key.
  virtual OpenedKey Open(RootKey root, std::string_view path, KeyAccess access) = 0;

  // Opens a key, creating it and every missing key above it first.
  virtual OpenedKey Create(RootKey root, std::string_view path, KeyAccess access) = 0;

  // Removes a key that has no subkeys; kAccessDenied when it still has some.
  virtual ErrorCode DeleteKey(RootKey root, std::string_view path) = 0;
};

}  // namespace tvac::platform
