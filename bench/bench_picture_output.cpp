// Picture file output against its floors, measured side by side in one run: the BMP writer
// against a bare write and flush of the same byte count, and the JPEG writer against libjpeg-turbo
// compressing the same pixels into memory with no file at all, for a 32-bit picture and for
// every other form the picture holder can hold. Medians over repeated saves.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "BenchTiming.h"
#include "clipboard/Clipboard.h"
#include "imaging/BmpWriter.h"
#include "imaging/TJPEGImage.h"
#include "ui/Graphics.h"
#include "ui/Handle.h"

// clang-format off
#include <jpeglib.h>
// clang-format on

namespace {

using bench::Median;
double Seconds() { return bench::Milliseconds() / 1000.0; }

double Time(const std::function<void()>& work) {
  const double start = Seconds();
  work();
  return Seconds() - start;
}

// Medians of both candidates, and the median of each round's ratio: other work on the machine
// that comes and goes between rounds slows both sides of a round alike.
struct Paired {
  double ours;
  double floor;
  double ratio;
};

// Runs both candidates alternately, after one unmeasured round.
Paired RunPaired(int rounds, const std::function<void()>& ours, const std::function<void()>& floor) {
  ours();
  floor();
  std::vector<double> a;
  std::vector<double> b;
  std::vector<double> ratios;
  for (int i = 0; i < rounds; ++i) {
    a.push_back(Time(ours));
    b.push_back(Time(floor));
    ratios.push_back(a.back() / b.back());
  }
  return {Median(a), Median(b), Median(ratios)};
}

std::pair<double, double> MedianPair(int rounds, const std::function<void()>& ours,
                                     const std::function<void()>& floor) {
  const Paired paired = RunPaired(rounds, ours, floor);
  return {paired.ours, paired.floor};
}

// A bottom-up picture of the given depth.
BITMAPINFOHEADER Header(int width, int height, int bitsPerPixel) {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = static_cast<WORD>(bitsPerPixel);
  header.biCompression = BI_RGB;
  return header;
}

// A photo-like picture: smooth gradients with some grain, so the JPEG coder has real work.
HBITMAP MakePicture(int width, int height, void** bits) {
  BITMAPINFO info{};
  info.bmiHeader = Header(width, height, 32);
  ui::WindowDc screen(nullptr);
  HBITMAP section = CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, bits, nullptr, 0);
  if (!section) {
    std::fprintf(stderr, "no section of %d x %d\n", width, height);
    std::exit(1);
  }
  auto* pixel = static_cast<std::uint32_t*>(*bits);
  std::uint32_t seed = 12345;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      seed = seed * 1664525U + 1013904223U;
      const auto grain = static_cast<int>(seed >> 28) - 8;
      const auto channel = [grain](int v) { return static_cast<std::uint32_t>(std::clamp(v + grain, 0, 255)); };
      const int r = x * 255 / width;
      const int g = y * 255 / height;
      const int b = ((x / 7) ^ (y / 5)) & 0xFF;
      *pixel++ = channel(r) << 16 | channel(g) << 8 | channel(b);
    }
  }
  return section;
}

HBITMAP DeviceCopy(HBITMAP section, int width, int height) {
  ui::WindowDc screen(nullptr);
  HBITMAP device = CreateCompatibleBitmap(screen.get(), width, height);
  ui::UniqueMemoryDc from(CreateCompatibleDC(screen.get()));
  ui::UniqueMemoryDc to(CreateCompatibleDC(screen.get()));
  ui::SelectedObject selectedFrom(from.get(), section);
  ui::SelectedObject selectedTo(to.get(), device);
  BitBlt(to.get(), 0, 0, width, height, from.get(), 0, 0, SRCCOPY);
  return device;
}

// The least a save that can tell success from failure does: write, flush to the disk, close.
void BareWrite(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
  ui::UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  FlushFileBuffers(file.get());
}

// libjpeg-turbo on its own: the same pixels, quality 90, output into memory.
void LibraryAlone(const void* bits, int width, int height) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_CreateCompress(&cinfo, JPEG_LIB_VERSION, sizeof(cinfo));
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 4;
  cinfo.in_color_space = JCS_EXT_BGRX;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 90, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPROW> rows(static_cast<std::size_t>(height));
  const std::size_t stride = static_cast<std::size_t>(width) * 4;
  for (int y = 0; y < height; ++y) {
    rows[static_cast<std::size_t>(y)] =
        const_cast<JSAMPROW>(static_cast<const JSAMPLE*>(bits) + stride * static_cast<std::size_t>(height - 1 - y));
  }
  jpeg_write_scanlines(&cinfo, rows.data(), static_cast<JDIMENSION>(height));
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
}

std::size_t FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
  return static_cast<std::size_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

