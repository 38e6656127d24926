// Velmo Clipboard: a tray utility that offers to strip the formatting of copied text and to
// save or show copied pictures.
#include <windows.h>

#include "app/RunObjects.h"
#include "app/TForm1.h"
#include "dialogs/TForm3.h"
#include "shell/TForm2.h"
#include "shell/TJclAppInstances.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // The objects that live for the whole run, created in their order (app/RunObjects.h) and
  // destroyed in the reverse one; the clean-up after the message loop can be read here.
  app::RunObjects run;
  ui::TApplication& application = run.Application();
  try {
    run.Start();
    app::TForm1 form1(run);
    shell::TForm2 form2([&form1] { return form1.PauseReactions(); });
    form1.SetForm2(form2);
    // Filled from the settings the main window has read; a language command relabels it.
    dialogs::TForm3 form3(form1.Settings().AutoSave, form1.LanguageStrings());
    form1.SetForm3(form3);
    form3.OnSave = [&form1](const settings::AutoSaveSettings& values) { form1.Form3Save(values); };
    form1.OnLanguageApplied = [&form1, &form3] { form3.ApplyLanguage(form1.LanguageStrings()); };
    application.SetShowMainForm(false);
    const int exitCode = application.Run();
    // The clean-up starts by leaving the registry: a copy started from now on must not count
    // this one, whose windows are about to go. Then the Autosave dialog and the About window go,
    // then the main window, which lets go of the clipboard before anything else of it is
    // destroyed; the tray icon and the rest go with it.
    run.Registry().Reset();
    return exitCode;
  } catch (const shell::EndOfRun& end) {
    // A copy refused at start-up ends here; its half-built main window is gone already.
    return end.ExitCode;
  } catch (...) {
    // Start-up failed (the registry or its lock could not be had): say so rather than vanish.
    application.HandleException();
    return 1;
  }
}
