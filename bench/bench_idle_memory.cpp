// Idle private memory of the program next to a bare Win32 window (bench_bare_window, built
// beside this benchmark): both started side by side in the same way, left alone for 8 s, then
// Private_Clean + Private_Dirty of each one's Linux process. Medians of five rounds.
//   bench_idle_memory.exe <Linux path of VelmoClipboard.exe>
// Runs under Wine only: there a Windows program is a Linux process, whose figures Linux keeps
// in /proc/<pid>/smaps_rollup, and Wine shows the Linux file system as drive Z:.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "BenchTiming.h"

namespace {

constexpr int kRounds = 5;
constexpr DWORD kIdleMilliseconds = 8000;
constexpr double kKilobytesPerMegabyte = 1024.0;

std::wstring Widen(const std::string& text) { return {text.begin(), text.end()}; }

std::wstring WindowsPath(const std::string& linuxPath) {
  std::wstring path = L"Z:" + Widen(linuxPath);
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}

// Wine's own export; it exists in no Windows.
std::optional<std::string> LinuxPath(const std::wstring& windowsPath) {
  using Function = char*(__cdecl*)(const wchar_t*);
  const auto toLinux = reinterpret_cast<Function>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!toLinux) return std::nullopt;
  char* path = toLinux(windowsPath.c_str());
  if (!path) return std::nullopt;
  std::string result(path);
  HeapFree(GetProcessHeap(), 0, path);
  return result;
}

// A whole file of /proc; Linux gives these files no size, so it is read until its end.
std::string ReadProcFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string text;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) text.append(buffer, read);
  CloseHandle(file);
  return text;
}

