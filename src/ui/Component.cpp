#include "ui/Component.h"

#include <algorithm>

namespace ui {

TComponent::TComponent(TComponent* owner, std::wstring name) : owner_(owner), name_(std::move(name)) {
  if (owner_) owner_->components_.push_back(this);
}

TComponent::~TComponent() {
  DestroyComponents();
  if (owner_) owner_->Remove(this);
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) delete components_.back();  // each removes itself from the list
}

void TComponent::LoadedAll() {
  for (TComponent* component : components_) component->LoadedAll();
  Loaded();
}

void TComponent::Remove(TComponent* component) {
  components_.erase(std::remove(components_.begin(), components_.end(), component), components_.end());
  for (TComponent* other : components_) other->Notification(component);
}

}  // namespace ui
