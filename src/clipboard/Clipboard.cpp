#include "clipboard/Clipboard.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <new>
#include <stdexcept>
#include <string_view>

#include "clipboard/PictureLoading.h"
#include "clipboard/TKeptClipboard.h"
#include "ui/Application.h"
#include "ui/Errors.h"
#include "ui/Graphics.h"
#include "ui/Handle.h"

namespace clipboard {

// Pairs an open with a close that runs however the operation ends.
class OpenGuard {
 public:
  explicit OpenGuard(TClipboard& clipboard) : clipboard_(clipboard) { clipboard_.Open(); }
  ~OpenGuard() { clipboard_.Close(); }
  OpenGuard(const OpenGuard&) = delete;
  OpenGuard& operator=(const OpenGuard&) = delete;

 private:
  TClipboard& clipboard_;
};

namespace {

LoadedPicture MetafileFrom(UINT format, HANDLE data, HPALETTE) { return {LoadMetafile(format, data), {}}; }
LoadedPicture BitmapFrom(UINT format, HANDLE data, HPALETTE palette) { return {LoadBitmap(format, data, palette), {}}; }
LoadedPicture PngFrom(UINT, HANDLE data, HPALETTE) {
  PngPicture png = LoadPng(data);
  LoadedPicture loaded{std::move(png.bitmap), {}};
  if (!png.file.empty()) loaded.files.push_back({ui::TFileFormat::ffPng, std::move(png.file)});
  return loaded;
}

struct PictureFormat {
  UINT format;
  PictureLoader loader;
};
constexpr PictureFormat kPictureFormats[] = {
    {CF_METAFILEPICT, &MetafileFrom},
    {CF_ENHMETAFILE, &MetafileFrom},
    {CF_BITMAP, &BitmapFrom},
};

}  // namespace

UINT PictureClipboardFormat() {
  static const UINT format = RegisterClipboardFormatW(L"Karvo Picture");
  return format;
}

UINT PngClipboardFormat() {
  static const UINT format = RegisterClipboardFormatW(L"PNG");
  return format;
}

UINT JfifClipboardFormat() {
  static const UINT format = RegisterClipboardFormatW(L"JFIF");
  return format;
}

const std::array<UINT, 3>& PrivacyMarkerFormats() {
  static const std::array<UINT, 3> formats{RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing"),
                                           RegisterClipboardFormatW(L"Clipboard Viewer Ignore"),
                                           RegisterClipboardFormatW(L"CanIncludeInClipboardHistory")};
  return formats;
}

std::vector<std::wstring> RegisteredFormatNames(std::span<const UINT> formats) {
  std::vector<std::wstring> names;
  for (const UINT format : formats) {
    if (format < 0xC000) continue;  // registered formats are atoms, numbered from 0xC000
    wchar_t name[256];              // an atom's name has at most 255 characters
    const int length = GetClipboardFormatNameW(format, name, static_cast<int>(std::size(name)));
    if (length > 0) names.emplace_back(name, static_cast<std::size_t>(length));
  }
  return names;
}

PictureLoader FindPictureFormat(UINT format) {
  for (auto entry = std::rbegin(kPictureFormats); entry != std::rend(kPictureFormats); ++entry) {
    if (entry->format == format) return entry->loader;
  }
  // Registered formats get their numbers at run time, so this one cannot stand in the table.
  if (format == PngClipboardFormat()) return &PngFrom;
  return nullptr;
}

namespace {

LoadedPicture Load(UINT format, HANDLE data, HPALETTE palette) {
  PictureLoader loader = FindPictureFormat(format);
  if (!loader) throw ui::EInvalidGraphic(L"Format der Zwischenablage wird nicht unterstützt");
  return loader(format, data, palette);
}

// The "JFIF" on the open clipboard, for a bitmap just taken: a program that offers a JPEG beside
// a bitmap offers the same picture. Nothing here shows that it decodes to that bitmap, so the
// JPEG writer checks it before writing it. Without memory for the copy it is left behind.
void KeepJfif(LoadedPicture& loaded) {
  if (!dynamic_cast<const ui::TBitmap*>(loaded.graphic.get())) return;
  HANDLE data = GetClipboardData(JfifClipboardFormat());
  if (!data) return;
  ui::GlobalLockGuard lock(data);
  const auto* bytes = static_cast<const std::uint8_t*>(lock.data());
  if (!bytes) return;
  try {
    loaded.files.push_back({ui::TFileFormat::ffJpeg, {bytes, bytes + GlobalSize(data)}});
  } catch (const std::bad_alloc&) {
    // Nothing was added; the picture itself is whole, and a save as JPEG encodes it.
  }
}

}  // namespace

void LoadFromClipboardData(ui::TPicture& picture, UINT format, HANDLE data, HPALETTE palette) {
  LoadedPicture loaded = Load(format, data, palette);
  picture.SetGraphic(std::move(loaded.graphic), std::move(loaded.files));
}

namespace {

// The file name of the program whose window holds the clipboard open; empty when it cannot
// be found. A program that opened the clipboard without a window leaves no trace of itself.
std::wstring ClipboardHolderFileName() {
  HWND window = GetOpenClipboardWindow();
  DWORD processId = 0;
  if (!window || !GetWindowThreadProcessId(window, &processId) || processId == 0) return {};
  // Limited information is granted even for programs running elevated, which refuse more.
  const ui::UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return {};
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    auto length = static_cast<DWORD>(path.size());
    if (QueryFullProcessImageNameW(process.get(), 0, path.data(), &length)) {
      path.resize(length);
      break;
    }
    // Paths may be far longer than MAX_PATH, up to the system's limit of 32767 characters.
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
  return path.substr(path.find_last_of(L"\\/") + 1);
}

}  // namespace

void TClipboard::Open() {
  if (openCount_ == 0) {
    ui::TApplication* app = ui::TApplication::Current();
    HWND owner = app ? app->Handle() : nullptr;
    // Clipboard managers and other viewers often hold the clipboard for a moment right
    // after a change, so a refused open is tried again a few times before giving up.
    bool opened = false;
    for (int attempt = 0; attempt < kOpenAttempts && !opened; ++attempt) {
      if (attempt > 0) Sleep(kOpenRetryDelayMs);
      opened = OpenClipboard(owner) != FALSE;
    }
    if (!opened) {
      std::wstring message = L"Zwischenablage kann nicht geöffnet werden";
      if (!holderText_.empty()) {
        // The default error handler puts a full stop only at the very end of the text, so the
        // first line gets its own.
        if (const std::wstring holder = ClipboardHolderFileName(); !holder.empty())
          message += L".\r\n" + ui::FormatMessageText(holderText_, holder);
      }
      throw ui::Exception(message);
    }
    emptied_ = false;
  }
  ++openCount_;
}

void TClipboard::Close() {
  if (openCount_ == 0) return;
  if (--openCount_ == 0) CloseClipboard();
}

void TClipboard::EmptyOnce() {
  if (openCount_ == 0 || emptied_) return;
  OpenGuard nested(*this);
  EmptyClipboard();
  emptied_ = true;
}

namespace {

// The format a picture is loaded from, 0 for none; the clipboard must be open. The first
// picture format in the clipboard's own order, but "PNG" where that is a bitmap: Windows
// programs that put "PNG" on the clipboard put a bitmap beside it, and GTK, Qt and LibreOffice
// offer image/bmp beside image/png, which Wine turns into a 32-bit CF_DIB whose alpha bytes
// are all 0. A metafile stays first, as its source placed it.
UINT PictureFormatOnClipboard() {
  const UINT png = PngClipboardFormat();
  const bool pngOffered = IsClipboardFormatAvailable(png) != FALSE;
  for (UINT f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f)) {
    if (f != png && FindPictureFormat(f)) return f == CF_BITMAP && pngOffered ? png : f;
  }
  return pngOffered ? png : 0;
}

}  // namespace

