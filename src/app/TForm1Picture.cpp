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
  saveDialog_ = new ui::TSaveDialog(this, L"SaveDialog");
  saveDialog_->Title = L"Bild speichern unter...";
  saveDialog_->Filter = imaging::SaveDialogFilter();
  const imaging::TPictureFormat& first = imaging::kPictureFormats.front();
  saveDialog_->DefaultExt = first.extension.substr(1);  // without its dot
  saveDialog_->FilterIndex = first.filterIndex;
  saveDialog_->OnClose = [this] { SaveDialogClose(); };
}

void TForm1::SaveDialogClose() { saveDialog_->FileName.clear(); }

void TForm1::RunSaveDialog() {
  saveDialog_->FileName = L"Pic";
  // Cancel leaves the name empty (SaveDialogClose); the format follows the filter alone,
  // whatever extension the name has.
  static_cast<void>(saveDialog_->Execute());
  const std::wstring name = saveDialog_->FileName;
  if (name.empty()) return;
  if (const imaging::TPictureFormat* format = imaging::FindPictureFormatByFilterIndex(saveDialog_->FilterIndex))
    format->write(picture_, name);
}

void TForm1::Bitmapspeichernunter1Click() {
  WithReactionsPaused([this] {
    auto& clipboard = clipboard_;
    if (!clipboard.ContainsFormat(clipboard::PictureClipboardFormat())) return;
    clipboard.CopyToPicture(picture_);
    RunSaveDialog();
  });
}

void TForm1::Bitmapanzeigen1Click() {
  WithReactionsPaused([this] {
    auto& clipboard = clipboard_;
    if (!clipboard.ContainsFormat(clipboard::PictureClipboardFormat())) return;
    clipboard.CopyToPicture(picture_);
    // Only ever switched off here; a resize decides anew.
    if (picture_.Height() < image_->ClientHeight() || picture_.Width() < image_->ClientWidth())
      image_->SetStretch(false);
    // A metafile is drawn into a bitmap of its own size, so the window shows the picture and
    // the status bar describes what a save would write.
    const ui::TBitmap& bitmap = ui::BitmapOf(picture_);
    statusBar_->SetPanelText(
        0, DimensionsPrefix() + std::to_wstring(bitmap.Width()) + L"x" + std::to_wstring(bitmap.Height()));
    statusBar_->SetPanelText(1, SizePrefix() + std::to_wstring(imaging::BmpFileSize(bitmap) / 1024) + L" KB");
    trayIcon_->ShowMainWindow();
  });
}

void TForm1::Abbrechen1Click() {
  // The menu has closed already; the picture stays on the clipboard untouched.
}

void TForm1::BitmapSpeichernunter2Click() { RunSaveDialog(); }

void TForm1::Resized() {
  if (!image_) return;  // the window's first size message comes before its display exists
  image_->SetStretch(picture_.Height() >= image_->ClientHeight() && picture_.Width() >= image_->ClientWidth());
}

void TForm1::AutoSavePicture() {
  // Its error is shown while reactions are still paused, as the empty-folder message is:
  // pictures copied while the box is open do not each run into the same failure behind it.
  WithReactionsPaused([this] { SaveToAutoSaveFolder(); });
}

void TForm1::SaveToAutoSaveFolder() {
  clipboard_.CopyToPicture(picture_);
  const settings::AutoSaveSettings& autoSave = settings_.AutoSave;
  if (autoSave.Folder.empty()) {
    MessageBoxW(application_.Handle(), EmptyFolderMessage().c_str(), application_.Title().c_str(), MB_OK);
    return;
  }
  // Any other format value, "bmp" in lower case too, writes nothing.
  if (const imaging::TPictureFormat* format = imaging::FindPictureFormatByCode(autoSave.Format))
    format->write(picture_, FreeNameNow(autoSave.Folder, autoSave.PicName, format->extension));
}

}  // namespace app
