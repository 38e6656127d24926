#include "imaging/TJPEGImage.h"

#include <cstdint>
#include <cstdio>
#include <exception>

#include "imaging/BmpLayout.h"
#include "imaging/BmpWriter.h"
#include "imaging/TFileStream.h"
#include "ui/Handle.h"

// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

namespace imaging {
namespace {

constexpr std::size_t kOutputBufferSize = 4096;

// libjpeg is C and built without exception support, so no C++ exception may pass through its
// frames. A fatal error or a failing sink instead jumps back to RunCompression (the jump
// buffer for GCC's __builtin_setjmp, which restores the stack without unwinding it), and the
// C++ error is raised after the library has returned.
struct Session {
  void* jump[5]{};
  int errorCode = 0;
  std::exception_ptr pending;  // an error the sink raised
  TStream* sink = nullptr;
  jpeg_destination_mgr destination{};
  JOCTET buffer[kOutputBufferSize]{};
};

Session& SessionOf(j_common_ptr cinfo) { return *static_cast<Session*>(cinfo->client_data); }

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  Session& session = SessionOf(cinfo);
  session.errorCode = cinfo->err->msg_code;
  __builtin_longjmp(session.jump, 1);
}

// Warnings and trace messages are of no use to anyone here.
void IgnoreMessage(j_common_ptr, int) {}
void IgnoreOutput(j_common_ptr) {}
void IgnoreFormat(j_common_ptr, char*) {}

void Flush(j_compress_ptr cinfo, std::size_t count) {
  Session& session = SessionOf(reinterpret_cast<j_common_ptr>(cinfo));
  std::size_t written = 0;
  try {
    written = session.sink->Write(session.buffer, count);
  } catch (...) {
    session.pending = std::current_exception();
  }
  if (session.pending) __builtin_longjmp(session.jump, 1);
  if (written < count) {
    cinfo->err->msg_code = JERR_FILE_WRITE;
    cinfo->err->error_exit(reinterpret_cast<j_common_ptr>(cinfo));
  }
}

void InitDestination(j_compress_ptr cinfo) {
  Session& session = SessionOf(reinterpret_cast<j_common_ptr>(cinfo));
  session.destination.next_output_byte = session.buffer;
  session.destination.free_in_buffer = kOutputBufferSize;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
  Flush(cinfo, kOutputBufferSize);  // the whole buffer, whatever the pointers say
  InitDestination(cinfo);
  return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
  Flush(cinfo, kOutputBufferSize - SessionOf(reinterpret_cast<j_common_ptr>(cinfo)).destination.free_in_buffer);
}

// Where the rows of the picture are, top row first, in a form libjpeg reads directly.
class PixelRows {
 public:
  explicit PixelRows(const clipboard::TBitmap& bitmap) {
    const DIBSECTION& dib = bitmap.Description();
    if (bitmap.IsDeviceIndependent() && dib.dsBm.bmBits) {
      const DWORD compression = dib.dsBmih.biCompression;
      const bool bgrx = dib.dsBmih.biBitCount == 32 &&
                        (compression == BI_RGB || (compression == BI_BITFIELDS && dib.dsBitfields[0] == 0xFF0000 &&
                                                   dib.dsBitfields[1] == 0x00FF00 && dib.dsBitfields[2] == 0x0000FF));
      const bool bgr = dib.dsBmih.biBitCount == 24 && compression == BI_RGB;
      if (bgrx || bgr) {
        // The bitmap's own pixels already are blue, green, red (and a spare byte): no copy.
        GdiFlush();
        Use(dib.dsBm.bmBits, dib.dsBmih.biHeight, bitmap.Width(), bgrx ? 32 : 24);
        components = bgrx ? 4 : 3;
        space = bgrx ? JCS_EXT_BGRX : JCS_EXT_BGR;
        return;
      }
    }
    MakeWorkingCopy(bitmap);
  }

  const std::uint8_t* top = nullptr;
  std::ptrdiff_t step = 0;
  int components = 3;
  J_COLOR_SPACE space = JCS_EXT_BGR;

 private:
  // Any other form (device-dependent, palette-based, 16 bits) is converted by the system into
  // a 24-bit copy; the holder's bitmap stays as it is.
  void MakeWorkingCopy(const clipboard::TBitmap& bitmap) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = bitmap.Width();
    info.bmiHeader.biHeight = bitmap.Height();
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    ui::WindowDc screen(nullptr);
    if (!screen) ui::RaiseLastOSError(GetLastError());
    void* bits = nullptr;
    copy_.reset(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!copy_) ui::RaiseLastOSError(GetLastError());
    ui::UniqueMemoryDc dc(CreateCompatibleDC(screen.get()));
    if (!dc) ui::RaiseLastOSError(GetLastError());
    if (bitmap.Palette()) {
      SelectPalette(dc.get(), bitmap.Palette(), FALSE);
      RealizePalette(dc.get());
    }
    if (GetDIBits(dc.get(), bitmap.Handle(), 0, static_cast<UINT>(bitmap.Height()), bits, &info, DIB_RGB_COLORS) == 0)
      ui::RaiseLastOSError(GetLastError());
    Use(bits, bitmap.Height(), bitmap.Width(), 24);
  }

