// The main window's part in the Autosave dialog: the values it edits and the command that
// opens it.
#include "app/TForm1.h"

namespace app {

dialogs::TAutoSaveValues TForm1::AutoSaveValues() {
  return {*Bilderautomatischspeichern1, AutoSaveDir, AutoSaveFormat, PicName, IniFile, *MultiString, LanguageIndex};
}

void TForm1::Bilderautomatischspeichern1Click() { Form3->ShowModal(); }

}  // namespace app
