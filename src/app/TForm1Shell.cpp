// The main window's desktop commands: shortcuts, the About window and the help file.
#include <shlobj.h>

#include "app/TForm1.h"
#include "shell/ShellOpen.h"
#include "shell/Shortcuts.h"

namespace app {

void TForm1::MitWindowsstarten1Click() { shell::CreateProgramShortcut(CSIDL_STARTUP, shell::ProgramFilePath()); }

void TForm1::Desktopverknpfungerstellen1Click() {
  shell::CreateProgramShortcut(CSIDL_DESKTOP, shell::ProgramFilePath());
}

void TForm1::Ueber1Click() { form2_->ShowModal(); }

void TForm1::Hilfe1Click() { shell::OpenHelpFile(); }

}  // namespace app
