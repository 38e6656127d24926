#pragma once
// Linux programs started from a Windows test. Wine runs them on its own X display (it passes
// DISPLAY on), so what they put on the X clipboard is what the program under test sees, and
// the other way round. Outside Wine there are none: tests skip.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/TemporaryFolder.h"

namespace testing_support {

struct NativeResult {
  int status;
  std::string output;  // standard output and error together
};

// A Linux program, found on the Linux PATH, started with `input` as its standard input. It
// runs on its own from construction on: a test that needs no result just lets it run (as a
// selection owner does until another program takes the selection), others wait for it.
//
// Wine runs a non-Windows executable by a plain fork and exec: it gives back no process to
// wait for, and it hands over no standard handle but a file (a pipe arrives as /dev/null). So a
// shell runs the program with its input, output and exit status in files of a folder of its
// own. Wine's "start /unix" would do without the shell, but takes most of a second per program
// and its /wait does not wait; the shell starts in well under a tenth of one.
class NativeProgram {
 public:
  explicit NativeProgram(const std::vector<std::wstring>& arguments, const std::string& input = {});

  // The exit status and output once the program has ended; nothing when it was not started
  // (outside Wine) or has not ended in time.
  [[nodiscard]] std::optional<NativeResult> Wait(DWORD timeoutMs = 5000) const;
  // The first line of output, once a whole one has come; nothing when none came in time.
  [[nodiscard]] std::optional<std::string> FirstLine(DWORD timeoutMs = 5000) const;

 private:
  [[nodiscard]] std::string Text(const wchar_t* name) const;

  TemporaryFolder folder_;
  bool started_ = false;
};

struct XOffer {
  std::unique_ptr<NativeProgram> offerer;  // null when it cannot run or took no selection
  std::string skip;                        // why it cannot run here
  std::string failure;                     // what it said instead of taking the selection
};
// The X clipboard offerer (tests/e2e/x_clipboard_offer.py, the test program's second argument)
// offering `offer`, its JSON object, once it holds the selection. It cannot run without the
// script, python3 or an X display (outside Wine).
[[nodiscard]] XOffer OfferOnXClipboard(const std::string& offer);

}  // namespace testing_support
