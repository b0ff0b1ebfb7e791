// Win32 settings store: REG_SZ values under the classic per-user settings key.
#include "platform/win32/win32_store.h"

#include <windows.h>

#include <utility>

#include "platform/errors.h"
#include "platform/text.h"
#include "platform/utf16.h"
#include "platform/win32/registry_key.h"

namespace kivo::win32 {
namespace {

std::wstring wide(const std::string& s) { return text::toWide(text::cutAtNul(s)); }

// The system's own words for an error code, without the line break it ends in.
std::string systemMessage(LSTATUS status) {
  wchar_t* buffer = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(status), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring message = n != 0 && buffer != nullptr ? std::wstring(buffer, n) : L"";
  if (buffer != nullptr) LocalFree(buffer);
  while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' ||
                              message.back() == L' ' || message.back() == L'.')) {
    message.pop_back();
  }
  if (message.empty()) return "error " + std::to_string(status);
  return text::fromWide(message) + " (error " + std::to_string(status) + ")";
}

// A refused write: error 5, saying which key refused and the system's reason.
[[noreturn]] void refuse(const std::string& keyPath, LSTATUS status) {
  throw RuntimeError(kErrInvalidCall, "The registry key HKEY_CURRENT_USER\\" + keyPath +
                                          " cannot be changed: " + systemMessage(status) + ".");
}

}  // namespace

RegistryStore::RegistryStore(std::string application, std::string rootPath)
    : application_(std::move(application)), rootPath_(std::move(rootPath)) {}

std::string RegistryStore::sectionPath(const std::string& section) const {
  return rootPath_ + "\\" + application_ + "\\" + section;
}

std::string RegistryStore::getSetting(const std::string& section, const std::string& key,
                                      const std::string& defaultValue) {
  RegistryKey k;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, wide(sectionPath(section)).c_str(), 0, KEY_QUERY_VALUE,
                    k.out()) != ERROR_SUCCESS) {
    return defaultValue;
  }
  const std::wstring name = wide(key);
  // Ask for the size, then read; a companion program may grow the value in
  // between, hence the loop.
  std::wstring data;
  DWORD type = 0;
  DWORD bytes = 0;
  LSTATUS status = RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, nullptr, &bytes);
  while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
    if (type != REG_SZ && type != REG_EXPAND_SZ) return defaultValue;
    data.assign(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD capacity = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    status = RegQueryValueExW(k.get(), name.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(data.data()), &capacity);
    if (status == ERROR_SUCCESS) {
      if (type != REG_SZ && type != REG_EXPAND_SZ) return defaultValue;
      // The stored terminator, or none at all: a REG_SZ ends at its first NUL.
      data.resize(capacity / sizeof(wchar_t));
      return text::fromWide(std::wstring_view(data.c_str()));
    }
    bytes = capacity;
  }
  return defaultValue;
}

void RegistryStore::saveSetting(const std::string& section, const std::string& key,
                                const std::string& value) {
  const std::string path = sectionPath(section);
  RegistryKey k;
  LSTATUS status =
      RegCreateKeyExW(HKEY_CURRENT_USER, wide(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, k.out(), nullptr);
  if (status != ERROR_SUCCESS) refuse(path, status);
  const std::wstring data = wide(value);
  // REG_SZ data includes its terminating NUL.
  const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
  status = RegSetValueExW(k.get(), wide(key).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()), bytes);
  if (status != ERROR_SUCCESS) refuse(path, status);
}

void RegistryStore::deleteSetting(const std::string& section, const std::string& key) {
  const std::string path = sectionPath(section);
  RegistryKey k;
  LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, wide(path).c_str(), 0, KEY_SET_VALUE, k.out());
  // A missing section or value is the classic error 5 with its usual words.
  if (status == ERROR_FILE_NOT_FOUND) throw RuntimeError(kErrInvalidCall);
  if (status != ERROR_SUCCESS) refuse(path, status);
  status = RegDeleteValueW(k.get(), wide(key).c_str());
  if (status == ERROR_FILE_NOT_FOUND) throw RuntimeError(kErrInvalidCall);
  if (status != ERROR_SUCCESS) refuse(path, status);
}

}  // namespace kivo::win32
