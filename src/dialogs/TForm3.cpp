#include "dialogs/TForm3.h"

#include <iterator>
#include <tuple>

#include "imaging/PictureFormats.h"
#include "settings/LanguageTable.h"
#include "ui/Application.h"
#include "ui/Dpi.h"
#include "ui/Errors.h"

namespace dialogs {
namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr int kClientWidth = 333;
constexpr int kClientHeight = 196;
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

void PlaceControl(ui::TStdControl& control, HFONT font, const Place& place, UINT dpi) {
  control.SetFont(font);
  control.SetBounds(ui::ScaleForDpi(place.left, dpi), ui::ScaleForDpi(place.top, dpi),
                    ui::ScaleForDpi(place.width, dpi), ui::ScaleForDpi(place.height, dpi));
}

// The radio button of each picture format, in the format table's order, and its place. BMP
// and JPG keep their places; PNG follows JPG and ends where the fields above and below end.
struct FormatButton {
  ui::TRadioButton* TForm3::*button;
  Place place;
};
constexpr FormatButton kFormatButtons[] = {
    {&TForm3::RadioBtnBMP, {120, 88, 49, 17}},
    {&TForm3::RadioBtnJPG, {200, 88, 49, 17}},
    {&TForm3::RadioBtnPNG, {256, 88, 49, 17}},
};
static_assert(std::size(kFormatButtons) == std::tuple_size_v<decltype(imaging::kPictureFormats)>,
              "every picture format has its radio button");

// The radio button of the format in the table's row `row`, captioned with its settings code.
ui::TRadioButton* NewFormatButton(TForm3* form, const wchar_t* name, std::size_t row) {
  return new ui::TRadioButton(form, name, std::wstring(imaging::kPictureFormats[row].code), row == 0);
}

// The folder field, numbered and starting a group in its place in the tab order.
TJvDirectoryEdit* NewDirectoryEdit(TForm3* form) {
  auto* edit = new TJvDirectoryEdit(form, L"DirectoryEdit");
  SetWindowLongPtrW(edit->Handle(), GWL_STYLE, GetWindowLongPtrW(edit->Handle(), GWL_STYLE) | WS_GROUP);
  SetWindowLongPtrW(edit->Handle(), GWLP_ID, form->NewControlId());
  return edit;
}

}  // namespace

// Created in tab order; the radio buttons form one group, ended by the next WS_GROUP.
TForm3::TForm3(const settings::AutoSaveSettings& values, const std::vector<std::wstring>& languageStrings)
    : ui::TForm(nullptr, L"Form3", L"TForm3", L"Autospeichern...", 0, 0, 0, 0, kStyle),
      RadioBtnBMP(NewFormatButton(this, L"RadioBtnBMP", 0)),
      RadioBtnJPG(NewFormatButton(this, L"RadioBtnJPG", 1)),
      RadioBtnPNG(NewFormatButton(this, L"RadioBtnPNG", 2)),
      DirectoryEdit(NewDirectoryEdit(this)),
      ButtonSave(new ui::TButton(this, L"ButtonSave", L"Speichern")),
      ButtonCancel(new ui::TButton(this, L"ButtonCancel", L"Abbrechen")),
      CheckBoxSaveActive(new ui::TCheckBox(this, L"CheckBoxSaveActive", L"Autospeichern")),
      EditFileName(new ui::TEdit(this, L"EditFileName")),
      LabelFolder(new ui::TLabel(this, L"LabelFolder", L"Bilderverzeichnis:")),
      LabelFormat(new ui::TLabel(this, L"LabelFormat", L"Bildformat:")),
      LabelPicName(new ui::TLabel(this, L"LabelPicName", L"Bildname:")),
      values_(values) {
  ButtonSave->OnClick = [this] { ButtonSaveClick(); };
  ButtonCancel->OnClick = [this] { ButtonCancelClick(); };
  RadioBtnBMP->SetChecked(true);
  dpi_ = ui::WindowDpi(Handle());
  FormCreate(languageStrings);
  CentreOnMainWindow();
}

