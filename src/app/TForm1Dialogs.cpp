// The main window's part in the Autosave dialog: the command that opens it and what its Save
// puts in force.
#include "app/TForm1.h"

namespace app {

void TForm1::Bilderautomatischspeichern1Click() { form3_->ShowModal(); }

void TForm1::Form3Save(const settings::AutoSaveSettings& values) {
  settings_.AutoSave = values;
  ShowSettings();
  // The four are on disk at once; the language and the other switches wait for Exit.
  if (iniFile_) settings::SaveSettings(*iniFile_, settings_.AutoSave);
}

}  // namespace app
