#pragma once
// The system's save-file dialog as a component: title, filter, default extension, the name
// and the filter index chosen last. Explorer style without a hook, so every Windows version
// shows its own current dialog.
#include <functional>
#include <string>

#include "ui/Form.h"
#include "ui/Library.h"

namespace ui {

class TSaveDialog : public TComponent {
 public:
  TSaveDialog(TForm* owner, std::wstring name);

  std::wstring Title;       // empty: the system's own title
  std::wstring Filter;      // "description|pattern|description|pattern"
  std::wstring DefaultExt;  // without the dot
  std::wstring FileName;
  int FilterIndex = 1;  // 1-based, as the dialog counts
  // Runs when the dialog window has closed, for OK and Cancel alike, before an OK fills in
  // the chosen name and filter index.
  std::function<void()> OnClose;

  // Runs the dialog modally; true when the user chose a name. Asks before an existing file is
  // replaced and leaves the working directory alone. A dialog the system cannot show raises.
  bool Execute();

 private:
  TForm* form_;
  DelayedLibrary commonDialogs_{L"comdlg32.dll"};  // loaded by the first Execute
};

}  // namespace ui