void TForm3::FormCreate(const std::vector<std::wstring>& languageStrings) {
  ApplyLanguage(languageStrings);
  CheckBoxSaveActive->SetChecked(values_.Active);
  DirectoryEdit->SetText(values_.Folder);
  EditFileName->SetText(values_.PicName);
  // Any other value, one in lower case too, leaves BMP checked.
  const imaging::TPictureFormat* format = imaging::FindPictureFormatByCode(values_.Format);
  const auto checked = format ? static_cast<std::size_t>(format - imaging::kPictureFormats.data()) : 0;
  for (std::size_t i = 0; i < std::size(kFormatButtons); ++i)
    (this->*kFormatButtons[i].button)->SetChecked(i == checked);
}

void TForm3::ApplyLanguage(const std::vector<std::wstring>& strings) {
  using namespace settings;
  CheckBoxSaveActive->SetText(strings.at(kTextAutosaveActive));
  LabelFolder->SetText(strings.at(kTextFolderLabel));
  LabelFormat->SetText(strings.at(kTextFormatLabel));
  LabelPicName->SetText(strings.at(kTextPicNameLabel));
  ButtonSave->SetText(strings.at(kTextSaveButton));
  ButtonCancel->SetText(strings.at(kTextCancelButton));
  SetCaption(strings.at(kTextAutosaveDialogCaption));
  // The labels take the size of their new texts.
  Layout(dpi_);
}

void TForm3::Layout(UINT dpi) {
  dpi_ = dpi;
  // The new font goes to the controls before the old one is deleted.
  ui::UniqueGdiObject font(ui::CreateMessageFont(dpi));
  const auto handle = static_cast<HFONT>(font.get());
  PlaceControl(*CheckBoxSaveActive, handle, kCheckBoxSaveActive, dpi);
  for (const FormatButton& format : kFormatButtons) PlaceControl(*(this->*format.button), handle, format.place, dpi);
  PlaceControl(*EditFileName, handle, kEditFileName, dpi);
  PlaceControl(*ButtonSave, handle, kButtonSave, dpi);
  PlaceControl(*ButtonCancel, handle, kButtonCancel, dpi);
  SendMessageW(DirectoryEdit->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(handle), FALSE);
  DirectoryEdit->Layout(kDirectoryEdit.left, kDirectoryEdit.top, kDirectoryEdit.width, kDirectoryEdit.height, dpi);
  for (const auto& [label, at] : {std::pair{LabelFolder, kLabelFolder}, std::pair{LabelFormat, kLabelFormat},
                                  std::pair{LabelPicName, kLabelPicName}}) {
    label->Place(handle, ui::ScaleForDpi(at.x, dpi), ui::ScaleForDpi(at.y, dpi));
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
  } else if (!ui::WorkArea(area)) {
    return;
  }
  ui::CentreWindow(Handle(), area);
}

ui::TRadioButton* TForm3::CheckedFormat() const {
  for (const FormatButton& format : kFormatButtons) {
    if ((this->*format.button)->Checked()) return this->*format.button;
  }
  return this->*kFormatButtons[0].button;
}

void TForm3::ButtonSaveClick() {
  settings::AutoSaveSettings edited = values_;
  edited.Active = CheckBoxSaveActive->Checked();
  edited.PicName = EditFileName->Text();
  edited.Folder = DirectoryEdit->Text();
  for (std::size_t i = 0; i < std::size(kFormatButtons); ++i) {
    if (!(this->*kFormatButtons[i].button)->Checked()) continue;
    edited.Format = imaging::kPictureFormats[i].code;
    break;
  }
  values_ = edited;
  // The program puts them in force, then writes them; a failed write ends the save here, with
  // the dialog open.
  if (OnSave) OnSave(values_);
  Close();
}

void TForm3::ButtonCancelClick() { Close(); }

bool TForm3::PreTranslateMessage(MSG& msg) {
  // Tab, the arrow keys in the radio group, and Enter on a focused button, as in any dialog.
  return IsDialogMessageW(Handle(), &msg) != FALSE;
}

HBRUSH TForm3::ControlColor(HDC dc, HWND control) {
  // The folder field is read-only only because its text comes from the browser; it keeps the
  // look of a field the user fills.
  if (control != DirectoryEdit->Handle()) return ui::TForm::ControlColor(dc, control);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  return GetSysColorBrush(COLOR_WINDOW);
}

bool TForm3::Activated() {
  // Opened or brought back: the keyboard goes to the chosen format, the first in tab order.
  if (IsChild(Handle(), GetFocus())) return false;
  SetFocus(CheckedFormat()->Handle());
  return true;
}

}  // namespace dialogs
