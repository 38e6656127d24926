// The picture side of the main window: the picture menu's commands, the viewer with its
// status bar, the save dialog and the autosave.
#include <string>
#include <string_view>

#include "app/AutoSaveName.h"
#include "app/LocalDateTime.h"
#include "app/TForm1.h"
#include "clipboard/Clipboard.h"
#include "imaging/BmpWriter.h"
#include "imaging/PictureFormats.h"
#include "ui/Application.h"
#include "ui/Graphics.h"

namespace app {
namespace {

bool FileTaken(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A name in the folder for a picture saved now that no earlier picture has.
std::wstring FreeNameNow(const std::wstring& folder, const std::wstring& baseName, std::wstring_view extension) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return FreeAutoSaveFileName(folder, baseName, LocalDateTimeText(now), extension, FileTaken);
}

}  // namespace

void TForm1::CreateSaveDialog() {
  SaveDialog = new ui::TSaveDialog(this, L"SaveDialog");
  SaveDialog->Title = L"Bild speichern unter...";
  SaveDialog->Filter = imaging::SaveDialogFilter();
  const imaging::TPictureFormat& first = imaging::kPictureFormats.front();
  SaveDialog->DefaultExt = first.extension.substr(1);  // without its dot
  SaveDialog->FilterIndex = first.filterIndex;
  SaveDialog->OnClose = [this] { SaveDialogClose(); };
}

void TForm1::SaveDialogClose() { SaveDialog->FileName.clear(); }

void TForm1::RunSaveDialog() {
  SaveDialog->FileName = L"Pic";
  // Cancel leaves the name empty (SaveDialogClose); the format follows the filter alone,
  // whatever extension the name has.
  static_cast<void>(SaveDialog->Execute());
  const std::wstring name = SaveDialog->FileName;
  if (name.empty()) return;
  if (const imaging::TPictureFormat* format = imaging::FindPictureFormatByFilterIndex(SaveDialog->FilterIndex))
    format->write(Picture, name);
}

void TForm1::Bitmapspeichernunter1Click() {
  WithReactionsPaused([this] {
    auto& clipboard = clipboard::Clipboard();
    if (!clipboard.ContainsFormat(clipboard::PictureClipboardFormat())) return;
    clipboard.CopyToPicture(Picture);
    RunSaveDialog();
  });
}

void TForm1::Bitmapanzeigen1Click() {
  WithReactionsPaused([this] {
    auto& clipboard = clipboard::Clipboard();
    if (!clipboard.ContainsFormat(clipboard::PictureClipboardFormat())) return;
    clipboard.CopyToPicture(Picture);
    // Only ever switched off here; a resize decides anew.
    if (Picture.Height() < Image->ClientHeight() || Picture.Width() < Image->ClientWidth()) Image->SetStretch(false);
    // A metafile is drawn into a bitmap of its own size, so the window shows the picture and
    // the status bar describes what a save would write.
    const ui::TBitmap& bitmap = ui::BitmapOf(Picture);
    StatusBar->SetPanelText(
        0, DimensionsPrefix() + std::to_wstring(bitmap.Width()) + L"x" + std::to_wstring(bitmap.Height()));
    StatusBar->SetPanelText(1, SizePrefix() + std::to_wstring(imaging::BmpFileSize(bitmap) / 1024) + L" KB");
    TrayIcon->ShowMainWindow();
  });
}

void TForm1::Abbrechen1Click() {
  // The menu has closed already; the picture stays on the clipboard untouched.
}

void TForm1::BitmapSpeichernunter2Click() { RunSaveDialog(); }

void TForm1::Resized() {
  if (!Image) return;  // the window's first size message comes before its display exists
  Image->SetStretch(Picture.Height() >= Image->ClientHeight() && Picture.Width() >= Image->ClientWidth());
}

void TForm1::AutoSavePicture() {
  // Its error is shown while reactions are still paused, as the empty-folder message is:
  // pictures copied while the box is open do not each run into the same failure behind it.
  WithReactionsPaused([this] { SaveToAutoSaveFolder(); });
}

void TForm1::SaveToAutoSaveFolder() {
  clipboard::Clipboard().CopyToPicture(Picture);
  const settings::AutoSaveSettings& autoSave = settings_.AutoSave;
  if (autoSave.Folder.empty()) {
    const ui::TApplication* application = ui::TApplication::Current();
    MessageBoxW(application->Handle(), EmptyFolderMessage().c_str(), application->Title().c_str(), MB_OK);
    return;
  }
  // Any other format value, "bmp" in lower case too, writes nothing.
  if (const imaging::TPictureFormat* format = imaging::FindPictureFormatByCode(autoSave.Format))
    format->write(Picture, FreeNameNow(autoSave.Folder, autoSave.PicName, format->extension));
}

}  // namespace app
