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
#include "ui/PopupMenu.h"
#include "ui/StdCtrls.h"

namespace dialogs {

class TForm3 : public ui::TForm {
 public:
  // Filled from the values in force and captioned from the strings of the language in use.
  TForm3(const settings::AutoSaveSettings& values, const std::vector<std::wstring>& languageStrings);

  // Save: the values as the dialog shows them, for the program to put in force and write. The
  // dialog closes when the handler returns; an error from it leaves the dialog open.
  std::function<void(const settings::AutoSaveSettings&)> OnSave;

  // The controls, by their names, created in their tab order.
  ui::TRadioButton* RadioBtnBMP;
  ui::TRadioButton* RadioBtnJPG;
  ui::TRadioButton* RadioBtnPNG;
  TJvDirectoryEdit* DirectoryEdit;
  ui::TButton* ButtonSave;
  ui::TButton* ButtonCancel;
  ui::TCheckBox* CheckBoxSaveActive;
  ui::TEdit* EditFileName;
  ui::TLabel* LabelFolder;
  ui::TLabel* LabelFormat;
  ui::TLabel* LabelPicName;

  // The captions from the strings of the language in use (also after a language command).
  void ApplyLanguage(const std::vector<std::wstring>& strings);
  // Lays the dialog out for `dpi`: the positions and sizes below are for 96 dots per inch.
  void Layout(UINT dpi);
  void ButtonSaveClick();
  void ButtonCancelClick();

 protected:
  HBRUSH ControlColor(HDC dc, HWND control) override;
  bool Activated() override;
  void DpiChanged(UINT dpi) override { Layout(dpi); }
  bool PreTranslateMessage(MSG& msg) override;

 private:
  void FormCreate(const std::vector<std::wstring>& languageStrings);
  void CentreOnMainWindow();
  [[nodiscard]] ui::TRadioButton* CheckedFormat() const;

  // The values given at creation or last saved; Save starts from them.
  settings::AutoSaveSettings values_;
  UINT dpi_ = 96;
  ui::UniqueGdiObject font_;
};

}  // namespace dialogs
