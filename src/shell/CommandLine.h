#pragma once
// The command line as copies of the program hand it to each other: split into arguments the
// way the runtime does it, sent as one text with CR LF after every argument, and split into
// lines again on arrival.
#include <string>
#include <string_view>
#include <vector>

namespace shell {

// Splits a whole command line, the program itself first. Arguments are separated by blanks
// and control characters; "" where an argument would begin is a separator too; a quoted
// stretch belongs to the argument it stands in, blanks included, without its quotes.
std::vector<std::wstring> SplitCommandLine(std::wstring_view commandLine);

// The arguments after the program itself, each followed by CR LF; empty without arguments.
std::wstring CommandLineText(std::wstring_view commandLine);

// Splits a text into lines at CR LF, CR or LF. A break at the very end starts no further line.
std::vector<std::wstring> SplitLines(std::wstring_view text);

}  // namespace shell
