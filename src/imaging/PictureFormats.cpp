#include "imaging/PictureFormats.h"

namespace imaging {

const TPictureFormat* FindPictureFormatByCode(std::wstring_view code) {
  for (const TPictureFormat& format : kPictureFormats) {
    if (format.code == code) return &format;
  }
  return nullptr;
}

const TPictureFormat* FindPictureFormatByFilterIndex(int filterIndex) {
  for (const TPictureFormat& format : kPictureFormats) {
    if (format.filterIndex == filterIndex) return &format;
  }
  return nullptr;
}

std::wstring SaveDialogFilter() {
  std::wstring filter;
  for (const TPictureFormat& format : kPictureFormats) {
    const std::wstring pattern = L"*" + std::wstring(format.extension);
    if (!filter.empty()) filter += L'|';
    filter.append(format.filterName).append(L" (").append(pattern).append(L")|").append(pattern);
  }
  return filter;
}

}  // namespace imaging
