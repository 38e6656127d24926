// A 3840 x 2160 screenshot-like picture taken into the picture holder: CopyToPicture from a
// clipboard that holds it as "PNG" beside a 32-bit CF_DIB (as GTK, Qt and LibreOffice offer it
// under Wine, and Windows programs that write "PNG" place it), where the "PNG" is taken, against
// CopyToPicture of the CF_DIB alone; and, for scale, the PNG's decoding alone into memory.
// Medians over rounds taken alternately.
#include <spng.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <vector>

#include "BenchTiming.h"
#include "app/RunObjects.h"
#include "clipboard/Clipboard.h"
#include "clipboard/PngDecoder.h"
#include "ui/Graphics.h"
#include "ui/Handle.h"
#include "ui/MessageWindow.h"

namespace {

constexpr std::uint32_t kWidth = 3840;
constexpr std::uint32_t kHeight = 2160;
constexpr int kRounds = 11;

using bench::Median;
using bench::Milliseconds;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::exit(1);
}

// Window backgrounds, rows of glyph-like strokes, and a smooth photo-like corner, as RGB.
std::vector<std::uint8_t> Screenshot() {
  std::vector<std::uint8_t> rgb(std::size_t{kWidth} * kHeight * 3);
  for (std::uint32_t y = 0; y < kHeight; ++y) {
    for (std::uint32_t x = 0; x < kWidth; ++x) {
      std::uint8_t* p = &rgb[(std::size_t{y} * kWidth + x) * 3];
      const bool panel = x < 320 || y < 48;
      std::uint8_t r = panel ? 0x2B : 0xF6, g = panel ? 0x30 : 0xF6, b = panel ? 0x3B : 0xF4;
      const bool textLine = y % 22 >= 6 && y % 22 < 18 && x % 600 < 540;
      if (textLine && ((x * 7 + y * 3) % 11 < 3 || (x / 3 + y) % 9 == 0)) r = g = b = panel ? 0xE0 : 0x20;
      if (x >= 2400 && y >= 1200) {  // the photo
        r = static_cast<std::uint8_t>((x * 3 + y) / 11);
        g = static_cast<std::uint8_t>((x + y * 5) / 17 ^ (x * y) % 7);
        b = static_cast<std::uint8_t>(255 - (x + y) / 19);
      }
      p[0] = r;
      p[1] = g;
      p[2] = b;
    }
  }
  return rgb;
}

struct CtxFree {
  void operator()(spng_ctx* ctx) const noexcept { spng_ctx_free(ctx); }
};
struct MallocFree {
  void operator()(void* data) const noexcept { std::free(data); }
};

// The PNG a desktop program would offer: RGB, 8 bits, the encoder's default compression.
std::vector<std::uint8_t> EncodePng(const std::vector<std::uint8_t>& rgb) {
  const std::unique_ptr<spng_ctx, CtxFree> ctx(spng_ctx_new(SPNG_CTX_ENCODER));
  if (!ctx) Fail("no encoder");
  spng_set_option(ctx.get(), SPNG_ENCODE_TO_BUFFER, 1);
  spng_ihdr header{kWidth, kHeight, 8, SPNG_COLOR_TYPE_TRUECOLOR, 0, 0, 0};
  if (spng_set_ihdr(ctx.get(), &header) != 0 ||
      spng_encode_image(ctx.get(), rgb.data(), rgb.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE) != 0)
    Fail("encoding failed");
  std::size_t size = 0;
  int error = 0;
  const std::unique_ptr<void, MallocFree> png(spng_get_png_buffer(ctx.get(), &size, &error));
  if (!png || error != 0) Fail("no PNG");
  const auto* bytes = static_cast<const std::uint8_t*>(png.get());
  return {bytes, bytes + size};
}

