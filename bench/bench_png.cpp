// PNG output against the encoders it could have been built on, measured side by side in one
// run on the same pixels: our PNG writer (into memory and into a file), libpng and libspng at
// their defaults, the BMP writer, and libdeflate with our own chunk writer at each level and
// row filter strategy (the grid the product's settings were chosen from). Medians of
// repeated encodings, file sizes, ratios, and the cost per pixel at 1, 12 and 50 MP.
#include <libdeflate.h>
#include <png.h>
#include <spng.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "BenchTiming.h"
#include "imaging/BmpLayout.h"
#include "imaging/BmpWriter.h"
#include "imaging/PngLayout.h"
#include "imaging/PngWriter.h"
#include "ui/Graphics.h"
#include "ui/Handle.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

double Time(const std::function<void()>& work) {
  const double start = bench::Milliseconds();
  work();
  return bench::Milliseconds() - start;
}

// A 32-bit section as the holder keeps a drawn picture: bottom-up, spare byte 0.
struct Picture {
  int width = 0;
  int height = 0;
  const std::uint8_t* top = nullptr;  // the top row
  std::ptrdiff_t step = 0;            // to the next row down
  ui::TPicture holder;
};

std::unique_ptr<Picture> MakeSection(int width, int height, const std::function<void(HDC, std::uint32_t*)>& draw) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  ui::WindowDc screen(nullptr);
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!section) {
    std::fprintf(stderr, "no section of %d x %d\n", width, height);
    std::exit(1);
  }
  {
    ui::UniqueMemoryDc dc(CreateCompatibleDC(screen.get()));
    ui::SelectedObject selected(dc.get(), section);
    draw(dc.get(), static_cast<std::uint32_t*>(bits));
    GdiFlush();
  }
  auto picture = std::make_unique<Picture>();
  picture->width = width;
  picture->height = height;
  const auto stride = static_cast<std::ptrdiff_t>(width) * 4;
  picture->top = static_cast<const std::uint8_t*>(bits) + stride * (height - 1);
  picture->step = -stride;
  auto bitmap = std::make_unique<ui::TBitmap>();
  bitmap->Assign(section, nullptr);
  picture->holder.SetGraphic(std::move(bitmap));
  return picture;
}

std::uint32_t Next(std::uint32_t& seed) {
  seed = seed * 1664525U + 1013904223U;
  return seed >> 8;
}

// Smooth gradients with fine grain, like a photo; `pixels` bottom-up, x y counted from the top.
void PaintPhoto(std::uint32_t* pixels, int width, int height, int left, int top, int right, int bottom) {
  std::uint32_t seed = 4711;
  for (int y = top; y < bottom; ++y) {
    std::uint32_t* row = pixels + static_cast<std::size_t>(height - 1 - y) * static_cast<std::size_t>(width);
    for (int x = left; x < right; ++x) {
      const int grain = static_cast<int>(Next(seed) % 13) - 6;
      const auto channel = [grain](int v) { return static_cast<std::uint32_t>(std::clamp(v + grain, 0, 255)); };
      const int r = 128 + (x * 97 / width + y * 31 / height) % 110;
      const int g = 60 + ((x - y) * 53 / (width + height) + 60) % 150;
      const int b = 40 + ((x / 3) * (y / 3) / 257) % 160;
      row[x] = channel(r) << 16 | channel(g) << 8 | channel(b);
    }
  }
}

