// "Remove formatting" with the copy kept for "restore formatting", against the removal alone,
// for 1, 10 and 100 MB of formatted text (rich text, HTML and Unicode text, a third each) that
// another program copied: time (median), the ratio of the two, the peak of private memory, what
// stays held while the copy exists, after it is dropped, and after it is put back (then the
// clipboard's own blocks are ours, as our write's text block is after the removal alone), and
// the restore's own time. 100 MB is above the copy's 64 MB limit: nothing is kept, and the
// figures show what finding that out costs. Last, the main window's own path: how much the
// copy holds while the tray menu offers the restore, and what is left once another program's
// copy has taken the item away.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BenchMemory.h"
#include "BenchTiming.h"
#include "SelfProcess.h"
#include "app/RunObjects.h"
#include "app/TForm1.h"
#include "clipboard/Clipboard.h"
#include "clipboard/TKeptClipboard.h"

namespace {

using bench::kMegabyte;
using bench::PrivateMegabytes;

bool Put(UINT format, const void* data, std::size_t size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!block) return false;
  std::memcpy(GlobalLock(block), data, size);
  GlobalUnlock(block);
  if (SetClipboardData(format, block)) return true;
  GlobalFree(block);
  return false;
}

// Child mode: copies formatted text of about that many bytes in all and ends, as a word
// processor would. Its window owns the data, as a real program's does.
int PutFormattedText(std::size_t bytes) {
  const std::size_t third = bytes / 3;
  std::string rtf = "{\\rtf1\\ansi {\\b ";
  rtf.resize(third - 2, 'r');
  rtf += "}}";
  std::string html = "Version:0.9\r\n<html><body><b>";
  html.resize(third - 1, 'h');
  std::wstring text(third / sizeof(wchar_t) - 1, L'x');
  for (std::size_t i = 0; i < text.size(); i += 61) text[i] = static_cast<wchar_t>(L'a' + i % 26);
  HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  if (!window || !OpenClipboard(window)) return 1;
  EmptyClipboard();
  const bool placed = Put(RegisterClipboardFormatW(L"Rich Text Format"), rtf.c_str(), rtf.size() + 1) &&
                      Put(RegisterClipboardFormatW(L"HTML Format"), html.c_str(), html.size() + 1) &&
                      Put(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  return CloseClipboard() && placed ? 0 : 1;
}

bool CopyInAnotherProgram(std::size_t bytes) { return bench::RunSelf(L"--put " + std::to_wstring(bytes)); }

struct Figures {
  std::vector<double> milliseconds, peak, held, dropped, kept, restoreMilliseconds;
};

enum class Path { Today, KeepThenDrop, KeepThenRestore };

// One removal of a fresh copy, with or without the copy beside it, and what is left once the
// copy is dropped or put back.
bool Measure(clipboard::TClipboard& clipboard, std::size_t bytes, Path path, Figures& figures) {
  const bool keep = path != Path::Today;
  if (!CopyInAnotherProgram(bytes)) return false;
  // Wine keeps the blocks of our previous write in our process until we next open the
  // clipboard while another program owns it; that open comes first, or it would count here.
  if (OpenClipboard(nullptr)) CloseClipboard();
  clipboard::TKeptClipboard kept;
  const double before = PrivateMegabytes();
  const double start = bench::Milliseconds();
  const double peak = bench::PeakMegabytesDuring([&] {
    if (keep) {
      clipboard.RewriteTextAlone(kept);
    } else {
      clipboard.RewriteTextAlone();
    }
  });
  figures.milliseconds.push_back(bench::Milliseconds() - start);
  figures.peak.push_back(peak - before);
  figures.held.push_back(PrivateMegabytes() - before);
  figures.kept.push_back(static_cast<double>(kept.Bytes()) / kMegabyte);
  if (path == Path::KeepThenDrop) kept.Clear();
  if (path == Path::KeepThenRestore && !kept.Empty()) {
    const double restoreStart = bench::Milliseconds();
    if (!clipboard.Restore(kept)) return false;
    figures.restoreMilliseconds.push_back(bench::Milliseconds() - restoreStart);
  }
  figures.dropped.push_back(PrivateMegabytes() - before);
  return true;
}

std::string RestoreText(const Figures& f) {
  if (f.restoreMilliseconds.empty()) return "-";
  char text[32];
  std::snprintf(text, sizeof(text), "%.1f", bench::Median(f.restoreMilliseconds));
  return text;
}

void Print(std::size_t megabytes, const char* name, const Figures& f, double todayMs) {
  const double ms = bench::Median(f.milliseconds);
  std::printf("%5zu MB %-9s %9.1f %7.2f %9.1f %9.1f %9.1f %9.1f %9s\n", megabytes, name, ms, ms / todayMs,
              bench::Median(f.peak), bench::Median(f.held), bench::Median(f.kept), bench::Median(f.dropped),
              f.restoreMilliseconds.empty() ? "-" : RestoreText(f).c_str());
}

// Removal through the main window, then a small copy in another program: the copy's bytes and
// the private memory over before while the item is offered, and once that copy has come.
bool MeasureMainWindow(app::TForm1& form, std::size_t bytes) {
  if (!CopyInAnotherProgram(bytes)) return false;
  if (OpenClipboard(nullptr)) CloseClipboard();
  const double before = PrivateMegabytes();
  SendMessageW(form.Handle(), WM_COMMAND, form.Formatierungentfernen1().Command(), 0);
  const double offered = PrivateMegabytes() - before;
  const double kept = static_cast<double>(form.KeptClipboard().Bytes()) / kMegabyte;
  if (!CopyInAnotherProgram(3 * 1024)) return false;
  // The notice of the copy reaches the window through its message queue.
  for (const double start = bench::Milliseconds(); bench::Milliseconds() - start < 200;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(5);
  }
  if (OpenClipboard(nullptr)) CloseClipboard();
  std::printf(
      "%5zu MB main window: after the removal kept %.1f MB, held %.1f MB; after another copy kept %.1f MB, "
      "held %.1f MB\n",
      bytes >> 20, kept, offered, static_cast<double>(form.KeptClipboard().Bytes()) / kMegabyte,
      PrivateMegabytes() - before);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--put") == 0) return PutFormattedText(std::strtoul(argv[2], nullptr, 10));
  app::RunObjects objects;
  std::printf("ms: median of the removal; ratio: to the removal alone; memory in MB of private memory over before\n");
  std::printf("held: right after the removal (the copy still exists); kept: the copy's bytes; after: once the\n");
  std::printf("copy was dropped or put back; restore: median ms of putting the copy back\n");
  std::printf("%-8s %-9s %9s %7s %9s %9s %9s %9s %9s\n", "size", "path", "ms", "ratio", "peak", "held", "kept", "after",
              "restore");
  const struct {
    std::size_t megabytes;
    int runs;
  } sizes[] = {{1, 7}, {10, 5}, {100, 3}};
  for (const auto& [megabytes, runs] : sizes) {
    Figures today;
    Figures dropped;
    Figures restored;
    for (int run = 0; run < runs; ++run) {  // interleaved, so drift hits all alike
      if (!Measure(objects.Clipboard(), megabytes << 20, Path::Today, today) ||
          !Measure(objects.Clipboard(), megabytes << 20, Path::KeepThenDrop, dropped) ||
          !Measure(objects.Clipboard(), megabytes << 20, Path::KeepThenRestore, restored)) {
        std::printf("the formatted text could not be copied or put back\n");
        return 1;
      }
    }
    const double todayMs = bench::Median(today.milliseconds);
    Print(megabytes, "today", today, todayMs);
    Print(megabytes, "dropped", dropped, todayMs);
    Print(megabytes, "restored", restored, todayMs);
  }
  // The window reads and writes its settings file in the working directory: a folder of its own.
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"velmo-bench-restore-" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(folder.c_str(), nullptr);
  SetCurrentDirectoryW(folder.c_str());
  objects.Start();
  app::TForm1 form(objects);
  settings::Settings values = form.Settings();
  values.ReactToText = false;  // no text menu: the removal is chosen as a command
  form.SetSettings(values);
  for (const std::size_t megabytes : {std::size_t{1}, std::size_t{10}, std::size_t{100}}) {
    if (!MeasureMainWindow(form, megabytes << 20)) {
      std::printf("the formatted text could not be copied\n");
      return 1;
    }
  }
  return 0;
}
