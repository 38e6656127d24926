// The picture side driven from outside: copy a picture, answer the picture menu and the save
// dialog of the real program, and look at the files and the shown window.
#include <gtest/gtest.h>
#include <windows.h>
// clang-format off
#include <commctrl.h>  // after windows.h, which it builds on
#include <dlgs.h>
// clang-format on

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "imaging/Streams.h"
#include "imaging/TJPEGImage.h"
#include "support/DialogAnswerer.h"
#include "support/PngDecoding.h"
#include "support/PngFiles.h"
#include "support/StartedProgram.h"
#include "support/TemporaryFolder.h"
#include "support/TestSupport.h"
#include "ui/Application.h"
#include "ui/Graphics.h"
#include "ui/Handle.h"

namespace {

using testing_support::FilesIn;
using testing_support::ProcessWindows;
using testing_support::PumpFor;
using testing_support::PumpUntil;

int ScreenBits() {
  ui::WindowDc screen(nullptr);
  return GetDeviceCaps(screen.get(), BITSPIXEL) * GetDeviceCaps(screen.get(), PLANES);
}

// A status bar panel's text in another process: the text has to be fetched into that
// process's memory first, since the message carries a pointer.
std::wstring RemotePanelText(HANDLE process, HWND bar, int panel) {
  constexpr std::size_t kChars = 256;
  void* remote = VirtualAllocEx(process, nullptr, kChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE);
  if (!remote) return {};
  SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(remote));
  wchar_t text[kChars]{};
  ReadProcessMemory(process, remote, text, sizeof(text) - sizeof(wchar_t), nullptr);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return text;
}

class PictureMenuTest : public ::testing::Test {
 protected:
  void StartProgram(const std::string& ini = {}) {
    if (!ini.empty()) testing_support::WriteFileBytes(folder_.Path() + L"VelmoClipboard.ini", {ini.begin(), ini.end()});
    process_ = std::make_unique<testing_support::StartedProgram>(folder_.Path());
    ASSERT_NE(process_->WaitUntilReady(), nullptr) << "the program never got to its message loop";
    SetCursorPos(300, 200);
  }
  void TearDown() override { process_.reset(); }

  // A picture of the screen's kind, as a screenshot arrives: its left half kLeft, the rest kRight.
  static constexpr COLORREF kLeft = RGB(200, 30, 10);
  static constexpr COLORREF kRight = RGB(20, 90, 220);
  static void CopyPicture(int width, int height) {
    ui::WindowDc screen(nullptr);
    ui::UniqueGdiObject bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    {
      ui::UniqueMemoryDc dc(CreateCompatibleDC(screen.get()));
      ui::SelectedObject selected(dc.get(), bitmap.get());
      for (const auto& [colour, area] :
           {std::pair{kLeft, RECT{0, 0, width / 2, height}}, std::pair{kRight, RECT{width / 2, 0, width, height}}}) {
        ui::UniqueGdiObject brush(CreateSolidBrush(colour));
        FillRect(dc.get(), &area, static_cast<HBRUSH>(brush.get()));
      }
    }
    testing_support::ClipboardFill fill;
    fill.Put(CF_BITMAP, std::move(bitmap));
  }
  // Waits for the picture menu and chooses its item number `item` (1 = save as, 2 = show).
  void ChooseFromMenu(int item) const {
    HWND menu = nullptr;
    ASSERT_TRUE(PumpUntil(
        [&] {
          for (HWND window : ProcessWindows(process_->Id(), L"#32768"))
            if (IsWindowVisible(window)) menu = window;
          return menu != nullptr;
        },
        5000))
        << "no picture menu opened";
    for (int i = 0; i < item; ++i) {
      PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
      PumpFor(30);
    }
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
  }

  testing_support::TemporaryFolder folder_;
  std::unique_ptr<testing_support::StartedProgram> process_;
};

TEST_F(PictureMenuTest, SaveAsAnsweredWithAFullNameWritesABmpOfTheRightSize) {
  StartProgram();
  CopyPicture(64, 48);
  ChooseFromMenu(1);
  HWND dialog = testing_support::WaitForDialog(process_->Id(), 10000);
  ASSERT_NE(dialog, nullptr) << "no save dialog";
  PumpFor(200);
  const std::wstring path = folder_.Path() + L"shot.bmp";
  testing_support::SaveUnderName(dialog, path);
  const std::size_t expected = 54u + 64u * 48u * static_cast<unsigned>(ScreenBits()) / 8u;
  EXPECT_TRUE(PumpUntil([&] { return testing_support::ReadFileBytes(path).size() == expected; }, 5000))
      << "file of " << testing_support::ReadFileBytes(path).size() << " bytes, expected " << expected;
  EXPECT_EQ(testing_support::ReadFileBytes(path).at(0), 'B');
}

