#pragma once
// The main window: picture viewer, owner of the clipboard monitor, the menus and the
// program-wide state. It stays hidden until a picture is shown; closing it only hides it,
// and only Exit ends the program.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "clipboard/TJvClipboardMonitor.h"
#include "dialogs/TForm3.h"
#include "settings/TIniFile.h"
#include "settings/TJvMultiStringHolder.h"
#include "shell/TCoolTrayIcon.h"
#include "shell/TForm2.h"
#include "shell/TJvAppInstances.h"
#include "ui/Form.h"
#include "ui/Image.h"
#include "ui/ImageList.h"
#include "ui/PopupMenu.h"
#include "ui/SaveDialog.h"
#include "ui/StatusBar.h"

namespace app {

class TForm1 : public ui::TForm {
 public:
  TForm1();
  ~TForm1() override;
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // Program-wide state.
  bool ReactionFlag = true;  // clipboard changes are ignored while it is clear
  bool ExitFlag = false;     // set by Exit; until then a close only hides the window

  // The settings file, open from the window's creation until Exit has written it.
  std::unique_ptr<settings::TIniFile> IniFile;
  // The autosave settings, read at start-up and written at Exit.
  std::wstring AutoSaveDir;     // folder, as the folder picker returns it
  std::wstring AutoSaveFormat;  // "BMP", "JPG" or "PNG"
  std::wstring PicName;         // base name of the saved pictures

  // The interface language: which list of MultiString is in use, and its code for the
  // settings file (empty until a valid code has been applied).
  std::size_t LanguageIndex = 0;
  std::wstring LanguageCode;
  // Localised texts that are not captions.
  std::wstring DimensionsPrefix;    // status bar, panel 0
  std::wstring SizePrefix;          // status bar, panel 1
  std::wstring EmptyFolderMessage;  // autosave without a folder

  // Components, in the order the window builds them; the form owns and destroys them, last
  // created first.
  ui::TImage* Image = nullptr;
  ui::TStatusBar* StatusBar = nullptr;
  clipboard::TJvClipboardMonitor* ClipboardMonitor = nullptr;
  ui::TImageList* ImageList1 = nullptr;
  ui::TPopupMenu* PopupMenuText = nullptr;
  shell::TCoolTrayIcon* TrayIcon = nullptr;
  ui::TPopupMenu* PopupMenuTray = nullptr;
  ui::TPopupMenu* PopupMenuBitmap = nullptr;
  ui::TSaveDialog* SaveDialog = nullptr;
  ui::TPopupMenu* PopupMenuAnzeige = nullptr;
  settings::TJvMultiStringHolder* MultiString = nullptr;
  shell::TJvAppInstances* JvAppInstanz = nullptr;

  // Menu items, by the names the handlers use.
  ui::TMenuItem* Formatierungentfernen1 = nullptr;
  ui::TMenuItem* Formatierungbehalten1 = nullptr;
  ui::TMenuItem* Bitmapspeichernunter1 = nullptr;
  ui::TMenuItem* Bitmapanzeigen1 = nullptr;
  ui::TMenuItem* Abbrechen1 = nullptr;
  ui::TMenuItem* BitmapSpeichernunter2 = nullptr;
  ui::TMenuItem* Shortcuts1 = nullptr;
  ui::TMenuItem* Autostartverknpfungerstellen1 = nullptr;
  ui::TMenuItem* Desktopverknpfungerstellen1 = nullptr;
  ui::TMenuItem* Optionen1 = nullptr;
  ui::TMenuItem* AufTextReagieren1 = nullptr;
  ui::TMenuItem* NurFormatiert1 = nullptr;
  ui::TMenuItem* AufBilderReagieren1 = nullptr;
  ui::TMenuItem* Bilderautomatischspeichern1 = nullptr;
  ui::TMenuItem* Sprache1 = nullptr;
  ui::TMenuItem* Deutsch1 = nullptr;
  ui::TMenuItem* English1 = nullptr;
  ui::TMenuItem* Polski1 = nullptr;
  ui::TMenuItem* Ueber1 = nullptr;
  ui::TMenuItem* Hilfe1 = nullptr;
  ui::TMenuItem* Beenden1 = nullptr;

