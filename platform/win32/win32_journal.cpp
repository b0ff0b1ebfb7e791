// Win32 decoration journal: one REG_BINARY value per decorated window.
#include "platform/win32/win32_journal.h"

#include <windows.h>

#include <cwchar>
#include <optional>
#include <utility>

#include "platform/text.h"
#include "platform/utf16.h"
#include "platform/win32/handle.h"
#include "platform/win32/registry_key.h"

namespace kivo::win32 {
namespace {

// What names a window beyond its handle, read now; nothing once the handle
// names no window.
struct WindowIdentity {
  DWORD processId = 0;
  std::wstring className;
};

std::optional<WindowIdentity> identityOf(HWND hwnd) {
  WindowIdentity id;
  if (!IsWindow(hwnd) || GetWindowThreadProcessId(hwnd, &id.processId) == 0) return std::nullopt;
  wchar_t cls[257] = {};  // class names are at most 256 characters
  const int n = GetClassNameW(hwnd, cls, 257);
  if (n <= 0) return std::nullopt;
  id.className.assign(cls, static_cast<std::size_t>(n));
  return id;
}

std::wstring valueName(Hwnd h) {
  wchar_t name[9] = {};
  std::swprintf(name, 9, L"%08X", static_cast<unsigned>(h));
  return name;
}

// The handle a value's name gives, or nothing for a name this journal
// never writes.
std::optional<Hwnd> handleOf(const std::wstring& name) {
  if (name.size() != 8) return std::nullopt;
  Hwnd h = 0;
  for (const wchar_t c : name) {
    int digit;
    if (c >= L'0' && c <= L'9') {
      digit = c - L'0';
    } else if (c >= L'A' && c <= L'F') {
      digit = c - L'A' + 10;
    } else {
      return std::nullopt;
    }
    h = (h << 4) | static_cast<Hwnd>(digit);
  }
  return h;
}

// The value's fields, each ended by a NUL (no field holds one).
std::vector<std::wstring> fieldsOf(const std::wstring& data) {
  std::vector<std::wstring> fields;
  std::size_t start = 0;
  for (std::size_t end; (end = data.find(L'\0', start)) != std::wstring::npos; start = end + 1) {
    fields.push_back(data.substr(start, end - start));
  }
  if (start != data.size()) fields.clear();  // a last field without its end
  return fields;
}

std::wstring wideField(const std::string& s) { return text::toWide(text::cutAtNul(s)); }

// Every value of the key: its name and its data as UTF-16 units (nothing
// for a value that is not REG_BINARY or not whole units).
std::vector<std::pair<std::wstring, std::optional<std::wstring>>> valuesOf(HKEY key) {
  std::vector<std::pair<std::wstring, std::optional<std::wstring>>> values;
  DWORD count = 0, longestName = 0, longestData = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                       &longestName, &longestData, nullptr, nullptr) != ERROR_SUCCESS) {
    return values;
  }
  for (DWORD i = 0; i < count; ++i) {
    std::wstring name(longestName + 1, L'\0');
    std::wstring data(longestData / sizeof(wchar_t) + 1, L'\0');
    DWORD nameChars = static_cast<DWORD>(name.size());
    DWORD bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    DWORD type = 0;
    if (RegEnumValueW(key, i, name.data(), &nameChars, nullptr, &type,
                      reinterpret_cast<BYTE*>(data.data()), &bytes) != ERROR_SUCCESS) {
      continue;  // another run changed the key meanwhile: its next listing
    }
    name.resize(nameChars);
    std::optional<std::wstring> units;
    if (type == REG_BINARY && bytes % sizeof(wchar_t) == 0) {
      data.resize(bytes / sizeof(wchar_t));
      units = std::move(data);
    }
    values.emplace_back(std::move(name), std::move(units));
  }
  return values;
}

// The record a value holds when its window is still the one it names.
std::optional<DecorationRecord> liveRecord(const std::wstring& name,
                                           const std::optional<std::wstring>& data) {
  const std::optional<Hwnd> h = handleOf(name);
  if (!h || *h == 0 || !data) return std::nullopt;
  const std::vector<std::wstring> fields = fieldsOf(*data);
  if (fields.size() != 4) return std::nullopt;
  const std::optional<WindowIdentity> now = identityOf(toHwnd(*h));
  if (!now || std::to_wstring(now->processId) != fields[0] || now->className != fields[1]) {
    return std::nullopt;
  }
  return DecorationRecord{*h, text::fromWide(fields[2]), text::fromWide(fields[3])};
}

}  // namespace

RegistryDecorationJournal::RegistryDecorationJournal(std::string application, std::string rootPath)
    : keyPath_(std::move(rootPath) + "\\" + std::move(application) + "\\" + kDecorationsKey) {}

void RegistryDecorationJournal::remember(Hwnd h, const std::string& written,
                                         const std::string& title) {
  if (h == 0) return;
  try {
    const std::optional<WindowIdentity> id = identityOf(toHwnd(h));
    if (!id) {
      forget(h);  // no window to name: an older record of the handle is stale
      return;
    }
    std::wstring data = std::to_wstring(id->processId);
    for (const std::wstring& field : {id->className, wideField(written), wideField(title)}) {
      data += L'\0';
      data += field;
    }
    data += L'\0';
    RegistryKey k;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, text::toWide(keyPath_).c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, k.out(),
                        nullptr) != ERROR_SUCCESS) {
      return;
    }
    RegSetValueExW(k.get(), valueName(h).c_str(), 0, REG_BINARY,
                   reinterpret_cast<const BYTE*>(data.data()),
                   static_cast<DWORD>(data.size() * sizeof(wchar_t)));
  } catch (...) {
    // Out of memory: the record is simply not kept.
  }
}

void RegistryDecorationJournal::forget(Hwnd h) {
  if (h == 0) return;
  try {
    RegistryKey k;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, text::toWide(keyPath_).c_str(), 0, KEY_SET_VALUE,
                      k.out()) == ERROR_SUCCESS) {
      RegDeleteValueW(k.get(), valueName(h).c_str());
    }
  } catch (...) {
  }
}

std::vector<DecorationRecord> RegistryDecorationJournal::leftOver() {
  std::vector<DecorationRecord> records;
  try {
    RegistryKey k;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, text::toWide(keyPath_).c_str(), 0,
                      KEY_QUERY_VALUE | KEY_SET_VALUE, k.out()) != ERROR_SUCCESS) {
      return records;
    }
    // Listed first, dropped after: deleting while enumerating would skip
    // values.
    std::vector<std::wstring> dead;
    for (const auto& [name, data] : valuesOf(k.get())) {
      if (std::optional<DecorationRecord> r = liveRecord(name, data)) {
        records.push_back(std::move(*r));
      } else {
        dead.push_back(name);
      }
    }
    for (const std::wstring& name : dead) RegDeleteValueW(k.get(), name.c_str());
  } catch (...) {
    // Out of memory: what was listed so far.
  }
  return records;
}

}  // namespace kivo::win32