TEST_F(PictureMenuTest, ShowPictureShowsTheMainWindowWithBothStatusTexts) {
  StartProgram();
  ASSERT_FALSE(IsWindowVisible(process_->Window()));
  CopyPicture(640, 480);
  ChooseFromMenu(2);
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(process_->Window()) != FALSE; }, 5000)) << "window not shown";
  HWND bar = FindWindowExW(process_->Window(), nullptr, L"msctls_statusbar32", nullptr);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(RemotePanelText(process_->Handle(), bar, 0), L"Abmessungen: 640x480");
  EXPECT_EQ(RemotePanelText(process_->Handle(), bar, 1),
            L"Größe im Speicher: " + std::to_wstring((54 + 640 * 480 * ScreenBits() / 8) / 1024) + L" KB");
}

TEST_F(PictureMenuTest, AutosaveWritesEveryCopiedPictureIntoTheFolder) {
  const std::wstring out = folder_.Path() + L"out";
  ASSERT_TRUE(CreateDirectoryW(out.c_str(), nullptr));
  const std::string dir(out.begin(), out.end());
  StartProgram("[Program]\r\nAutoSave=1\r\n[AutoSave]\r\nDir=" + dir + "\r\nFormat=BMP\r\nPicName=Shot\r\n");
  CopyPicture(32, 32);
  ASSERT_TRUE(PumpUntil([&] { return FilesIn(out).size() == 1; }, 5000));
  CopyPicture(33, 32);
  ASSERT_TRUE(PumpUntil([&] { return FilesIn(out).size() == 2; }, 5000)) << "the second picture replaced the first";
  for (const std::wstring& name : FilesIn(out)) {
    EXPECT_EQ(name.rfind(L"Shot", 0), 0u) << name;
    // The name is there as soon as the file is created; its bytes follow.
    std::vector<unsigned char> bytes;
    EXPECT_TRUE(PumpUntil([&] { return !(bytes = testing_support::ReadFileBytes(out + L"\\" + name)).empty(); }, 5000));
    EXPECT_EQ(bytes.empty() ? 0 : bytes[0], 'B');
  }
  PumpFor(300);
  for (HWND menu : ProcessWindows(process_->Id(), L"#32768"))
    EXPECT_FALSE(IsWindowVisible(menu)) << "autosave opened the picture menu";
}

TEST_F(PictureMenuTest, AutosaveInPngWritesTheCopiedPictureAsAPngFile) {
  const std::wstring out = folder_.Path() + L"out";
  ASSERT_TRUE(CreateDirectoryW(out.c_str(), nullptr));
  const std::string dir(out.begin(), out.end());
  StartProgram("[Program]\r\nAutoSave=1\r\n[AutoSave]\r\nDir=" + dir + "\r\nFormat=PNG\r\nPicName=Shot\r\n");
  CopyPicture(40, 30);
  // Found once it is there whole: a PNG ends with its IEND chunk and that chunk's check sum.
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(PumpUntil(
      [&] {
        const auto names = FilesIn(out);
        if (names.size() != 1) return false;
        bytes = testing_support::ReadFileBytes(out + L"\\" + names.front());
        return bytes.size() > 33 && std::string(bytes.end() - 8, bytes.end() - 4) == "IEND";
      },
      5000))
      << "no whole picture was saved";
  const std::wstring name = FilesIn(out).front();
  EXPECT_EQ(name.rfind(L"Shot", 0), 0u) << name;
  EXPECT_EQ(name.substr(name.size() - 4), L".png");
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 16), std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16));
  const auto bigEndian = [&](std::size_t at) {
    return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 | std::uint32_t{bytes[at + 2]} << 8 |
           bytes[at + 3];
  };
  EXPECT_EQ(bigEndian(16), 40u);
  EXPECT_EQ(bigEndian(20), 30u);
  const imaging_test::DecodedPng png = imaging_test::DecodePng(bytes);
  ASSERT_TRUE(png.ok) << png.error;
  EXPECT_EQ(png.colorType, 2) << "a screen picture has no transparency to keep";
  const auto rgb = [](COLORREF colour) {
    return static_cast<std::uint32_t>(GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour));
  };
  for (const auto& [x, y, colour] :
       {std::tuple{0, 0, kLeft}, std::tuple{19, 29, kLeft}, std::tuple{20, 0, kRight}, std::tuple{39, 29, kRight}}) {
    EXPECT_EQ(png.At(x, y), rgb(colour)) << x << "," << y;
  }
}

