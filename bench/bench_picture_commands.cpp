// The picture commands against the work they cannot avoid, measured side by side in one run on
// a 3840 x 2160 screenshot: show picture (command to painted window) next to the picture query,
// the bare CopyToPicture into the display and its paint, and next to those steps plus the status
// texts and the window's show done by hand; autosave as BMP and as JPEG (clipboard change
// to file closed) next to the same change with picture reactions off plus CopyToPicture and the
// writer alone; and autosave as PNG of the screenshot offered as "PNG" beside a CF_DIB, the
// "PNG" written as it came against the same picture encoded (its "PNG" carries a text chunk
// with a wrong CRC, so it is decoded the same but not kept), next to CopyToPicture and a plain
// write of the file's bytes. Medians over repeated rounds, taken alternately.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "app/RunObjects.h"
#include "app/TForm1.h"
#include "clipboard/Clipboard.h"
#include "imaging/BmpWriter.h"
#include "imaging/PngLayout.h"
#include "imaging/PngWriter.h"
#include "imaging/Streams.h"
#include "imaging/TFileStream.h"
#include "imaging/TJPEGImage.h"
#include "ui/Application.h"
#include "ui/Handle.h"

namespace {

constexpr int kWidth = 3840;
constexpr int kHeight = 2160;
constexpr int kRounds = 11;

using bench::Median;
using bench::Milliseconds;

// A screenshot-like device bitmap: gradients with fine detail, of the screen's kind.
HBITMAP MakeScreenshot() {
  ui::WindowDc screen(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen.get(), kWidth, kHeight);
  if (!bitmap) {
    std::fprintf(stderr, "no bitmap of %d x %d\n", kWidth, kHeight);
    std::exit(1);
  }
  ui::UniqueMemoryDc dc(CreateCompatibleDC(screen.get()));
  ui::SelectedObject selected(dc.get(), bitmap);
  for (int band = 0; band < 64; ++band) {
    ui::UniqueGdiObject brush(CreateSolidBrush(RGB(band * 4, 255 - band * 4, (band * 37) & 0xFF)));
    const RECT rect{band * kWidth / 64, 0, (band + 1) * kWidth / 64, kHeight};
    FillRect(dc.get(), &rect, static_cast<HBRUSH>(brush.get()));
  }
  SetBkMode(dc.get(), TRANSPARENT);
  for (int y = 0; y < kHeight; y += 18) TextOutW(dc.get(), (y * 7) % 200, y, L"Velmo Clipboard benchmark text", 30);
  return bitmap;
}

HBITMAP Duplicate(HBITMAP source) {
  ui::WindowDc screen(nullptr);
  HBITMAP copy = CreateCompatibleBitmap(screen.get(), kWidth, kHeight);
  ui::UniqueMemoryDc from(CreateCompatibleDC(screen.get()));
  ui::UniqueMemoryDc to(CreateCompatibleDC(screen.get()));
  ui::SelectedObject selectedFrom(from.get(), source);
  ui::SelectedObject selectedTo(to.get(), copy);
  BitBlt(to.get(), 0, 0, kWidth, kHeight, from.get(), 0, 0, SRCCOPY);
  return copy;
}

// Puts a fresh copy of the screenshot on the clipboard (the clipboard takes the bitmap over)
// and answers how long the CloseClipboard took, which tells the program of the change.
double Put(HWND owner, HBITMAP screenshot) {
  HBITMAP copy = Duplicate(screenshot);
  while (!OpenClipboard(owner)) Sleep(1);
  EmptyClipboard();
  if (!SetClipboardData(CF_BITMAP, copy)) {
    DeleteObject(copy);
    std::fprintf(stderr, "the clipboard refused the screenshot\n");
    std::exit(1);
  }
  const double start = Milliseconds();
  CloseClipboard();
  return Milliseconds() - start;
}

using Bytes = std::vector<std::uint8_t>;

// The screenshot as a 32-bit bottom-up CF_DIB and as the PNG a screenshot tool would offer.
Bytes DibOf(HBITMAP screenshot) {
  BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER), kWidth, kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  Bytes dib(sizeof(header) + std::size_t{kWidth} * kHeight * 4);
  std::memcpy(dib.data(), &header, sizeof(header));
  ui::WindowDc screen(nullptr);
  if (GetDIBits(screen.get(), screenshot, 0, kHeight, dib.data() + sizeof(header),
                reinterpret_cast<BITMAPINFO*>(dib.data()), DIB_RGB_COLORS) != kHeight) {
    std::fprintf(stderr, "the screenshot's pixels could not be read\n");
    std::exit(1);
  }
  std::memcpy(dib.data(), &header, sizeof(header));
  return dib;
}

Bytes PngOf(HBITMAP screenshot) {
  ui::TBitmap bitmap;
  bitmap.Assign(Duplicate(screenshot), nullptr);
  imaging::TMemoryStream stream;
  imaging::EncodePng(bitmap, stream);
  return {stream.Memory(), stream.Memory() + stream.Size()};
}