// A desktop screenshot: flat window areas, title bars, lines of text, and a photo in a window.
std::unique_ptr<Picture> Screenshot(int width, int height) {
  return MakeSection(width, height, [width, height](HDC dc, std::uint32_t* pixels) {
    const auto fill = [dc](int l, int t, int r, int b, COLORREF colour) {
      ui::UniqueGdiObject brush(CreateSolidBrush(colour));
      const RECT area{l, t, r, b};
      FillRect(dc, &area, static_cast<HBRUSH>(brush.get()));
    };
    fill(0, 0, width, height, RGB(0x2D, 0x5F, 0x8A));
    ui::UniqueGdiObject font(CreateFontW(-std::max(11, height / 150), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0,
                                         0, DEFAULT_QUALITY, 0, L"Tahoma"));
    ui::SelectedObject selected(dc, font.get());
    SetBkMode(dc, TRANSPARENT);
    const int line = std::max(14, height / 120);
    std::uint32_t seed = 99;
    const struct {
      int l, t, r, b;
    } windows[] = {{width / 40, height / 30, width * 11 / 20, height * 19 / 20},
                   {width / 2, height / 12, width * 39 / 40, height * 11 / 20}};
    for (const auto& w : windows) {
      fill(w.l, w.t, w.r, w.b, RGB(0xFF, 0xFF, 0xFF));
      fill(w.l, w.t, w.r, w.t + line * 2, RGB(0x1F, 0x4E, 0x79));
      SetTextColor(dc, RGB(0x20, 0x20, 0x20));
      for (int y = w.t + line * 3; y + line < w.b; y += line + line / 3) {
        std::wstring text;
        const int words = 4 + static_cast<int>(Next(seed) % 14);
        for (int i = 0; i < words; ++i) {
          const int letters = 2 + static_cast<int>(Next(seed) % 9);
          for (int k = 0; k < letters; ++k) text += static_cast<wchar_t>(L'a' + Next(seed) % 26);
          text += L' ';
        }
        TextOutW(dc, w.l + line, y, text.c_str(), static_cast<int>(text.size()));
      }
    }
    fill(width / 2, height * 3 / 5, width * 39 / 40, height * 19 / 20, RGB(0xF0, 0xF0, 0xF0));
    PaintPhoto(pixels, width, height, width / 2 + 8, height * 3 / 5 + 8, width * 39 / 40 - 8, height * 19 / 20 - 8);
    fill(0, height - line * 2, width, height, RGB(0xDD, 0xDD, 0xDD));
  });
}

std::unique_ptr<Picture> Photo(int width, int height) {
  return MakeSection(width, height, [width, height](HDC, std::uint32_t* pixels) {
    PaintPhoto(pixels, width, height, 0, 0, width, height);
  });
}

void Rgb(const Picture& picture, int y, std::uint8_t* to) {
  imaging::BgrxToRgb(picture.top + picture.step * y, static_cast<std::uint32_t>(picture.width), to);
}

// libpng with the settings most programs leave as they are: default compression level,
// default filter choice (all five, by the sum of absolute differences), rows handed over as
// the section holds them (libpng swaps blue and red and drops the spare byte itself).
Bytes LibPng(const Picture& picture) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, png_size_t size) {
        auto* bytes = static_cast<Bytes*>(png_get_io_ptr(p));
        bytes->insert(bytes->end(), data, data + size);
      },
      nullptr);
  png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_bgr(png);
  png_set_filler(png, 0, PNG_FILLER_AFTER);
  for (int y = 0; y < picture.height; ++y) png_write_row(png, picture.top + picture.step * y);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

// libspng at its defaults, given RGB rows (it takes no other order), one at a time.
Bytes LibSpng(const Picture& picture) {
  spng_ctx* ctx = spng_ctx_new(SPNG_CTX_ENCODER);
  spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1);
  spng_ihdr ihdr{static_cast<std::uint32_t>(picture.width),
                 static_cast<std::uint32_t>(picture.height),
                 8,
                 SPNG_COLOR_TYPE_TRUECOLOR,
                 0,
                 0,
                 0};
  spng_set_ihdr(ctx, &ihdr);
  spng_encode_image(ctx, nullptr, 0, SPNG_FMT_PNG, SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE);
  Bytes row(static_cast<std::size_t>(picture.width) * 3);
  for (int y = 0; y < picture.height; ++y) {
    Rgb(picture, y, row.data());
    spng_encode_row(ctx, row.data(), row.size());
  }
  size_t size = 0;
  int error = 0;
  auto* buffer = static_cast<std::uint8_t*>(spng_get_png_buffer(ctx, &size, &error));
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  spng_ctx_free(ctx);
  return out;
}

// Row filters for 3 bytes per pixel.
enum Strategy { kFixedNone, kFixedUp, kFixedSub, kFixedPaeth, kBestOfFive, kBestOfUpSubPaeth };
const char* const kStrategyNames[] = {"none", "up", "sub", "paeth", "best of 5", "best of up/sub/paeth"};

