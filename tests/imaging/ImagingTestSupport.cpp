#include "ImagingTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "clipboard/Clipboard.h"
#include "support/TestSupport.h"
#include "ui/Errors.h"
#include "ui/Handle.h"

// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

namespace imaging_test {
namespace {

// libjpeg may not be unwound through; its errors jump back (see RunDecode/RunEncode).
struct JumpingErrors {
  jpeg_error_mgr pub{};
  void* jump[5]{};
};

[[noreturn]] void JumpOnError(j_common_ptr cinfo) {
  __builtin_longjmp(static_cast<JumpingErrors*>(cinfo->client_data)->jump, 1);
}
void Quiet(j_common_ptr, int) {}

void Setup(jpeg_common_struct& common, JumpingErrors& errors) {
  common.err = jpeg_std_error(&errors.pub);
  errors.pub.error_exit = JumpOnError;
  errors.pub.emit_message = Quiet;
  common.client_data = &errors;
}

[[gnu::noinline]] bool RunDecode(jpeg_decompress_struct* cinfo, JumpingErrors* errors, const Bytes* data,
                                 DecodedJpeg* out) {
  if (__builtin_setjmp(errors->jump) != 0) return false;
  jpeg_CreateDecompress(cinfo, JPEG_LIB_VERSION, sizeof(jpeg_decompress_struct));
  jpeg_mem_src(cinfo, data->data(), static_cast<unsigned long>(data->size()));
  jpeg_read_header(cinfo, TRUE);
  out->progressive = cinfo->progressive_mode != 0;
  out->jfif = cinfo->saw_JFIF_marker != 0;
  out->densityUnit = cinfo->density_unit;
  out->xDensity = cinfo->X_density;
  out->yDensity = cinfo->Y_density;
  if (cinfo->num_components == 3) cinfo->out_color_space = JCS_RGB;
  jpeg_start_decompress(cinfo);
  out->width = static_cast<int>(cinfo->output_width);
  out->height = static_cast<int>(cinfo->output_height);
  out->components = cinfo->output_components;
  const std::size_t stride = cinfo->output_width * static_cast<std::size_t>(cinfo->output_components);
  out->pixels.resize(stride * cinfo->output_height);
  while (cinfo->output_scanline < cinfo->output_height) {
    JSAMPROW row = out->pixels.data() + stride * cinfo->output_scanline;
    jpeg_read_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_decompress(cinfo);
  return true;
}

[[gnu::noinline]] bool RunEncode(jpeg_compress_struct* cinfo, JumpingErrors* errors, const Bytes* rgb, int width,
                                 int height, int quality, unsigned char** buffer, unsigned long* size) {
  if (__builtin_setjmp(errors->jump) != 0) return false;
  jpeg_CreateCompress(cinfo, JPEG_LIB_VERSION, sizeof(jpeg_compress_struct));
  jpeg_mem_dest(cinfo, buffer, size);
  cinfo->image_width = static_cast<JDIMENSION>(width);
  cinfo->image_height = static_cast<JDIMENSION>(height);
  cinfo->input_components = 3;
  cinfo->in_color_space = JCS_RGB;
  jpeg_set_defaults(cinfo);
  jpeg_set_quality(cinfo, quality, TRUE);
  jpeg_start_compress(cinfo, TRUE);
  const std::size_t stride = static_cast<std::size_t>(width) * 3;
  while (cinfo->next_scanline < cinfo->image_height) {
    auto row = const_cast<JSAMPROW>(rgb->data() + stride * cinfo->next_scanline);
    jpeg_write_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_compress(cinfo);
  return true;
}

}  // namespace

ScratchFolder::ScratchFolder() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  static int serial = 0;
  folder_ = std::wstring(temp) + L"velmo-imaging-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++serial) + L"\\";
  CreateDirectoryW(folder_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((folder_ + L"*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((folder_ + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder_.c_str());
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

Bytes ReadFileBytes(const std::wstring& path) {
  ui::UniqueFile file(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {};
  LARGE_INTEGER size{};
  GetFileSizeEx(file.get(), &size);
  Bytes bytes(static_cast<std::size_t>(size.QuadPart));
  DWORD read = 0;
  if (!bytes.empty()) ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  bytes.resize(read);
  return bytes;
}

void WriteFileBytes(const std::wstring& path, const Bytes& bytes) {
  ui::UniqueFile file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file);
  DWORD written = 0;
  WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void Put16(Bytes& bytes, std::uint32_t value) {
  bytes.push_back(static_cast<std::uint8_t>(value));
  bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(Bytes& bytes, std::uint32_t value) {
  Put16(bytes, value & 0xFFFF);
  Put16(bytes, value >> 16);
}

std::uint32_t Get16(const Bytes& bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(bytes.at(offset)) | static_cast<std::uint32_t>(bytes.at(offset + 1)) << 8;
}

std::uint32_t Get32(const Bytes& bytes, std::size_t offset) {
  return Get16(bytes, offset) | Get16(bytes, offset + 2) << 16;
}

ui::TBitmap& PutSection(ui::TPicture& picture, int width, int height, int bitsPerPixel, DWORD compression,
                        const std::vector<DWORD>& colors, const Bytes& rows, HPALETTE palette) {
  struct {
    BITMAPINFOHEADER header;
    DWORD colors[256];
  } info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = width;
  info.header.biHeight = height;
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(bitsPerPixel);
  info.header.biCompression = compression;
  std::memcpy(info.colors, colors.data(), colors.size() * sizeof(DWORD));
  ui::WindowDc screen(nullptr);
  void* bits = nullptr;
  HBITMAP section =
      CreateDIBSection(screen.get(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
  EXPECT_NE(section, nullptr);
  if (section && !rows.empty()) std::memcpy(bits, rows.data(), rows.size());
  auto content = std::make_unique<ui::TBitmap>();
  content->Assign(section, palette);
  ui::TBitmap& result = *content;
  picture.SetGraphic(std::move(content));
  return result;
}

ui::TBitmap& PutDeviceBitmap(ui::TPicture& picture, int width, int height,
                             const std::function<COLORREF(int, int)>& paint) {
  ui::WindowDc screen(nullptr);
  ui::UniqueGdiObject bitmap(CreateCompatibleBitmap(screen.get(), width, height));
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const COLORREF c = paint(x, y);
      pixels[static_cast<std::size_t>(y * width + x)] = GetRValue(c) << 16U | GetGValue(c) << 8U | GetBValue(c);
    }
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  SetDIBits(screen.get(), static_cast<HBITMAP>(bitmap.get()), 0, static_cast<UINT>(height), pixels.data(), &info,
            DIB_RGB_COLORS);
  clipboard::LoadFromClipboardData(picture, CF_BITMAP, bitmap.get(), nullptr);
  return *picture.GraphicAs<ui::TBitmap>();
}

std::vector<std::uint32_t> GdiColors(const ui::TBitmap& bitmap) {
  const int width = bitmap.Width();
  const int height = bitmap.Height();
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  ui::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  EXPECT_EQ(GetDIBits(dc.get(), bitmap.Handle(), 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS),
            height);
  for (std::uint32_t& pixel : pixels) pixel &= 0xFFFFFF;
  return pixels;
}

int ScreenBitsPerPixel() {
  ui::WindowDc screen(nullptr);
  return GetDeviceCaps(screen.get(), BITSPIXEL) * GetDeviceCaps(screen.get(), PLANES);
}

ui::TMetafile& PutMetafile(ui::TPicture& picture, int mmWidth, int mmHeight) {
  ui::WindowDc screen(nullptr);
  const RECT frame{0, 0, mmWidth, mmHeight};
  HDC recorder = CreateEnhMetaFileW(screen.get(), nullptr, &frame, nullptr);
  // Drawing units are the reference device's pixels.
  const int width = MulDiv(mmWidth, GetDeviceCaps(screen.get(), HORZRES), GetDeviceCaps(screen.get(), HORZSIZE) * 100);
  const int height =
      MulDiv(mmHeight, GetDeviceCaps(screen.get(), VERTRES), GetDeviceCaps(screen.get(), VERTSIZE) * 100);
  const RECT all{0, 0, width, height};
  const RECT left{0, 0, width / 2, height};
  FillRect(recorder, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  ui::UniqueGdiObject red(CreateSolidBrush(RGB(255, 0, 0)));
  FillRect(recorder, &left, static_cast<HBRUSH>(red.get()));
  testing_support::ClipboardFill().Put(CF_ENHMETAFILE, ui::UniqueEnhMetaFile(CloseEnhMetaFile(recorder)));
  testing_support::Clipboard().CopyToPicture(picture);
  return *picture.GraphicAs<ui::TMetafile>();
}

std::uint32_t DecodedJpeg::Rgb(int x, int y) const {
  const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) *
                         static_cast<std::size_t>(components);
  if (components == 1) return pixels[at] * 0x010101U;
  return static_cast<std::uint32_t>(pixels[at]) << 16 | static_cast<std::uint32_t>(pixels[at + 1]) << 8 |
         pixels[at + 2];
}

DecodedJpeg DecodeJpeg(const Bytes& data) {
  DecodedJpeg out;
  if (data.empty()) return out;
  JumpingErrors errors;
  jpeg_decompress_struct cinfo{};
  Setup(*reinterpret_cast<jpeg_common_struct*>(&cinfo), errors);
  out.ok = RunDecode(&cinfo, &errors, &data, &out);
  out.errorCode = errors.pub.msg_code;
  jpeg_destroy_decompress(&cinfo);
  return out;
}

Bytes ReferenceJpeg(const Bytes& rgb, int width, int height, int quality) {
  JumpingErrors errors;
  jpeg_compress_struct cinfo{};
  Setup(*reinterpret_cast<jpeg_common_struct*>(&cinfo), errors);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  const bool ok = RunEncode(&cinfo, &errors, &rgb, width, height, quality, &buffer, &size);
  jpeg_destroy_compress(&cinfo);
  Bytes result;
  if (ok && buffer) result.assign(buffer, buffer + size);
  std::free(buffer);
  return result;
}

std::size_t FailingSink::Write(const void* data, std::size_t count) {
  if (Size() + count <= limit_) return TMemoryStream::Write(data, count);
  if (raise_) throw ui::EStreamError(L"voll");
  return TMemoryStream::Write(data, limit_ - Size());
}

}  // namespace imaging_test
