// The open-file dialog as a user answers it.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/utf16.h"
#include "platform/win32/win32_services.h"
#include "tests/win32/win32_test_util.h"

namespace kivo::win32 {
namespace {

// As the user, from another thread: waits for the dialog with this title,
// notes the file types it offers and presses `button`.
std::thread answerDialog(const std::string& title, int button, std::vector<std::string>& types) {
  return std::thread([title = text::toWide(title), button, &types] {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    HWND dialog;
    while (!(dialog = FindWindowW(L"#32770", title.c_str()))) {
      if (std::chrono::steady_clock::now() > end) return;
      Sleep(20);
    }
    const HWND box = GetDlgItem(dialog, 0x470);  // cmb1, the file types
    for (LRESULT i = 0, n = SendMessageW(box, CB_GETCOUNT, 0, 0); i < n; ++i) {
      std::wstring item(static_cast<std::size_t>(SendMessageW(box, CB_GETLBTEXTLEN, i, 0)), L'\0');
      SendMessageW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
      types.push_back(text::fromWide(item));
    }
    PostMessageW(dialog, WM_COMMAND, button, reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
  });
}

TEST(Win32FileDialog, AsksWithTheRequestAndGivesTheChosenPath) {
  wchar_t temp[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  ASSERT_GT(GetLongPathNameW(temp, temp, MAX_PATH), 0u);
  const std::string path = text::fromWide(temp) + "時計 " + test::token() + ".wav";
  const HANDLE f = CreateFileW(text::toWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  CloseHandle(f);

  OpenFileRequest request;
  request.filters = {{"サウンド (*.wav)", "*.wav"}, {"すべてのファイル (*.*)", "*.*"}};
  request.file = path;
  request.title = "サウンドの選択 " + test::token();
  request.flags = kOfnFileMustExist | kOfnHideReadOnly;
  Win32FileDialog dialog;
  std::vector<std::string> types;
  std::thread user = answerDialog(request.title, IDCANCEL, types);
  EXPECT_FALSE(dialog.getOpenFileName(request));
  user.join();
  EXPECT_EQ(request.file, path);
  // Accepting the initial file gives it back whole.
  types.clear();
  user = answerDialog(request.title, IDOK, types);
  EXPECT_TRUE(dialog.getOpenFileName(request));
  user.join();
  EXPECT_EQ(types, (std::vector<std::string>{"サウンド (*.wav)", "すべてのファイル (*.*)"}));
  EXPECT_EQ(request.file, path);
  DeleteFileW(text::toWide(path).c_str());
}

}  // namespace
}  // namespace kivo::win32