// Pictures whose source offers their own file beside the bitmap: "PNG" (as Windows programs
// and the Linux desktop put it), "JFIF" (Wine's image/jpeg).
class AsItCameTest : public PictureMenuTest {
 protected:
  using Bytes = std::vector<unsigned char>;
  static constexpr std::uint32_t kWidth = 48;
  static constexpr std::uint32_t kHeight = 20;

  // An RGB picture, its left half `left` and the rest `right`.
  static testing_support::PngPicture Halves(COLORREF left, COLORREF right) {
    testing_support::PngPicture picture;
    picture.width = kWidth;
    picture.height = kHeight;
    picture.colorType = 2;
    for (std::uint32_t y = 0; y < kHeight; ++y) {
      for (std::uint32_t x = 0; x < kWidth; ++x) {
        const COLORREF c = x < kWidth / 2 ? left : right;
        picture.samples.insert(picture.samples.end(), {GetRValue(c), GetGValue(c), GetBValue(c)});
      }
    }
    return picture;
  }
  // The same as a 32-bit CF_DIB: a header, then the rows bottom first.
  static Bytes Dib(const testing_support::PngPicture& picture) {
    const BITMAPINFOHEADER header{
        sizeof(BITMAPINFOHEADER), static_cast<LONG>(kWidth), static_cast<LONG>(kHeight), 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    Bytes dib(reinterpret_cast<const unsigned char*>(&header), reinterpret_cast<const unsigned char*>(&header + 1));
    for (std::uint32_t y = kHeight; y-- > 0;) {
      for (std::uint32_t x = 0; x < kWidth; ++x) {
        const std::uint32_t bgra = picture.Bgra(x, y) & 0xFFFFFF;
        for (int i = 0; i < 4; ++i) dib.push_back(static_cast<unsigned char>(bgra >> (8 * i)));
      }
    }
    return dib;
  }
  static Bytes PngWithText(const testing_support::PngPicture& picture) {
    Bytes png = testing_support::EncodePng(picture);
    const std::string text = std::string("Comment") + '\0' + "kept as it came";
    const Bytes chunk = testing_support::PngChunk("tEXt", {text.begin(), text.end()});
    png.insert(png.end() - 12, chunk.begin(), chunk.end());  // before IEND
    return png;
  }
  // A JPEG of the picture as no writer of the program makes one: another quality, progressive,
  // and a comment after the start marker.
  static Bytes Jpeg(const Bytes& dib) {
    BITMAPINFO info{};
    std::memcpy(&info.bmiHeader, dib.data(), sizeof(BITMAPINFOHEADER));
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!section) return {};
    std::memcpy(bits, dib.data() + sizeof(BITMAPINFOHEADER), dib.size() - sizeof(BITMAPINFOHEADER));
    ui::TBitmap bitmap;
    bitmap.Assign(section, nullptr);
    imaging::TJPEGSettings settings;
    settings.compressionQuality = 55;
    settings.progressiveEncoding = true;
    imaging::TMemoryStream stream;
    imaging::CompressBitmap(bitmap, settings, stream);
    Bytes jpeg(stream.Memory(), stream.Memory() + stream.Size());
    const std::string comment = "kept as it came";
    Bytes segment{0xFF, 0xFE, 0, static_cast<unsigned char>(comment.size() + 2)};
    segment.insert(segment.end(), comment.begin(), comment.end());
    jpeg.insert(jpeg.begin() + 2, segment.begin(), segment.end());
    return jpeg;
  }
  static void Offer(const std::vector<std::pair<const wchar_t*, Bytes>>& blocks) {
    testing_support::ClipboardFill fill;
    for (const auto& [name, bytes] : blocks)
      fill.PutBlock(name ? RegisterClipboardFormatW(name) : CF_DIB, bytes.data(), bytes.size());
  }
  void StartAutosave(const char* format) {
    out_ = folder_.Path() + L"out";
    ASSERT_TRUE(CreateDirectoryW(out_.c_str(), nullptr));
    StartProgram("[Program]\r\nAutoSave=1\r\n[AutoSave]\r\nDir=" + std::string(out_.begin(), out_.end()) +
                 "\r\nFormat=" + format + "\r\nPicName=Shot\r\n");
  }
  // The one file in the output folder once `done` says it is whole.
  Bytes WaitForFile(const std::function<bool(const Bytes&)>& done) const {
    Bytes bytes;
    PumpUntil(
        [&] {
          const auto names = FilesIn(out_);
          return names.size() == 1 && done(bytes = testing_support::ReadFileBytes(out_ + L"\\" + names.front()));
        },
        8000);
    return bytes;
  }

