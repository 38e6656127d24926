// Velmo Clipboard: a tray utility that offers to strip the formatting of copied text and to
// save or show copied pictures.
#include <windows.h>

#include "app/TForm1.h"
#include "clipboard/Clipboard.h"
#include "ui/Application.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  clipboard::PictureClipboardFormat();  // registered before any window exists
  ui::TApplication application;
  application.SetTitle(L"Velmo Clipboard");
  app::TForm1 form1;
  application.SetShowMainForm(false);
  return application.Run();
}
