#pragma once
// Facts about program files: where this program's file is, and which version a system
// library has.
#include <cstdint>
#include <string>

namespace ui {

// The full path of the program's own file; raises EOutOfResources when Windows does not say.
[[nodiscard]] std::wstring ModuleFileName();
// The file version's major and minor numbers as one value (major in the high word) of a file
// found the way Windows finds libraries; 0 when the file or its version cannot be read.
[[nodiscard]] std::uint32_t FileVersion(const wchar_t* file);

}  // namespace ui
