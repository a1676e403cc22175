#include "platform/win32/registry_win32.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/win32/codepage.h"
#include "platform/win32/handles.h"

namespace tvac::platform::win32 {
namespace {

HKEY ToHkey(RootKey root) {
  switch (root) {
    case RootKey::kClassesRoot:
      return HKEY_CLASSES_ROOT;
    case RootKey::kCurrentUser:
      return HKEY_CURRENT_USER;
    case RootKey::kLocalMachine:
      return HKEY_LOCAL_MACHINE;
    case RootKey::kUsers:
      return HKEY_USERS;
  }
  return HKEY_CURRENT_USER;
}

REGSAM ToSam(KeyAccess access) {
  switch (access) {
    case KeyAccess::kRead:
      return KEY_READ;
    case KeyAccess::kWrite:
      return KEY_WRITE;
    case KeyAccess::kAll:
      return KEY_ALL_ACCESS;
  }
  return KEY_READ;
}

bool IsText(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// Longest names the registry allows: 255 characters for a key, 16383 for a value.
constexpr DWORD kMaxKeyName = 256;
constexpr DWORD kMaxValueName = 16384;

ErrorCode NameInto(const std::wstring& wide, std::size_t capacity, std::string& name) {
  std::string narrow = Narrow(wide);
  if (narrow.size() + 1 > capacity) return kMoreData;
  name = std::move(narrow);
  return kOk;
}

class Win32Key : public RegistryKey {
 public:
  explicit Win32Key(UniqueKey key) : key_(std::move(key)) {}

  ErrorCode QueryValue(std::string_view name, std::size_t buffer_size, std::string& data) override {
    const std::wstring wide_name = Widen(name);
    DWORD type = 0;
    std::vector<BYTE> raw(512);
    LSTATUS status;
    for (;;) {
      DWORD size = static_cast<DWORD>(raw.size());
      status = RegQueryValueExW(key_.get(), wide_name.c_str(), nullptr, &type, raw.data(), &size);
      if (status == ERROR_MORE_DATA) {
        raw.resize(std::max<std::size_t>(size, raw.size() * 2));
        continue;
      }
      raw.resize(size);
      break;
    }
    if (status != ERROR_SUCCESS) return static_cast<ErrorCode>(status);

    // Strings are measured as the code page 949 text they become, terminator included,
    // as the ANSI registry functions measure them.
    std::string bytes;
    if (IsText(type)) {
      std::wstring text(raw.size() / sizeof(wchar_t), L'\0');
      std::memcpy(text.data(), raw.data(), text.size() * sizeof(wchar_t));
      bytes = Narrow(text);
      if (bytes.empty() || bytes.back() != '\0') bytes.push_back('\0');
    } else {
      bytes.assign(raw.begin(), raw.end());
    }
    if (bytes.size() > buffer_size) return kMoreData;
    data = std::move(bytes);
    return kOk;
  }

  ErrorCode SetString(std::string_view name, std::string_view text) override {
    const std::wstring wide = Widen(text);
    const DWORD bytes = static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t));
    return static_cast<ErrorCode>(RegSetValueExW(key_.get(), Widen(name).c_str(), 0, REG_SZ,
                                                 reinterpret_cast<const BYTE*>(wide.c_str()),
                                                 bytes));
  }

  ErrorCode EnumValueName(std::uint32_t index, std::size_t capacity, std::string& name) override {
    std::wstring wide(kMaxValueName, L'\0');
    DWORD length = kMaxValueName;
    const LSTATUS status =
        RegEnumValueW(key_.get(), index, wide.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) return static_cast<ErrorCode>(status);
    wide.resize(length);
    return NameInto(wide, capacity, name);
  }

  ErrorCode EnumSubkeyName(std::uint32_t index, std::size_t capacity, std::string& name) override {
    std::wstring wide(kMaxKeyName, L'\0');
    DWORD length = kMaxKeyName;
    const LSTATUS status =
        RegEnumKeyExW(key_.get(), index, wide.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) return static_cast<ErrorCode>(status);
    wide.resize(length);
    return NameInto(wide, capacity, name);
  }

  ErrorCode DeleteValue(std::string_view name) override {
    return static_cast<ErrorCode>(RegDeleteValueW(key_.get(), Widen(name).c_str()));
  }

 private:
  UniqueKey key_;
};

OpenedKey Opened(LSTATUS status, UniqueKey key) {
  if (status != ERROR_SUCCESS) return {static_cast<ErrorCode>(status), nullptr};
  return {kOk, std::make_unique<Win32Key>(std::move(key))};
}

}  // namespace

OpenedKey Win32Registry::Open(RootKey root, std::string_view path, KeyAccess access) {
  UniqueKey key;
  const LSTATUS status =
      RegOpenKeyExW(ToHkey(root), Widen(path).c_str(), 0, ToSam(access), key.out());
  return Opened(status, std::move(key));
}

OpenedKey Win32Registry::Create(RootKey root, std::string_view path, KeyAccess access) {
  UniqueKey key;
  const LSTATUS status = RegCreateKeyExW(ToHkey(root), Widen(path).c_str(), 0, nullptr, 0,
                                         ToSam(access), nullptr, key.out(), nullptr);
  return Opened(status, std::move(key));
}

ErrorCode Win32Registry::DeleteKey(RootKey root, std::string_view path) {
  return static_cast<ErrorCode>(RegDeleteKeyW(ToHkey(root), Widen(path).c_str()));
}

}  // namespace tvac::platform::win32