struct Figures {
  double bmp;
  double bare;
  double jpeg;
  double library;
  double jpegFile;  // a bare file of the JPEG's byte count: what the library's floor leaves out
  std::size_t bmpBytes;
  std::size_t jpegBytes;
};

Figures Measure(const std::wstring& folder, int width, int height, int rounds) {
  void* bits = nullptr;
  HBITMAP section = MakePicture(width, height, &bits);
  ui::TPicture picture;
  auto bitmap = std::make_unique<ui::TBitmap>();
  bitmap->Assign(section, nullptr);
  picture.SetGraphic(std::move(bitmap));
  const std::wstring bmpPath = folder + L"bench-writer.bmp";
  const std::wstring barePath = folder + L"bench-bare.bin";
  const std::wstring jpegPath = folder + L"bench-writer.jpg";

  imaging::WriteBmp(picture, bmpPath);
  Figures figures{};
  figures.bmpBytes = FileSize(bmpPath);
  std::vector<std::uint8_t> same(figures.bmpBytes, 0x5A);
  std::tie(figures.bmp, figures.bare) = MedianPair(
      rounds, [&] { imaging::WriteBmp(picture, bmpPath); }, [&] { BareWrite(barePath, same); });
  std::tie(figures.jpeg, figures.library) = MedianPair(
      rounds, [&] { imaging::WriteJpeg(picture, jpegPath); }, [&] { LibraryAlone(bits, width, height); });
  figures.jpegBytes = FileSize(jpegPath);
  const std::vector<std::uint8_t> jpegSized(figures.jpegBytes, 0x5A);
  std::vector<double> jpegFileTimes;
  for (int i = 0; i < rounds; ++i) jpegFileTimes.push_back(Time([&] { BareWrite(barePath, jpegSized); }));
  figures.jpegFile = Median(jpegFileTimes);
  DeleteFileW(bmpPath.c_str());
  DeleteFileW(barePath.c_str());
  DeleteFileW(jpegPath.c_str());
  return figures;
}

// Every form the picture holder can hold, each showing the photo-like picture as closely as its
// depth allows.
enum class Form { Device, Bits32, Bits24, Bits555, Bits565, Palette8, Palette4, Palette1, Metafile };
constexpr Form kForms[] = {Form::Device,   Form::Bits32,   Form::Bits24,   Form::Bits555, Form::Bits565,
                           Form::Palette8, Form::Palette4, Form::Palette1, Form::Metafile};
constexpr int kFormRounds = 21;

std::string FormName(Form form) {
  switch (form) {
    case Form::Device: {
      ui::WindowDc screen(nullptr);
      return "device-dependent, screen " + std::to_string(GetDeviceCaps(screen.get(), BITSPIXEL)) + " bpp";
    }
    case Form::Bits32:
      return "32-bit section";
    case Form::Bits24:
      return "24-bit section";
    case Form::Bits555:
      return "16-bit 5-5-5 bitfields section";
    case Form::Bits565:
      return "16-bit 5-6-5 bitfields section";
    case Form::Palette8:
      return "8-bit palette section";
    case Form::Palette4:
      return "4-bit palette section";
    case Form::Palette1:
      return "1-bit palette section";
    case Form::Metafile:
      return "metafile, drawn into a bitmap";
  }
  return "";
}

// Colour tables: 3-3-2 levels at 8 bits, 1-2-1 at 4 bits, black and white at 1 bit.
unsigned PaletteIndex(int bits, std::uint32_t bgrx) {
  const unsigned r = bgrx >> 16 & 0xFF, g = bgrx >> 8 & 0xFF, b = bgrx & 0xFF;
  if (bits == 8) return (r >> 5) << 5 | (g >> 5) << 2 | b >> 6;
  if (bits == 4) return (r >> 7) << 3 | (g >> 6) << 1 | b >> 7;
  return r + g + b > 384 ? 1 : 0;
}

RGBQUAD PaletteEntry(int bits, unsigned i) {
  const auto level = [](unsigned value, unsigned top) { return static_cast<BYTE>(value * 255 / top); };
  if (bits == 8) return {level(i & 3, 3), level(i >> 2 & 7, 7), level(i >> 5, 7), 0};
  if (bits == 4) return {level(i & 1, 1), level(i >> 1 & 3, 3), level(i >> 3, 1), 0};
  return {level(i, 1), level(i, 1), level(i, 1), 0};
}

