#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

#include "ui/Application.h"

namespace testing_support {
namespace {
std::vector<std::wstring> shownErrors;
std::vector<std::wstring> extraArguments;
}  // namespace

const std::vector<std::wstring>& ExtraArguments() { return extraArguments; }

const std::vector<std::wstring>& ShownErrors() { return shownErrors; }
void ClearShownErrors() { shownErrors.clear(); }

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (!done()) {
    if (GetTickCount64() >= deadline) return done();
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (!done()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

void PumpFor(DWORD ms) {
  const ULONGLONG deadline = GetTickCount64() + ms;
  PumpUntil([deadline] { return GetTickCount64() >= deadline; }, ms + 1000);
}

void SetClipboardBlock(HWND owner, UINT format, const void* data, std::size_t size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  ASSERT_NE(block, nullptr);
  std::memcpy(GlobalLock(block), data, size);
  GlobalUnlock(block);
  if (!SetClipboardData(format, block)) GlobalFree(block);
  (void)owner;
}

void SetClipboardUnicodeText(HWND owner, const std::wstring& text) {
  ASSERT_TRUE(OpenClipboard(owner));
  EmptyClipboard();
  SetClipboardBlock(owner, CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  CloseClipboard();
}

std::vector<UINT> ClipboardFormats() {
  std::vector<UINT> formats;
  if (!OpenClipboard(nullptr)) return formats;
  for (UINT f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f)) formats.push_back(f);
  CloseClipboard();
  return formats;
}

HANDLE StartProcess(const std::wstring& commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  std::wstring mutableLine = commandLine;
  if (!CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return nullptr;
  CloseHandle(info.hThread);
  return info.hProcess;
}

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

}  // namespace testing_support

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    const int length = MultiByteToWideChar(CP_ACP, 0, argv[i], -1, nullptr, 0);
    std::wstring argument(static_cast<std::size_t>(length > 0 ? length - 1 : 0), L'\0');
    MultiByteToWideChar(CP_ACP, 0, argv[i], -1, argument.data(), length);
    testing_support::extraArguments.push_back(argument);
  }
  ui::TApplication application;
  application.SetTitle(L"Velmo Clipboard");
  application.SetErrorPresenter(
      [](const std::wstring& text, const std::wstring&) { testing_support::shownErrors.push_back(text); });
  return RUN_ALL_TESTS();
}
