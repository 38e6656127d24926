// Velmo Clipboard: a tray utility that offers to strip the formatting of copied text and to
// save or show copied pictures.
#include <windows.h>

#include "app/TForm1.h"
#include "clipboard/Clipboard.h"
#include "shell/TForm2.h"
#include "shell/TJclAppInstances.h"
#include "ui/Application.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  clipboard::PictureClipboardFormat();  // registered before any window exists
  ui::TApplication application;
  application.SetTitle(L"Velmo Clipboard");
  try {
    app::TForm1 form1;
    shell::TForm2 form2(form1.ReactionFlag);
    form1.Form2 = &form2;
    application.SetShowMainForm(false);
    return application.Run();
  } catch (const shell::EndOfRun& end) {
    // A copy refused at start-up ends here; its half-built main window is gone already.
    return end.ExitCode;
  }
}
