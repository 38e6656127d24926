#pragma once
// The settings file object: reads and writes single values of an INI file through the
// system's private-profile functions. It keeps only the file name, so every access goes to
// the file as it is on disk at that moment, relative to the working directory of that moment.
#include <string>

#include "ui/Errors.h"

namespace settings {

// A value could not be written to the settings file.
class EIniFileError : public ui::Exception {
 public:
  using ui::Exception::Exception;
};

class TIniFile {
 public:
  explicit TIniFile(std::wstring fileName);

  [[nodiscard]] const std::wstring& FileName() const noexcept { return fileName_; }

  // The value, cut to 2047 characters; `defaultValue` when the key (or file, or section) is
  // missing. A key with an empty value reads as the empty string.
  [[nodiscard]] std::wstring ReadString(const std::wstring& section, const std::wstring& key,
                                        const std::wstring& defaultValue) const;
  // Raises EIniFileError when the value cannot be written. Values written before stay written.
  void WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value);

  [[nodiscard]] int ReadInteger(const std::wstring& section, const std::wstring& key, int defaultValue) const;
  [[nodiscard]] bool ReadBool(const std::wstring& section, const std::wstring& key, bool defaultValue) const;
  void WriteBool(const std::wstring& section, const std::wstring& key, bool value);

 private:
  // How a value reaches the file: written into it as it is, or into a UTF-16 copy beside it
  // (empty for a new file, or the text of an ANSI file that cannot hold the value) that is
  // moved over the file once the value is in.
  enum class Route { InPlace, NewFile, AnsiToUnicode };
  [[nodiscard]] Route RouteFor(const std::wstring& value) const;
  [[nodiscard]] std::wstring AnsiFileText() const;
  void WriteUnicodeFile(const std::wstring& name, const std::wstring& text) const;
  [[noreturn]] void RaiseWriteError() const;

  std::wstring fileName_;
};

}  // namespace settings
