#include "dialogs/TForm3.h"

#include <iterator>
#include <tuple>

#include "imaging/PictureFormats.h"
#include "settings/LanguageTable.h"
#include "settings/SettingsKeys.h"
#include "ui/Application.h"
#include "ui/Dpi.h"
#include "ui/Errors.h"

namespace dialogs {
namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr int kClientWidth = 333;
constexpr int kClientHeight = 196;
// Control ids stay clear of IDOK and IDCANCEL: with no default or cancel button in the dialog,
// Enter and Escape must not reach one.
constexpr int kFirstControlId = 100;

struct Place {
  int left, top, width, height;
};
constexpr Place kCheckBoxSaveActive{16, 16, 289, 17};
constexpr Place kDirectoryEdit{120, 48, 185, 21};
constexpr Place kEditFileName{120, 120, 185, 21};
constexpr Place kButtonSave{168, 160, 75, 25};
constexpr Place kButtonCancel{248, 160, 75, 25};
constexpr POINT kLabelFolder{16, 56};
constexpr POINT kLabelFormat{16, 88};
constexpr POINT kLabelPicName{16, 128};

// The radio button of each picture format, in the format table's order, and its place. BMP
// and JPG keep their places; PNG follows JPG and ends where the fields above and below end.
struct FormatButton {
  ui::UniqueWindow TForm3::*button;
  Place place;
};
constexpr FormatButton kFormatButtons[] = {
    {&TForm3::RadioBtnBMP, {120, 88, 49, 17}},
    {&TForm3::RadioBtnJPG, {200, 88, 49, 17}},
    {&TForm3::RadioBtnPNG, {256, 88, 49, 17}},
};
static_assert(std::size(kFormatButtons) == std::tuple_size_v<decltype(imaging::kPictureFormats)>,
              "every picture format has its radio button");

HWND CreateControl(HWND parent, const wchar_t* className, DWORD style, const wchar_t* text, int id, DWORD exStyle = 0) {
  HWND control = CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (!control) ui::RaiseLastOSError(GetLastError());
  return control;
}

void PlaceControl(HWND control, HFONT font, const Place& place, UINT dpi) {
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SetWindowPos(control, nullptr, ui::ScaleForDpi(place.left, dpi), ui::ScaleForDpi(place.top, dpi),
               ui::ScaleForDpi(place.width, dpi), ui::ScaleForDpi(place.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

TForm3::TForm3(const TAutoSaveValues& values)
    : ui::TForm(nullptr, L"Form3", L"TForm3", L"Autospeichern...", 0, 0, 0, 0, kStyle), values_(values) {
  HWND self = Handle();
  int id = kFirstControlId;
  // Created in tab order; the radio buttons form one group, ended by the next WS_GROUP. Each
  // is captioned with its format's settings code.
  for (std::size_t i = 0; i < std::size(kFormatButtons); ++i) {
    const std::wstring caption(imaging::kPictureFormats[i].code);
    const DWORD group = i == 0 ? WS_GROUP | WS_TABSTOP : 0;
    (this->*kFormatButtons[i].button)
        .reset(CreateControl(self, L"BUTTON", BS_AUTORADIOBUTTON | group, caption.c_str(), id++));
  }
  DirectoryEdit = new TJvDirectoryEdit(this, L"DirectoryEdit");
  SetWindowLongPtrW(DirectoryEdit->Handle(), GWL_STYLE,
                    GetWindowLongPtrW(DirectoryEdit->Handle(), GWL_STYLE) | WS_GROUP);
  SetWindowLongPtrW(DirectoryEdit->Handle(), GWLP_ID, id++);
  ButtonSave.reset(CreateControl(self, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, L"Speichern", id++));
  ButtonCancel.reset(CreateControl(self, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, L"Abbrechen", id++));
  CheckBoxSaveActive.reset(CreateControl(self, L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, L"Autospeichern", id++));
  EditFileName.reset(CreateControl(self, L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, L"", id++, WS_EX_CLIENTEDGE));
  LabelFolder.reset(CreateControl(self, L"STATIC", SS_LEFT, L"Bilderverzeichnis:", id++));
  LabelFormat.reset(CreateControl(self, L"STATIC", SS_LEFT, L"Bildformat:", id++));
  LabelPicName.reset(CreateControl(self, L"STATIC", SS_LEFT, L"Bildname:", id++));
  SendMessageW(RadioBtnBMP.get(), BM_SETCHECK, BST_CHECKED, 0);
  dpi_ = ui::WindowDpi(self);
  FormCreate();
  CentreOnMainWindow();
}

void TForm3::FormCreate() {
  ApplyLanguage();
  SendMessageW(CheckBoxSaveActive.get(), BM_SETCHECK, values_.AutoSaveItem.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
  DirectoryEdit->SetText(values_.Folder);
  SetWindowTextW(EditFileName.get(), values_.PicName.c_str());
  // Any other value, one in lower case too, leaves BMP checked.
  const imaging::TPictureFormat* format = imaging::FindPictureFormatByCode(values_.Format);
  const auto checked = format ? static_cast<std::size_t>(format - imaging::kPictureFormats.data()) : 0;
  for (std::size_t i = 0; i < std::size(kFormatButtons); ++i) {
    SendMessageW((this->*kFormatButtons[i].button).get(), BM_SETCHECK, i == checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

void TForm3::ApplyLanguage() {
  using namespace settings;
  const std::vector<std::wstring>& strings = values_.MultiString.List(values_.LanguageIndex).Strings;
  SetWindowTextW(CheckBoxSaveActive.get(), strings.at(kTextAutosaveActive).c_str());
  SetWindowTextW(LabelFolder.get(), strings.at(kTextFolderLabel).c_str());
  SetWindowTextW(LabelFormat.get(), strings.at(kTextFormatLabel).c_str());
  SetWindowTextW(LabelPicName.get(), strings.at(kTextPicNameLabel).c_str());
  SetWindowTextW(ButtonSave.get(), strings.at(kTextSaveButton).c_str());
  SetWindowTextW(ButtonCancel.get(), strings.at(kTextCancelButton).c_str());
  SetCaption(strings.at(kTextAutosaveDialogCaption));
  // The labels take the size of their new texts.
  Layout(dpi_);
}

void TForm3::Layout(UINT dpi) {
  dpi_ = dpi;
  // The new font goes to the controls before the old one is deleted.
  ui::UniqueGdiObject font(ui::CreateMessageFont(dpi));
  const auto handle = static_cast<HFONT>(font.get());
  PlaceControl(CheckBoxSaveActive.get(), handle, kCheckBoxSaveActive, dpi);
  for (const FormatButton& format : kFormatButtons)
    PlaceControl((this->*format.button).get(), handle, format.place, dpi);
  PlaceControl(EditFileName.get(), handle, kEditFileName, dpi);
  PlaceControl(ButtonSave.get(), handle, kButtonSave, dpi);
  PlaceControl(ButtonCancel.get(), handle, kButtonCancel, dpi);
  SendMessageW(DirectoryEdit->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(handle), FALSE);
  DirectoryEdit->Layout(kDirectoryEdit.left, kDirectoryEdit.top, kDirectoryEdit.width, kDirectoryEdit.height, dpi);
  for (const auto& [label, at] :
       {std::pair{LabelFolder.get(), kLabelFolder}, std::pair{LabelFormat.get(), kLabelFormat},
        std::pair{LabelPicName.get(), kLabelPicName}}) {
    ui::PlaceLabel(label, handle, ui::ScaleForDpi(at.x, dpi), ui::ScaleForDpi(at.y, dpi));
  }
  font_ = std::move(font);
  RECT frame{0, 0, ui::ScaleForDpi(kClientWidth, dpi), ui::ScaleForDpi(kClientHeight, dpi)};
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  SetWindowPos(Handle(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TForm3::CentreOnMainWindow() {
  RECT area{};
  const ui::TApplication* app = ui::TApplication::Current();
  const ui::TForm* mainForm = app ? app->MainForm() : nullptr;
  if (mainForm && mainForm != this) {
    GetWindowRect(mainForm->Handle(), &area);
  } else if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) {
    return;
  }
  RECT window{};
  GetWindowRect(Handle(), &window);
  SetWindowPos(Handle(), nullptr, (area.left + area.right - (window.right - window.left)) / 2,
               (area.top + area.bottom - (window.bottom - window.top)) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TForm3::IsChecked(const ui::UniqueWindow& button) const {
  return SendMessageW(button.get(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

HWND TForm3::CheckedFormat() const {
  for (const FormatButton& format : kFormatButtons) {
    if (IsChecked(this->*format.button)) return (this->*format.button).get();
  }
  return (this->*kFormatButtons[0].button).get();
}

void TForm3::ButtonSaveClick() {
  using namespace settings;
  values_.AutoSaveItem.SetChecked(IsChecked(CheckBoxSaveActive));
  values_.PicName = ui::WindowText(EditFileName.get());
  values_.Folder = DirectoryEdit->Text();
  for (std::size_t i = 0; i < std::size(kFormatButtons); ++i) {
    if (!IsChecked(this->*kFormatButtons[i].button)) continue;
    values_.Format = imaging::kPictureFormats[i].code;
    break;
  }
  // The four are on disk at once; a failed write ends the save here, with the dialog open.
  if (values_.IniFile) {
    values_.IniFile->WriteBool(kSectionProgram, kKeyAutoSave, values_.AutoSaveItem.Checked());
    values_.IniFile->WriteString(kSectionAutoSave, kKeyDir, values_.Folder);
    values_.IniFile->WriteString(kSectionAutoSave, kKeyFormat, values_.Format);
    values_.IniFile->WriteString(kSectionAutoSave, kKeyPicName, values_.PicName);
  }
  Close();
}

void TForm3::ButtonCancelClick() { Close(); }

bool TForm3::PreTranslateMessage(MSG& msg) {
  // Tab, the arrow keys in the radio group, and Enter on a focused button, as in any dialog.
  return IsDialogMessageW(Handle(), &msg) != FALSE;
}

LRESULT TForm3::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && lParam != 0) {
        const auto control = reinterpret_cast<HWND>(lParam);
        if (control == ButtonSave.get()) {
          ButtonSaveClick();
          return 0;
        }
        if (control == ButtonCancel.get()) {
          ButtonCancelClick();
          return 0;
        }
      }
      break;
    case WM_CTLCOLORSTATIC:
      // The folder field is read-only only because its text comes from the browser; it keeps
      // the look of a field the user fills.
      if (reinterpret_cast<HWND>(lParam) == DirectoryEdit->Handle()) {
        const auto dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
      }
      break;
    case WM_ACTIVATE:
      // Opened or brought back: the keyboard goes to the chosen format, the first in tab order.
      if (LOWORD(wParam) != WA_INACTIVE && !IsChild(Handle(), GetFocus())) {
        SetFocus(CheckedFormat());
        return 0;
      }
      break;
    case WM_DPICHANGED:
      Layout(ui::TakeSuggestedPlace(Handle(), wParam, lParam));
      return 0;
    default:
      break;
  }
  return DefaultHandler(msg, wParam, lParam);
}

}  // namespace dialogs