  void Use(void* bits, LONG height, int width, unsigned bitsPerPixel) {
    const auto stride = static_cast<std::ptrdiff_t>(RowStride(width, bitsPerPixel));
    const auto rows = static_cast<std::ptrdiff_t>(height < 0 ? -height : height);
    const auto* first = static_cast<const std::uint8_t*>(bits);
    if (height > 0) {  // bottom-up: the top row is the last in memory
      top = first + (rows - 1) * stride;
      step = -stride;
    } else {
      top = first;
      step = stride;
    }
  }

  ui::UniqueGdiObject copy_;
};

// Everything the library is told, in one plain record.
struct Job {
  const PixelRows* rows;
  JDIMENSION width;
  JDIMENSION height;
  int quality;
  bool grayscale;
  bool progressive;
};

// Answers false when the library gave up; the session says why. Nothing in this frame needs
// destroying, since a library error jumps straight back into it.
[[gnu::noinline]] bool RunCompression(jpeg_compress_struct* cinfo, Session* session, const Job* job) {
  if (__builtin_setjmp(session->jump) != 0) return false;
  jpeg_CreateCompress(cinfo, JPEG_LIB_VERSION, sizeof(jpeg_compress_struct));
  cinfo->dest = &session->destination;
  cinfo->image_width = job->width;
  cinfo->image_height = job->height;
  cinfo->input_components = job->rows->components;
  cinfo->in_color_space = job->rows->space;
  jpeg_set_defaults(cinfo);
  jpeg_set_quality(cinfo, job->quality, TRUE);
  if (job->grayscale) jpeg_set_colorspace(cinfo, JCS_GRAYSCALE);
  if (job->progressive) jpeg_simple_progression(cinfo);
  jpeg_start_compress(cinfo, TRUE);
  while (cinfo->next_scanline < cinfo->image_height) {
    auto row =
        const_cast<JSAMPROW>(job->rows->top + job->rows->step * static_cast<std::ptrdiff_t>(cinfo->next_scanline));
    jpeg_write_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_compress(cinfo);
  return true;
}

}  // namespace

TJPEGSettings& JPEGDefaults() {
  static TJPEGSettings defaults = [] {
    TJPEGSettings settings;
    ui::WindowDc screen(nullptr);
    if (screen && GetDeviceCaps(screen.get(), BITSPIXEL) * GetDeviceCaps(screen.get(), PLANES) <= 8)
      settings.pixelFormat = TJPEGPixelFormat::jf8Bit;
    return settings;
  }();
  return defaults;
}

void CompressBitmap(const clipboard::TBitmap& bitmap, const TJPEGSettings& settings, TStream& sink) {
  const PixelRows rows(bitmap);
  Session session;
  session.sink = &sink;
  session.destination.init_destination = InitDestination;
  session.destination.empty_output_buffer = EmptyOutputBuffer;
  session.destination.term_destination = TermDestination;
  jpeg_error_mgr errors{};
  jpeg_compress_struct cinfo{};
  cinfo.err = jpeg_std_error(&errors);
  errors.error_exit = ErrorExit;
  errors.emit_message = IgnoreMessage;
  errors.output_message = IgnoreOutput;
  errors.format_message = IgnoreFormat;
  cinfo.client_data = &session;
  const Job job{&rows,
                static_cast<JDIMENSION>(bitmap.Width()),
                static_cast<JDIMENSION>(bitmap.Height()),
                settings.compressionQuality,
                settings.grayscale,
                settings.progressiveEncoding};
  const bool done = RunCompression(&cinfo, &session, &job);
  jpeg_destroy_compress(&cinfo);
  if (session.pending) std::rethrow_exception(session.pending);
  if (!done) throw EJPEG(ui::FormatMessageText(L"JPEG-Fehler #%d", std::to_wstring(session.errorCode)));
}

void TJPEGImage::Assign(const clipboard::TBitmap& bitmap) {
  data_.reset();
  bitmap_ = &bitmap;
}

void TJPEGImage::Compress() {
  auto data = std::make_unique<TJPEGData>();
  if (bitmap_ && HasPixels(*bitmap_)) {
    data->width_ = bitmap_->Width();
    data->height_ = bitmap_->Height();
    data->grayscale_ = settings_.grayscale;
    CompressBitmap(*bitmap_, settings_, data->data_);
  }
  data_ = std::move(data);
}

void TJPEGImage::SaveToStream(TStream& stream) {
  if (!data_) Compress();
  stream.WriteBuffer(data_->Data().Memory(), data_->Data().Size());
}

void WriteJpeg(ui::TPicture& picture, const std::wstring& fileName) {
  const clipboard::TBitmap& bitmap = clipboard::BitmapOf(picture);
  if (!HasPixels(bitmap)) return;
  TJPEGImage jpeg;
  jpeg.Assign(bitmap);
  TFileStream file(fileName);
  jpeg.SaveToStream(file);
}

}  // namespace imaging
