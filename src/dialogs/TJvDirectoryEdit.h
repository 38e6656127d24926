#pragma once
// The folder picker field: a read-only text with a small browse button inside its right edge.
// The text changes only through the shell's folder browser (the button or Alt+Down) and
// through files and folders dropped onto it from the shell.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <functional>
#include <optional>
#include <string>

#include "dialogs/TJvEditButton.h"
#include "ui/Com.h"
#include "ui/WinControl.h"

namespace dialogs {

class TJvDirectoryEdit : public ui::TWinControl {
 public:
  // The button's size at 96 dots per inch.
  static constexpr int kButtonWidth = 21;
  static constexpr int kButtonHeight = 17;

  TJvDirectoryEdit(ui::TForm* form, std::wstring name);
  ~TJvDirectoryEdit() override;

  [[nodiscard]] std::wstring Text() const;
  // Writing the text never opens the browser; a line break and what follows are cut off.
  void SetText(const std::wstring& text);
  [[nodiscard]] HWND Button() const noexcept { return button_->Handle(); }

  std::wstring InitialDir;  // the browser's start when the text is empty; the last chosen folder
  std::wstring DialogText;  // the browser's title
  bool ReadOnly = false;    // while on, the button does nothing

  // Places the field (a rectangle at 96 dots per inch) for `dpi`, with the button inside it.
  void Layout(int left, int top, int width, int height, UINT dpi);
  // The button's action, for a click and for Alt+Down: the browse, unless the field is read-only.
  void DoClick();

  // One browse: the start folder in, the chosen folder out (nothing on Cancel). The shell's
  // folder browser; tests put their own in its place.
  using BrowseFunction =
      std::function<std::optional<std::wstring>(HWND owner, const std::wstring& start, const std::wstring& title)>;
  BrowseFunction Browser;

 protected:
  bool KeyDown(UINT key, ui::TShiftState shift) override;
  bool FilesDropped(HDROP drop) override;
  // The text is not the user's to edit; copying stays as the edit does it.
  [[nodiscard]] bool AcceptsEditing() const override { return false; }
  LRESULT DialogCode(LRESULT standard) override;
  std::wstring TextToSet(std::wstring text) override;
  void Resized() override { PlaceButton(); }

 private:
  void Browse();
  void PlaceButton();
  void ButtonMouseDown();

  // COM for the shell's browser and drag and drop, for as long as the field lives.
  ui::ComApartment com_;
  TJvEditButton* button_;  // owned by the form, like every control
  int buttonWidth_ = kButtonWidth;
};

}  // namespace dialogs