int Paeth(int a, int b, int c) {
  const int p = b - c;
  const int q = a - c;
  const int pa = std::abs(p);
  const int pb = std::abs(q);
  const int pc = std::abs(p + q);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

void Filter(int type, const std::uint8_t* row, const std::uint8_t* prior, std::size_t n, std::uint8_t* to) {
  constexpr std::size_t bpp = 3;
  switch (type) {
    case 0:
      std::memcpy(to, row, n);
      break;
    case 1:
      std::memcpy(to, row, bpp);
      for (std::size_t i = bpp; i < n; ++i) to[i] = static_cast<std::uint8_t>(row[i] - row[i - bpp]);
      break;
    case 2:
      for (std::size_t i = 0; i < n; ++i) to[i] = static_cast<std::uint8_t>(row[i] - prior[i]);
      break;
    case 3:
      for (std::size_t i = 0; i < bpp; ++i) to[i] = static_cast<std::uint8_t>(row[i] - prior[i] / 2);
      for (std::size_t i = bpp; i < n; ++i) to[i] = static_cast<std::uint8_t>(row[i] - (row[i - bpp] + prior[i]) / 2);
      break;
    default:
      for (std::size_t i = 0; i < bpp; ++i) to[i] = static_cast<std::uint8_t>(row[i] - prior[i]);
      for (std::size_t i = bpp; i < n; ++i)
        to[i] = static_cast<std::uint8_t>(row[i] - Paeth(row[i - bpp], prior[i], prior[i - bpp]));
      break;
  }
}

std::size_t Sad(const std::uint8_t* bytes, std::size_t n) {
  std::size_t sum = 0;
  for (std::size_t i = 0; i < n; ++i) sum += static_cast<std::size_t>(std::abs(static_cast<std::int8_t>(bytes[i])));
  return sum;
}

// Candidate: our chunk writer around libdeflate, at a level and with a row filter strategy.
Bytes Deflate(const Picture& picture, int level, Strategy strategy) {
  const std::size_t n = static_cast<std::size_t>(picture.width) * 3;
  const auto height = static_cast<std::size_t>(picture.height);
  Bytes filtered((n + 1) * height);
  Bytes rows(n * 7);
  std::uint8_t* prior = rows.data();
  std::uint8_t* row = prior + n;
  std::uint8_t* trial = row + n;
  for (std::size_t y = 0; y < height; ++y) {
    Rgb(picture, static_cast<int>(y), row);
    std::uint8_t* to = filtered.data() + (n + 1) * y;
    int chosen = 0;
    switch (strategy) {
      case kFixedNone:
        break;
      case kFixedUp:
        chosen = 2;
        break;
      case kFixedSub:
        chosen = 1;
        break;
      case kFixedPaeth:
        chosen = 4;
        break;
      case kBestOfFive:
      case kBestOfUpSubPaeth: {
        std::size_t best = SIZE_MAX;
        for (int type = strategy == kBestOfFive ? 0 : 1; type <= 4; ++type) {
          if (strategy == kBestOfUpSubPaeth && type == 3) continue;
          Filter(type, row, prior, n, trial + n * static_cast<std::size_t>(type));
          const std::size_t cost = Sad(trial + n * static_cast<std::size_t>(type), n);
          if (cost < best) {
            best = cost;
            chosen = type;
          }
        }
        break;
      }
    }
    to[0] = static_cast<std::uint8_t>(chosen);
    Filter(chosen, row, prior, n, to + 1);
    std::swap(prior, row);
  }
  libdeflate_compressor* compressor = libdeflate_alloc_compressor(level);
  Bytes compressed(libdeflate_zlib_compress_bound(compressor, filtered.size()));
  compressed.resize(
      libdeflate_zlib_compress(compressor, filtered.data(), filtered.size(), compressed.data(), compressed.size()));
  libdeflate_free_compressor(compressor);
  imaging::TMemoryStream out;
  imaging::WritePngHead(out,
                        {static_cast<std::uint32_t>(picture.width), static_cast<std::uint32_t>(picture.height), 8,
                         imaging::PngColorType::kRgb},
                        {});
  imaging::WritePngTail(out, compressed.data(), compressed.size());
  return Bytes(out.Memory(), out.Memory() + out.Size());
}

Bytes OursInMemory(Picture& picture) {
  imaging::TMemoryStream out;
  imaging::EncodePng(*picture.holder.GraphicAs<ui::TBitmap>(), out);
  return Bytes(out.Memory(), out.Memory() + out.Size());
}

Bytes BmpInMemory(Picture& picture) {
  imaging::TMemoryStream out;
  imaging::EncodeBmp(*picture.holder.GraphicAs<ui::TBitmap>(), out);
  return Bytes(out.Memory(), out.Memory() + out.Size());
}

std::size_t FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
  return static_cast<std::size_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

struct Candidate {
  Candidate(std::string n, std::function<std::size_t()> r) : name(std::move(n)), run(std::move(r)) {}
  std::string name;
  std::function<std::size_t()> run;  // answers the bytes it made
  std::vector<double> times;
  std::size_t bytes = 0;
};

// Runs every candidate once unmeasured, then `rounds` times in turn, so that all of them see
// the same state of the machine.
void Measure(std::vector<Candidate>& candidates, int rounds) {
  for (Candidate& c : candidates) c.bytes = c.run();
  for (int i = 0; i < rounds; ++i) {
    for (Candidate& c : candidates) c.times.push_back(Time([&c] { c.bytes = c.run(); }));
  }
}

void Report(const char* title, const Picture& picture, std::vector<Candidate>& candidates, int rounds) {
  Measure(candidates, rounds);
  const double pixels = static_cast<double>(picture.width) * picture.height;
  std::printf("\n%s, %d x %d (%.1f MP), medians of %d runs\n", title, picture.width, picture.height, pixels / 1e6,
              rounds);
  std::printf("  %-38s %10s %7s %12s %9s %9s\n", "encoder", "median ms", "ns/px", "bytes", "size/png", "png/time");
  const double pngTime = bench::Median(candidates[1].times);
  const auto pngBytes = static_cast<double>(candidates[1].bytes);
  for (const Candidate& c : candidates) {
    const double median = bench::Median(c.times);
    std::printf("  %-38s %10.1f %7.2f %12llu %9.3f %9.2f\n", c.name.c_str(), median, median * 1e6 / pixels,
                static_cast<unsigned long long>(c.bytes), static_cast<double>(c.bytes) / pngBytes, pngTime / median);
  }
}

}  // namespace