// A bottom-up section of the given depth holding the 32-bit picture's pixels, converted here.
HBITMAP SectionOf(const void* bits, int width, int height, int depth, DWORD redMask) {
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
  } info{};
  info.header = Header(width, height, depth);
  if (depth == 16) {
    info.header.biCompression = BI_BITFIELDS;
    const DWORD masks[3] = {redMask, redMask == 0x7C00 ? 0x03E0U : 0x07E0U, 0x001F};
    std::memcpy(info.colors, masks, sizeof masks);
  }
  if (depth <= 8) {
    info.header.biClrUsed = 1U << depth;
    for (unsigned i = 0; i < info.header.biClrUsed; ++i) info.colors[i] = PaletteEntry(depth, i);
  }
  ui::WindowDc screen(nullptr);
  void* out = nullptr;
  HBITMAP section =
      CreateDIBSection(screen.get(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &out, nullptr, 0);
  if (!section) {
    std::fprintf(stderr, "no %d-bit section\n", depth);
    std::exit(1);
  }
  const auto stride = static_cast<std::size_t>((width * depth + 31) / 32 * 4);
  const auto* pixel = static_cast<const std::uint32_t*>(bits);
  for (int y = 0; y < height; ++y) {
    auto* row = static_cast<std::uint8_t*>(out) + stride * static_cast<std::size_t>(y);
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = *pixel++;
      const unsigned r = p >> 16 & 0xFF, g = p >> 8 & 0xFF, b = p & 0xFF;
      if (depth == 32) {
        std::memcpy(row + x * 4, &p, 4);
      } else if (depth == 24) {
        std::memcpy(row + x * 3, &p, 3);
      } else if (depth == 16) {
        const unsigned value =
            redMask == 0x7C00 ? (r >> 3) << 10 | (g >> 3) << 5 | b >> 3 : (r >> 3) << 11 | (g >> 2) << 5 | b >> 3;
        row[x * 2] = static_cast<std::uint8_t>(value);
        row[x * 2 + 1] = static_cast<std::uint8_t>(value >> 8);
      } else {
        const int shift = 8 - depth - x * depth % 8;
        row[x * depth / 8] = static_cast<std::uint8_t>(row[x * depth / 8] | PaletteIndex(depth, p) << shift);
      }
    }
  }
  return section;
}

