#include "imaging/JpegCheck.h"

#include <cstdio>
#include <limits>
#include <new>
#include <vector>

// clang-format off
#include <jpeglib.h>
// clang-format on

namespace imaging {
namespace {

// libjpeg is C and built without exception support: an error or a warning jumps back to
// RunDecompression (GCC's __builtin_setjmp buffer), which answers that the file is not sound.
struct Check {
  void* jump[5]{};
};

[[noreturn]] void Fail(j_common_ptr cinfo) { __builtin_longjmp(static_cast<Check*>(cinfo->client_data)->jump, 1); }

// Level -1 is a warning: corrupt data, a premature end of the file. Trace messages pass.
void Emit(j_common_ptr cinfo, int level) {
  if (level < 0) Fail(cinfo);
}
void IgnoreOutput(j_common_ptr) {}

struct Job {
  const std::uint8_t* bytes;
  std::size_t size;
  JDIMENSION width;
  JDIMENSION height;
  JSAMPROW row;  // room for a row of up to four components
};

// Answers the bytes left after the end marker, or -1 when the file is not sound. Nothing in this
// frame needs destroying, since a library error jumps straight back into it.
[[gnu::noinline]] long long RunDecompression(jpeg_decompress_struct* cinfo, Check* check, const Job* job) {
  if (__builtin_setjmp(check->jump) != 0) return -1;
  jpeg_CreateDecompress(cinfo, JPEG_LIB_VERSION, sizeof(jpeg_decompress_struct));
  jpeg_mem_src(cinfo, job->bytes, static_cast<unsigned long>(job->size));
  if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK) return -1;
  if (cinfo->image_width != job->width || cinfo->image_height != job->height) return -1;
  // The pixels are thrown away: the quickest inverse transform and upsampling still decode
  // every coefficient, which is where a damaged file shows.
  cinfo->dct_method = JDCT_IFAST;
  cinfo->do_fancy_upsampling = FALSE;
  jpeg_start_decompress(cinfo);
  if (cinfo->output_width != job->width || cinfo->output_components > 4) return -1;
  JSAMPROW row = job->row;
  while (cinfo->output_scanline < cinfo->output_height) {
    if (jpeg_read_scanlines(cinfo, &row, 1) != 1) return -1;
  }
  if (!jpeg_finish_decompress(cinfo)) return -1;
  return static_cast<long long>(cinfo->src->bytes_in_buffer);
}

}  // namespace

std::size_t SoundJpegLength(std::span<const std::uint8_t> bytes, int width, int height) noexcept {
  if (bytes.empty() || width <= 0 || height <= 0) return 0;
  // The memory source takes its size as an unsigned long, 32 bits on Windows.
  if constexpr (sizeof(std::size_t) > sizeof(unsigned long)) {
    if (bytes.size() > std::numeric_limits<unsigned long>::max()) return 0;
  }
  std::vector<JSAMPLE> row;
  try {
    row.resize(static_cast<std::size_t>(width) * 4);
  } catch (const std::bad_alloc&) {
    return 0;  // then the picture is encoded as if no file had come with it
  }
  Check check;
  jpeg_error_mgr errors{};
  jpeg_decompress_struct cinfo{};
  cinfo.err = jpeg_std_error(&errors);
  errors.error_exit = Fail;
  errors.emit_message = Emit;
  errors.output_message = IgnoreOutput;
  cinfo.client_data = &check;
  const Job job{bytes.data(), bytes.size(), static_cast<JDIMENSION>(width), static_cast<JDIMENSION>(height),
                row.data()};
  const long long left = RunDecompression(&cinfo, &check, &job);
  jpeg_destroy_decompress(&cinfo);
  return left < 0 ? 0 : bytes.size() - static_cast<std::size_t>(left);
}

}  // namespace imaging
