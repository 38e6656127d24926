#pragma once
// Popup menus with real menu strings (readable by screen readers and UI automation); item
// icons are item bitmaps from an image list. The menu handle is kept in step with the items,
// so a caption or check mark change shows at once. An item captioned "-" is a separator line.
#include <windows.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/Component.h"
#include "ui/Handle.h"
#include "ui/ScopedReplacement.h"

namespace ui {

class TImageList;
class TPopupMenu;

class TMenuItem {
 public:
  static constexpr int kNoImage = -1;
  ~TMenuItem();
  TMenuItem(const TMenuItem&) = delete;
  TMenuItem& operator=(const TMenuItem&) = delete;

  [[nodiscard]] const std::wstring& Name() const noexcept { return name_; }
  [[nodiscard]] const std::wstring& Caption() const noexcept { return caption_; }
  void SetCaption(const std::wstring& caption) { Assign(caption_, caption); }
  [[nodiscard]] bool Checked() const noexcept { return checked_; }
  void SetChecked(bool checked) { Assign(checked_, checked); }
  // A disabled item is grayed and cannot be chosen.
  [[nodiscard]] bool Enabled() const noexcept { return enabled_; }
  void SetEnabled(bool enabled) { Assign(enabled_, enabled); }
  [[nodiscard]] int ImageIndex() const noexcept { return imageIndex_; }
  void SetImageIndex(int index) { Assign(imageIndex_, index); }
  // A hidden item is taken out of the menu handle altogether, so the menu reads, and keyboard
  // steps through it, as if the item were not there; it keeps its place among its siblings.
  [[nodiscard]] bool Visible() const noexcept { return visible_; }
  void SetVisible(bool visible);

  // Adds a child, which turns this item into a submenu.
  TMenuItem& Add(std::wstring name, std::wstring caption, int imageIndex);
  [[nodiscard]] const std::vector<std::unique_ptr<TMenuItem>>& Items() const noexcept { return items_; }
  [[nodiscard]] UINT Command() const noexcept { return command_; }

  // Runs the item's command; an empty OnClick, or a disabled item, does nothing.
  void Click() const;
  std::function<void()> OnClick;

 private:
  friend class TPopupMenu;
  using ItemList = std::vector<std::unique_ptr<TMenuItem>>;
  TMenuItem(TPopupMenu& menu, HMENU parent, const ItemList& siblings, std::wstring name, std::wstring caption,
            int imageIndex);
  // Puts the item into the list at that index, and into the menu handle.
  static TMenuItem& Place(ItemList& list, std::size_t index, std::unique_ptr<TMenuItem> item);
  void InsertIntoMenu();
  // The item's position in the menu handle: the number of visible siblings before it.
  [[nodiscard]] UINT Position() const noexcept;
  void Update() const;
  // A property's setter: the new value, then the menu handle brought up to date.
  template <typename T, typename V>
  void Assign(T& field, const V& value) {
    field = value;
    Update();
  }
  TMenuItem* FindCommand(UINT command);

  TPopupMenu& menu_;
  HMENU parent_;
  const ItemList& siblings_;
  std::wstring name_;
  std::wstring caption_;
  int imageIndex_;
  bool checked_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  UINT command_;
  UniqueMenu submenu_;
  std::vector<std::unique_ptr<TMenuItem>> items_;
};

class TPopupMenu : public TComponent {
 public:
  // Replaces the modal TrackPopupMenu call, so tests can see a menu open without blocking.
  using PopupFunction = std::function<void(TPopupMenu& menu, int x, int y)>;

  TPopupMenu(TComponent* owner, std::wstring name, HWND commandWindow, TImageList* images);

  TMenuItem& Add(std::wstring name, std::wstring caption, int imageIndex);
  // Adds an item before the one at `index`. Command ids count up in the order items are made,
  // and other programs post them: an item made later but shown earlier moves no one's id.
  TMenuItem& Insert(std::size_t index, std::wstring name, std::wstring caption, int imageIndex);
  [[nodiscard]] const std::vector<std::unique_ptr<TMenuItem>>& Items() const noexcept { return items_; }
  [[nodiscard]] HMENU Handle() const noexcept { return menu_.get(); }
  [[nodiscard]] TImageList* Images() const noexcept { return images_; }

  bool AutoPopup = true;
  std::function<void()> OnPopup;

  // Opens the menu with its top-left corner at (x, y). The chosen item's command arrives
  // as WM_COMMAND at the command window once the menu has closed.
  void Popup(int x, int y);
  // Runs the item with this command id; false when the id is not one of this menu's.
  bool DispatchCommand(UINT command);

  // Menus open through `function` instead while the answer lives.
  [[nodiscard]] static ScopedReplacement<PopupFunction> ReplacePopupFunction(PopupFunction function) {
    return {popupFunction_, std::move(function)};
  }

 protected:
  void Notification(TComponent* component) override;

 private:
  UniqueMenu menu_;
  HWND commandWindow_;
  TImageList* images_;
  std::vector<std::unique_ptr<TMenuItem>> items_;
  static PopupFunction popupFunction_;
};

}  // namespace ui
