// The picture menu's commands, the viewer and the autosave, on a main window in the test's
// own process. Modal boxes and the save dialog are answered from a thread of their own.
#include <gtest/gtest.h>
#include <windows.h>
// clang-format off
#include <dlgs.h>  // after windows.h, which it builds on
// clang-format on

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "MainFormFixture.h"
#include "clipboard/Clipboard.h"
#include "support/DialogAnswerer.h"
#include "support/PngDecoding.h"
#include "support/PngFiles.h"
#include "ui/Graphics.h"
#include "ui/PopupMenu.h"

namespace {

using testing_support::DialogAnswerer;
using testing_support::FilesIn;
using testing_support::PumpFor;

// Bytes at the start of a file, as a string for readable comparisons.
std::string Start(const std::wstring& path, std::size_t count) {
  const auto bytes = testing_support::ReadFileBytes(path);
  return {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(count, bytes.size()))};
}
const std::string kJpegStart = "\xFF\xD8\xFF";
const std::string kPngSignature = "\x89PNG\r\n\x1A\n";

// The entries of a combo box, such as the save dialog's file types.
std::vector<std::wstring> ComboItems(HWND combo) {
  std::vector<std::wstring> items;
  const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);  // CB_ERR for no combo box
  for (LRESULT i = 0; i < count; ++i) {
    const auto index = static_cast<WPARAM>(i);
    std::wstring text(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, index, 0)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()))));
    items.push_back(text);
  }
  return items;
}

int ScreenBits() {
  ui::WindowDc screen(nullptr);
  return GetDeviceCaps(screen.get(), BITSPIXEL) * GetDeviceCaps(screen.get(), PLANES);
}

class PictureTest : public app_test::MainFormFixture {
 protected:
  // A picture of the screen's kind, as a screenshot arrives; `shade` makes pictures differ.
  static void CopyPicture(int width, int height, int shade = 0x80) {
    ui::WindowDc screen(nullptr);
    ui::UniqueGdiObject bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    {
      ui::UniqueMemoryDc dc(CreateCompatibleDC(screen.get()));
      ui::SelectedObject selected(dc.get(), bitmap.get());
      ui::UniqueGdiObject brush(CreateSolidBrush(RGB(shade, 0x40, 0x20)));
      const RECT all{0, 0, width, height};
      FillRect(dc.get(), &all, static_cast<HBRUSH>(brush.get()));
    }
    testing_support::ClipboardFill fill;
    fill.Put(CF_BITMAP, std::move(bitmap));
  }
  // What office programs place: an enhanced metafile first (red left half on white), then a
  // bitmap of it.
  static void CopyMetafileFirst() {
    const RECT frame{0, 0, 5000, 2500};  // 50 mm x 25 mm
    HDC recorder = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
    ui::UniqueGdiObject red(CreateSolidBrush(RGB(255, 0, 0)));
    const int width = MulDiv(5000, GetDeviceCaps(recorder, HORZRES), GetDeviceCaps(recorder, HORZSIZE) * 100);
    const int height = MulDiv(2500, GetDeviceCaps(recorder, VERTRES), GetDeviceCaps(recorder, VERTSIZE) * 100);
    const RECT left{0, 0, width / 2, height};
    FillRect(recorder, &left, static_cast<HBRUSH>(red.get()));
    ui::UniqueEnhMetaFile metafile(CloseEnhMetaFile(recorder));
    ui::WindowDc screen(nullptr);
    testing_support::ClipboardFill fill;
    fill.Put(CF_ENHMETAFILE, std::move(metafile));
    fill.Put(CF_BITMAP, ui::UniqueGdiObject(CreateCompatibleBitmap(screen.get(), 3, 3)));
  }

  // Runs a menu command that opens the save dialog and answers it with `answer`.
  void SaveAs(const ui::TMenuItem* item, const std::function<void(HWND)>& answer) {
    DialogAnswerer answerer(GetCurrentProcessId(), answer);
    Choose(item);
    EXPECT_EQ(answerer.Answered(), 1) << "no save dialog showed";
  }
  static std::function<void(HWND)> SaveUnder(const std::wstring& path) {
    return [path](HWND dialog) { testing_support::SaveUnderName(dialog, path); };
  }
  static std::function<void(HWND)> Cancel() {
    return [](HWND dialog) { testing_support::PressButton(dialog, IDCANCEL); };
  }

