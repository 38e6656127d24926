#include "settings/TJvMultiStringHolder.h"

namespace settings {

TJvMultiStringHolder::TJvMultiStringHolder(ui::TComponent* owner, std::wstring name)
    : ui::TComponent(owner, std::move(name)) {}

void TJvMultiStringHolder::Add(std::wstring name, std::vector<std::wstring> strings) {
  lists_.push_back({std::move(name), std::move(strings)});
}

}  // namespace settings
