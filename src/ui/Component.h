#pragma once
// Base of every component and window: an owner that destroys what it owns (last created
// first), a "loaded" step once the whole window is built, and a notification to the other
// components of an owner when one of them goes away.
#include <string>
#include <vector>

namespace ui {

class TComponent {
 public:
  explicit TComponent(TComponent* owner, std::wstring name = {});
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  [[nodiscard]] TComponent* Owner() const noexcept { return owner_; }
  [[nodiscard]] const std::wstring& Name() const noexcept { return name_; }
  [[nodiscard]] const std::vector<TComponent*>& Components() const noexcept { return components_; }

  // Runs Loaded on every owned component, in creation order, then on this one.
  void LoadedAll();

 protected:
  // Destroys the owned components, last created first. Windows call it before their own
  // handle goes, so components can still unhook themselves from it.
  void DestroyComponents();
  // Called once the owner and all its components exist and their settings are applied.
  virtual void Loaded() {}
  // Called on every other component of the owner when `component` is being destroyed.
  virtual void Notification(TComponent* component) { (void)component; }

 private:
  void Remove(TComponent* component);

  TComponent* owner_;
  std::wstring name_;
  std::vector<TComponent*> components_;
};

}  // namespace ui
