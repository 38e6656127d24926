#include "dialogs/TJvDirectoryEdit.h"

// After windows.h, which it needs.
#include <commctrl.h>

#include "dialogs/DirectoryRules.h"
#include "dialogs/TJvBrowseForFolderDialog.h"
#include "resource.h"
#include "ui/Application.h"
#include "ui/Dpi.h"
#include "ui/Errors.h"

namespace dialogs {
namespace {

constexpr const wchar_t* kButtonClass = L"TJvEditButton";
constexpr UINT_PTR kEditSubclass = 1;
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

void RegisterButtonClass(WNDPROC procedure) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kButtonClass;
  ui::RegisterClassIfMissing(wc);
}

}  // namespace

TJvDirectoryEdit::TJvDirectoryEdit(ui::TForm* form, std::wstring name)
    : ui::TControl(form, std::move(name), ui::TAlign::None), Browser(&BrowseForFolder) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN | ES_AUTOHSCROLL | ES_READONLY, 0, 0,
                              0, 0, form->Handle(), nullptr, instance, nullptr);
  if (!edit) ui::RaiseLastOSError(GetLastError());
  SetWindow(edit);
  RegisterButtonClass(&TJvDirectoryEdit::ButtonProc);
  button_.reset(
      CreateWindowExW(0, kButtonClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, edit, nullptr, instance, this));
  if (!button_) ui::RaiseLastOSError(GetLastError());
  if (!SetWindowSubclass(edit, &TJvDirectoryEdit::EditProc, kEditSubclass, reinterpret_cast<DWORD_PTR>(this)))
    ui::RaiseLastOSError(GetLastError());
  DragAcceptFiles(edit, TRUE);
}

TJvDirectoryEdit::~TJvDirectoryEdit() {
  DragAcceptFiles(Handle(), FALSE);
  RemoveWindowSubclass(Handle(), &TJvDirectoryEdit::EditProc, kEditSubclass);
}

std::wstring TJvDirectoryEdit::Text() const { return ui::WindowText(Handle()); }

void TJvDirectoryEdit::SetText(const std::wstring& text) { SetWindowTextW(Handle(), text.c_str()); }

void TJvDirectoryEdit::Layout(int left, int top, int width, int height, UINT dpi) {
  buttonWidth_ = ui::ScaleForDpi(kButtonWidth, dpi);
  glyphSize_ = ui::ScaleForDpi(kGlyphSize, dpi);
  glyph_.reset(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_DIRECTORY_GLYPH),
                                             IMAGE_ICON, glyphSize_, glyphSize_, LR_DEFAULTCOLOR)));
  SetWindowPos(Handle(), nullptr, ui::ScaleForDpi(left, dpi), ui::ScaleForDpi(top, dpi), ui::ScaleForDpi(width, dpi),
               ui::ScaleForDpi(height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
  PlaceButton();
}

void TJvDirectoryEdit::PlaceButton() {
  RECT client{};
  GetClientRect(Handle(), &client);
  // The button fills the height of the text area at the right edge; the text stops before it.
  SetWindowPos(button_.get(), nullptr, client.right - buttonWidth_, 0, buttonWidth_, client.bottom,
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

void TJvDirectoryEdit::DropFiles(HDROP drop) {
  const ui::UniqueHandle<DropTraits> owned(drop);
  // Asked for its length first, so a long path is read whole rather than cut into another folder.
  const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
  if (length == 0) return;
  std::wstring name(static_cast<std::size_t>(length) + 1, L'\0');
  name.resize(DragQueryFileW(drop, 0, name.data(), length + 1));
  SetText(DroppedNameText(name, &IsExistingFile));
}

LRESULT CALLBACK TJvDirectoryEdit::EditProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR self) noexcept {
  try {
    return reinterpret_cast<TJvDirectoryEdit*>(self)->HandleEdit(window, msg, wParam, lParam);
  } catch (...) {
    ui::TApplication::HandleCurrentException();
    return 0;
  }
}

LRESULT TJvDirectoryEdit::HandleEdit(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SYSKEYDOWN:
      // Alt+Down (Alt alone, no Ctrl or Shift) is the button's key; F4 means nothing here.
      if (wParam == VK_DOWN && (lParam & (1 << 29)) != 0 && GetKeyState(VK_CONTROL) >= 0 &&
          GetKeyState(VK_SHIFT) >= 0) {
        DoClick();
        return 0;
      }
      break;
    case WM_GETDLGCODE:
      // Tabbing into the field leaves its text unselected: only a field the user types into
      // selects all on entry.
      return DefSubclassProc(window, msg, wParam, lParam) & ~static_cast<LRESULT>(DLGC_HASSETSEL);
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
      return 0;  // the text is not the user's to edit; copying stays as the edit does it
    case WM_SETTEXT: {
      if (!lParam) break;
      const std::wstring cut = CutAtLineBreak(reinterpret_cast<const wchar_t*>(lParam));
      return DefSubclassProc(window, msg, wParam, reinterpret_cast<LPARAM>(cut.c_str()));
    }
    case WM_DROPFILES:
      DropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_SIZE: {
      const LRESULT result = DefSubclassProc(window, msg, wParam, lParam);
      PlaceButton();
      return result;
    }
    default:
      break;
  }
  return DefSubclassProc(window, msg, wParam, lParam);
}

LRESULT CALLBACK TJvDirectoryEdit::ButtonProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
  auto* self = ui::BindOnCreate<TJvDirectoryEdit>(window, msg, lParam);
  if (!self || msg == WM_NCDESTROY) return DefWindowProcW(window, msg, wParam, lParam);
  try {
    return self->HandleButton(window, msg, wParam, lParam);
  } catch (...) {
    ui::TApplication::HandleCurrentException();
    return 0;
  }
}

