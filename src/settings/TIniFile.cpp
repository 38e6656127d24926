#include "settings/TIniFile.h"

#include <windows.h>

#include <vector>

#include "settings/IniValues.h"
#include "ui/Handle.h"

namespace settings {
namespace {

constexpr const wchar_t* kWriteErrorText = L"nach %s kann nicht geschrieben werden";

// True when the text survives the trip through the system's ANSI code page.
bool FitsAnsiCodePage(const std::wstring& text) {
  if (text.empty() || GetACP() == CP_UTF8) return true;
  BOOL usedDefault = FALSE;
  const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, &usedDefault);
  return length > 0 && !usedDefault;
}

bool WriteAll(HANDLE file, const std::vector<unsigned char>& bytes) {
  DWORD written = 0;
  return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
}

// A file that is deleted again unless it was moved into place.
class ScratchFile {
 public:
  explicit ScratchFile(std::wstring name) : name_(std::move(name)) {}
  ~ScratchFile() {
    if (!moved_) DeleteFileW(name_.c_str());
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  [[nodiscard]] const std::wstring& Name() const noexcept { return name_; }
  bool MoveOnto(const std::wstring& target) {
    moved_ = MoveFileExW(name_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    return moved_;
  }

 private:
  std::wstring name_;
  bool moved_ = false;
};

}  // namespace

TIniFile::TIniFile(std::wstring fileName) : fileName_(std::move(fileName)) {}

std::wstring TIniFile::ReadString(const std::wstring& section, const std::wstring& key,
                                  const std::wstring& defaultValue) const {
  std::wstring buffer(kReadBufferLength, L'\0');
  const DWORD length = GetPrivateProfileStringW(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(),
                                                static_cast<DWORD>(buffer.size()), fileName_.c_str());
  buffer.resize(length);
  return buffer;
}

// The private-profile functions keep a file in the encoding they find it in, and a file they
// create themselves is ANSI, where a folder name in Cyrillic or Chinese or a Polish base name
// would turn into question marks. So a new file starts as UTF-16 with a byte order mark, and
// an ANSI file of an earlier version becomes UTF-16 when a value needs it. Both are made as a
// copy beside the file and moved into place only after the value went in: a write that fails
// (another program reading the new file at that moment, a full disk) then leaves the file as
// it was, or missing, instead of holding a byte order mark alone or a converted file without
// the value.
void TIniFile::WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
  const Route route = RouteFor(value);
  if (route == Route::InPlace) {
    if (!WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), fileName_.c_str())) RaiseWriteError();
    return;
  }
  ScratchFile copy(fileName_ + L".new");
  WriteUnicodeFile(copy.Name(), route == Route::AnsiToUnicode ? AnsiFileText() : std::wstring());
  if (!WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), copy.Name().c_str()) ||
      !copy.MoveOnto(fileName_))
    RaiseWriteError();
}

int TIniFile::ReadInteger(const std::wstring& section, const std::wstring& key, int defaultValue) const {
  return IniIntegerOrDefault(ReadString(section, key, L""), defaultValue);
}

bool TIniFile::ReadBool(const std::wstring& section, const std::wstring& key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteBool(const std::wstring& section, const std::wstring& key, bool value) {
  WriteString(section, key, IniBoolText(value));
}

TIniFile::Route TIniFile::RouteFor(const std::wstring& value) const {
  ui::UniqueFile file(CreateFileW(fileName_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    // A locked or unreachable file fails the write itself.
    return GetLastError() == ERROR_FILE_NOT_FOUND ? Route::NewFile : Route::InPlace;
  }
  unsigned char start[3] = {};
  DWORD read = 0;
  if (!ReadFile(file.get(), start, sizeof(start), &read, nullptr)) return Route::InPlace;
  return DetectIniFileEncoding(std::span<const unsigned char>(start, read)) == IniFileEncoding::Ansi &&
                 !FitsAnsiCodePage(value)
             ? Route::AnsiToUnicode
             : Route::InPlace;
}

std::wstring TIniFile::AnsiFileText() const {
  std::vector<char> ansi;
  {
    ui::UniqueFile file(CreateFileW(fileName_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF) RaiseWriteError();
    ansi.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (!ansi.empty() &&
        (!ReadFile(file.get(), ansi.data(), static_cast<DWORD>(ansi.size()), &read, nullptr) || read != ansi.size()))
      RaiseWriteError();
  }
  std::wstring text;
  if (!ansi.empty()) {
    const int length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    text.resize(static_cast<std::size_t>(length));
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), text.data(), length);
  }
  return text;
}

void TIniFile::WriteUnicodeFile(const std::wstring& name, const std::wstring& text) const {
  // A program that only reads, such as a virus scanner, need not make this step fail.
  ui::UniqueFile out(CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out || !WriteAll(out.get(), Utf16LeFileBytes(text))) RaiseWriteError();
  if (!CloseHandle(out.release())) RaiseWriteError();
}

void TIniFile::RaiseWriteError() const { throw EIniFileError(ui::FormatMessageText(kWriteErrorText, fileName_)); }

}  // namespace settings