// The same PNG with a text chunk before IEND whose CRC is wrong: the picture still decodes, but
// the file is no longer sound.
Bytes WithDamagedText(Bytes png) {
  imaging::TMemoryStream chunk;
  const std::uint8_t text[] = "Comment\0damaged";
  imaging::WritePngChunk(chunk, "tEXt", text, sizeof(text) - 1);
  Bytes bytes(chunk.Memory(), chunk.Memory() + chunk.Size());
  bytes.back() ^= 0x01;
  png.insert(png.end() - 12, bytes.begin(), bytes.end());
  return png;
}

// Puts the CF_DIB and the "PNG" on the clipboard and answers how long the CloseClipboard took.
double PutBlocks(HWND owner, const Bytes& dib, const Bytes& png) {
  while (!OpenClipboard(owner)) Sleep(1);
  EmptyClipboard();
  for (const auto& [format, bytes] :
       {std::pair{UINT{CF_DIB}, &dib}, std::pair{clipboard::PngClipboardFormat(), &png}}) {
    ui::UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, bytes->size()));
    {
      ui::GlobalLockGuard lock(block.get());
      if (!lock.data()) {
        std::fprintf(stderr, "no clipboard block\n");
        std::exit(1);
      }
      std::memcpy(lock.data(), bytes->data(), bytes->size());
    }
    if (!SetClipboardData(format, block.get())) {
      std::fprintf(stderr, "the clipboard refused the picture\n");
      std::exit(1);
    }
    (void)block.release();
  }
  const double start = Milliseconds();
  CloseClipboard();
  return Milliseconds() - start;
}

