#pragma once
// The About window "Info": the program's icon and name, the credits and four addresses that
// open in the browser or the mail program. It is shown modally, and any click outside the
// addresses closes it. Clipboard reactions rest while it is open.
#include <windows.h>

#include <functional>
#include <string>

#include "clipboard/ReactionPause.h"
#include "ui/Form.h"
#include "ui/Handle.h"

namespace shell {

class TForm2 : public ui::TForm {
 public:
  // `pauseReactions` pauses the program's clipboard reactions for as long as its pause lives.
  explicit TForm2(std::function<clipboard::ReactionPause()> pauseReactions);

  // Modal, with clipboard reactions paused until the window has closed.
  void ShowModal();

  // The controls, by their names. Label4, Label5, Label7 and Label8 are the addresses; Label9
  // names the licence.
  ui::UniqueWindow Image1;
  ui::UniqueWindow Label1;
  ui::UniqueWindow Label2;
  ui::UniqueWindow Label4;
  ui::UniqueWindow Label5;
  ui::UniqueWindow Label6;
  ui::UniqueWindow Label7;
  ui::UniqueWindow Label8;
  ui::UniqueWindow Label9;

  // Lays the window out for `dpi`: the positions and sizes below are for 96 dots per inch.
  void Layout(UINT dpi);
  void CentreOnScreen();

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void FormClick();
  void Label4Click();
  void Label5Click();
  void Label7Click();
  void Label8Click();
  [[nodiscard]] bool IsLink(HWND control) const;
  [[nodiscard]] static std::wstring Text(HWND control);

  std::function<clipboard::ReactionPause()> pauseReactions_;
  ui::UniqueGdiObject font_;
  ui::UniqueGdiObject titleFont_;
  ui::UniqueIcon icon_;
};

}  // namespace shell