bool TClipboard::ContainsFormat(UINT format) {
  if (IsClipboardFormatAvailable(format)) return true;
  if (format != PictureClipboardFormat()) return false;
  OpenGuard open(*this);
  return PictureFormatOnClipboard() != 0;
}

namespace {

// The whole list in one request to the window server, where opening the clipboard, walking it
// one format at a time and closing it cost a request each. False when Windows refuses it.
bool ReadOfferedFormats(std::vector<UINT>& formats) {
  formats.resize(32);
  for (;;) {
    UINT count = 0;
    if (GetUpdatedClipboardFormats(formats.data(), static_cast<UINT>(formats.size()), &count)) {
      formats.resize(count);
      return true;
    }
    // The list grew beyond the room given; `count` is the room it needs now. There are no
    // more formats than format numbers.
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || formats.size() > 0xFFFF) return false;
    formats.resize(std::max<std::size_t>(count, formats.size() * 2));
  }
}

}  // namespace

std::vector<UINT> TClipboard::OfferedFormats() {
  std::vector<UINT> formats;
  if (!ReadOfferedFormats(formats)) throw ui::Exception(L"Formate der Zwischenablage können nicht gelesen werden");
  return formats;
}

namespace {

// The text up to its first zero, never past the end of the block: a block may lack its
// terminating zero.
std::wstring_view TextOf(HANDLE data, const void* locked) {
  if (!locked) return L"";
  const auto* text = static_cast<const wchar_t*>(locked);
  return {text, wcsnlen(text, GlobalSize(data) / sizeof(wchar_t))};
}

// A new clipboard block holding the text and a terminating zero.
ui::UniqueGlobal NewTextBlock(std::wstring_view text) {
  const std::size_t length = text.size();
  ui::UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, (length + 1) * sizeof(wchar_t)));
  if (!block) throw ui::Exception(L"Nicht genügend Speicher für die Zwischenablage");
  ui::GlobalLockGuard lock(block.get());
  auto* target = static_cast<wchar_t*>(lock.data());
  if (!target) throw ui::Exception(L"Nicht genügend Speicher für die Zwischenablage");
  wmemcpy(target, text.data(), length);
  target[length] = L'\0';
  return block;
}

}  // namespace

