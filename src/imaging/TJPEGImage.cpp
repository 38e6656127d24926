#include "imaging/TJPEGImage.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <vector>

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

// The rows of the picture, top row first, in a form libjpeg reads directly.
class PixelRows {
 public:
  explicit PixelRows(const clipboard::TBitmap& bitmap) : bitmap_(bitmap) {
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
        UseOwnPixels(dib.dsBm.bmBits, dib.dsBmih.biHeight, bgrx ? 32 : 24);
        return;
      }
    }
    PrepareWorkingCopy();
  }

  // Row y counted from the top; null when the system could not convert it (Failed(), and
  // ErrorCode() says why). Called while the library runs, so it raises nothing.
  [[nodiscard]] const std::uint8_t* Row(JDIMENSION y) noexcept {
    if (top_) return top_ + step_ * static_cast<std::ptrdiff_t>(y);
    if ((y < bandFirst_ || y >= bandEnd_) && !FillBand(y)) return nullptr;
    return band_.data() + stride_ * (bandEnd_ - 1 - y);
  }
  [[nodiscard]] bool Failed() const noexcept { return failed_; }
  [[nodiscard]] DWORD ErrorCode() const noexcept { return errorCode_; }

  int components = 3;
  J_COLOR_SPACE space = JCS_EXT_BGR;

 private:
  // Rows converted per call of the system; a band of them is the working copy, so only a
  // small buffer is ever touched, instead of fresh memory for a whole copy of the picture.
  static constexpr JDIMENSION kBandRows = 64;

  void UseOwnPixels(void* bits, LONG height, unsigned bitsPerPixel) {
    const auto stride = static_cast<std::ptrdiff_t>(RowStride(bitmap_.Width(), bitsPerPixel));
    const auto* first = static_cast<const std::uint8_t*>(bits);
    if (height > 0) {  // bottom-up: the top row is the last in memory
      top_ = first + (height - 1) * stride;
      step_ = -stride;
    } else {
      top_ = first;
      step_ = stride;
    }
    components = static_cast<int>(bitsPerPixel / 8);
    space = bitsPerPixel == 32 ? JCS_EXT_BGRX : JCS_EXT_BGR;
  }

  // Any other form (device-dependent, palette-based, 16 bits) is converted by the system into
  // 24 bits per pixel, band by band; the holder's bitmap stays as it is.
  void PrepareWorkingCopy() {
    dc_.reset(CreateCompatibleDC(nullptr));
    if (!dc_) ui::RaiseLastOSError(GetLastError());
    if (bitmap_.Palette()) {
      SelectPalette(dc_.get(), bitmap_.Palette(), FALSE);
      RealizePalette(dc_.get());
    }
    info_.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info_.bmiHeader.biWidth = bitmap_.Width();
    info_.bmiHeader.biHeight = bitmap_.Height();
    info_.bmiHeader.biPlanes = 1;
    info_.bmiHeader.biBitCount = 24;
    info_.bmiHeader.biCompression = BI_RGB;
    stride_ = RowStride(bitmap_.Width(), 24);
    band_.resize(stride_ * std::min<std::size_t>(kBandRows, static_cast<std::size_t>(bitmap_.Height())));
  }

  bool FillBand(JDIMENSION y) noexcept {
    const auto height = static_cast<JDIMENSION>(bitmap_.Height());
    const JDIMENSION count = std::min(kBandRows, height - y);
    // The system counts scan lines from the bottom and puts the lowest first.
    if (GetDIBits(dc_.get(), bitmap_.Handle(), height - y - count, count, band_.data(), &info_, DIB_RGB_COLORS) !=
        static_cast<int>(count)) {
      failed_ = true;
      errorCode_ = GetLastError();
      return false;
    }
    bandFirst_ = y;
    bandEnd_ = y + count;
    return true;
  }

  const clipboard::TBitmap& bitmap_;
  const std::uint8_t* top_ = nullptr;
  std::ptrdiff_t step_ = 0;
  ui::UniqueMemoryDc dc_;
  BITMAPINFO info_{};
  std::vector<std::uint8_t> band_;
  std::size_t stride_ = 0;
  JDIMENSION bandFirst_ = 0;
  JDIMENSION bandEnd_ = 0;
  bool failed_ = false;
  DWORD errorCode_ = 0;
};

// Everything the library is told, in one plain record.
struct Job {
  PixelRows* rows;
  JDIMENSION width;
  JDIMENSION height;
  int quality;
  bool grayscale;
  bool progressive;
};

// Answers false when the library gave up (the session says why) or a row could not be had.
// Nothing in this frame needs destroying, since a library error jumps straight back into it.
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
    auto row = const_cast<JSAMPROW>(job->rows->Row(cinfo->next_scanline));
    if (!row) return false;
    jpeg_write_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_compress(cinfo);
  return true;
}

// libjpeg-turbo's bound for a baseline datastream: 3 bytes per pixel (1 for grey) of the
// picture padded to whole coding units, plus room for headers and tables.
std::size_t LargestJpeg(int width, int height, bool grayscale) {
  const std::uint64_t unit = grayscale ? 8 : 16;
  const auto pad = [unit](int n) { return (static_cast<std::uint64_t>(n) + unit - 1) / unit * unit; };
  const std::uint64_t bytes = pad(width) * pad(height) * (grayscale ? 1 : 3) + 2048;
  return bytes > SIZE_MAX / 2 ? SIZE_MAX / 2 : static_cast<std::size_t>(bytes);
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
  PixelRows rows(bitmap);
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
  if (rows.Failed()) ui::RaiseLastOSError(rows.ErrorCode());
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
    // Room for the largest datastream the coder can make, so the block never moves while it
    // fills; pages never written are never touched. Without that room it grows as it goes.
    data->data_.Expect(LargestJpeg(data->width_, data->height_, settings_.grayscale));
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
  file.Commit();
}

}  // namespace imaging
