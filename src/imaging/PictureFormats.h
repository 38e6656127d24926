#pragma once
// The picture file formats, one row each: the settings file's code, the file extension, the
// save dialog's entry and filter index, and the writer. The save dialog, the autosave and the
// Autosave dialog all read this table, so a new format is one more row here.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "imaging/BmpWriter.h"
#include "imaging/PngWriter.h"
#include "imaging/TJPEGImage.h"
#include "ui/Picture.h"

namespace imaging {

struct TPictureFormat {
  std::wstring_view code;       // the settings file's value, compared exactly ("bmp" is none)
  std::wstring_view extension;  // with its dot
  std::wstring_view filterName;
  int filterIndex;  // the save dialog's, counted from 1
  void (*write)(const ui::TPicture& picture, const std::wstring& fileName);
};

// In the order of the save dialog's filters and the Autosave dialog's radio buttons. PNG came
// last, so an index remembered from a run with two filters still means the same format.
inline constexpr std::array<TPictureFormat, 3> kPictureFormats{{
    {L"BMP", L".bmp", L"Bitmap", 1, &WriteBmp},
    {L"JPG", L".jpg", L"JPEG", 2, &WriteJpeg},
    {L"PNG", L".png", L"PNG", 3, &WritePng},
}};
static_assert(
    [] {
      for (std::size_t i = 0; i < kPictureFormats.size(); ++i)
        if (kPictureFormats[i].filterIndex != static_cast<int>(i) + 1) return false;
      return true;
    }(),
    "the save dialog lists the filters in the table's order");

// The row with this code or filter index; null for none.
[[nodiscard]] const TPictureFormat* FindPictureFormatByCode(std::wstring_view code);
[[nodiscard]] const TPictureFormat* FindPictureFormatByFilterIndex(int filterIndex);

// The save dialog's filter: "Bitmap (*.bmp)|*.bmp|JPEG (*.jpg)|*.jpg|..." in filter order.
[[nodiscard]] std::wstring SaveDialogFilter();

}  // namespace imaging
