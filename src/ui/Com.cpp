#include "ui/Com.h"

#include "ui/Errors.h"

namespace ui {
namespace {

std::wstring ResultText(HRESULT errorCode) {
  std::wstring text = SystemErrorText(static_cast<unsigned long>(errorCode));
  if (text.empty()) {
    constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring code(8, L'0');
    auto value = static_cast<unsigned long>(errorCode);
    for (std::size_t i = code.size(); i-- > 0; value >>= 4) code[i] = kDigits[value & 0xFu];
    text = L"OLE-Fehler " + code;
  }
  return text;
}

}  // namespace

EOleSysError::EOleSysError(HRESULT errorCode) : Exception(ResultText(errorCode)), errorCode_(errorCode) {}

HRESULT OleCheck(HRESULT result) {
  if (FAILED(result)) throw EOleSysError(result);
  return result;
}

ComApartment::ComApartment() { OleCheck(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }

ComApartment::~ComApartment() { CoUninitialize(); }

}  // namespace ui
