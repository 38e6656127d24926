#include "ui/PopupMenu.h"

#include "ui/ImageList.h"

namespace ui {
namespace {

UINT NextCommandId() {
  static UINT next = 100;  // below 100 stays free for dialog buttons
  return next++;
}

}  // namespace

TPopupMenu::PopupFunction TPopupMenu::popupFunction_;

TMenuItem::TMenuItem(TPopupMenu& menu, HMENU parent, const ItemList& siblings, std::wstring name, std::wstring caption,
                     int imageIndex)
    : menu_(menu),
      parent_(parent),
      siblings_(siblings),
      name_(std::move(name)),
      caption_(std::move(caption)),
      imageIndex_(imageIndex),
      command_(NextCommandId()) {}

TMenuItem& TMenuItem::Place(ItemList& list, std::size_t index, std::unique_ptr<TMenuItem> item) {
  TMenuItem& placed = **list.insert(list.begin() + static_cast<std::ptrdiff_t>(index), std::move(item));
  placed.InsertIntoMenu();
  return placed;
}

void TMenuItem::InsertIntoMenu() {
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_ID;
  info.wID = command_;
  InsertMenuItemW(parent_, Position(), TRUE, &info);
  Update();
}

TMenuItem::~TMenuItem() {
  // Detach the submenu first: destroying the parent menu would destroy it a second time. Found
  // by its handle, not by counting siblings: they may be gone already.
  if (!submenu_ || !visible_) return;
  for (int i = GetMenuItemCount(parent_) - 1; i >= 0; --i) {
    if (GetSubMenu(parent_, i) != submenu_.get()) continue;
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_SUBMENU;
    SetMenuItemInfoW(parent_, static_cast<UINT>(i), TRUE, &info);
    return;
  }
}

UINT TMenuItem::Position() const noexcept {
  UINT position = 0;
  for (const auto& sibling : siblings_) {
    if (sibling.get() == this) break;
    if (sibling->visible_) ++position;
  }
  return position;
}

void TMenuItem::SetVisible(bool visible) {
  if (visible == visible_) return;
  if (!visible) {
    // Taken out, not destroyed: the submenu stays ours.
    RemoveMenu(parent_, Position(), MF_BYPOSITION);
    visible_ = false;
    return;
  }
  visible_ = true;
  InsertIntoMenu();
}

TMenuItem& TMenuItem::Add(std::wstring name, std::wstring caption, int imageIndex) {
  if (!submenu_) {
    submenu_.reset(CreatePopupMenu());
    Update();
  }
  return Place(items_, items_.size(),
               std::unique_ptr<TMenuItem>(
                   new TMenuItem(menu_, submenu_.get(), items_, std::move(name), std::move(caption), imageIndex)));
}

void TMenuItem::Click() const {
  // A menu never sends a grayed item's command, but another program can post it.
  if (enabled_ && OnClick) OnClick();
}

void TMenuItem::Update() const {
  if (!visible_) return;  // shown with all its state once it is put back
  std::wstring text = caption_;
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_BITMAP | MIIM_SUBMENU;
  if (caption_ == L"-") {
    info.fType = MFT_SEPARATOR;
  } else {
    info.fMask |= MIIM_STRING;
    info.fType = MFT_STRING;
    info.dwTypeData = text.data();
  }
  info.fState = (checked_ ? MFS_CHECKED : MFS_UNCHECKED) | (enabled_ ? MFS_ENABLED : MFS_GRAYED);
  info.hbmpItem = menu_.Images() ? menu_.Images()->MenuBitmap(imageIndex_) : nullptr;
  info.hSubMenu = submenu_.get();
  SetMenuItemInfoW(parent_, Position(), TRUE, &info);
}

TMenuItem* TMenuItem::FindCommand(UINT command) {
  if (command_ == command) return this;
  for (auto& item : items_) {
    if (TMenuItem* found = item->FindCommand(command)) return found;
  }
  return nullptr;
}

TPopupMenu::TPopupMenu(TComponent* owner, std::wstring name, HWND commandWindow, TImageList* images)
    : TComponent(owner, std::move(name)), menu_(CreatePopupMenu()), commandWindow_(commandWindow), images_(images) {}

TMenuItem& TPopupMenu::Add(std::wstring name, std::wstring caption, int imageIndex) {
  return Insert(items_.size(), std::move(name), std::move(caption), imageIndex);
}

TMenuItem& TPopupMenu::Insert(std::size_t index, std::wstring name, std::wstring caption, int imageIndex) {
  return TMenuItem::Place(items_, index,
                          std::unique_ptr<TMenuItem>(new TMenuItem(*this, menu_.get(), items_, std::move(name),
                                                                   std::move(caption), imageIndex)));
}

void TPopupMenu::Popup(int x, int y) {
  if (OnPopup) OnPopup();
  if (popupFunction_) {
    popupFunction_(*this, x, y);
    return;
  }
  TrackPopupMenu(menu_.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, commandWindow_, nullptr);
}

bool TPopupMenu::DispatchCommand(UINT command) {
  for (auto& item : items_) {
    if (TMenuItem* found = item->FindCommand(command)) {
      found->Click();
      return true;
    }
  }
  return false;
}

void TPopupMenu::Notification(TComponent* component) {
  if (component == images_) images_ = nullptr;
}

}  // namespace ui