  std::wstring Panel(int index) const { return form_->StatusBar().PanelText(index); }
  static std::wstring KB(long long bytes) { return std::to_wstring(bytes / 1024) + L" KB"; }

  std::vector<std::wstring> popups_;
  const ui::ScopedReplacement<ui::TPopupMenu::PopupFunction> popupReplacement_ =
      ui::TPopupMenu::ReplacePopupFunction([this](ui::TPopupMenu& menu, int, int) { popups_.push_back(menu.Name()); });
};

TEST_F(PictureTest, SaveAsWritesWhatTheFilterSaysAndCancelWritesNothing) {
  StartForm();
  CopyPicture(640, 480);
  ASSERT_EQ(popups_, std::vector<std::wstring>{L"PopupMenuBitmap"});
  std::wstring title;
  std::vector<std::wstring> types;
  SaveAs(&form_->Bitmapspeichernunter1(), [&](HWND dialog) {
    title = testing_support::WindowText(dialog);
    types = ComboItems(GetDlgItem(dialog, cmb1));
    testing_support::PressButton(dialog, IDCANCEL);
  });
  SaveAs(&form_->Bitmapspeichernunter1(), Cancel());
  EXPECT_EQ(title, L"Bild speichern unter...");
  EXPECT_EQ(types, (std::vector<std::wstring>{L"Bitmap (*.bmp)", L"JPEG (*.jpg)", L"PNG (*.png)"}));
  EXPECT_EQ(FilesIn(folder_.Path()), std::vector<std::wstring>{}) << "a cancelled dialog wrote something";
  EXPECT_TRUE(form_->ReactionFlag());

  const std::wstring out = folder_.Path() + L"out";
  ASSERT_TRUE(CreateDirectoryW(out.c_str(), nullptr));
  form_->SaveDialog().FilterIndex = 2;
  SaveAs(&form_->Bitmapspeichernunter1(), SaveUnder(out + L"\\a.bmp"));
  EXPECT_EQ(Start(out + L"\\a.bmp", 3), kJpegStart);
  EXPECT_EQ(form_->SaveDialog().FilterIndex, 2) << "the filter chosen last is kept for the next run";

  Choose(&form_->English1());
  form_->SaveDialog().FilterIndex = 1;
  SaveAs(&form_->BitmapSpeichernunter2(), [&](HWND dialog) {
    title = testing_support::WindowText(dialog);
    testing_support::SaveUnderName(dialog, out + L"\\b.jpg");
  });
  EXPECT_EQ(title, L"Save picture as...");
  EXPECT_EQ(Start(out + L"\\b.jpg", 2), "BM");
  EXPECT_EQ(testing_support::ReadFileBytes(out + L"\\b.jpg").size(),
            54u + 640u * 480u * static_cast<unsigned>(ScreenBits()) / 8u);
  form_->SaveDialog().FilterIndex = 3;
  SaveAs(&form_->BitmapSpeichernunter2(), SaveUnder(out + L"\\Bild.bmp"));
  EXPECT_EQ(Start(out + L"\\Bild.bmp", 8), kPngSignature);
  EXPECT_EQ(form_->SaveDialog().FilterIndex, 3);
  // The dialog leaves the working directory alone: the settings file stays where it was.
  wchar_t current[MAX_PATH]{};
  GetCurrentDirectoryW(MAX_PATH, current);
  EXPECT_EQ(std::wstring(current) + L"\\", folder_.Path());
  EXPECT_TRUE(testing_support::ShownErrors().empty());
}

TEST_F(PictureTest, SaveAsAsksBeforeReplacingAFile) {
  StartForm();
  const std::wstring path = folder_.Path() + L"kept.bmp";
  testing_support::WriteFileBytes(path, {'o', 'l', 'd'});
  CopyPicture(8, 8);
  bool asked = false;
  SaveAs(&form_->Bitmapspeichernunter1(), [&](HWND dialog) {
    testing_support::SaveUnderName(dialog, path);
    if (HWND prompt = testing_support::WaitForDialog(GetCurrentProcessId(), 5000, {dialog})) {
      asked = true;
      testing_support::PressButton(prompt, IDNO);
      Sleep(300);
    }
    testing_support::PressButton(dialog, IDCANCEL);
  });
  EXPECT_TRUE(asked);
  EXPECT_EQ(Start(path, 3), "old");
}

