#pragma once
// Opening things the way the shell would on a double click: a web address in the browser, a
// "mailto:" address in the mail program, a ".chm" file in the help viewer.
#include <functional>
#include <string>

#include "ui/Errors.h"
#include "ui/ScopedReplacement.h"

namespace shell {

// The shell found nothing to open the target with.
class EShellOpenError : public ui::Exception {
 public:
  using Exception::Exception;
};

// Hands `target` to the shell (ShellExecuteW, default verb, shown normally).
void ShellOpen(const std::wstring& target);

// Replaces the shell while the answer lives, so tests can see what would be opened.
using ShellOpenFunction = std::function<void(const std::wstring& target)>;
[[nodiscard]] ui::ScopedReplacement<ShellOpenFunction> ReplaceShellOpenFunction(ShellOpenFunction function);

// The help file "Help.chm", looked up in the working directory.
inline constexpr const wchar_t* kHelpFileName = L"Help.chm";
// Opens the help file when it is there; does nothing and shows nothing when it is not.
void OpenHelpFile();

}  // namespace shell