// A metafile that copies the picture, loaded as the clipboard hands one over and drawn into a
// bitmap as the writer does it; answers how long the drawing took.
double PutMetafile(ui::TPicture& picture, HBITMAP photo, int width, int height) {
  ui::WindowDc screen(nullptr);
  // A frame in 0.01 mm that the reference device turns into the picture's size in pixels.
  const RECT frame{0, 0,
                   MulDiv(width, GetDeviceCaps(screen.get(), HORZSIZE) * 100, GetDeviceCaps(screen.get(), HORZRES)),
                   MulDiv(height, GetDeviceCaps(screen.get(), VERTSIZE) * 100, GetDeviceCaps(screen.get(), VERTRES))};
  HDC recorder = CreateEnhMetaFileW(screen.get(), nullptr, &frame, nullptr);
  {
    ui::UniqueMemoryDc from(CreateCompatibleDC(screen.get()));
    ui::SelectedObject selected(from.get(), photo);
    BitBlt(recorder, 0, 0, width, height, from.get(), 0, 0, SRCCOPY);
  }
  ui::UniqueEnhMetaFile metafile(CloseEnhMetaFile(recorder));
  // The clipboard wants an owner window to take data.
  ui::UniqueWindow owner(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
  if (!OpenClipboard(owner.get()) || !EmptyClipboard() || !SetClipboardData(CF_ENHMETAFILE, metafile.get())) {
    std::fprintf(stderr, "the clipboard refused the metafile\n");
    std::exit(1);
  }
  static_cast<void>(metafile.release());
  clipboard::LoadFromClipboardData(picture, CF_ENHMETAFILE, GetClipboardData(CF_ENHMETAFILE), nullptr);
  CloseClipboard();
  return Time([&] { ui::BitmapOf(picture); });
}

// Puts the picture into the holder in the given form; answers the time a metafile took to draw.
double PutForm(ui::TPicture& picture, Form form, HBITMAP photo, const void* bits, int width, int height) {
  if (form == Form::Metafile) return PutMetafile(picture, photo, width, height);
  if (form == Form::Device) {
    // As the clipboard hands over a screenshot.
    ui::UniqueGdiObject device(DeviceCopy(photo, width, height));
    clipboard::LoadFromClipboardData(picture, CF_BITMAP, device.get(), nullptr);
    return 0;
  }
  const int depth = form == Form::Bits32     ? 32
                    : form == Form::Bits24   ? 24
                    : form == Form::Palette8 ? 8
                    : form == Form::Palette4 ? 4
                    : form == Form::Palette1 ? 1
                                             : 16;
  auto bitmap = std::make_unique<ui::TBitmap>();
  bitmap->Assign(SectionOf(bits, width, height, depth, form == Form::Bits555 ? 0x7C00 : 0xF800), nullptr);
  picture.SetGraphic(std::move(bitmap));
  return 0;
}

// The writer saving the holder's picture, against the library given the very same colours
// (read back from the holder's bitmap) as ready 32-bit rows.
Paired MeasureForm(ui::TPicture& picture, const std::wstring& path) {
  const ui::TBitmap& bitmap = ui::BitmapOf(picture);
  const int width = bitmap.Width();
  const int height = bitmap.Height();
  BITMAPINFO info{};
  info.bmiHeader = Header(width, height, 32);
  std::vector<std::uint8_t> same(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
  ui::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  if (GetDIBits(dc.get(), bitmap.Handle(), 0, static_cast<UINT>(height), same.data(), &info, DIB_RGB_COLORS) !=
      height) {
    std::fprintf(stderr, "the bitmap's pixels could not be read\n");
    std::exit(1);
  }
  const Paired figures = RunPaired(
      kFormRounds, [&] { imaging::WriteJpeg(picture, path); }, [&] { LibraryAlone(same.data(), width, height); });
  DeleteFileW(path.c_str());
  return figures;
}

}  // namespace

int main() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = temp;

  constexpr int kWidth = 3840;
  constexpr int kHeight = 2160;
  constexpr double kMegapixels = kWidth * kHeight / 1e6;
  std::printf("Picture output, %d x %d at 32 bpp (%.2f MP), medians of 21 saves each\n", kWidth, kHeight, kMegapixels);
  const Figures main = Measure(folder, kWidth, kHeight, 21);
  std::printf(
      "  BMP writer           %8.2f ms   bare write + flush of the same %llu bytes %8.2f ms   ratio %.3f (goal <= "
      "1.2)\n",
      main.bmp * 1e3, static_cast<unsigned long long>(main.bmpBytes), main.bare * 1e3, main.bmp / main.bare);
  std::printf(
      "  JPEG writer          %8.2f ms   libjpeg-turbo alone, q90, no file        %8.2f ms   ratio %.3f (goal <= "
      "1.15)\n",
      main.jpeg * 1e3, main.library * 1e3, main.jpeg / main.library);
  std::printf(
      "  JPEG writer          %8.1f MP/s (library alone %.1f MP/s), file %llu bytes; a bare file of that size "
      "takes %.2f ms\n",
      kMegapixels / main.jpeg, kMegapixels / main.library, static_cast<unsigned long long>(main.jpegBytes),
      main.jpegFile * 1e3);

  std::printf(
      "\nJPEG writer against libjpeg-turbo alone on the same pixels, per form the holder can hold, %d x %d "
      "(medians of %d saves each, and of the ratios of the saves side by side; goal: ratio <= 1.15)\n",
      kWidth, kHeight, kFormRounds);
  std::printf("  %-36s %9s %9s %6s\n", "form", "writer ms", "lib ms", "ratio");
  {
    void* bits = nullptr;
    ui::UniqueGdiObject photo(MakePicture(kWidth, kHeight, &bits));
    for (const Form form : kForms) {
      ui::TPicture picture;
      const double rendering = PutForm(picture, form, static_cast<HBITMAP>(photo.get()), bits, kWidth, kHeight);
      const Paired f = MeasureForm(picture, folder + L"bench-form.jpg");
      std::printf("  %-36s %9.2f %9.2f %6.3f%s", FormName(form).c_str(), f.ours * 1e3, f.floor * 1e3, f.ratio,
                  f.ratio <= 1.15 ? "\n" : "  over the goal\n");
      if (form == Form::Metafile) std::printf("    (drawing it into a bitmap, once: %.2f ms)\n", rendering * 1e3);
    }
  }

  std::printf("\nCost against size (medians; ns per pixel should stay flat)\n");
  std::printf("  %6s %11s %9s %9s %6s %7s %9s %9s %9s %6s %7s\n", "MP", "size", "BMP ms", "bare ms", "ratio", "ns/px",
              "JPEG ms", "lib ms", "file ms", "ratio", "ns/px");
  const struct {
    int width;
    int height;
    int rounds;
  } sizes[] = {{1000, 1000, 21}, {4000, 3000, 11}, {8000, 6250, 7}};
  for (const auto& size : sizes) {
    const double pixels = static_cast<double>(size.width) * size.height;
    const Figures f = Measure(folder, size.width, size.height, size.rounds);
    std::printf("  %6.1f %5dx%-5d %9.2f %9.2f %6.3f %7.2f %9.2f %9.2f %9.2f %6.3f %7.2f\n", pixels / 1e6, size.width,
                size.height, f.bmp * 1e3, f.bare * 1e3, f.bmp / f.bare, f.bmp * 1e9 / pixels, f.jpeg * 1e3,
                f.library * 1e3, f.jpegFile * 1e3, f.jpeg / f.library, f.jpeg * 1e9 / pixels);
  }
  return 0;
}