// A bottom-up 32-bit DIB of the same picture.
std::vector<std::uint8_t> Dib(const std::vector<std::uint8_t>& rgb) {
  BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER), kWidth, kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<std::uint8_t> dib(sizeof(header) + std::size_t{kWidth} * kHeight * 4);
  std::memcpy(dib.data(), &header, sizeof(header));
  std::uint8_t* out = dib.data() + sizeof(header);
  for (std::uint32_t y = 0; y < kHeight; ++y) {
    const std::uint8_t* row = &rgb[std::size_t{kHeight - 1 - y} * kWidth * 3];
    for (std::uint32_t x = 0; x < kWidth; ++x, out += 4) {
      out[0] = row[x * 3 + 2];
      out[1] = row[x * 3 + 1];
      out[2] = row[x * 3];
      out[3] = 0;
    }
  }
  return dib;
}

struct Offer {
  UINT format;
  const std::vector<std::uint8_t>* bytes;
};

void Put(HWND owner, std::initializer_list<Offer> offers) {
  while (!OpenClipboard(owner)) Sleep(1);
  EmptyClipboard();
  for (const Offer& offer : offers) {
    ui::UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, offer.bytes->size()));
    if (!block) Fail("no clipboard block");
    {
      ui::GlobalLockGuard lock(block.get());
      if (!lock.data()) Fail("no clipboard block");
      std::memcpy(lock.data(), offer.bytes->data(), offer.bytes->size());
    }
    if (!SetClipboardData(offer.format, block.get())) Fail("the clipboard refused the picture");
    (void)block.release();
  }
  if (!CloseClipboard()) Fail("the clipboard did not close");
}

// The PNG is opaque and the DIB's alpha bytes are 0, so the alpha tells which one was taken.
double TimeCopyToPicture(clipboard::TClipboard& clipboard, HWND owner, std::initializer_list<Offer> offers,
                         bool fromPng) {
  Put(owner, offers);
  ui::TPicture picture;
  const double start = Milliseconds();
  clipboard.CopyToPicture(picture);
  const double took = Milliseconds() - start;
  if (picture.Width() != static_cast<int>(kWidth) || picture.Height() != static_cast<int>(kHeight))
    Fail("the holder got another picture");
  const auto* bitmap = picture.GraphicAs<ui::TBitmap>();
  const bool tookPng = bitmap && bitmap->IsDeviceIndependent() &&
                       static_cast<const std::uint8_t*>(bitmap->Description().dsBm.bmBits)[3] == 0xFF;
  if (tookPng != fromPng) Fail(fromPng ? "the CF_DIB was taken, not the PNG" : "the PNG was taken");
  return took;
}

}  // namespace

int main() {
  app::RunObjects objects;
  const ui::UniqueWindow owner = ui::AllocateHWnd(nullptr, nullptr);
  const std::vector<std::uint8_t> rgb = Screenshot();
  const std::vector<std::uint8_t> png = EncodePng(rgb);
  const std::vector<std::uint8_t> dib = Dib(rgb);
  std::vector<std::uint8_t> pixels(std::size_t{kWidth} * kHeight * 4);

  const UINT pngFormat = clipboard::PngClipboardFormat();
  std::vector<double> decode, fromPng, fromDib;
  for (int round = 0; round < kRounds; ++round) {
    const double start = Milliseconds();
    clipboard::PngDecoder decoder(png);
    decoder.DecodeBgra(pixels.data(), static_cast<std::ptrdiff_t>(kWidth) * 4);
    decode.push_back(Milliseconds() - start);
    fromPng.push_back(TimeCopyToPicture(objects.Clipboard(), owner.get(), {{CF_DIB, &dib}, {pngFormat, &png}}, true));
    fromDib.push_back(TimeCopyToPicture(objects.Clipboard(), owner.get(), {{CF_DIB, &dib}}, false));
  }
  const double d = Median(decode), p = Median(fromPng), b = Median(fromDib);
  std::printf("%u x %u screenshot, PNG of %.1f MB, %d rounds\n", kWidth, kHeight, static_cast<double>(png.size()) / 1e6,
              kRounds);
  std::printf("decode alone into memory                %8.1f ms\n", d);
  std::printf("CopyToPicture, \"PNG\" beside a CF_DIB    %8.1f ms  (%.2f x decode alone)\n", p, p / d);
  std::printf("CopyToPicture, a 32-bit CF_DIB alone     %8.1f ms  (taking the \"PNG\" costs %.2f x as long)\n", b,
              p / b);
  return 0;
}
