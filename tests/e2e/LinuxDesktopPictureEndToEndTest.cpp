// Pictures copied by Linux programs on the same X display, as a desktop's screenshot tool or
// image viewer offers them: image/png alone, which Wine hands on as the format "PNG" alone
// (xclip stands in for such a program), or, as GTK, Qt and LibreOffice do, beside image/bmp.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "support/NativeProgram.h"
#include "support/PngDecoding.h"
#include "support/PngFiles.h"
#include "support/StartedProgram.h"
#include "support/TemporaryFolder.h"
#include "support/TestSupport.h"

namespace {

using testing_support::PumpUntil;

// Odd sizes and every alpha from clear to opaque, so a flipped, shifted or premultiplied row shows.
testing_support::PngPicture RgbaPicture(std::uint32_t width, std::uint32_t height) {
  testing_support::PngPicture picture;
  picture.width = width;
  picture.height = height;
  picture.colorType = 6;
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      picture.samples.insert(
          picture.samples.end(),
          {static_cast<std::uint16_t>(x * 255 / width), static_cast<std::uint16_t>(y * 255 / height),
           static_cast<std::uint16_t>((x * 7 + y * 3) % 256), static_cast<std::uint16_t>((x + y) % 256)});
    }
  }
  return picture;
}

std::uint32_t Little32(const std::vector<unsigned char>& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes.at(at)) | static_cast<std::uint32_t>(bytes.at(at + 1)) << 8 |
         static_cast<std::uint32_t>(bytes.at(at + 2)) << 16 | static_cast<std::uint32_t>(bytes.at(at + 3)) << 24;
}

class LinuxDesktopPicture : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto xclip = testing_support::NativeProgram({L"xclip", L"-version"}).Wait();
    if (!xclip || xclip->status != 0) GTEST_SKIP() << "xclip is not installed (or this is not Wine)";
  }
  void TearDown() override {
    process_.reset();
    // Taking the clipboard back takes the X selection from xclip, which then ends.
    testing_support::ClipboardFill reclaim;
  }

  void StartProgram(const std::string& ini = {}) {
    if (!ini.empty()) testing_support::WriteFileBytes(folder_.Path() + L"VelmoClipboard.ini", {ini.begin(), ini.end()});
    process_ = std::make_unique<testing_support::StartedProgram>(folder_.Path());
    ASSERT_NE(process_->WaitUntilReady(), nullptr) << "the program never got to its message loop";
    SetCursorPos(300, 200);
  }

  // xclip offers the picture as image/png alone. Without -quiet it leaves a copy of itself in
  // the background to serve the selection, and ends.
  static void OfferOnXClipboard(const testing_support::PngPicture& picture) {
    const auto png = testing_support::EncodePng(picture);
    const auto xclip =
        testing_support::NativeProgram({L"xclip", L"-selection", L"clipboard", L"-t", L"image/png", L"-i"},
                                       {png.begin(), png.end()})
            .Wait();
    ASSERT_TRUE(xclip && xclip->status == 0) << (xclip ? xclip->output : "xclip did not end");
  }

  HWND VisibleMenu() const {
    for (HWND window : testing_support::ProcessWindows(process_->Id(), L"#32768"))
      if (IsWindowVisible(window)) return window;
    return nullptr;
  }

  testing_support::TemporaryFolder folder_;
  std::unique_ptr<testing_support::StartedProgram> process_;
};

TEST_F(LinuxDesktopPicture, APngOfferedByALinuxProgramOpensThePictureMenuAndShows) {
  StartProgram();
  OfferOnXClipboard(RgbaPicture(64, 48));
  HWND menu = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (menu = VisibleMenu()) != nullptr; }, 10000)) << "no picture menu opened";
  for (const int key : {VK_DOWN, VK_DOWN, VK_RETURN}) {  // the second item shows the picture
    PostMessageW(menu, WM_KEYDOWN, static_cast<WPARAM>(key), 0);
    testing_support::PumpFor(30);
  }
  EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(process_->Window()) != FALSE; }, 5000)) << "window not shown";
}

