#include "dialogs/TJvDirectoryEdit.h"

#include "dialogs/DirectoryRules.h"
#include "dialogs/TJvBrowseForFolderDialog.h"
#include "ui/Dpi.h"
#include "ui/Errors.h"
#include "ui/Window.h"

namespace dialogs {
namespace {

constexpr int kGlyphSize = 16;  // at 96 dots per inch

bool IsExistingFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsExistingFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Keeps the system from showing its drive-not-ready boxes while the browser touches empty
// drives; the previous mode comes back when the browser has closed, also on failure.
class QuietCriticalErrors {
 public:
  QuietCriticalErrors() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
  ~QuietCriticalErrors() { SetErrorMode(previous_); }
  QuietCriticalErrors(const QuietCriticalErrors&) = delete;
  QuietCriticalErrors& operator=(const QuietCriticalErrors&) = delete;

 private:
  UINT previous_;
};

// DragFinish releases the drop's memory, whatever the handler did with it.
struct DropTraits {
  using pointer = HDROP;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { DragFinish(h); }
};

}  // namespace

TJvDirectoryEdit::TJvDirectoryEdit(ui::TForm* form, std::wstring name)
    : ui::TWinControl(form, std::move(name)), Browser(&BrowseForFolder) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  ui::UniqueWindow edit(
      CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN | ES_AUTOHSCROLL | ES_READONLY, 0, 0, 0, 0,
                      form->Handle(), nullptr, instance, nullptr));
  if (!edit) ui::RaiseLastOSError(GetLastError());
  button_ = new TJvEditButton(form, Name() + L"Button", edit.get());
  button_->OnMouseDown = [this] { ButtonMouseDown(); };
  button_->OnClick = [this] { DoClick(); };
  TakeOver(edit.release());
  DragAcceptFiles(Handle(), TRUE);
}

TJvDirectoryEdit::~TJvDirectoryEdit() { DragAcceptFiles(Handle(), FALSE); }

std::wstring TJvDirectoryEdit::Text() const { return ui::WindowText(Handle()); }

void TJvDirectoryEdit::SetText(const std::wstring& text) { SetWindowTextW(Handle(), text.c_str()); }

void TJvDirectoryEdit::Layout(int left, int top, int width, int height, UINT dpi) {
  buttonWidth_ = ui::ScaleForDpi(kButtonWidth, dpi);
  button_->SetGlyphSize(ui::ScaleForDpi(kGlyphSize, dpi));
  SetWindowPos(Handle(), nullptr, ui::ScaleForDpi(left, dpi), ui::ScaleForDpi(top, dpi), ui::ScaleForDpi(width, dpi),
               ui::ScaleForDpi(height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
  PlaceButton();
}

void TJvDirectoryEdit::PlaceButton() {
  RECT client{};
  GetClientRect(Handle(), &client);
  // The button fills the height of the text area at the right edge; the text stops before it.
  SetWindowPos(button_->Handle(), nullptr, client.right - buttonWidth_, 0, buttonWidth_, client.bottom,
               SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(Handle(), EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, buttonWidth_ + 2));
}

void TJvDirectoryEdit::DoClick() {
  if (!ReadOnly) Browse();
}

void TJvDirectoryEdit::Browse() {
  const std::wstring start = BrowseStartFolder(Text(), InitialDir, &IsExistingFolder);
  std::optional<std::wstring> chosen;
  {
    const QuietCriticalErrors quiet;
    chosen = Browser(GetAncestor(Handle(), GA_ROOT), start, DialogText);
  }
  if (IsWindowVisible(Handle()) && IsWindowEnabled(Handle())) SetFocus(Handle());
  const BrowseOutcome outcome = ApplyBrowseResult({Text(), InitialDir}, chosen, &IsExistingFolder);
  if (chosen) SetText(outcome.text);
  InitialDir = outcome.initialDir;
}

bool TJvDirectoryEdit::FilesDropped(HDROP drop) {
  const ui::UniqueHandle<DropTraits> owned(drop);
  // Asked for its length first, so a long path is read whole rather than cut into another folder.
  const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
  if (length == 0) return true;
  std::wstring name(static_cast<std::size_t>(length) + 1, L'\0');
  name.resize(DragQueryFileW(drop, 0, name.data(), length + 1));
  SetText(DroppedNameText(name, &IsExistingFile));
  return true;
}

bool TJvDirectoryEdit::KeyDown(UINT key, ui::TShiftState shift) {
  // Alt+Down (Alt alone, no Ctrl or Shift) is the button's key; F4 means nothing here.
  if (key != VK_DOWN || shift != ui::TShiftState{.Alt = true}) return false;
  DoClick();
  return true;
}

LRESULT TJvDirectoryEdit::DialogCode(LRESULT standard) {
  // Tabbing into the field leaves its text unselected: only a field the user types into
  // selects all on entry.
  return standard & ~static_cast<LRESULT>(DLGC_HASSETSEL);
}

std::wstring TJvDirectoryEdit::TextToSet(std::wstring text) { return CutAtLineBreak(text); }

void TJvDirectoryEdit::ButtonMouseDown() {
  // The field takes the focus, as it does for a click on its text; the button never has it.
  if (GetFocus() != Handle() && (GetWindowLongPtrW(Handle(), GWL_STYLE) & WS_TABSTOP) != 0) SetFocus(Handle());
}

}  // namespace dialogs