std::wstring TClipboard::ReadText() {
  OpenGuard open(*this);
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (!data) return {};
  ui::GlobalLockGuard lock(data);
  return std::wstring(TextOf(data, lock.data()));
}

void TClipboard::WriteText(const std::wstring& text) {
  OpenGuard open(*this);
  PlaceTextBlock(NewTextBlock({text.c_str(), wcsnlen(text.c_str(), text.size())}));  // up to the first zero
}

void TClipboard::RewriteTextAlone() {
  OpenGuard open(*this);
  ui::UniqueGlobal block;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    ui::GlobalLockGuard lock(data);
    block = NewTextBlock(TextOf(data, lock.data()));
  } else {
    block = NewTextBlock(L"");
  }
  // Emptying also frees the copy that GetClipboardData made in our process (Wine keeps it
  // until the next open or empty), so at most two copies of the text are ever alive here.
  PlaceTextBlock(std::move(block));
}

void TClipboard::RewriteTextAlone(TKeptClipboard& kept) {
  kept.Clear();
  bool opened = false;
  try {
    OpenGuard open(*this);
    opened = true;
    kept.Take();
    RewriteTextAlone();
  } catch (...) {
    // A write refused after emptying leaves nothing on the clipboard but what the copy can
    // give back; refused before, the clipboard still holds it all and the copy is not needed.
    if (opened && emptied_) {
      kept.NoteWrite(GetClipboardSequenceNumber());
    } else {
      kept.Clear();
    }
    throw;
  }
  kept.NoteWrite(GetClipboardSequenceNumber());
}

bool TClipboard::Restore(TKeptClipboard& kept) {
  if (kept.Empty()) return false;
  OpenGuard open(*this);
  const bool ours = kept.HoldsOurWrite();
  std::vector<TKeptClipboard::KeptFormat> formats = std::exchange(kept.kept_, {});
  kept.Clear();
  if (!ours) return false;
  EmptyOnce();
  for (auto& [format, block] : formats) {
    if (!SetClipboardData(format, block.get())) {
      throw ui::Exception(L"Text kann nicht in die Zwischenablage geschrieben werden");  // the rest freed
    }
    (void)block.release();  // the system owns it now
  }
  return true;
}

void TClipboard::PlaceTextBlock(ui::UniqueGlobal block) {
  EmptyOnce();
  if (!SetClipboardData(CF_UNICODETEXT, block.get())) {
    throw ui::Exception(L"Text kann nicht in die Zwischenablage geschrieben werden");  // block freed
  }
  (void)block.release();  // the system owns it now
}

void TClipboard::CopyToPicture(ui::TPicture& picture) {
  OpenGuard open(*this);
  UINT format = PictureFormatOnClipboard();
  if (format == 0) throw ui::Exception(L"Ungültiges Format der Zwischenablage");
  if (format == PngClipboardFormat() && IsClipboardFormatAvailable(CF_BITMAP)) {
    // A damaged "PNG" beside a bitmap is no reason for an error box: the bitmap is the same
    // picture, only without its transparency.
    try {
      LoadedPicture loaded = Load(format, GetClipboardData(format), nullptr);
      KeepJfif(loaded);
      picture.SetGraphic(std::move(loaded.graphic), std::move(loaded.files));
      return;
    } catch (const ui::Exception&) {
      format = CF_BITMAP;
    }
  }
  HANDLE data = GetClipboardData(format);
  auto palette = static_cast<HPALETTE>(GetClipboardData(CF_PALETTE));
  LoadedPicture loaded = Load(format, data, palette);
  KeepJfif(loaded);
  picture.SetGraphic(std::move(loaded.graphic), std::move(loaded.files));
}

bool TClipboard::ExcludedFromMonitoring() {
  const auto [exclude, viewerIgnore, history] = PrivacyMarkerFormats();
  // The markers are registered formats, which Windows never derives, so the one list answers
  // for all three. A list Windows refuses is as if no marker were there.
  std::vector<UINT> offered;
  if (!ReadOfferedFormats(offered)) offered.clear();
  const auto offers = [&offered](UINT format) {
    return std::find(offered.begin(), offered.end(), format) != offered.end();
  };
  if (offers(exclude) || offers(viewerIgnore)) return true;
  if (!offers(history)) return false;
  OpenGuard open(*this);
  HANDLE data = GetClipboardData(history);
  if (!data || GlobalSize(data) < sizeof(DWORD)) return false;
  ui::GlobalLockGuard lock(data);
  DWORD value = 1;
  if (lock.data()) std::memcpy(&value, lock.data(), sizeof(value));
  return value == 0;
}

}  // namespace clipboard
