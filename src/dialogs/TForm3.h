#pragma once
// The Autosave dialog "Autospeichern...": autosave on or off, its folder, its picture format
// and the pictures' base name. Shown modally from the tray menu; Save puts the values in force
// and writes them to the settings file at once, Cancel keeps what is in force. The controls are
// filled once, at creation, so a later opening shows what they held when the dialog closed.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "dialogs/TJvDirectoryEdit.h"
#include "settings/Settings.h"
#include "ui/Form.h"
#include "ui/Handle.h"

namespace dialogs {

class TForm3 : public ui::TForm {
 public:
  // Filled from the values in force and captioned from the strings of the language in use.
  TForm3(const settings::AutoSaveSettings& values, const std::vector<std::wstring>& languageStrings);

  // Save: the values as the dialog shows them, for the program to put in force and write. The
  // dialog closes when the handler returns; an error from it leaves the dialog open.
  std::function<void(const settings::AutoSaveSettings&)> OnSave;

  // The controls, by their names, created in their tab order.
  ui::UniqueWindow RadioBtnBMP;
  ui::UniqueWindow RadioBtnJPG;
  ui::UniqueWindow RadioBtnPNG;
  TJvDirectoryEdit* DirectoryEdit = nullptr;
  ui::UniqueWindow ButtonSave;
  ui::UniqueWindow ButtonCancel;
  ui::UniqueWindow CheckBoxSaveActive;
  ui::UniqueWindow EditFileName;
  ui::UniqueWindow LabelFolder;
  ui::UniqueWindow LabelFormat;
  ui::UniqueWindow LabelPicName;

  // The captions from the strings of the language in use (also after a language command).
  void ApplyLanguage(const std::vector<std::wstring>& strings);
  // Lays the dialog out for `dpi`: the positions and sizes below are for 96 dots per inch.
  void Layout(UINT dpi);
  void ButtonSaveClick();
  void ButtonCancelClick();

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool PreTranslateMessage(MSG& msg) override;

 private:
  void FormCreate(const std::vector<std::wstring>& languageStrings);
  void CentreOnMainWindow();
  [[nodiscard]] bool IsChecked(const ui::UniqueWindow& button) const;
  [[nodiscard]] HWND CheckedFormat() const;

  // The values given at creation or last saved; Save starts from them.
  settings::AutoSaveSettings values_;
  UINT dpi_ = 96;
  ui::UniqueGdiObject font_;
};

}  // namespace dialogs
