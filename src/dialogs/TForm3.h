#pragma once
// The Autosave dialog "Autospeichern...": autosave on or off, its folder, its picture format
// and the pictures' base name. Shown modally from the tray menu; Save puts the values in force
// and writes them to the settings file at once, Cancel keeps what is in force. The controls are
// filled once, at creation, so a later opening shows what they held when the dialog closed.
#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>

#include "dialogs/TJvDirectoryEdit.h"
#include "settings/TIniFile.h"
#include "settings/TJvMultiStringHolder.h"
#include "ui/Form.h"
#include "ui/Handle.h"
#include "ui/PopupMenu.h"
#include "ui/StdCtrls.h"

namespace dialogs {

// The program-wide values the dialog shows and sets; they live in the main window.
struct TAutoSaveValues {
  ui::TMenuItem& AutoSaveItem;  // its check mark is the autosave switch
  std::wstring& Folder;
  std::wstring& Format;  // "BMP", "JPG" or "PNG"
  std::wstring& PicName;
  std::unique_ptr<settings::TIniFile>& IniFile;  // gone once Exit has written it
  const settings::TJvMultiStringHolder& MultiString;
  const std::size_t& LanguageIndex;
};

class TForm3 : public ui::TForm {
 public:
  explicit TForm3(const TAutoSaveValues& values);

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

  // The captions of the language in use (also after a language command).
  void ApplyLanguage();
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
  void FormCreate();
  void CentreOnMainWindow();
  [[nodiscard]] ui::TRadioButton* CheckedFormat() const;

  TAutoSaveValues values_;
  UINT dpi_ = 96;
  ui::UniqueGdiObject font_;
};

}  // namespace dialogs
