#include "support/NativeProgram.h"

#include <cstdlib>
#include <memory>

#include "support/TestSupport.h"
#include "ui/Handle.h"

namespace testing_support {
namespace {

// Wine's own export from kernel32; the name comes back in memory of the process heap.
using UnixFileName = char*(CDECL*)(const wchar_t*);

struct HeapText {
  void operator()(char* text) const noexcept { HeapFree(GetProcessHeap(), 0, text); }
};

// Where a Windows path lies in the Linux file system; empty outside Wine.
std::wstring UnixPath(const std::wstring& windowsPath) {
  const auto convert = reinterpret_cast<UnixFileName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!convert) return {};
  const std::unique_ptr<char, HeapText> name(convert(windowsPath.c_str()));
  if (!name) return {};
  // Unix file names are UTF-8 bytes.
  const int length = MultiByteToWideChar(CP_UTF8, 0, name.get(), -1, nullptr, 0);
  if (length <= 1) return {};
  std::wstring result(static_cast<std::size_t>(length - 1), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, name.get(), -1, result.data(), length);
  return result;
}

// One argument quoted as Wine splits a command line into a Linux program's arguments.
std::wstring Quoted(const std::wstring& argument) {
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

}  // namespace

NativeProgram::NativeProgram(const std::vector<std::wstring>& arguments, const std::string& input) {
  const std::wstring folder = UnixPath(folder_.Path());
  if (folder.empty()) return;
  WriteFileBytes(folder_.Path() + L"in", {input.begin(), input.end()});
  std::wstring commandLine = L"/bin/sh -c " +
                             Quoted(L"cd \"$0\" && \"$@\" <in >out 2>&1; echo $? 2>/dev/null >status") + L" " +
                             Quoted(folder);
  for (const std::wstring& argument : arguments) commandLine += L" " + Quoted(argument);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  started_ = CreateProcessW(L"Z:\\bin\\sh", commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &info) != FALSE;
  // Wine leaves these empty for a Linux program; closed all the same, should one ever come.
  const ui::UniqueHandle<ui::KernelTraits> process(info.hProcess);
  const ui::UniqueHandle<ui::KernelTraits> thread(info.hThread);
}

std::optional<NativeResult> NativeProgram::Wait(DWORD timeoutMs) const {
  // echo writes the status with its line end at once: with the line end the number is whole.
  std::string status;
  if (!started_ || !PumpUntil([&] { return !(status = Text(L"status")).empty() && status.back() == '\n'; }, timeoutMs))
    return std::nullopt;
  return NativeResult{std::atoi(status.c_str()), Text(L"out")};
}

std::optional<std::string> NativeProgram::FirstLine(DWORD timeoutMs) const {
  std::string output;
  if (!started_ || !PumpUntil([&] { return (output = Text(L"out")).find('\n') != std::string::npos; }, timeoutMs))
    return std::nullopt;
  return output.substr(0, output.find('\n'));
}

std::string NativeProgram::Text(const wchar_t* name) const {
  const std::vector<unsigned char> bytes = ReadFileBytes(folder_.Path() + name);
  return {bytes.begin(), bytes.end()};
}

XOffer OfferOnXClipboard(const std::string& offer) {
  XOffer result;
  const std::vector<std::wstring>& arguments = ExtraArguments();
  if (arguments.size() < 2) {
    result.skip = "the X offerer script is not given (second argument after the program)";
    return result;
  }
  const auto python = NativeProgram({L"python3", L"-c", L"import ctypes, json, select"}).Wait();
  if (!python || python->status != 0) {
    result.skip = "python3 is needed on the Linux side: " + (python ? python->output : std::string("no answer"));
    return result;
  }
  auto offerer = std::make_unique<NativeProgram>(std::vector<std::wstring>{L"python3", arguments[1], L"30"}, offer);
  const std::optional<std::string> said = offerer->FirstLine();
  if (!said) {
    result.failure = "the X offerer said nothing";
  } else if (said->rfind("skip: ", 0) == 0) {
    result.skip = "the X offerer cannot run: " + *said;
  } else if (*said != "owner") {
    result.failure = "the X offerer said " + *said;
  } else {
    result.offerer = std::move(offerer);
  }
  return result;
}

}  // namespace testing_support