TEST_F(LinuxDesktopPicture, AutosaveWritesEveryPixelAndAlphaOfAPngOfferedByALinuxProgram) {
  const std::wstring out = folder_.Path() + L"out";
  ASSERT_TRUE(CreateDirectoryW(out.c_str(), nullptr));
  const std::string dir(out.begin(), out.end());
  {
    // A Windows program owns the clipboard before the copy, so Wine tells of the one copy in
    // the X program twice (once for giving up its own content, once for the new).
    testing_support::ClipboardFill fill;
    fill.PutBlock(RegisterClipboardFormatW(L"Velmo test marker"), "x", 2);
  }
  StartProgram("[Program]\r\nAutoSave=1\r\n[AutoSave]\r\nDir=" + dir + "\r\nFormat=BMP\r\nPicName=Shot\r\n");
  const auto picture = RgbaPicture(123, 77);
  OfferOnXClipboard(picture);

  const std::size_t expectedSize = 54 + std::size_t{123} * 77 * 4;
  std::vector<std::vector<unsigned char>> files;
  ASSERT_TRUE(PumpUntil(
      [&] {
        files.clear();
        for (const std::wstring& name : testing_support::FilesIn(out))
          files.push_back(testing_support::ReadFileBytes(out + L"\\" + name));
        return !files.empty() &&
               std::all_of(files.begin(), files.end(), [&](const auto& bmp) { return bmp.size() == expectedSize; });
      },
      10000))
      << "no whole BMP written";
  testing_support::PumpFor(1500);
  EXPECT_EQ(testing_support::FilesIn(out).size(), 1u) << "one copy saved more than once";
  for (const auto& bmp : files) {
    ASSERT_EQ(Little32(bmp, 18), 123u);
    const auto height = static_cast<std::int32_t>(Little32(bmp, 22));
    ASSERT_EQ(height < 0 ? -height : height, 77);
    ASSERT_EQ(Little32(bmp, 28) & 0xFFFF, 32u);
    const std::uint32_t offset = Little32(bmp, 10);
    int wrong = 0;
    for (std::uint32_t y = 0; y < 77; ++y) {
      const std::uint32_t row = height > 0 ? 76 - y : y;
      for (std::uint32_t x = 0; x < 123; ++x) {
        const std::uint32_t got = Little32(bmp, offset + (row * 123 + x) * 4);
        if (got != picture.Bgra(x, y) && ++wrong <= 3)
          ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << got << " instead of " << picture.Bgra(x, y);
      }
    }
    EXPECT_EQ(wrong, 0);
  }
}

TEST_F(LinuxDesktopPicture, AutosaveKeepsTheAlphaOfAPngOfferedBesideABmpWithoutAlpha) {
  const std::wstring out = folder_.Path() + L"out";
  ASSERT_TRUE(CreateDirectoryW(out.c_str(), nullptr));
  const std::string dir(out.begin(), out.end());
  StartProgram("[Program]\r\nAutoSave=1\r\n[AutoSave]\r\nDir=" + dir + "\r\nFormat=PNG\r\nPicName=Shot\r\n");
  constexpr std::uint32_t kWidth = 61, kHeight = 37;
  const auto picture = RgbaPicture(kWidth, kHeight);
  // What GTK, Qt and LibreOffice offer beside image/png: image/bmp of the same picture, 32 bits
  // per pixel with every alpha byte 0.
  std::vector<unsigned char> bmp(54);
  const auto put32 = [&bmp](std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) bmp[at + i] = static_cast<unsigned char>(value >> (8 * i));
  };
  bmp[0] = 'B';
  bmp[1] = 'M';
  put32(2, 54 + kWidth * kHeight * 4);
  put32(10, 54);
  put32(14, 40);
  put32(18, kWidth);
  put32(22, kHeight);
  put32(26, 1 | 32 << 16);  // one plane, 32 bits
  for (std::uint32_t y = kHeight; y-- > 0;) {
    for (std::uint32_t x = 0; x < kWidth; ++x) {
      bmp.resize(bmp.size() + 4);
      put32(bmp.size() - 4, picture.Bgra(x, y) & 0xFFFFFF);
    }
  }
  const auto hex = [](const auto& bytes) {
    std::string text;
    for (const auto byte : bytes) {
      text += "0123456789abcdef"[byte >> 4];
      text += "0123456789abcdef"[byte & 15];
    }
    return text;
  };
  const testing_support::XOffer offer = testing_support::OfferOnXClipboard(
      "{\"TARGETS\": null, \"image/png\": {\"hex\": \"" + hex(testing_support::EncodePng(picture)) +
      "\"}, \"image/bmp\": {\"hex\": \"" + hex(bmp) + "\"}, \"TIMESTAMP\": null}");
  if (!offer.skip.empty()) GTEST_SKIP() << offer.skip;
  ASSERT_TRUE(offer.offerer) << offer.failure;

  imaging_test::DecodedPng png;
  ASSERT_TRUE(PumpUntil(
      [&] {
        const auto files = testing_support::FilesIn(out);
        if (files.empty()) return false;
        png = imaging_test::DecodePng(testing_support::ReadFileBytes(out + L"\\" + files.front()));
        return png.ok;
      },
      10000))
      << "no whole PNG written";
  EXPECT_EQ(png.colorType, 6) << "the PNG lost its alpha";
  ASSERT_EQ(png.width, static_cast<int>(kWidth));
  ASSERT_EQ(png.height, static_cast<int>(kHeight));
  int wrong = 0;
  for (std::uint32_t y = 0; y < kHeight; ++y)
    for (std::uint32_t x = 0; x < kWidth; ++x)
      if (png.At(static_cast<int>(x), static_cast<int>(y)) != picture.Bgra(x, y) && ++wrong <= 3)
        ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex
                      << png.At(static_cast<int>(x), static_cast<int>(y)) << " instead of " << picture.Bgra(x, y);
  EXPECT_EQ(wrong, 0);
}

}  // namespace
