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

TMenuItem::TMenuItem(TPopupMenu& menu, HMENU parent, std::wstring name, std::wstring caption, int imageIndex)
    : menu_(menu),
      parent_(parent),
      position_(static_cast<UINT>(GetMenuItemCount(parent))),
      name_(std::move(name)),
      caption_(std::move(caption)),
      imageIndex_(imageIndex),
      command_(NextCommandId()) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_ID | MIIM_STRING;
  info.wID = command_;
  info.dwTypeData = caption_.data();
  InsertMenuItemW(parent_, position_, TRUE, &info);
  Update();
}

TMenuItem::~TMenuItem() {
  // Detach the submenu first: destroying the parent menu would destroy it a second time.
  if (submenu_) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_SUBMENU;
    SetMenuItemInfoW(parent_, position_, TRUE, &info);
  }
}

void TMenuItem::SetCaption(const std::wstring& caption) {
  caption_ = caption;
  Update();
}

void TMenuItem::SetChecked(bool checked) {
  checked_ = checked;
  Update();
}

void TMenuItem::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Update();
}

void TMenuItem::SetImageIndex(int index) {
  imageIndex_ = index;
  Update();
}

TMenuItem& TMenuItem::Add(std::wstring name, std::wstring caption, int imageIndex) {
  if (!submenu_) {
    submenu_.reset(CreatePopupMenu());
    Update();
  }
  items_.push_back(std::unique_ptr<TMenuItem>(
      new TMenuItem(menu_, submenu_.get(), std::move(name), std::move(caption), imageIndex)));
  return *items_.back();
}

void TMenuItem::Click() const {
  // A menu never sends a grayed item's command, but another program can post it.
  if (enabled_ && OnClick) OnClick();
}

void TMenuItem::Update() const {
  std::wstring text = caption_;
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_STRING | MIIM_STATE | MIIM_BITMAP | MIIM_SUBMENU;
  info.dwTypeData = text.data();
  info.fState = (checked_ ? MFS_CHECKED : MFS_UNCHECKED) | (enabled_ ? MFS_ENABLED : MFS_GRAYED);
  info.hbmpItem = menu_.Images() ? menu_.Images()->MenuBitmap(imageIndex_) : nullptr;
  info.hSubMenu = submenu_.get();
  SetMenuItemInfoW(parent_, position_, TRUE, &info);
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
  items_.push_back(
      std::unique_ptr<TMenuItem>(new TMenuItem(*this, menu_.get(), std::move(name), std::move(caption), imageIndex)));
  return *items_.back();
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