// The Linux processes running `program`. Wine writes the program's path over the process's
// command line: the Linux path when a Linux shell started it, the Windows path when a Windows
// program did.
std::vector<std::wstring> LinuxProcessesOf(const std::string& program) {
  std::string windowsPath;
  for (const wchar_t c : WindowsPath(program)) windowsPath.push_back(static_cast<char>(c));
  std::vector<std::wstring> found;
  WIN32_FIND_DATAW entry{};
  HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &entry);
  if (search == INVALID_HANDLE_VALUE) return found;
  do {
    const std::wstring name = entry.cFileName;
    if (name.empty() || !std::all_of(name.begin(), name.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
      continue;
    const std::string commandLine = ReadProcFile(L"Z:\\proc\\" + name + L"\\cmdline");
    const std::string first = commandLine.substr(0, commandLine.find('\0'));
    if (first == program || first == windowsPath) found.push_back(name);
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return found;
}

double PrivateMegabytes(const std::wstring& linuxPid) {
  std::istringstream rollup(ReadProcFile(L"Z:\\proc\\" + linuxPid + L"\\smaps_rollup"));
  double kilobytes = 0;
  for (std::string line; std::getline(rollup, line);) {
    if (line.rfind("Private_Clean:", 0) == 0 || line.rfind("Private_Dirty:", 0) == 0)
      kilobytes += std::strtod(line.c_str() + line.find(':') + 1, nullptr);
  }
  return kilobytes / kKilobytesPerMegabyte;
}

// The names of the DLLs the process has mapped.
std::set<std::string> MappedDlls(const std::wstring& linuxPid) {
  std::istringstream maps(ReadProcFile(L"Z:\\proc\\" + linuxPid + L"\\maps"));
  std::set<std::string> dlls;
  for (std::string line; std::getline(maps, line);) {
    const std::size_t slash = line.rfind('/');
    if (slash != std::string::npos && line.size() > 4 && line.compare(line.size() - 4, 4, ".dll") == 0)
      dlls.insert(line.substr(slash + 1));
  }
  return dlls;
}

class Process {
 public:
  Process(const std::string& linuxPath, const std::wstring& folder) : linuxPath_(linuxPath) {
    std::wstring commandLine = L"\"" + WindowsPath(linuxPath) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    started_ = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                              &startup, &info_) != FALSE;
  }
  ~Process() {
    if (!started_) return;
    TerminateProcess(info_.hProcess, 0);
    WaitForSingleObject(info_.hProcess, 10000);
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  [[nodiscard]] bool Running() const { return started_ && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }
  // The Linux process, when exactly one runs the program.
  [[nodiscard]] std::optional<std::wstring> LinuxPid() const {
    const std::vector<std::wstring> pids = LinuxProcessesOf(linuxPath_);
    if (pids.size() != 1) return std::nullopt;
    return pids.front();
  }

 private:
  std::string linuxPath_;
  PROCESS_INFORMATION info_{};
  bool started_ = false;
};

struct Sample {
  double megabytes;
  std::set<std::string> dlls;
};

std::optional<Sample> SampleOf(const Process& process, const char* what) {
  if (!process.Running()) {
    std::fprintf(stderr, "%s is not running\n", what);
    return std::nullopt;
  }
  const std::optional<std::wstring> pid = process.LinuxPid();
  if (!pid) {
    std::fprintf(stderr, "%s was not found once among the Linux processes\n", what);
    return std::nullopt;
  }
  return Sample{PrivateMegabytes(*pid), MappedDlls(*pid)};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_idle_memory <Linux path of VelmoClipboard.exe>\n");
    return 2;
  }
  const std::string program = argv[1];
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring bareWindowPath = self;
  bareWindowPath.resize(bareWindowPath.rfind(L'\\') + 1);
  const std::optional<std::string> bareWindow = LinuxPath(bareWindowPath + L"bench_bare_window.exe");
  if (!bareWindow) {
    std::fprintf(stderr, "bench_idle_memory runs under Wine only\n");
    return 2;
  }
  if (!LinuxProcessesOf(program).empty()) {
    std::fprintf(stderr, "%s is running already: end it first\n", program.c_str());
    return 1;
  }
  // A folder without settings, so the program starts with its defaults.
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"velmo-idle-bench";
  CreateDirectoryW(folder.c_str(), nullptr);
  DeleteFileW((folder + L"\\VelmoClipboard.ini").c_str());

  std::vector<double> ours, bare, differences;
  std::set<std::string> onlyOurs;
  std::printf("private memory (Private_Clean + Private_Dirty) in MB after %lu ms idle\n", kIdleMilliseconds);
  std::printf("%-6s %10s %12s %11s\n", "round", "program", "bare window", "difference");
  for (int round = 1; round <= kRounds; ++round) {
    const Process ourProcess(program, folder);
    const Process bareProcess(*bareWindow, folder);
    Sleep(kIdleMilliseconds);
    const std::optional<Sample> our = SampleOf(ourProcess, "the program");
    const std::optional<Sample> floor = SampleOf(bareProcess, "the bare window");
    if (!our || !floor) return 1;
    ours.push_back(our->megabytes);
    bare.push_back(floor->megabytes);
    differences.push_back(our->megabytes - floor->megabytes);
    std::printf("%-6d %10.2f %12.2f %11.2f\n", round, our->megabytes, floor->megabytes,
                our->megabytes - floor->megabytes);
    if (round == 1) {
      std::set_difference(our->dlls.begin(), our->dlls.end(), floor->dlls.begin(), floor->dlls.end(),
                          std::inserter(onlyOurs, onlyOurs.end()));
    }
  }
  const double ourMedian = bench::Median(ours);
  const double bareMedian = bench::Median(bare);
  std::printf("%-6s %10.2f %12.2f %11.2f (goal: at most 4 MB), ratio %.2f\n", "median", ourMedian, bareMedian,
              bench::Median(differences), ourMedian / bareMedian);
  std::printf("DLLs mapped by the program and not by the bare window:");
  for (const std::string& dll : onlyOurs) std::printf(" %s", dll.c_str());
  std::printf("\n");
  return 0;
}
