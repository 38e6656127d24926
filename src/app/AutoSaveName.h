#pragma once
// How an autosaved picture is named: base name, date and time, extension, in the folder the
// user chose. Characters that a file name cannot hold become "-", and a name that is already
// taken gets a counter, so no earlier picture is ever replaced. No Windows types here.
#include <functional>
#include <string>
#include <string_view>

namespace app {

// The date, a blank and the time; the time is left out at exactly midnight.
[[nodiscard]] std::wstring DateTimeText(std::wstring_view date, std::wstring_view time, bool midnight);

// Every character a Windows file name cannot hold (\ / : * ? " < > | and control characters)
// replaced by "-". Regional date formats bring "/" and time formats ":".
[[nodiscard]] std::wstring FileNameSafe(std::wstring_view text);

// folder + "\" + (base name + date-time made safe) + " (n)" from the second on + extension.
// The folder stays as it is: its drive colon and its backslashes are meant.
[[nodiscard]] std::wstring AutoSaveFileName(std::wstring_view folder, std::wstring_view baseName,
                                            std::wstring_view dateTime, std::wstring_view extension, int number);

// The first of the numbered names above that `taken` does not report.
[[nodiscard]] std::wstring FreeAutoSaveFileName(std::wstring_view folder, std::wstring_view baseName,
                                                std::wstring_view dateTime, std::wstring_view extension,
                                                const std::function<bool(const std::wstring&)>& taken);

}  // namespace app
