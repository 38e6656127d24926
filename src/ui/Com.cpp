#include "ui/Com.h"

namespace ui {
namespace {

std::wstring ResultText(HRESULT errorCode) {
  wchar_t* buffer = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, static_cast<DWORD>(errorCode), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text;
  if (length != 0 && buffer) text.assign(buffer, length);
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
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
