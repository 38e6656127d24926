#pragma once
// Showing and hiding the main window together with the application's taskbar button.
namespace ui {
class TForm;
}

namespace app {

// Hides the main window and the taskbar button.
void HideMainWindow(ui::TForm& mainForm);
// Restores the application when minimised, shows the main window and brings it to the front.
void ShowMainWindow(ui::TForm& mainForm);

}  // namespace app
