#pragma once
// A system library that is loaded when one of its functions is first
// called, not when the program starts: the file dialog, the shell and the
// sounds (and, under Wine, the printing and network stacks behind them)
// cost nothing until the user needs them.

#include <windows.h>

#include <string>

namespace kivo::win32 {

// The error numbers a missing library or function raises, as the classic
// runtime numbers them.
inline constexpr int kErrLoadingLibrary = 48;    // "Error in loading DLL"
inline constexpr int kErrFunctionMissing = 453;  // "Specified DLL function not found"

// One library of the system directory, loaded on first need and kept for
// the rest of the run. Only the system directory is searched: a file of
// the same name beside kivo.exe or in the current directory is never
// loaded in its place.
class SystemLibrary {
 public:
  explicit SystemLibrary(std::wstring fileName) : fileName_(std::move(fileName)) {}
  SystemLibrary(const SystemLibrary&) = delete;
  SystemLibrary& operator=(const SystemLibrary&) = delete;

  const std::wstring& fileName() const { return fileName_; }
  // The address of `function`, loading the library if it is not yet.
  // Throws RuntimeError naming the library (and the function) when either
  // cannot be found; the next call tries again.
  FARPROC address(const char* function);

 private:
  std::wstring fileName_;
  HMODULE module_ = nullptr;
};

// One function of a SystemLibrary, with its type, looked up on its first
// call and cached.
template <class Signature>
class SystemFunction {
 public:
  SystemFunction(SystemLibrary& library, const char* name) : library_(library), name_(name) {}

  Signature* get() {
    if (!address_) {
      // Through void (*)(), the one function type every other converts from
      // without complaint.
      address_ =
          reinterpret_cast<Signature*>(reinterpret_cast<void (*)()>(library_.address(name_)));
    }
    return address_;
  }

 private:
  SystemLibrary& library_;
  const char* name_;
  Signature* address_ = nullptr;
};

}  // namespace kivo::win32
