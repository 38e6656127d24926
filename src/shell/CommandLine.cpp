#include "shell/CommandLine.h"

namespace shell {
namespace {

bool IsSeparator(wchar_t c) noexcept { return c <= L' '; }

// Reads the argument starting at or after `at`; answers false when none is left.
bool NextArgument(std::wstring_view line, std::size_t& at, std::wstring& argument) {
  for (;;) {
    while (at < line.size() && IsSeparator(line[at])) ++at;
    if (at + 1 < line.size() && line[at] == L'"' && line[at + 1] == L'"') {
      at += 2;
      continue;
    }
    break;
  }
  if (at >= line.size()) return false;
  argument.clear();
  while (at < line.size() && !IsSeparator(line[at])) {
    if (line[at] == L'"') {
      ++at;
      while (at < line.size() && line[at] != L'"') argument += line[at++];
      if (at < line.size()) ++at;  // the closing quote
    } else {
      argument += line[at++];
    }
  }
  return true;
}

}  // namespace

std::vector<std::wstring> SplitCommandLine(std::wstring_view commandLine) {
  std::vector<std::wstring> arguments;
  std::size_t at = 0;
  std::wstring argument;
  while (NextArgument(commandLine, at, argument)) arguments.push_back(argument);
  return arguments;
}

std::wstring CommandLineText(std::wstring_view commandLine) {
  const std::vector<std::wstring> arguments = SplitCommandLine(commandLine);
  std::wstring text;
  for (std::size_t i = 1; i < arguments.size(); ++i) text += arguments[i] + L"\r\n";
  return text;
}

std::vector<std::wstring> SplitLines(std::wstring_view text) {
  std::vector<std::wstring> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = start;
    while (end < text.size() && text[end] != L'\r' && text[end] != L'\n') ++end;
    lines.emplace_back(text.substr(start, end - start));
    if (end < text.size() && text[end] == L'\r') ++end;
    if (end < text.size() && text[end] == L'\n') ++end;
    start = end;
  }
  return lines;
}

}  // namespace shell
