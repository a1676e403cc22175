#pragma once

#include <windows.h>

#include <utility>

namespace tvac::platform::win32 {

// Owns one system handle and closes it once. Traits name the empty value and the
// closing call.
template <typename Traits>
class Unique {
 public:
  using Handle = typename Traits::Handle;

  Unique() = default;
  explicit Unique(Handle h) : handle_(h) {}
  Unique(Unique&& other) noexcept : handle_(std::exchange(other.handle_, Traits::Empty())) {}
  Unique& operator=(Unique&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, Traits::Empty());
    }
    return *this;
  }
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
  ~Unique() { Reset(); }

  Handle get() const { return handle_; }
  Handle* out() {
    Reset();
    return &handle_;
  }
  explicit operator bool() const { return handle_ != Traits::Empty(); }
  void Reset() {
    if (handle_ != Traits::Empty()) Traits::Close(std::exchange(handle_, Traits::Empty()));
  }

 private:
  Handle handle_ = Traits::Empty();
};

struct KernelHandleTraits {  // processes, snapshots, files: INVALID_HANDLE_VALUE or null
  using Handle = HANDLE;
  static Handle Empty() { return nullptr; }
  static void Close(Handle h) {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
};

struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Empty() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { FindClose(h); }
};

struct KeyHandleTraits {
  using Handle = HKEY;
  static Handle Empty() { return nullptr; }
  static void Close(Handle h) { RegCloseKey(h); }
};

using UniqueHandle = Unique<KernelHandleTraits>;
using UniqueFind = Unique<FindHandleTraits>;
using UniqueKey = Unique<KeyHandleTraits>;

}  // namespace tvac::platform::win32
