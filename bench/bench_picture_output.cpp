// Picture file output against its floors, measured side by side in one run: the BMP writer
// against a bare write and flush of the same byte count, and the JPEG writer against libjpeg-turbo
// compressing the same pixels into memory with no file at all. Medians over repeated saves.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "BenchTiming.h"
#include "clipboard/Clipboard.h"
#include "clipboard/Graphics.h"
#include "imaging/BmpWriter.h"
#include "imaging/TJPEGImage.h"
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

// Runs both candidates alternately, after one unmeasured round, and answers their medians.
std::pair<double, double> MedianPair(int rounds, const std::function<void()>& ours,
                                     const std::function<void()>& floor) {
  ours();
  floor();
  std::vector<double> a;
  std::vector<double> b;
  for (int i = 0; i < rounds; ++i) {
    a.push_back(Time(ours));
    b.push_back(Time(floor));
  }
  return {Median(a), Median(b)};
}

// A photo-like picture: smooth gradients with some grain, so the JPEG coder has real work.
HBITMAP MakePicture(int width, int height, void** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
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
  auto bitmap = std::make_unique<clipboard::TBitmap>();
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
      "  BMP writer           %8.2f ms   bare write + flush of the same %llu bytes %8.2f ms   ratio %.3f (goal <= 1.2)\n",
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

  // As the clipboard hands it over: a device-dependent bitmap, read through a 24-bit working copy.
  {
    void* bits = nullptr;
    ui::UniqueGdiObject section(MakePicture(kWidth, kHeight, &bits));
    ui::UniqueGdiObject device(DeviceCopy(static_cast<HBITMAP>(section.get()), kWidth, kHeight));
    ui::TPicture picture;
    clipboard::LoadFromClipboardData(picture, CF_BITMAP, device.get(), nullptr);
    const std::wstring path = folder + L"bench-device.jpg";
    const auto [jpeg, library] = MedianPair(
        7, [&] { imaging::WriteJpeg(picture, path); }, [&] { LibraryAlone(bits, kWidth, kHeight); });
    std::printf("  JPEG writer, device-dependent bitmap %8.2f ms   library alone %8.2f ms   ratio %.3f\n", jpeg * 1e3,
                library * 1e3, jpeg / library);
    DeleteFileW(path.c_str());
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
