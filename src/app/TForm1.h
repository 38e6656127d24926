#pragma once
// The main window: picture viewer, owner of the clipboard monitor, the menus and the
// program-wide state. It stays hidden until a picture is shown; closing it only hides it,
// and only Exit ends the program.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/RunObjects.h"
#include "clipboard/ReactionPause.h"
#include "clipboard/TJvClipboardMonitor.h"
#include "clipboard/TKeptClipboard.h"
#include "dialogs/TForm3.h"
#include "settings/Settings.h"
#include "settings/TIniFile.h"
#include "settings/TJvMultiStringHolder.h"
#include "shell/TCoolTrayIcon.h"
#include "shell/TForm2.h"
#include "shell/TJvAppInstances.h"
#include "ui/Form.h"
#include "ui/Image.h"
#include "ui/ImageList.h"
#include "ui/Picture.h"
#include "ui/PopupMenu.h"
#include "ui/SaveDialog.h"
#include "ui/StatusBar.h"

namespace app {

class TForm1 : public ui::TForm {
 public:
  // Takes the run's clipboard, application, tray icon handler and instance registry.
  explicit TForm1(RunObjects& run);
  ~TForm1() override;
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // Clipboard changes are ignored while this is clear; it is cleared only by a pause.
  [[nodiscard]] bool ReactionFlag() const noexcept { return reactionFlag_; }
  [[nodiscard]] clipboard::ReactionPause PauseReactions() noexcept { return clipboard::ReactionPause(reactionFlag_); }
  // Set by Exit; until then a close only hides the window.
  [[nodiscard]] bool ExitFlag() const noexcept { return exitFlag_; }

  // The settings in force, which the menus show; the language code is the one applied.
  [[nodiscard]] const settings::Settings& Settings() const noexcept { return settings_; }
  // Puts these in force and shows them; a new language code goes through the language command.
  void SetSettings(const settings::Settings& values);
  // The settings file, open from the window's creation until Exit has written it.
  [[nodiscard]] const settings::TIniFile* IniFile() const noexcept { return iniFile_.get(); }

  // The interface language: which list of MultiString is in use, and its code for the
  // settings file (empty until a valid code has been applied).
  [[nodiscard]] std::size_t LanguageIndex() const noexcept { return languageIndex_; }
  [[nodiscard]] const std::wstring& LanguageCode() const noexcept { return settings_.LanguageCode; }
  // Localised texts that are not captions: the status bar's two prefixes, and the message of an
  // autosave without a folder.
  [[nodiscard]] const std::wstring& DimensionsPrefix() const noexcept { return dimensionsPrefix_; }
  [[nodiscard]] const std::wstring& SizePrefix() const noexcept { return sizePrefix_; }
  [[nodiscard]] const std::wstring& EmptyFolderMessage() const noexcept { return emptyFolderMessage_; }

  // The picture holder: the last picture taken from the clipboard by a picture command or the
  // autosave, which Image shows and the save commands write. It starts empty.
  [[nodiscard]] ui::TPicture& Picture() noexcept { return picture_; }
  [[nodiscard]] const ui::TPicture& Picture() const noexcept { return picture_; }

  // Components, in the order the window builds them; the form owns and destroys them, last
  // created first.
  [[nodiscard]] ui::TImage& Image() const noexcept { return *image_; }
  [[nodiscard]] ui::TStatusBar& StatusBar() const noexcept { return *statusBar_; }
  [[nodiscard]] clipboard::TJvClipboardMonitor& ClipboardMonitor() const noexcept { return *clipboardMonitor_; }
  [[nodiscard]] ui::TImageList& ImageList1() const noexcept { return *imageList1_; }
  [[nodiscard]] ui::TPopupMenu& PopupMenuText() const noexcept { return *popupMenuText_; }
  [[nodiscard]] shell::TCoolTrayIcon& TrayIcon() const noexcept { return *trayIcon_; }
  [[nodiscard]] ui::TPopupMenu& PopupMenuTray() const noexcept { return *popupMenuTray_; }
  [[nodiscard]] ui::TPopupMenu& PopupMenuBitmap() const noexcept { return *popupMenuBitmap_; }
  [[nodiscard]] ui::TSaveDialog& SaveDialog() const noexcept { return *saveDialog_; }
  [[nodiscard]] ui::TPopupMenu& PopupMenuAnzeige() const noexcept { return *popupMenuAnzeige_; }
  [[nodiscard]] settings::TJvMultiStringHolder& MultiString() const noexcept { return *multiString_; }
  [[nodiscard]] shell::TJvAppInstances& JvAppInstanz() const noexcept { return *jvAppInstanz_; }

