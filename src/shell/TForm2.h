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
#include "ui/StdCtrls.h"

namespace shell {

class TForm2 : public ui::TForm {
 public:
  // `pauseReactions` pauses the program's clipboard reactions for as long as its pause lives.
  explicit TForm2(std::function<clipboard::ReactionPause()> pauseReactions);

  // Modal, with clipboard reactions paused until the window has closed.
  void ShowModal();

  // The controls, by their names. Label4, Label5, Label7 and Label8 are the addresses; Label9
  // names the licence.
  ui::TIconImage* Image1;
  ui::TLabel* Label1;
  ui::TLabel* Label2;
  ui::TLabel* Label4;
  ui::TLabel* Label5;
  ui::TLabel* Label6;
  ui::TLabel* Label7;
  ui::TLabel* Label8;
  ui::TLabel* Label9;

  // Lays the window out for `dpi`: the positions and sizes below are for 96 dots per inch.
  void Layout(UINT dpi);
  void CentreOnScreen();

 protected:
  void DpiChanged(UINT dpi) override { Layout(dpi); }

 private:
  void FormClick();
  void Label4Click();
  void Label5Click();
  void Label7Click();
  void Label8Click();

  std::function<clipboard::ReactionPause()> pauseReactions_;
  ui::UniqueGdiObject font_;
  ui::UniqueGdiObject titleFont_;
  ui::UniqueIcon icon_;
};

}  // namespace shell