std::size_t OnlyFileSize(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((folder + L"\\*.*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  std::size_t size = 0;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) size = found.nFileSizeLow;
  } while (size == 0 && FindNextFileW(search, &found));
  FindClose(search);
  return size;
}

// The reaction to a change runs from the message loop, so the autosave is done once the loop
// has dispatched until a file stands in the folder (a writer creates and fills it in one go).
// Answers how long that took.
double PumpUntilSaved(const std::wstring& folder) {
  const double start = Milliseconds();
  while (OnlyFileSize(folder) == 0) {
    if (Milliseconds() - start > 20000) {
      std::fprintf(stderr, "the autosave wrote nothing\n");
      std::exit(1);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return Milliseconds() - start;
}

double Time(const std::function<void()>& work) {
  const double start = Milliseconds();
  work();
  return Milliseconds() - start;
}

void RemoveFilesIn(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((folder + L"\\" + found.cFileName).c_str());
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

void Report(const char* what, const std::vector<double>& ours, const char* floorName,
            const std::vector<double>& floor) {
  const double a = Median(ours);
  const double b = Median(floor);
  std::printf("  %-22s %8.1f ms   %-40s %8.1f ms   ratio %.3f\n", what, a, floorName, b, a / b);
}

}  // namespace

int main() {
  wchar_t temp[MAX_PATH]{};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"velmo-bench-pictures-" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(folder.c_str(), nullptr);
  SetCurrentDirectoryW(folder.c_str());
  const std::wstring out = folder + L"\\out";
  CreateDirectoryW(out.c_str(), nullptr);
  {
    app::RunObjects run;
    run.Start();
    // Copies come from a window of another kind than the program's own, as from another program.
    const ui::UniqueWindow copier(
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr));
    run.Application().SetErrorPresenter(
        [](const std::wstring& text, const std::wstring&) { std::fwprintf(stderr, L"error: %ls\n", text.c_str()); });
    app::TForm1 form(run);
    // Switches and autosave values set as the user would; the reaction reads them from here.
    const auto change = [&form](const std::function<void(settings::Settings&)>& edit) {
      settings::Settings values = form.Settings();
      edit(values);
      form.SetSettings(values);
    };
    change([&](settings::Settings& s) {
      s.ReactToText = false;
      s.AutoSave.Folder = out;
    });
    const HBITMAP screenshot = MakeScreenshot();
    const auto command = [&](const ui::TMenuItem* item) {
      SendMessageW(form.Handle(), WM_COMMAND, item->Command(), 0);
    };

    std::printf("Picture commands on a %d x %d screenshot, medians of %d rounds or more\n", kWidth, kHeight, kRounds);

    // Show picture: the command, status bar and all, until the display has painted.
    change([](settings::Settings& s) { s.ReactToPictures = false; });
    Put(copier.get(), screenshot);
    command(&form.Bitmapanzeigen1());
    std::vector<double> show;
    std::vector<double> bareLoad;
    std::vector<double> bareSteps;
    const auto load = [&] {
      auto& clipboard = run.Clipboard();
      if (clipboard.ContainsFormat(clipboard::PictureClipboardFormat())) {
        clipboard.CopyToPicture(form.Picture());
      }
    };
    for (int round = 0; round <= 2 * kRounds; ++round) {
      Put(copier.get(), screenshot);
      const double a = Time([&] {
        command(&form.Bitmapanzeigen1());
        UpdateWindow(form.Image().Handle());
      });
      Put(copier.get(), screenshot);
      const double b = Time([&] {
        load();
        UpdateWindow(form.Image().Handle());
      });
      // The same steps by hand, with the texts known beforehand: what is left between this and
      // the command is the command's own share (the stretch rule and the size calculation).
      Put(copier.get(), screenshot);
      const double c = Time([&] {
        load();
        form.StatusBar().SetPanelText(0, L"Abmessungen: 3840x2160");
        form.StatusBar().SetPanelText(1, L"Größe im Speicher: 32400 KB");
        form.TrayIcon().ShowMainWindow();
        UpdateWindow(form.Image().Handle());
      });
      if (round > 0) {
        show.push_back(a);
        bareLoad.push_back(b);
        bareSteps.push_back(c);
      }
    }
    Report("show picture", show, "query + CopyToPicture + paint", bareLoad);
    Report("show picture", show, "... + status texts + ShowMainWindow", bareSteps);

    // Autosave: from the clipboard change to the file closed, through the message loop.
    for (const auto& [format, name] : {std::pair{L"BMP", "autosave BMP"}, std::pair{L"JPG", "autosave JPEG"}}) {
      change([&](settings::Settings& s) { s.AutoSave.Format = format; });
      const std::wstring floorFile = folder + (format == std::wstring(L"BMP") ? L"\\floor.bmp" : L"\\floor.jpg");
      std::vector<double> ours;
      std::vector<double> floor;
      for (int round = 0; round <= kRounds; ++round) {
        change([](settings::Settings& s) {
          s.ReactToPictures = true;
          s.AutoSave.Active = true;
        });
        const double a = Put(copier.get(), screenshot) + PumpUntilSaved(out);
        RemoveFilesIn(out);
        change([](settings::Settings& s) { s.ReactToPictures = false; });
        double b = Put(copier.get(), screenshot);
        ui::TPicture picture;
        b += Time([&] {
          run.Clipboard().CopyToPicture(picture);
          if (format == std::wstring(L"BMP")) {
            imaging::WriteBmp(picture, floorFile);
          } else {
            imaging::WriteJpeg(picture, floorFile);
          }
        });
        if (round > 0) {
          ours.push_back(a);
          floor.push_back(b);
        }
      }
      Report(name, ours, "change + CopyToPicture + writer alone", floor);
      DeleteFileW(floorFile.c_str());
    }

    // Autosave as PNG of a "PNG" beside a CF_DIB: written as it came, or encoded anew.
    const Bytes dib = DibOf(screenshot);
    const Bytes png = PngOf(screenshot);
    const Bytes damaged = WithDamagedText(png);
    change([](settings::Settings& s) { s.AutoSave.Format = L"PNG"; });
    std::vector<double> asItCame;
    std::vector<double> encoded;
    std::vector<double> floor;
    std::size_t asItCameSize = 0;
    std::size_t encodedSize = 0;
    const std::wstring floorFile = folder + L"\\floor.png";
    for (int round = 0; round <= kRounds; ++round) {
      change([](settings::Settings& s) {
        s.ReactToPictures = true;
        s.AutoSave.Active = true;
      });
      const double a = PutBlocks(copier.get(), dib, png) + PumpUntilSaved(out);
      asItCameSize = OnlyFileSize(out);
      RemoveFilesIn(out);
      const double b = PutBlocks(copier.get(), dib, damaged) + PumpUntilSaved(out);
      encodedSize = OnlyFileSize(out);
      RemoveFilesIn(out);
      change([](settings::Settings& s) { s.ReactToPictures = false; });
      double c = PutBlocks(copier.get(), dib, png);
      ui::TPicture picture;
      c += Time([&] {
        run.Clipboard().CopyToPicture(picture);
        imaging::SaveBytes(floorFile, png);
      });
      if (round > 0) {
        asItCame.push_back(a);
        encoded.push_back(b);
        floor.push_back(c);
      }
    }
    DeleteFileW(floorFile.c_str());
    if (asItCameSize != png.size()) {
      std::fprintf(stderr, "the PNG was not written as it came (%zu bytes, not %zu)\n", asItCameSize, png.size());
      std::exit(1);
    }
    std::printf("  \"PNG\" of %.2f MB beside a CF_DIB; encoded anew: %.2f MB\n", static_cast<double>(png.size()) / 1e6,
                static_cast<double>(encodedSize) / 1e6);
    Report("autosave PNG as it came", asItCame, "autosave PNG encoded anew", encoded);
    Report("autosave PNG as it came", asItCame, "change + CopyToPicture + file write alone", floor);
    DeleteObject(screenshot);
  }
  RemoveFilesIn(out);
  SetCurrentDirectoryW(temp);
  RemoveDirectoryW(out.c_str());
  RemoveFilesIn(folder);
  RemoveDirectoryW(folder.c_str());
  return 0;
}
