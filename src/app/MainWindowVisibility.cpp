#include "app/MainWindowVisibility.h"

#include "ui/Application.h"
#include "ui/Form.h"

namespace app {

void HideMainWindow(ui::TForm& mainForm) {
  ui::TApplication* application = ui::TApplication::Current();
  if (!application || application->MainForm() != &mainForm) return;
  mainForm.Hide();
  if (IsWindowVisible(application->Handle())) ShowWindow(application->Handle(), SW_HIDE);
}

void ShowMainWindow(ui::TForm& mainForm) {
  ui::TApplication* application = ui::TApplication::Current();
  if (!application || application->MainForm() != &mainForm) return;
  if (IsIconic(application->Handle())) application->Restore();
  if (IsIconic(mainForm.Handle())) ShowWindow(mainForm.Handle(), SW_RESTORE);
  mainForm.Show();
  SetForegroundWindow(application->Handle());
  SetForegroundWindow(mainForm.Handle());
}

}  // namespace app
