#include "imaging/TJPEGImage.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <span>
#include <vector>

#include "imaging/BitmapBands.h"
#include "imaging/BmpLayout.h"
#include "imaging/BmpWriter.h"
#include "imaging/JpegCheck.h"
#include "imaging/PictureBitmap.h"
#include "imaging/SectionRows.h"
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

// A row of pixel values turned into colours through `table`. At 16 bits each pixel is a
// little-endian word and the table has an entry per value. Below that the pixels are packed
// 8 / Bits to a byte, the leftmost in the highest bits, and the table has the colours of all
// the pixels of each byte value side by side, so a byte is converted in one copy.
template <unsigned Bits>
void LookUp(const std::uint8_t* in, std::uint32_t* out, std::size_t width, const std::uint32_t* table) noexcept {
  if constexpr (Bits == 16) {
    // Two pixels per load: one load fewer per pair in the busiest loop of a 16-bit picture.
    std::size_t x = 0;
    for (; x + 2 <= width; x += 2) {
      std::uint32_t pair = 0;
      std::memcpy(&pair, in + 2 * x, sizeof pair);
      out[x] = table[pair & 0xFFFF];
      out[x + 1] = table[pair >> 16];
    }
    if (x < width) out[x] = table[in[2 * x] | in[2 * x + 1] << 8];
  } else {
    constexpr std::size_t kPerByte = 8 / Bits;
    const std::size_t whole = width / kPerByte;
    for (std::size_t i = 0; i < whole; ++i)
      std::memcpy(out + i * kPerByte, table + in[i] * kPerByte, kPerByte * sizeof *out);
    // A byte beyond the last whole one may lie past the end of the bitmap's memory.
    if (const std::size_t rest = width % kPerByte)
      std::memcpy(out + whole * kPerByte, table + in[whole] * kPerByte, rest * sizeof *out);
  }
}

using RowLookUp = void (*)(const std::uint8_t*, std::uint32_t*, std::size_t, const std::uint32_t*) noexcept;

// The rows of the picture, top row first, in a form libjpeg reads directly, handed over a batch
// at a time.
class PixelRows {
 public:
  explicit PixelRows(const ui::TBitmap& bitmap)
      : bitmap_(bitmap),
        width_(static_cast<std::size_t>(bitmap.Width())),
        height_(static_cast<JDIMENSION>(bitmap.Height())),
        bands_(bitmap) {
    const DIBSECTION& dib = bitmap.Description();
    if (bitmap.IsDeviceIndependent() && dib.dsBm.bmBits) {
      const WORD bits = dib.dsBmih.biBitCount;
      const DWORD compression = dib.dsBmih.biCompression;
      const bool bgrx =
          bits == 32 && (compression == BI_RGB || (compression == BI_BITFIELDS && dib.dsBitfields[0] == 0xFF0000 &&
                                                   dib.dsBitfields[1] == 0x00FF00 && dib.dsBitfields[2] == 0x0000FF));
      const bool bgr = bits == 24 && compression == BI_RGB;
      if (bgrx || bgr) {
        // The bitmap's own pixels already are blue, green, red (and a spare byte): no copy.
        own_ = true;
        components = bgrx ? 4 : 3;
        space = bgrx ? JCS_EXT_BGRX : JCS_EXT_BGR;
      } else {
        lookUp_ = bits == 1    ? LookUp<1>
                  : bits == 4  ? LookUp<4>
                  : bits == 8  ? LookUp<8>
                  : bits == 16 ? LookUp<16>
                               : nullptr;
        if (lookUp_) LearnColours(dib);
      }
      if (own_ || lookUp_) {
        const SectionRows rows = FindSectionRows(bitmap);
        top_ = rows.top;
        step_ = rows.step;
      }
    }
    // Every other form is converted a band at a time: a palette or 16-bit section through the
    // table, anything else (device-dependent, an unusual layout) by the system.
    if (!own_) band_.resize(width_ * std::min(kBandRows, height_));
  }