  // Menu items, by the names the handlers use.
  [[nodiscard]] ui::TMenuItem& Formatierungwiederherstellen1() const noexcept {
    return *formatierungwiederherstellen1_;
  }
  [[nodiscard]] ui::TMenuItem& N1() const noexcept { return *n1_; }  // the separator under it
  [[nodiscard]] ui::TMenuItem& Formatierungentfernen1() const noexcept { return *formatierungentfernen1_; }
  [[nodiscard]] ui::TMenuItem& Formatierungbehalten1() const noexcept { return *formatierungbehalten1_; }
  [[nodiscard]] ui::TMenuItem& Bitmapspeichernunter1() const noexcept { return *bitmapspeichernunter1_; }
  [[nodiscard]] ui::TMenuItem& Bitmapanzeigen1() const noexcept { return *bitmapanzeigen1_; }
  [[nodiscard]] ui::TMenuItem& Abbrechen1() const noexcept { return *abbrechen1_; }
  [[nodiscard]] ui::TMenuItem& BitmapSpeichernunter2() const noexcept { return *bitmapSpeichernunter2_; }
  [[nodiscard]] ui::TMenuItem& Shortcuts1() const noexcept { return *shortcuts1_; }
  [[nodiscard]] ui::TMenuItem& Autostartverknpfungerstellen1() const noexcept {
    return *autostartverknpfungerstellen1_;
  }
  [[nodiscard]] ui::TMenuItem& Desktopverknpfungerstellen1() const noexcept { return *desktopverknpfungerstellen1_; }
  [[nodiscard]] ui::TMenuItem& Optionen1() const noexcept { return *optionen1_; }
  [[nodiscard]] ui::TMenuItem& AufTextReagieren1() const noexcept { return *aufTextReagieren1_; }
  [[nodiscard]] ui::TMenuItem& NurFormatiert1() const noexcept { return *nurFormatiert1_; }
  [[nodiscard]] ui::TMenuItem& AufBilderReagieren1() const noexcept { return *aufBilderReagieren1_; }
  [[nodiscard]] ui::TMenuItem& Bilderautomatischspeichern1() const noexcept { return *bilderautomatischspeichern1_; }
  [[nodiscard]] ui::TMenuItem& Sprache1() const noexcept { return *sprache1_; }
  [[nodiscard]] ui::TMenuItem& Deutsch1() const noexcept { return *deutsch1_; }
  [[nodiscard]] ui::TMenuItem& English1() const noexcept { return *english1_; }
  [[nodiscard]] ui::TMenuItem& Polski1() const noexcept { return *polski1_; }
  [[nodiscard]] ui::TMenuItem& Ueber1() const noexcept { return *ueber1_; }
  [[nodiscard]] ui::TMenuItem& Hilfe1() const noexcept { return *hilfe1_; }
  [[nodiscard]] ui::TMenuItem& Beenden1() const noexcept { return *beenden1_; }

  // Exit: the only way the program ends on the user's request. Writes all settings first; a
  // failed write ends the command there, with the exit flag set.
  void Beenden1Click();
  // The language commands: apply the language to the menus, then tell the Autosave dialog.
  void Deutsch1Click();
  void English1Click();
  void Polski1Click();
  // A second copy is being refused: tell the user before it ends.
  void JvAppInstanzRejected(shell::TJvAppInstances& sender);

  // The About window, created by the program right after this window.
  void SetForm2(shell::TForm2& form) noexcept { form2_ = &form; }

  // The shortcut commands: a shortcut to the program in the Startup folder, on the desktop.
  void MitWindowsstarten1Click();
  void Desktopverknpfungerstellen1Click();
  // The About window, modal; clipboard reactions rest while it is open.
  void Ueber1Click();
  // The help file from the working directory, when it is there.
  void Hilfe1Click();

  // The Autosave dialog, created by the program after the About window.
  void SetForm3(dialogs::TForm3& form) noexcept { form3_ = &form; }
  // Opens the Autosave dialog; its Save, not this click, sets the check mark.
  void Bilderautomatischspeichern1Click();
  // The Autosave dialog's Save: its values go in force and to the settings file at once.
  void Form3Save(const settings::AutoSaveSettings& values);

