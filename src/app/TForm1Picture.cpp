// The picture side of the main window: the picture menu's commands, the viewer with its
// status bar, the save dialog and the autosave.
#include <string>

#include "app/AutoSaveName.h"
#include "app/LocalDateTime.h"
#include "app/TForm1.h"
#include "clipboard/Clipboard.h"
#include "clipboard/Graphics.h"
#include "imaging/BmpWriter.h"
#include "imaging/PngWriter.h"
#include "imaging/TJPEGImage.h"
#include "ui/Application.h"

namespace app {
namespace {

// The save dialog's filter indexes, as the dialog counts them. PNG came last, so an index
// remembered from a run with two filters still means the same format.
constexpr int kFilterBmp = 1;
constexpr int kFilterJpeg = 2;
constexpr int kFilterPng = 3;

bool FileTaken(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A name in the folder for a picture saved now that no earlier picture has.
std::wstring FreeNameNow(const std::wstring& folder, const std::wstring& baseName, const wchar_t* extension) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return FreeAutoSaveFileName(folder, baseName, LocalDateTimeText(now), extension, FileTaken);
}

}  // namespace

void TForm1::CreateSaveDialog() {
  SaveDialog = new ui::TSaveDialog(this, L"SaveDialog");
  SaveDialog->Title = L"Bild speichern unter...";
  SaveDialog->Filter = L"Bitmap (*.bmp)|*.bmp|JPEG (*.jpg)|*.jpg|PNG (*.png)|*.png";
  SaveDialog->DefaultExt = L"bmp";
  SaveDialog->FilterIndex = kFilterBmp;
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
  if (SaveDialog->FilterIndex == kFilterBmp) {
    imaging::WriteBmp(Image->Picture(), name);
  } else if (SaveDialog->FilterIndex == kFilterJpeg) {
    imaging::WriteJpeg(Image->Picture(), name);
  } else if (SaveDialog->FilterIndex == kFilterPng) {
    imaging::WritePng(Image->Picture(), name);
  }
}

void TForm1::Bitmapspeichernunter1Click() {
  WithReactionsPaused([this] {
    auto& clipboard = clipboard::Clipboard();
    if (!clipboard.ContainsFormat(clipboard::PictureClipboardFormat())) return;
    clipboard.CopyToPicture(Image->Picture());
    RunSaveDialog();
  });
}

void TForm1::Bitmapanzeigen1Click() {
  WithReactionsPaused([this] {
    auto& clipboard = clipboard::Clipboard();
    if (!clipboard.ContainsFormat(clipboard::PictureClipboardFormat())) return;
    ui::TPicture& picture = Image->Picture();
    clipboard.CopyToPicture(picture);
    // Only ever switched off here; a resize decides anew.
    if (picture.Height() < Image->ClientHeight() || picture.Width() < Image->ClientWidth()) Image->SetStretch(false);
    // A metafile is drawn into a bitmap of its own size, so the window shows the picture and
    // the status bar describes what a save would write.
    const clipboard::TBitmap& bitmap = clipboard::BitmapOf(picture);
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
  const ui::TPicture& picture = Image->Picture();
  Image->SetStretch(picture.Height() >= Image->ClientHeight() && picture.Width() >= Image->ClientWidth());
}

void TForm1::AutoSavePicture() {
  // Its error is shown while reactions are still paused, as the empty-folder message is:
  // pictures copied while the box is open do not each run into the same failure behind it.
  WithReactionsPaused([this] { SaveToAutoSaveFolder(); });
}

void TForm1::SaveToAutoSaveFolder() {
  ui::TPicture& picture = Image->Picture();
  clipboard::Clipboard().CopyToPicture(picture);
  const settings::AutoSaveSettings& autoSave = settings_.AutoSave;
  if (autoSave.Folder.empty()) {
    const ui::TApplication* application = ui::TApplication::Current();
    MessageBoxW(application->Handle(), EmptyFolderMessage().c_str(), application->Title().c_str(), MB_OK);
    return;
  }
  // Any other format value, "bmp" in lower case too, writes nothing.
  if (autoSave.Format == L"BMP") {
    imaging::WriteBmp(picture, FreeNameNow(autoSave.Folder, autoSave.PicName, L".bmp"));
  } else if (autoSave.Format == L"JPG") {
    imaging::WriteJpeg(picture, FreeNameNow(autoSave.Folder, autoSave.PicName, L".jpg"));
  } else if (autoSave.Format == L"PNG") {
    imaging::WritePng(picture, FreeNameNow(autoSave.Folder, autoSave.PicName, L".png"));
  }
}

}  // namespace app
