#pragma once
// The program's access to the Windows clipboard: presence queries, reading and writing text,
// and taking a picture into a picture holder. Every operation opens and closes the clipboard
// itself, on behalf of the application window.
#include <windows.h>

#include <array>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "ui/Handle.h"
#include "ui/Picture.h"

namespace clipboard {

class TKeptClipboard;

// Stands for "any picture the holder can load"; nothing is ever stored under it.
UINT PictureClipboardFormat();
// The registered format "PNG": a PNG file's bytes. Linux programs' image/png arrives under it
// alone; Windows programs that put it beside a bitmap or metafile mean the same picture.
UINT PngClipboardFormat();
// The registered format "JFIF": a JPEG file's bytes, as Wine hands on image/jpeg. No picture is
// taken from it; beside a bitmap it is kept for a save as JPEG.
UINT JfifClipboardFormat();

// The formats by which a source asks clipboard watchers to leave its content alone (password
// managers do): "ExcludeClipboardContentFromMonitorProcessing", "Clipboard Viewer Ignore" and
// "CanIncludeInClipboardHistory" (which asks it only while holding 0).
const std::array<UINT, 3>& PrivacyMarkerFormats();
// The names of the registered formats among these, in their order; the predefined formats
// have none.
std::vector<std::wstring> RegisteredFormatNames(std::span<const UINT> formats);

// What a loader makes of the clipboard's data: the content, and the file it was decoded from
// when that file is whole and sound (a "PNG").
struct LoadedPicture {
  std::unique_ptr<ui::TGraphic> graphic;
  std::vector<ui::TSourceFile> files;
};
// The clipboard formats a picture can be loaded from, with the loader that makes their content:
// a metafile, a bitmap, and "PNG". The last matching entry wins; null when the format is not
// one of them.
using PictureLoader = LoadedPicture (*)(UINT format, HANDLE data, HPALETTE palette);
PictureLoader FindPictureFormat(UINT format);

// Loads the data into a new content object and installs it; on error the holder keeps
// what it had.
void LoadFromClipboardData(ui::TPicture& picture, UINT format, HANDLE data, HPALETTE palette);

// The run's objects (app/RunObjects.h) own the one clipboard object of the process and hand
// it to those that use it.
class TClipboard {
 public:
  TClipboard() noexcept = default;
  ~TClipboard() = default;
  TClipboard(const TClipboard&) = delete;
  TClipboard& operator=(const TClipboard&) = delete;

  [[nodiscard]] bool ContainsFormat(UINT format);
  // The formats the clipboard offers in its own order, read in one request and without
  // opening it, so another program holding it open cannot make this fail. Formats Windows
  // derives from others (the text family, bitmap from metafile) may be missing.
  [[nodiscard]] std::vector<UINT> OfferedFormats();
  // The clipboard text as Unicode; empty when there is none.
  [[nodiscard]] std::wstring ReadText();
  // Replaces everything on the clipboard by this text alone.
  void WriteText(const std::wstring& text);
  // Replaces everything on the clipboard by its own text alone, as WriteText(ReadText())
  // would, but copies the text straight from the clipboard's block into the new one: a
  // copied text of hundreds of megabytes then needs no third copy on our heap.
  void RewriteTextAlone();
  // The same, but first, within the same open, keeps in `kept` what the clipboard held, and
  // notes the sequence number of the program's write once the clipboard is closed.
  void RewriteTextAlone(TKeptClipboard& kept);
  // Puts back every format `kept` holds, byte for byte, as the program's own write, and drops
  // the copy. Only while the clipboard still holds that write (checked with the clipboard
  // open, so nothing can come between): a newer copy of the user's is never overwritten, and
  // the stale copy is dropped instead. Answers whether it put the copy back.
  bool Restore(TKeptClipboard& kept);
  // Loads the first picture in the clipboard's own order into the holder, but a "PNG" in
  // place of a bitmap: only the PNG keeps the picture's transparency. A "PNG" that does not
  // decode leaves the bitmap to be taken. A bitmap taken keeps a "JFIF" offered beside it.
  void CopyToPicture(ui::TPicture& picture);
  // The source asked clipboard watchers to leave this content alone (see PrivacyMarkerFormats).
  [[nodiscard]] bool ExcludedFromMonitoring();

  [[nodiscard]] int OpenCount() const noexcept { return openCount_; }

  // The second line of the error an open fails with, naming the program that holds the
  // clipboard ("%s" stands for its file name), in the interface's language; the interface
  // sets it whenever its language changes. While it is empty, or when no holder can be
  // found, the error has its first line alone.
  void SetHolderText(std::wstring pattern) { holderText_ = std::move(pattern); }

  // How often and how long an open is tried while another program holds the clipboard.
  static constexpr int kOpenAttempts = 6;
  static constexpr DWORD kOpenRetryDelayMs = 20;

 private:
  friend class OpenGuard;
  void Open();
  void Close();
  void EmptyOnce();
  // Empties the clipboard once and hands the block over as its CF_UNICODETEXT.
  void PlaceTextBlock(ui::UniqueGlobal block);

  int openCount_ = 0;
  bool emptied_ = false;
  std::wstring holderText_;
};

}  // namespace clipboard
