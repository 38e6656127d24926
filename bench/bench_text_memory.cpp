// Private memory of the remove-formatting path for 1, 10 and 100 MB of clipboard text (UTF-16
// bytes) that another program copied: before, at the peak, after, what stays, and the block
// that the clipboard itself keeps in our process after the write. Beside it the former path,
// which read the text into a string and wrote that back.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BenchMemory.h"
#include "BenchTiming.h"
#include "SelfProcess.h"
#include "app/RunObjects.h"
#include "clipboard/Clipboard.h"

namespace {

using bench::kMegabyte;
using bench::PeakMegabytesDuring;
using bench::PrivateMegabytes;

// Child mode: copies text of that many bytes and ends, as another program would.
int PutText(std::size_t bytes) {
  std::wstring text(bytes / sizeof(wchar_t) - 1, L'x');
  for (std::size_t i = 0; i < text.size(); i += 61) text[i] = static_cast<wchar_t>(L'a' + i % 26);
  if (!OpenClipboard(nullptr)) return 1;
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!block) return CloseClipboard(), 1;
  std::memcpy(GlobalLock(block), text.c_str(), bytes);
  GlobalUnlock(block);
  const bool placed = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
  if (!placed) GlobalFree(block);
  return CloseClipboard() && placed ? 0 : 1;
}

bool CopyInAnotherProgram(std::size_t bytes) { return bench::RunSelf(L"--put " + std::to_wstring(bytes)); }

double ClipboardBlockMegabytes() {
  if (!OpenClipboard(nullptr)) return 0;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  const double size = data ? static_cast<double>(GlobalSize(data)) / kMegabyte : 0;
  CloseClipboard();
  return size;
}

struct Figures {
  std::vector<double> before, peak, after, milliseconds;
};

template <typename Path>
void Measure(std::size_t bytes, Path path, Figures& figures) {
  if (!CopyInAnotherProgram(bytes)) {
    std::printf("the text could not be copied\n");
    return;
  }
  // Wine keeps the block of our previous write in our process until we next open the
  // clipboard while another program owns it; that open comes first, or it would count here.
  if (OpenClipboard(nullptr)) CloseClipboard();
  figures.before.push_back(PrivateMegabytes());
  const double start = bench::Milliseconds();
  figures.peak.push_back(PeakMegabytesDuring(path));
  figures.milliseconds.push_back(bench::Milliseconds() - start);
  figures.after.push_back(PrivateMegabytes());
}

void Print(const char* name, std::size_t megabytes, const Figures& f, double block) {
  const double before = bench::Median(f.before);
  const double after = bench::Median(f.after);
  std::printf("%5zu MB %-11s %9.1f %9.1f %9.1f %9.1f %9.1f %9.1f %9.1f\n", megabytes, name, before,
              *std::max_element(f.peak.begin(), f.peak.end()) - before, after, after - before, block,
              (after - before) - block, bench::Median(f.milliseconds));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--put") == 0) return PutText(std::strtoul(argv[2], nullptr, 10));
  app::RunObjects objects;
  auto& clipboard = objects.Clipboard();
  std::printf("private memory in MB; peak and held are over before; ours = held minus the clipboard's block\n");
  std::printf("%-8s %-11s %9s %9s %9s %9s %9s %9s %9s\n", "size", "path", "before", "peak", "after", "held",
              "clipboard", "ours", "ms");
  const struct {
    std::size_t megabytes;
    int runs;
  } sizes[] = {{1, 3}, {10, 3}, {100, 1}};
  for (const auto& [megabytes, runs] : sizes) {
    const std::size_t bytes = megabytes * 1024 * 1024;
    Figures command;
    Figures former;
    for (int run = 0; run < runs; ++run) {  // interleaved, so drift hits both alike
      Measure(
          bytes, [&] { clipboard.RewriteTextAlone(); }, command);
      Measure(
          bytes, [&] { clipboard.WriteText(clipboard.ReadText()); }, former);
    }
    const double block = ClipboardBlockMegabytes();
    Print("command", megabytes, command, block);
    Print("read+write", megabytes, former, block);
  }
  return 0;
}
