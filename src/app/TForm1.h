#pragma once
// The main window: picture viewer, owner of the clipboard monitor, the menus and the
// program-wide state. It stays hidden until a picture is shown; closing it only hides it,
// and only Exit ends the program.
#include "clipboard/TJvClipboardMonitor.h"
#include "shell/TJvAppInstances.h"
#include "ui/Form.h"
#include "ui/Image.h"
#include "ui/ImageList.h"
#include "ui/PopupMenu.h"
#include "ui/StatusBar.h"

namespace app {

class TForm1 : public ui::TForm {
public:
  TForm1();

  // Program-wide state.
  bool ReactionFlag = true;  // clipboard changes are ignored while it is clear
  bool ExitFlag = false;     // set by Exit; until then a close only hides the window

  // Components, in the order the window builds them; the form owns and destroys them.
  ui::TImage* Image;
  ui::TStatusBar* StatusBar;
  clipboard::TJvClipboardMonitor* ClipboardMonitor;
  ui::TImageList* ImageList1;
  ui::TPopupMenu* PopupMenuText;
  ui::TPopupMenu* PopupMenuTray;
  ui::TPopupMenu* PopupMenuBitmap;
  ui::TPopupMenu* PopupMenuAnzeige;
  shell::TJvAppInstances* JvAppInstanz;

  // Menu items, by the names the handlers use.
  ui::TMenuItem* Formatierungentfernen1;
  ui::TMenuItem* Formatierungbehalten1;
  ui::TMenuItem* Bitmapspeichernunter1;
  ui::TMenuItem* Bitmapanzeigen1;
  ui::TMenuItem* Abbrechen1;
  ui::TMenuItem* BitmapSpeichernunter2;
  ui::TMenuItem* Shortcuts1;
  ui::TMenuItem* Autostartverknpfungerstellen1;
  ui::TMenuItem* Desktopverknpfungerstellen1;
  ui::TMenuItem* Optionen1;
  ui::TMenuItem* AufTextReagieren1;
  ui::TMenuItem* AufBilderReagieren1;
  ui::TMenuItem* Bilderautomatischspeichern1;
  ui::TMenuItem* Sprache1;
  ui::TMenuItem* Deutsch1;
  ui::TMenuItem* English1;
  ui::TMenuItem* Polski1;
  ui::TMenuItem* Ueber1;
  ui::TMenuItem* Hilfe1;
  ui::TMenuItem* Beenden1;

  // Exit: the only way the program ends on the user's request.
  void Beenden1Click();
  // A second copy is being refused: tell the user before it ends.
  void JvAppInstanzRejected(shell::TJvAppInstances& sender);

protected:
  bool CloseQuery() override;
  void SessionEnding() override;

private:
  void CreateImages();
  void CreateMenus();
};

}  // namespace app
