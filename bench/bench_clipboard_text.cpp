// Remove-formatting path (read the clipboard text, write it back as the only format) against
// the bare Win32 sequence doing the same work, side by side in one run. Prints medians and
// the ratio for 1, 10 and 100 MB of clipboard text (UTF-16 bytes).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "app/RunObjects.h"
#include "clipboard/Clipboard.h"
#include "ui/Handle.h"

namespace {

using bench::Median;
double Now() { return bench::Milliseconds(); }

// What a careful program would write by hand: open, get, lock, copy, empty, set, close.
void BareSequence(HWND owner) {
  if (!OpenClipboard(owner)) return;
  std::wstring text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    const auto* source = static_cast<const wchar_t*>(GlobalLock(data));
    text.assign(source, wcsnlen(source, GlobalSize(data) / sizeof(wchar_t)));
    GlobalUnlock(data);
  }
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  auto* target = static_cast<wchar_t*>(GlobalLock(block));
  std::memcpy(target, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(block);
  EmptyClipboard();
  if (!SetClipboardData(CF_UNICODETEXT, block)) GlobalFree(block);
  CloseClipboard();
}

void ProgramPath(clipboard::TClipboard& clipboard) { clipboard.WriteText(clipboard.ReadText()); }

// Answers false when the clipboard could not be opened or refused the text.
bool PutText(HWND owner, std::size_t bytes) {
  std::wstring text(bytes / sizeof(wchar_t) - 1, L'x');
  for (std::size_t i = 0; i < text.size(); i += 61) text[i] = static_cast<wchar_t>(L'a' + i % 26);
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  ui::UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, bytes));
  void* target = block ? GlobalLock(block.get()) : nullptr;
  if (target) {
    std::memcpy(target, text.c_str(), bytes);
    GlobalUnlock(block.get());
  }
  const bool taken = target && SetClipboardData(CF_UNICODETEXT, block.get());
  if (taken) static_cast<void>(block.release());
  CloseClipboard();
  return taken;
}

}  // namespace

int main() {
  app::RunObjects objects;
  HWND owner = objects.Application().Handle();
  std::printf("%-8s %8s %14s %14s %8s\n", "size", "runs", "program ms", "bare ms", "ratio");
  const struct {
    std::size_t megabytes;
    int runs;
  } sizes[] = {{1, 31}, {10, 15}, {100, 7}};
  for (const auto& size : sizes) {
    if (!PutText(owner, size.megabytes * 1024 * 1024)) {
      std::fprintf(stderr, "the clipboard refused %zu MB of text\n", size.megabytes);
      return 1;
    }
    std::vector<double> ours;
    std::vector<double> bare;
    ProgramPath(objects.Clipboard());  // warm up both paths once
    BareSequence(owner);
    for (int run = 0; run < size.runs; ++run) {
      // Interleaved, so drift of a shared machine hits both alike.
      double start = Now();
      ProgramPath(objects.Clipboard());
      ours.push_back(Now() - start);
      start = Now();
      BareSequence(owner);
      bare.push_back(Now() - start);
    }
    const double ourMedian = Median(ours);
    const double bareMedian = Median(bare);
    std::printf("%5zu MB %8d %14.2f %14.2f %8.3f\n", size.megabytes, size.runs, ourMedian, bareMedian,
                ourMedian / bareMedian);
  }
  return 0;
}