  // Points `rows` at the rows from y (counted from the top) on, as many as are at hand, and
  // answers how many; 0 when the system could not convert them (Failure() holds the error).
  // Called while the library runs, so it raises nothing.
  [[nodiscard]] JDIMENSION From(JDIMENSION y, JSAMPARRAY& rows) noexcept {
    JDIMENSION count = 0;
    if (own_) {
      count = std::min(kBandRows, height_ - y);
      for (JDIMENSION i = 0; i < count; ++i)
        pointers_[i] = const_cast<JSAMPROW>(top_ + step_ * static_cast<std::ptrdiff_t>(y + i));
    } else {
      if ((y < bandFirst_ || y >= bandEnd_) && !FillBand(y)) return 0;
      count = bandEnd_ - y;
      for (JDIMENSION i = 0; i < count; ++i) pointers_[i] = BandRow(bandEnd_ - bandFirst_, y + i - bandFirst_);
    }
    rows = pointers_.data();
    return count;
  }
  [[nodiscard]] std::exception_ptr Failure() const noexcept { return failure_; }

  // Converted rows reach the library as blue, green, red and a spare byte, which costs it nothing.
  int components = 4;
  J_COLOR_SPACE space = JCS_EXT_BGRX;

 private:
  // Rows handed over at a time: one row of coding units (16 rows with the default chroma
  // subsampling). For a converted form a band of them is the whole working copy, never the
  // whole picture, so it stays in the cache between being written and being compressed.
  static constexpr JDIMENSION kBandRows = 16;

  // A palette or 16-bit section is converted here, row by row through a table of the colour
  // the system gives each pixel value: the same colours as GetDIBits, without its cost per
  // pixel. The table is learned from the system, so its rounding of 5 or 6 bits is kept.
  void LearnColours(const DIBSECTION& dib) {
    const WORD bits = dib.dsBmih.biBitCount;
    if (bits <= 8) {
      // The section's colour table comes with a row read at its own depth.
      struct {
        BITMAPINFOHEADER header;
        RGBQUAD table[256];
      } info{};
      info.header = bands_.Format().bmiHeader;
      info.header.biBitCount = bits;
      std::vector<std::uint8_t> row(RowStride(bitmap_.Width(), bits));
      if (GetDIBits(bands_.Dc(), bitmap_.Handle(), 0, 1, row.data(), reinterpret_cast<BITMAPINFO*>(&info),
                    DIB_RGB_COLORS) != 1)
        ui::RaiseLastOSError(GetLastError());
      const std::size_t perByte = 8U / bits;
      colours_.resize(256 * perByte);
      for (std::size_t byte = 0; byte < 256; ++byte) {
        for (std::size_t k = 0; k < perByte; ++k) {
          const RGBQUAD& c = info.table[byte >> (8 - bits * (k + 1)) & ((1U << bits) - 1)];
          colours_[byte * perByte + k] = static_cast<std::uint32_t>(c.rgbRed) << 16 | c.rgbGreen << 8 | c.rgbBlue;
        }
      }
      return;
    }
    // The system converts each of the three fields on its own. A row holding every value of
    // each field alone (the others zero), read back at 32 bits, shows its rounding; a pixel's
    // colour is the three results combined.
    struct Field {
      DWORD mask;
      unsigned shift;
      std::size_t first;  // where the field's values start in the row
    };
    std::array<Field, 3> fields{};
    std::size_t count = 0;
    for (std::size_t c = 0; c < fields.size(); ++c) {
      const DWORD mask = dib.dsBitfields[c];
      const unsigned shift = mask ? static_cast<unsigned>(std::countr_zero(mask)) : 0;
      fields[c] = {mask, shift, count};
      count += (mask >> shift) + 1;
    }
    struct {
      BITMAPINFOHEADER header;
      DWORD masks[3];
    } layout{};
    layout.header = dib.dsBmih;
    layout.header.biWidth = static_cast<LONG>(count);
    layout.header.biHeight = 1;
    layout.header.biSizeImage = 0;
    std::memcpy(layout.masks, dib.dsBitfields, sizeof layout.masks);
    void* values = nullptr;
    ui::UniqueGdiObject sample(
        CreateDIBSection(bands_.Dc(), reinterpret_cast<BITMAPINFO*>(&layout), DIB_RGB_COLORS, &values, nullptr, 0));
    if (!sample) ui::RaiseLastOSError(GetLastError());
    auto* value = static_cast<std::uint16_t*>(values);
    for (const Field& field : fields) {
      for (DWORD f = 0; f <= field.mask >> field.shift; ++f)
        value[field.first + f] = static_cast<std::uint16_t>(f << field.shift);
    }
    std::vector<std::uint32_t> read(count);
    BITMAPINFO row = bands_.Format();
    row.bmiHeader.biWidth = static_cast<LONG>(count);
    row.bmiHeader.biHeight = 1;
    if (GetDIBits(bands_.Dc(), static_cast<HBITMAP>(sample.get()), 0, 1, read.data(), &row, DIB_RGB_COLORS) != 1)
      ui::RaiseLastOSError(GetLastError());
    colours_.resize(std::size_t{1} << 16);
    for (std::size_t v = 0; v < colours_.size(); ++v) {
      std::uint32_t colour = 0;
      for (const Field& field : fields) colour |= read[field.first + ((v & field.mask) >> field.shift)];
      colours_[v] = colour;
    }
  }