  // Exit: the only way the program ends on the user's request. Writes all settings first; a
  // failed write ends the command there, with the exit flag set.
  void Beenden1Click();
  // The language commands: apply the language to the menus, then tell the Autosave dialog.
  void Deutsch1Click();
  void English1Click();
  void Polski1Click();
  // A second copy is being refused: tell the user before it ends.
  void JvAppInstanzRejected(shell::TJvAppInstances& sender);

  // The About window, created by the program right after this window; null until then.
  shell::TForm2* Form2 = nullptr;

  // The shortcut commands: a shortcut to the program in the Startup folder, on the desktop.
  void MitWindowsstarten1Click();
  void Desktopverknpfungerstellen1Click();
  // The About window, modal; clipboard reactions rest while it is open.
  void Ueber1Click();
  // The help file from the working directory, when it is there.
  void Hilfe1Click();

  // The Autosave dialog, created by the program after the About window; null until then.
  dialogs::TForm3* Form3 = nullptr;
  // The values the Autosave dialog shows and sets.
  [[nodiscard]] dialogs::TAutoSaveValues AutoSaveValues();
  // Opens the Autosave dialog; its Save, not this click, sets the check mark.
  void Bilderautomatischspeichern1Click();

  // Reaction to a clipboard change: the text menu, the picture menu, or nothing.
  void ClipboardMonitorChange();
  // Rewrites the clipboard as its plain text alone.
  void Formatierungentfernen1Click();
  void AufTextReagieren1Click();
  // Formatted text only: plain text gets no text menu. Only to be had while text reactions are on.
  void NurFormatiert1Click();
  void AufBilderReagieren1Click();

  // The picture menu: save the clipboard picture under a chosen name, show it, or nothing.
  void Bitmapspeichernunter1Click();
  void Bitmapanzeigen1Click();
  void Abbrechen1Click();
  // The display's own menu: save the picture that is shown.
  void BitmapSpeichernunter2Click();
  // The save dialog has closed: a cancelled run leaves the name empty.
  void SaveDialogClose();
  // The reaction's autosave branch: the clipboard picture written into the autosave folder
  // under a name of its own. A failure is shown before reactions resume.
  void AutoSavePicture();

  // Applies the language with this code ("DE", "EN", "PL") to the menus and the texts above.
  // An unknown code keeps the language in use and applies that one's texts again.
  void ApplyLanguage(const std::wstring& code);
  // A string of the language in use.
  [[nodiscard]] const std::wstring& LanguageString(std::size_t index) const;
  // Runs after a language command has changed the language; the Autosave dialog sets its
  // own captions from it.
  std::function<void()> OnLanguageApplied;

 protected:
  bool CloseQuery() override;
  void SessionEnding() override;
  // FormResize: the picture is stretched only while it fills the display area.
  void Resized() override;

 private:
  void CreateImages();
  void CreateMenus();
  // Opens a menu at the mouse cursor, with the application in front so it closes when the
  // user clicks elsewhere; the main window itself stays hidden.
  void PopupAtCursor(ui::TPopupMenu& menu);
  // Runs a command on the clipboard or a picture with reactions paused, and shows its error
  // before they resume: a copy made while the box is open gets no reaction behind it.
  void WithReactionsPaused(const std::function<void()>& command);
  void CreateLanguageTables();
  void FormCreate();
  void ChooseLanguage(const std::wstring& code);
  void ApplyTrayIconSettings();
  // Formatted text only can be switched only while the text switch is on.
  void EnableNurFormatiert();
  void CreateSaveDialog();
  // Asks for a name and writes the held picture as the chosen filter says.
  void RunSaveDialog();
  void SaveToAutoSaveFolder();
  // The program stops reacting for good: the clipboard handler is let go and the viewer chain
  // left, so nothing can reach the handler while the menus it uses are being destroyed.
  void StopWatchingClipboard();
};

}  // namespace app