bool TJvDirectoryEdit::PointerOverButton(HWND button, LPARAM lParam) {
  RECT client{};
  GetClientRect(button, &client);
  const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  return PtInRect(&client, at) != FALSE;
}

LRESULT TJvDirectoryEdit::HandleButton(HWND button, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // The field takes the focus, as it does for a click on its text; the button never has it.
      if (GetFocus() != Handle() && (GetWindowLongPtrW(Handle(), GWL_STYLE) & WS_TABSTOP) != 0) SetFocus(Handle());
      pressing_ = true;
      pressedLook_ = true;
      SetCapture(button);
      InvalidateRect(button, nullptr, FALSE);
      return 0;
    case WM_MOUSEMOVE:
      if (pressing_ && pressedLook_ != PointerOverButton(button, lParam)) {
        pressedLook_ = !pressedLook_;
        InvalidateRect(button, nullptr, FALSE);
      }
      return 0;
    case WM_LBUTTONUP: {
      const bool click = pressing_ && PointerOverButton(button, lParam);
      pressing_ = false;
      pressedLook_ = false;
      if (GetCapture() == button) ReleaseCapture();
      InvalidateRect(button, nullptr, FALSE);
      if (click) DoClick();
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (pressing_) {
        pressing_ = false;
        pressedLook_ = false;
        InvalidateRect(button, nullptr, FALSE);
      }
      return 0;
    case WM_PAINT:
      PaintButton();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(button, msg, wParam, lParam);
}

void TJvDirectoryEdit::PaintButton() {
  HWND button = button_.get();
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(button, &paint);
  if (!dc) return;
  RECT rect{};
  GetClientRect(button, &rect);
  const bool enabled = IsWindowEnabled(Handle()) != FALSE;
  DrawFrameControl(dc, &rect, DFC_BUTTON, DFCS_BUTTONPUSH | (pressedLook_ ? DFCS_PUSHED : 0u));
  if (glyph_) {
    const int offset = pressedLook_ ? 1 : 0;
    const int x = (rect.right - glyphSize_) / 2 + offset;
    const int y = (rect.bottom - glyphSize_) / 2 + offset;
    if (enabled) {
      DrawIconEx(dc, x, y, glyph_.get(), glyphSize_, glyphSize_, 0, nullptr, DI_NORMAL);
    } else {
      DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(glyph_.get()), 0, x, y, glyphSize_, glyphSize_,
                 DST_ICON | DSS_DISABLED);
    }
  }
  EndPaint(button, &paint);
}

}  // namespace dialogs
