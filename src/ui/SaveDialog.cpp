#include "ui/SaveDialog.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "ui/Errors.h"

namespace ui {
namespace {

// Long paths fit too; the dialog refuses a name longer than its buffer.
constexpr std::size_t kNameCapacity = 32768;

}  // namespace

TSaveDialog::TSaveDialog(TForm* owner, std::wstring name) : TComponent(owner, std::move(name)), form_(owner) {}

bool TSaveDialog::Execute() {
  const auto getSaveFileName = commonDialogs_.Get<BOOL(WINAPI*)(OPENFILENAMEW*)>("GetSaveFileNameW");
  const auto extendedError = commonDialogs_.Get<DWORD(WINAPI*)()>("CommDlgExtendedError");
  // The dialog wants the filter as pairs separated by zeros, ended by two.
  std::wstring filter = Filter;
  for (wchar_t& c : filter) {
    if (c == L'|') c = L'\0';
  }
  filter.append(2, L'\0');
  std::vector<wchar_t> name(kNameCapacity, L'\0');
  FileName.copy(name.data(), std::min(FileName.size(), kNameCapacity - 1));

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = form_ ? form_->Handle() : nullptr;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = static_cast<DWORD>(FilterIndex);
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.lpstrTitle = Title.empty() ? nullptr : Title.c_str();
  dialog.lpstrDefExt = DefaultExt.empty() ? nullptr : DefaultExt.c_str();
  // Without OFN_NOCHANGEDIR the dialog moves the working directory to the chosen folder, and
  // the settings file, which lives in the working directory, would be written there at Exit.
  dialog.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR;

  const bool chosen = getSaveFileName(&dialog) != FALSE;
  const DWORD failure = chosen ? 0 : extendedError();
  if (OnClose) OnClose();
  if (failure != 0) {
    throw Exception(
        FormatMessageText(L"Der Speichern-Dialog kann nicht angezeigt werden (Fehler %d)", std::to_wstring(failure)));
  }
  if (chosen) {
    FileName = name.data();
    FilterIndex = static_cast<int>(dialog.nFilterIndex);
  }
  return chosen;
}

}  // namespace ui