  std::wstring out_;
};

TEST_F(AsItCameTest, AutosaveAndSaveAsInPngWriteThePngOfferedBesideABitmapByteForByte) {
  const auto picture = Halves(kLeft, kRight);
  const Bytes png = PngWithText(picture);
  StartAutosave("PNG");
  Offer({{nullptr, Dib(picture)}, {L"PNG", png}});
  const Bytes saved = WaitForFile([&](const Bytes& bytes) { return bytes.size() >= png.size(); });
  EXPECT_TRUE(saved == png) << saved.size() << " bytes instead of the " << png.size() << " offered";

  process_.reset();
  StartProgram("[Program]\r\nAutoSave=0\r\n");
  Offer({{nullptr, Dib(picture)}, {L"PNG", png}});
  ChooseFromMenu(1);
  HWND dialog = testing_support::WaitForDialog(process_->Id(), 10000);
  ASSERT_NE(dialog, nullptr) << "no save dialog";
  PumpFor(200);
  HWND types = GetDlgItem(dialog, cmb1);
  SendMessageW(types, CB_SETCURSEL, 2, 0);  // PNG, told to the dialog as a choice with the mouse is
  for (const int notification : {CBN_SELENDOK, CBN_SELCHANGE})
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(cmb1, notification), reinterpret_cast<LPARAM>(types));
  const std::wstring path = folder_.Path() + L"shot.png";
  testing_support::SaveUnderName(dialog, path);
  Bytes chosen;
  EXPECT_TRUE(PumpUntil([&] { return (chosen = testing_support::ReadFileBytes(path)).size() >= png.size(); }, 5000));
  EXPECT_TRUE(chosen == png) << chosen.size() << " bytes instead of the " << png.size() << " offered";
}

TEST_F(AsItCameTest, AutosaveInPngEncodesTheBitmapWhenThePngBesideItIsDamaged) {
  Bytes png = testing_support::EncodePng(Halves(kLeft, kRight));
  png[png.size() - 12 - 1] ^= 0x40;  // the CRC of the chunk before IEND: the image data's
  StartAutosave("PNG");
  Offer({{nullptr, Dib(Halves(kRight, kLeft))}, {L"PNG", png}});
  const imaging_test::DecodedPng written =
      imaging_test::DecodePng(WaitForFile([](const Bytes& bytes) { return imaging_test::DecodePng(bytes).ok; }));
  ASSERT_TRUE(written.ok) << written.error;
  const auto rgb = [](COLORREF c) {
    return static_cast<std::uint32_t>(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c));
  };
  EXPECT_EQ(written.At(0, 0), rgb(kRight)) << "not the bitmap's picture";
  EXPECT_EQ(written.At(kWidth - 1, kHeight - 1), rgb(kLeft));
}

TEST_F(AsItCameTest, AutosaveInJpgWritesTheJfifOfferedBesideABitmapByteForByte) {
  const Bytes dib = Dib(Halves(kLeft, kRight));
  const Bytes jpeg = Jpeg(dib);
  ASSERT_GT(jpeg.size(), 100u);
  StartAutosave("JPG");
  Offer({{nullptr, dib}, {L"JFIF", jpeg}});
  const Bytes saved = WaitForFile([&](const Bytes& bytes) { return bytes.size() >= jpeg.size(); });
  EXPECT_TRUE(saved == jpeg) << saved.size() << " bytes instead of the " << jpeg.size() << " offered";
}

}  // namespace