TEST_F(PictureTest, ShowPictureShowsTheWindowWithDimensionsAndSizeInWholeKilobytes) {
  StartForm();
  CopyPicture(640, 480);
  Choose(&form_->Bitmapanzeigen1());
  EXPECT_TRUE(form_->Visible());
  EXPECT_EQ(Panel(0), L"Abmessungen: 640x480");
  const long long bmpBytes = 54LL + 640LL * 480LL * ScreenBits() / 8;
  EXPECT_EQ(Panel(1), L"Größe im Speicher: " + KB(bmpBytes));
  EXPECT_TRUE(form_->ReactionFlag());

  CopyPicture(10, 10);  // 54 + 400 bytes as a BMP
  Choose(&form_->English1());
  Choose(&form_->Bitmapanzeigen1());
  EXPECT_EQ(Panel(0), L"Dimensions: 10x10");
  EXPECT_EQ(Panel(1), L"Size in memory: 0 KB");
}

TEST_F(PictureTest, ASmallPictureSwitchesStretchingOffUntilTheWindowIsResized) {
  StartForm();
  CopyPicture(50, 40);
  Choose(&form_->Bitmapanzeigen1());
  EXPECT_FALSE(form_->Image().Stretch());
  CopyPicture(2000, 1500);
  Choose(&form_->Bitmapanzeigen1());
  EXPECT_FALSE(form_->Image().Stretch()) << "showing never switches stretching on";
  SetWindowPos(form_->Handle(), nullptr, 0, 0, 600, 520, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_TRUE(form_->Image().Stretch());
  CopyPicture(50, 40);
  Choose(&form_->Bitmapanzeigen1());
  SetWindowPos(form_->Handle(), nullptr, 0, 0, 500, 480, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_FALSE(form_->Image().Stretch());
}

TEST_F(PictureTest, AMetafileFirstClipboardShowsTheRenderedPictureWithItsRealSize) {
  StartForm();
  CopyMetafileFirst();
  ui::TPicture probe;
  testing_support::Clipboard().CopyToPicture(probe);
  ASSERT_NE(probe.GraphicAs<ui::TMetafile>(), nullptr);
  const int width = probe.Width();
  const int height = probe.Height();
  ASSERT_GT(width, 10);

  Choose(&form_->Bitmapanzeigen1());
  auto* bitmap = form_->Picture().GraphicAs<ui::TBitmap>();
  ASSERT_NE(bitmap, nullptr);
  ASSERT_FALSE(bitmap->Empty());
  EXPECT_EQ(Panel(0), L"Abmessungen: " + std::to_wstring(width) + L"x" + std::to_wstring(height));
  const long long bmpBytes = 54LL + 4LL * width * height;
  EXPECT_EQ(Panel(1), L"Größe im Speicher: " + KB(bmpBytes));
  ui::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  ui::SelectedObject selected(dc.get(), bitmap->Handle());
  EXPECT_EQ(GetPixel(dc.get(), width / 4, height / 2), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(dc.get(), width * 3 / 4, height / 2), RGB(255, 255, 255));
}

TEST_F(PictureTest, ACommandShowsItsErrorBeforeReactionsResume) {
  StartForm();
  for (const ui::TMenuItem* command :
       {&form_->Bitmapspeichernunter1(), &form_->Bitmapanzeigen1(), &form_->Formatierungentfernen1()}) {
    SCOPED_TRACE(std::string(command->Name().begin(), command->Name().end()));
    if (command == &form_->Formatierungentfernen1()) {
      testing_support::SetClipboardUnicodeText(L"text");
    } else {
      CopyPicture(8, 8);
    }
    testing_support::ClearShownErrors();
    bool reactingWhileShown = true;
    testing_support::WhileNextErrorShows([&] { reactingWhileShown = form_->ReactionFlag(); });
    {
      auto holder = testing_support::HoldClipboardInOtherProcess(2000);
      Choose(command);
    }
    EXPECT_EQ(testing_support::ShownErrors(), std::vector<std::wstring>{L"Zwischenablage kann nicht geöffnet werden."});
    EXPECT_FALSE(reactingWhileShown) << "a copy made while the box is open would get a menu over it";
    EXPECT_TRUE(form_->ReactionFlag());
  }
}

class AutoSaveTest : public PictureTest {
 protected:
  void StartWith(const std::wstring& folder, const std::string& format, const std::string& language = "DE") {
    const std::string dir(folder.begin(), folder.end());
    WriteIni("[Program]\r\nLanguage=" + language + "\r\nAutoSave=1\r\n[AutoSave]\r\nDir=" + dir +
             "\r\nFormat=" + format + "\r\nPicName=Pic\r\n");
    StartForm();
  }
  static void CopyRichText() { testing_support::SetClipboardUnicodeText(L"text"); }
  std::wstring Out() const { return folder_.Path() + L"out"; }
};

TEST_F(AutoSaveTest, WithoutAFolderEachPictureShowsTheMessageInTheCurrentLanguageAndNothingIsWritten) {
  StartWith(L"", "BMP", "EN");
  std::vector<std::wstring> boxes;
  bool icon = true;
  {
    DialogAnswerer answerer(
        GetCurrentProcessId(),
        [&](HWND box) {
          boxes.push_back(testing_support::WindowText(box) + L"|" + testing_support::StaticTexts(box));
          icon = testing_support::HasIcon(box);
          testing_support::PressButton(box, IDOK);
        },
        2);
    CopyPicture(20, 20);
    Choose(&form_->Polski1());
    CopyPicture(30, 30);
  }
  EXPECT_EQ(boxes,
            (std::vector<std::wstring>{L"Velmo Clipboard|Directory for autosave is empty",
                                       L"Velmo Clipboard|Katalog dla automatycznego zapisu nie jest zdefinjowany"}));
  EXPECT_FALSE(icon);
  EXPECT_EQ(FilesIn(folder_.Path()), std::vector<std::wstring>{L"VelmoClipboard.ini"});
  EXPECT_TRUE(popups_.empty());
  EXPECT_TRUE(form_->ReactionFlag());
}

TEST_F(AutoSaveTest, PicturesWithinOneSecondEachGetAFileOfTheirOwnInTheChosenFormat) {
  ASSERT_TRUE(CreateDirectoryW(Out().c_str(), nullptr));
  StartWith(Out(), "BMP");
  CopyPicture(16, 16, 0x10);
  CopyPicture(17, 16, 0x20);
  CopyPicture(18, 16, 0x30);
  auto files = FilesIn(Out());
  ASSERT_EQ(files.size(), 3u);
  std::set<std::size_t> sizes;  // three different pictures, three different files
  for (const auto& name : files) {
    EXPECT_EQ(name.substr(0, 3), L"Pic");
    EXPECT_EQ(name.substr(name.size() - 4), L".bmp");
    EXPECT_EQ(name.find_first_of(L":/"), std::wstring::npos);
    EXPECT_EQ(Start(Out() + L"\\" + name, 2), "BM");
    sizes.insert(testing_support::ReadFileBytes(Out() + L"\\" + name).size());
  }
  EXPECT_EQ(sizes.size(), 3u);

  ChangeSettings([](settings::Settings& s) { s.AutoSave.Format = L"JPG"; });
  CopyPicture(16, 16);
  files = FilesIn(Out());
  ASSERT_EQ(files.size(), 4u);
  const auto jpeg = std::find_if(files.begin(), files.end(),
                                 [](const std::wstring& name) { return name.substr(name.size() - 4) == L".jpg"; });
  ASSERT_NE(jpeg, files.end());
  EXPECT_EQ(Start(Out() + L"\\" + *jpeg, 3), kJpegStart);
  EXPECT_TRUE(popups_.empty());
  EXPECT_TRUE(testing_support::ShownErrors().empty());
}

TEST_F(AutoSaveTest, APngBesideABitmapWithoutAlphaKeepsEveryPixelAndItsAlphaInPngAndBmp) {
  ASSERT_TRUE(CreateDirectoryW(Out().c_str(), nullptr));
  StartWith(Out(), "PNG");
  constexpr int kWidth = 9, kHeight = 7;
  testing_support::PngPicture picture;
  picture.width = kWidth;
  picture.height = kHeight;
  picture.colorType = 6;
  for (std::uint16_t i = 0; i < kWidth * kHeight; ++i)
    picture.samples.insert(picture.samples.end(),
                           {static_cast<std::uint16_t>(i * 3 % 256), static_cast<std::uint16_t>(i * 11 % 256),
                            static_cast<std::uint16_t>(i * 29 % 256), static_cast<std::uint16_t>(i * 4 % 256)});
  const auto png = testing_support::EncodePng(picture);
  // The same picture as Wine hands on GTK's image/bmp: a bottom-up 32-bit CF_DIB, alpha all 0.
  BITMAPINFOHEADER header{sizeof(header), kWidth, kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<unsigned char> dib(sizeof(header) + kWidth * kHeight * 4);
  std::memcpy(dib.data(), &header, sizeof(header));
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const std::uint32_t pixel = picture.Bgra(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y)) & 0xFFFFFF;
      std::memcpy(&dib[sizeof(header) + static_cast<std::size_t>(((kHeight - 1 - y) * kWidth + x) * 4)], &pixel, 4);
    }
  const auto copy = [&] {
    testing_support::ClipboardFill fill;
    fill.PutBlock(CF_DIB, dib.data(), dib.size());
    fill.PutBlock(clipboard::PngClipboardFormat(), png.data(), png.size());
  };
  copy();
  ChangeSettings([](settings::Settings& s) { s.AutoSave.Format = L"BMP"; });
  copy();
  ASSERT_EQ(FilesIn(Out()).size(), 2u);
  for (const std::wstring& name : FilesIn(Out())) {
    const auto bytes = testing_support::ReadFileBytes(Out() + L"\\" + name);
    std::vector<std::uint32_t> pixels;  // 0xAARRGGBB, rows top first
    if (name.ends_with(L".png")) {
      const imaging_test::DecodedPng decoded = imaging_test::DecodePng(bytes);
      ASSERT_TRUE(decoded.ok) << decoded.error;
      EXPECT_EQ(decoded.colorType, 6) << "the PNG lost its alpha";
      pixels = decoded.pixels;
    } else {
      const auto at = [&](std::size_t offset) {
        std::uint32_t value = 0;
        std::memcpy(&value, &bytes[offset], 4);
        return value;
      };
      ASSERT_GE(bytes.size(), 54u);
      ASSERT_GE(bytes.size(), at(10) + std::size_t{kWidth * kHeight * 4});
      ASSERT_EQ(at(28) & 0xFFFF, 32u);
      const auto height = static_cast<std::int32_t>(at(22));
      for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
          pixels.push_back(
              at(at(10) + static_cast<std::size_t>(((height > 0 ? kHeight - 1 - y : y) * kWidth + x) * 4)));
    }
    ASSERT_EQ(pixels.size(), std::size_t{kWidth * kHeight}) << name;
    int wrong = 0;
    for (std::uint32_t i = 0; i < pixels.size(); ++i)
      if (pixels[i] != picture.Bgra(i % kWidth, i / kWidth)) ++wrong;
    EXPECT_EQ(wrong, 0) << name;
  }
  EXPECT_TRUE(testing_support::ShownErrors().empty());
}

TEST_F(AutoSaveTest, AFormatInLowerCaseWritesNothingAndShowsNothing) {
  ASSERT_TRUE(CreateDirectoryW(Out().c_str(), nullptr));
  StartWith(Out(), "bmp");
  DialogAnswerer answerer(
      GetCurrentProcessId(), [](HWND box) { testing_support::PressButton(box, IDOK); }, 1, 1500);
  CopyPicture(20, 20);
  PumpFor(300);
  EXPECT_EQ(answerer.Answered(), 0);
  EXPECT_TRUE(FilesIn(Out()).empty());
  EXPECT_TRUE(testing_support::ShownErrors().empty());
}

TEST_F(AutoSaveTest, AMissingFolderShowsTheWritersErrorOnceAndLaterReactionsStillCome) {
  StartWith(folder_.Path() + L"missing", "BMP");
  CopyPicture(20, 20);
  ASSERT_EQ(testing_support::ShownErrors().size(), 1u);
  const std::wstring& error = testing_support::ShownErrors()[0];
  EXPECT_EQ(error.rfind(L"Datei " + folder_.Path() + L"missing\\Pic", 0), 0u) << error;
  const std::wstring end = L".bmp kann nicht erstellt werden.";
  EXPECT_EQ(error.substr(error.size() - std::min(error.size(), end.size())), end);
  EXPECT_TRUE(form_->ReactionFlag());

  CopyRichText();
  EXPECT_EQ(popups_, std::vector<std::wstring>{L"PopupMenuText"});
  CopyPicture(20, 20);
  EXPECT_EQ(testing_support::ShownErrors().size(), 2u);
}

}  // namespace