int main(int argc, char** argv) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring pngPath = std::wstring(temp) + L"bench-png.png";
  const std::wstring bmpPath = std::wstring(temp) + L"bench-png.bmp";
  const bool grid = argc > 1 && std::strcmp(argv[1], "--grid") == 0;
  const int rounds = grid ? 3 : 5;

  for (const bool photo : {false, true}) {
    std::unique_ptr<Picture> picture = photo ? Photo(3840, 2160) : Screenshot(3840, 2160);
    Picture& p = *picture;
    std::vector<Candidate> candidates{
        {"our PNG writer, into memory", [&p] { return OursInMemory(p).size(); }},
        {"libpng 1.6 + zlib, defaults", [&p] { return LibPng(p).size(); }},
        {"our PNG writer, into a file",
         [&p, &pngPath] {
           imaging::WritePng(p.holder, pngPath);
           return FileSize(pngPath);
         }},
        {"libspng 0.7 + zlib, defaults", [&p] { return LibSpng(p).size(); }},
        {"BMP writer, into memory", [&p] { return BmpInMemory(p).size(); }},
        {"BMP writer, into a file",
         [&p, &bmpPath] {
           imaging::WriteBmp(p.holder, bmpPath);
           return FileSize(bmpPath);
         }},
    };
    if (grid) {
      for (int level = 1; level <= 9; ++level) {
        for (const Strategy s : {kFixedUp, kFixedPaeth, kBestOfFive, kBestOfUpSubPaeth}) {
          char name[64];
          std::snprintf(name, sizeof(name), "libdeflate %d, %s", level, kStrategyNames[s]);
          candidates.push_back({name, [&p, level, s] { return Deflate(p, level, s).size(); }});
        }
      }
    }
    Report(photo ? "Photo" : "Screenshot", p, candidates, rounds);
  }

  std::printf("\nCost against size, screenshot-like pictures (ns per pixel should stay flat)\n");
  std::printf("  %6s %11s %12s %8s %12s %8s %9s\n", "MP", "size", "ours ms", "ns/px", "libpng ms", "ns/px", "png/ours");
  const struct {
    int width;
    int height;
    int rounds;
  } sizes[] = {{1280, 800, 7}, {4000, 3000, 3}, {8192, 6144, 3}};
  for (const auto& size : sizes) {
    std::unique_ptr<Picture> picture = Screenshot(size.width, size.height);
    Picture& p = *picture;
    std::vector<Candidate> candidates{{"ours", [&p] { return OursInMemory(p).size(); }},
                                      {"libpng", [&p] { return LibPng(p).size(); }}};
    Measure(candidates, size.rounds);
    const double pixels = static_cast<double>(size.width) * size.height;
    const double ours = bench::Median(candidates[0].times);
    const double png = bench::Median(candidates[1].times);
    std::printf("  %6.1f %5dx%-5d %12.1f %8.2f %12.1f %8.2f %9.2f\n", pixels / 1e6, size.width, size.height, ours,
                ours * 1e6 / pixels, png, png * 1e6 / pixels, png / ours);
  }
  DeleteFileW(pngPath.c_str());
  DeleteFileW(bmpPath.c_str());
  return 0;
}
