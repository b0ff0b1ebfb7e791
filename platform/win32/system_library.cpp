// Loading a system library on first need.
#include "platform/win32/system_library.h"

#include "platform/errors.h"
#include "platform/utf16.h"

namespace kivo::win32 {

namespace {

// "(error 126)": what the loader said, for whoever helps the user.
std::string errorCode(DWORD code) { return " (error " + std::to_string(code) + ")"; }

}  // namespace

FARPROC SystemLibrary::address(const char* function) {
  if (!module_) {
    module_ = LoadLibraryExW(fileName_.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module_) {
      const DWORD code = GetLastError();
      // The report adds the version right after the description: the
      // closing ". " keeps it apart from the file name.
      throw RuntimeError(kErrLoadingLibrary, "Error in loading DLL " + text::fromWide(fileName_) +
                                                 errorCode(code) + ". ");
    }
  }
  const FARPROC found = GetProcAddress(module_, function);
  if (!found) {
    throw RuntimeError(kErrFunctionMissing,
                       "Specified DLL function not found: " + std::string(function) + " in " +
                           text::fromWide(fileName_) + ". ");
  }
  return found;
}

}  // namespace kivo::win32
