#pragma once
// A component holding an ordered collection of named string lists, addressed by position.
#include <cstddef>
#include <string>
#include <vector>

#include "ui/Component.h"

namespace settings {

class TJvMultiStringHolder : public ui::TComponent {
 public:
  struct StringList {
    std::wstring Name;
    std::vector<std::wstring> Strings;
  };

  TJvMultiStringHolder(ui::TComponent* owner, std::wstring name);

  void Add(std::wstring name, std::vector<std::wstring> strings);
  [[nodiscard]] const std::vector<StringList>& Lists() const noexcept { return lists_; }
  // The list at `index`; throws std::out_of_range for a position that holds none.
  [[nodiscard]] const StringList& List(std::size_t index) const { return lists_.at(index); }

 private:
  std::vector<StringList> lists_;
};

}  // namespace settings
