// Win32 sound, shell, open-file dialog, clock and previous-instance test.
#include "platform/win32/win32_services.h"

#include <commdlg.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "platform/errors.h"
#include "platform/text.h"
#include "platform/utf16.h"
#include "platform/win32/handle.h"

namespace kivo::win32 {

static_assert(kSndSync == SND_SYNC && kSndAsync == SND_ASYNC && kSndNoDefault == SND_NODEFAULT &&
              kSndFilename == SND_FILENAME);
static_assert(kOfnHideReadOnly == OFN_HIDEREADONLY && kOfnFileMustExist == OFN_FILEMUSTEXIST);

namespace {

// A C string to Windows: the text up to its first NUL.
std::wstring wide(const std::string& s) { return text::toWide(text::cutAtNul(s)); }

// An optional string argument: empty means none.
const wchar_t* orNull(const std::wstring& s) { return s.empty() ? nullptr : s.c_str(); }

}  // namespace

void Win32Sound::playSound(const std::string& file, std::uint32_t flags) {
  // Silent on failure, a missing winmm.dll included, as with no sound
  // device: a time signal never stops the program.
  try {
    sndPlaySound_.get()(wide(file).c_str(), flags);
  } catch (const RuntimeError&) {
  }
}

void Win32Shell::shellExecute(Hwnd owner, const std::string& verb, const std::string& file,
                              const std::string& parameters, const std::string& directory,
                              int showCmd) {
  const std::wstring v = wide(verb), f = wide(file), p = wide(parameters), d = wide(directory);
  // Returns once the start is under way, without waiting for the program.
  // A failure (no such file, no associated program) shows no box:
  // ShellExecuteW is ShellExecuteEx with SEE_MASK_FLAG_NO_UI. The alarm
  // has nothing to do with the result.
  // A missing shell32.dll is such a failure too.
  try {
    shellExecute_.get()(toHwnd(owner), orNull(v), f.c_str(), orNull(p), orNull(d), showCmd);
  } catch (const RuntimeError&) {
  }
}

bool Win32FileDialog::getOpenFileName(OpenFileRequest& request) {
  // "description\0pattern\0" for each filter, and one more NUL to end the list.
  std::wstring filter;
  for (const auto& [description, pattern] : request.filters) {
    filter += wide(description);
    filter.push_back(L'\0');
    filter += wide(pattern);
    filter.push_back(L'\0');
  }
  filter.push_back(L'\0');

  // The initial file in a buffer of maxFile characters, NUL-terminated, cut
  // so that it fits and never between the halves of a surrogate pair.
  std::vector<wchar_t> file(static_cast<std::size_t>(std::max(request.maxFile, 1)), L'\0');
  const std::wstring initial = wide(request.file);
  std::size_t units = std::min(initial.size(), file.size() - 1);
  if (units > 0 && units < initial.size() && initial[units - 1] >= 0xD800 &&
      initial[units - 1] <= 0xDBFF) {
    --units;
  }
  std::copy_n(initial.begin(), units, file.begin());

  const std::wstring initialDir = wide(request.initialDir);
  const std::wstring title = wide(request.title);
  OPENFILENAMEW ofn{};
  // The system checks the size against the structure it was built with.
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = toHwnd(request.owner);
  ofn.lpstrFilter = request.filters.empty() ? nullptr : filter.c_str();
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = orNull(initialDir);
  ofn.lpstrTitle = orNull(title);
  ofn.Flags = request.flags;
  // Cancelled, or failed (a chosen path longer than the buffer, say): the
  // request is left as it was.
  if (!getOpenFileName_.get()(&ofn)) return false;
  file.back() = L'\0';
  request.file = text::fromWide(std::wstring_view(file.data()));
  return true;
}

TimeOfDay Win32Clock::timeOfDay() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return TimeOfDay{t.wHour, t.wMinute, t.wSecond};
}

Date Win32Clock::date() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return Date{t.wYear, t.wMonth, t.wDay};
}

Win32ProgramInfo::Win32ProgramInfo(const std::string& application) {
  // Kernel object names take any character but the backslash, which would
  // name a namespace.
  std::string name = application + " instance";
  std::replace(name.begin(), name.end(), '\\', '/');
  mutex_ = CreateMutexW(nullptr, FALSE, text::toWide("Local\\" + name).c_str());
  // A mutex we may not open exists all the same: another instance made it.
  previous_ = mutex_ == nullptr ? GetLastError() == ERROR_ACCESS_DENIED
                                : GetLastError() == ERROR_ALREADY_EXISTS;
}

Win32ProgramInfo::~Win32ProgramInfo() { giveUp(); }

void Win32ProgramInfo::giveUp() {
  if (mutex_ != nullptr) CloseHandle(mutex_);
  mutex_ = nullptr;
}

namespace {

constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// Task Manager's startup list: a value of the same name whose first byte
// is odd has been switched off there.
constexpr const wchar_t* kApprovedKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
constexpr const wchar_t* kRunValue = L"Kivo";

std::wstring programPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) return path.substr(0, n);
    path.resize(path.size() * 2);
  }
}

bool deleted(LSTATUS status) { return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND; }

}  // namespace

bool Win32ProgramInfo::startsAtLogin() const {
  if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, kRunValue,
                   RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, nullptr,
                   nullptr) != ERROR_SUCCESS) {
    return false;
  }
  BYTE approved[12] = {};
  DWORD bytes = sizeof approved;
  const LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, kApprovedKey, kRunValue, RRF_RT_REG_BINARY,
                                      nullptr, approved, &bytes);
  return status != ERROR_SUCCESS || bytes == 0 || (approved[0] & 1) == 0;
}

bool Win32ProgramInfo::setStartAtLogin(bool on) {
  // Switching it on here overrides an earlier "off" in Task Manager: the
  // user has just asked for it.
  if (!deleted(RegDeleteKeyValueW(HKEY_CURRENT_USER, kApprovedKey, kRunValue))) return false;
  if (!on) return deleted(RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunValue));
  const std::wstring path = programPath();
  if (path.empty()) return false;
  const std::wstring command = L"\"" + path + L"\"";
  return RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunValue, REG_SZ, command.c_str(),
                         static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) ==
         ERROR_SUCCESS;
}

std::string Win32ProgramInfo::userLanguage() const {
  wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
  const LCID locale = MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT);
  if (LCIDToLocaleName(locale, name, LOCALE_NAME_MAX_LENGTH, 0) == 0) return {};
  return text::fromWide(name);
}

}  // namespace kivo::win32
