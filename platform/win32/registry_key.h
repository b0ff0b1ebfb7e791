#pragma once
// An open registry key, closed however the call that opened it ends (the
// settings store and the decoration journal both keep theirs in the registry).

#include <windows.h>

namespace kivo::win32 {

class RegistryKey {
 public:
  RegistryKey() = default;
  ~RegistryKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  HKEY* out() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace kivo::win32