  // Reaction to a clipboard change: the text menu, the picture menu, or nothing.
  void ClipboardMonitorChange();
  // Rewrites the clipboard as its plain text alone, keeping what it held for a restore.
  void Formatierungentfernen1Click();
  // Puts back what the last removal replaced, as long as the clipboard still holds the plain
  // text it wrote; the tray menu offers it only then.
  void Formatierungwiederherstellen1Click();
  // What the last removal replaced; empty when there is nothing to restore.
  [[nodiscard]] const clipboard::TKeptClipboard& KeptClipboard() const noexcept { return keptClipboard_; }
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
  // A string of the language in use, and all of them.
  [[nodiscard]] const std::wstring& LanguageString(std::size_t index) const;
  [[nodiscard]] const std::vector<std::wstring>& LanguageStrings() const;
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
  void CreateMenus(shell::TTrayIconHandler& trayIconHandler);
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
  // The check marks of the switches from the settings in force.
  void ShowSettings();
  void CreateSaveDialog();
  // Asks for a name and writes the held picture as the chosen filter says.
  void RunSaveDialog();
  void SaveToAutoSaveFolder();
  // The program stops reacting for good: the clipboard handler is let go and the viewer chain
  // left, so nothing can reach the handler while the menus it uses are being destroyed.
  void StopWatchingClipboard();
  // The tray menu is about to open: the restore item and its separator show only while there
  // is something to restore.
  void PopupMenuTrayPopup();

  ui::TPicture picture_;
  // Components, in the order the window builds them.
  ui::TImage* image_ = nullptr;
  ui::TStatusBar* statusBar_ = nullptr;
  clipboard::TJvClipboardMonitor* clipboardMonitor_ = nullptr;
  ui::TImageList* imageList1_ = nullptr;
  ui::TPopupMenu* popupMenuText_ = nullptr;
  shell::TCoolTrayIcon* trayIcon_ = nullptr;
  ui::TPopupMenu* popupMenuTray_ = nullptr;
  ui::TPopupMenu* popupMenuBitmap_ = nullptr;
  ui::TSaveDialog* saveDialog_ = nullptr;
  ui::TPopupMenu* popupMenuAnzeige_ = nullptr;
  settings::TJvMultiStringHolder* multiString_ = nullptr;
  shell::TJvAppInstances* jvAppInstanz_ = nullptr;
  // Menu items.
  ui::TMenuItem* formatierungwiederherstellen1_ = nullptr;
  ui::TMenuItem* n1_ = nullptr;
  ui::TMenuItem* formatierungentfernen1_ = nullptr;
  ui::TMenuItem* formatierungbehalten1_ = nullptr;
  ui::TMenuItem* bitmapspeichernunter1_ = nullptr;
  ui::TMenuItem* bitmapanzeigen1_ = nullptr;
  ui::TMenuItem* abbrechen1_ = nullptr;
  ui::TMenuItem* bitmapSpeichernunter2_ = nullptr;
  ui::TMenuItem* shortcuts1_ = nullptr;
  ui::TMenuItem* autostartverknpfungerstellen1_ = nullptr;
  ui::TMenuItem* desktopverknpfungerstellen1_ = nullptr;
  ui::TMenuItem* optionen1_ = nullptr;
  ui::TMenuItem* aufTextReagieren1_ = nullptr;
  ui::TMenuItem* nurFormatiert1_ = nullptr;
  ui::TMenuItem* aufBilderReagieren1_ = nullptr;
  ui::TMenuItem* bilderautomatischspeichern1_ = nullptr;
  ui::TMenuItem* sprache1_ = nullptr;
  ui::TMenuItem* deutsch1_ = nullptr;
  ui::TMenuItem* english1_ = nullptr;
  ui::TMenuItem* polski1_ = nullptr;
  ui::TMenuItem* ueber1_ = nullptr;
  ui::TMenuItem* hilfe1_ = nullptr;
  ui::TMenuItem* beenden1_ = nullptr;
  // The About window and the Autosave dialog; null until the program has created them.
  shell::TForm2* form2_ = nullptr;
  dialogs::TForm3* form3_ = nullptr;

  clipboard::TClipboard& clipboard_;
  ui::TApplication& application_;
  bool reactionFlag_ = true;
  bool exitFlag_ = false;
  // Until the file is read: text off, pictures on, autosave off, and no language applied.
  settings::Settings settings_{.LanguageCode = L"", .ReactToText = false};
  std::unique_ptr<settings::TIniFile> iniFile_;
  std::size_t languageIndex_ = 0;
  std::wstring dimensionsPrefix_;
  std::wstring sizePrefix_;
  std::wstring emptyFolderMessage_;
  clipboard::TKeptClipboard keptClipboard_;
};

}  // namespace app