  // Row `index` from the top of a band of `count` rows; the band holds its lowest row first,
  // as the system counts scan lines from the bottom.
  [[nodiscard]] JSAMPROW BandRow(JDIMENSION count, JDIMENSION index) noexcept {
    return reinterpret_cast<JSAMPROW>(band_.data() + width_ * (count - 1 - index));
  }

  bool FillBand(JDIMENSION y) noexcept {
    const JDIMENSION count = std::min(kBandRows, height_ - y);
    if (lookUp_) {
      for (JDIMENSION i = 0; i < count; ++i)
        lookUp_(top_ + step_ * static_cast<std::ptrdiff_t>(y + i), reinterpret_cast<std::uint32_t*>(BandRow(count, i)),
                width_, colours_.data());
    } else {
      try {
        bands_.Read(y, count, band_.data());
      } catch (...) {
        failure_ = std::current_exception();
        return false;
      }
    }
    bandFirst_ = y;
    bandEnd_ = y + count;
    return true;
  }

  const ui::TBitmap& bitmap_;
  std::size_t width_;
  JDIMENSION height_;
  BitmapBands bands_;
  bool own_ = false;
  const std::uint8_t* top_ = nullptr;  // the section's own rows, when it has them
  std::ptrdiff_t step_ = 0;
  RowLookUp lookUp_ = nullptr;
  std::vector<std::uint32_t> colours_;
  std::array<JSAMPROW, kBandRows> pointers_{};
  std::vector<std::uint32_t> band_;
  JDIMENSION bandFirst_ = 0;
  JDIMENSION bandEnd_ = 0;
  std::exception_ptr failure_;
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
    JSAMPARRAY rows = nullptr;
    const JDIMENSION count = job->rows->From(cinfo->next_scanline, rows);
    if (count == 0) return false;
    jpeg_write_scanlines(cinfo, rows, count);
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

void CompressBitmap(const ui::TBitmap& bitmap, const TJPEGSettings& settings, TStream& sink) {
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
  if (rows.Failure()) std::rethrow_exception(rows.Failure());
  if (!done) throw EJPEG(ui::FormatMessageText(L"JPEG-Fehler #%d", std::to_wstring(session.errorCode)));
}

void TJPEGImage::Assign(const ui::TBitmap& bitmap) {
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

void WriteJpeg(const ui::TPicture& picture, const std::wstring& fileName) {
  const PictureBitmap bitmap(picture);
  if (!bitmap.Get() || !HasPixels(*bitmap.Get())) return;
  // The holder never decoded the JPEG its bitmap came with, so it must show here that it holds
  // a picture of that size.
  if (const ui::TSourceFile* jfif = picture.SourceFile(ui::TFileFormat::ffJpeg)) {
    if (const std::size_t length = SoundJpegLength(jfif->bytes, bitmap.Get()->Width(), bitmap.Get()->Height())) {
      SaveBytes(fileName, std::span(jfif->bytes).first(length));
      return;
    }
  }
  TJPEGImage jpeg;
  jpeg.Assign(*bitmap.Get());
  TFileStream file(fileName);
  jpeg.SaveToStream(file);
  file.Commit();
}

}  // namespace imaging
