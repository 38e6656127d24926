#include "support/ModalForms.h"

#include <gtest/gtest.h>
// After windows.h, which it needs.
#include <shlobj.h>

#include "ui/Com.h"

namespace testing_support {
namespace {
WhileModal* current = nullptr;  // the timer procedure has no context of its own
}

WhileModal::WhileModal(ui::TForm& form, std::function<void()> action, DWORD timeoutMs)
    : form_(form),
      action_(std::move(action)),
      deadline_(GetTickCount64() + timeoutMs),
      timer_(SetTimer(nullptr, 0, 20, &WhileModal::Tick)) {
  current = this;
}

WhileModal::~WhileModal() {
  KillTimer(nullptr, timer_);
  current = nullptr;
}

void CALLBACK WhileModal::Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (!current) return;
  try {
    current->Step();
  } catch (...) {
    ADD_FAILURE() << "the action inside the modal window threw";
    current->done_ = true;
  }
}

void WhileModal::Step() {
  if (!form_.Modal()) return;
  if (!done_) {
    done_ = true;
    action_();
  } else if (GetTickCount64() >= deadline_) {
    ADD_FAILURE() << "the modal window was still open";
    form_.Close();
  }
}

void Click(HWND window, int x, int y) {
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

ShellLinkContents ReadShellLink(const std::wstring& path) {
  ShellLinkContents contents;
  void* object = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, &object)))
    return contents;
  const ui::ComPtr<IShellLinkW> link(static_cast<IShellLinkW*>(object));
  const auto file = ui::QueryInterface<IPersistFile>(link.get(), IID_IPersistFile);
  if (FAILED(file.get()->Load(path.c_str(), STGM_READ))) return contents;
  wchar_t text[MAX_PATH] = {};
  // Through the item id list, as the shell starts the target: Wine's GetPath hands back the
  // link's ANSI copy of the path, which has lost every letter outside the code page.
  LPITEMIDLIST items = nullptr;
  if (SUCCEEDED(link.get()->GetIDList(&items)) && items) {
    const ui::UniqueCoTaskMem owned(items);
    if (SHGetPathFromIDListW(items, text)) contents.target = text;
  }
  if (SUCCEEDED(link.get()->GetArguments(text, MAX_PATH))) contents.arguments = text;
  if (SUCCEEDED(link.get()->GetWorkingDirectory(text, MAX_PATH))) contents.workingDirectory = text;
  link.get()->GetShowCmd(&contents.showCommand);
  if (SUCCEEDED(link.get()->GetIconLocation(text, MAX_PATH, &contents.iconIndex))) contents.iconPath = text;
  return contents;
}

}  // namespace testing_support
