#pragma once
// The program's icon in the notification area. It shows the icon with its tooltip for the
// whole run, pops up its menu at the cursor on a right-button press, hides the main window
// and its taskbar button on a minimise or a refused close, shows them again on request, and
// puts the icon back when the taskbar is created anew (after the shell restarted).
#include <windows.h>
// shellapi.h needs windows.h before it.
#include <shellapi.h>

#include <cstddef>
#include <functional>
#include <string>

#include "ui/Component.h"
#include "ui/Icon.h"

namespace ui {
class TApplication;
class TForm;
class TPopupMenu;
}  // namespace ui

namespace shell {

class TTrayIconHandler;

enum class TMouseButton { Left, Right, Middle };

// Keys and mouse buttons held during a mouse event, as bit flags.
using TShiftState = unsigned;
inline constexpr TShiftState kShiftKey = 1u << 0;
inline constexpr TShiftState kAltKey = 1u << 1;
inline constexpr TShiftState kCtrlKey = 1u << 2;
inline constexpr TShiftState kLeftButton = 1u << 3;
inline constexpr TShiftState kRightButton = 1u << 4;
inline constexpr TShiftState kMiddleButton = 1u << 5;

class TCoolTrayIcon : public ui::TComponent {
 public:
  using NotifyEvent = std::function<void(TCoolTrayIcon& sender)>;
  using MouseEvent = std::function<void(TCoolTrayIcon& sender, TMouseButton button, TShiftState shift, int x, int y)>;
  using MouseMoveEvent = std::function<void(TCoolTrayIcon& sender, TShiftState shift, int x, int y)>;

  // The owner is normally the main window: the icon takes the form's OnShow for its
  // lifetime, and hooks into `application`. The shell's callbacks reach it through `handler`;
  // both outlive it.
  TCoolTrayIcon(ui::TComponent* owner, ui::TApplication& application, TTrayIconHandler& handler,
                std::wstring name = L"TrayIcon");
  ~TCoolTrayIcon() override;

  // The image shown. Writing copies the given image; any later change of the image's content
  // sends it to the shell as well.
  [[nodiscard]] ui::TIcon& Icon() noexcept { return icon_; }
  void SetIcon(const ui::TIcon& icon);
  // true adds the icon to the notification area, false removes it.
  [[nodiscard]] bool IconVisible() const noexcept { return iconVisible_; }
  void SetIconVisible(bool value);
  [[nodiscard]] const std::wstring& Hint() const noexcept { return hint_; }
  void SetHint(const std::wstring& value);
  // While off the tooltip is empty.
  [[nodiscard]] bool ShowHint() const noexcept { return showHint_; }
  void SetShowHint(bool value);
  // Index into an icon list; this component takes no icon list, so the index stays 0.
  [[nodiscard]] int IconIndex() const noexcept { return 0; }
  void SetIconIndex(int value);
  // Menu popped up on a right-button press; cleared when the menu is destroyed.
  [[nodiscard]] ui::TPopupMenu* PopupMenu() const noexcept { return popupMenu_; }
  void SetPopupMenu(ui::TPopupMenu* value) noexcept { popupMenu_ = value; }
  // Minimising the application hides the main window and its taskbar button.
  [[nodiscard]] bool MinimizeToTray() const noexcept { return minimizeToTray_; }
  void SetMinimizeToTray(bool value) noexcept { minimizeToTray_ = value; }
  // While off every mouse callback is ignored (balloon notifications still arrive).
  [[nodiscard]] bool Enabled() const noexcept { return enabled_; }
  void SetEnabled(bool value) noexcept { enabled_ = value; }
  // The menu also pops up on a left-button press.
  [[nodiscard]] bool LeftPopup() const noexcept { return leftPopup_; }
  void SetLeftPopup(bool value) noexcept { leftPopup_ = value; }

  // The uID the shell knows this icon by.
  [[nodiscard]] UINT Id() const noexcept { return handler_.Id(); }
  // The record that goes with every shell call, as last sent.
  [[nodiscard]] const NOTIFYICONDATAW& NotifyData() const noexcept { return data_; }

  // The shell operations. Each answers whether the shell took the call; IconVisible follows
  // the operation whatever the answer.
  virtual bool AddTrayIcon();
  virtual bool RemoveTrayIcon();
  virtual bool UpdateTrayIcon();

  // Pops the menu up with its top-left corner at the cursor.
  void ShowTrayMenu();
  // Restores the application, shows the main window and brings it to the front.
  void ShowMainWindow();
  // Hides the main window and the taskbar button.
  void HideMainWindow();

  NotifyEvent OnClick;
  NotifyEvent OnDblClick;
  MouseEvent OnMouseDown;
  MouseEvent OnMouseUp;
  MouseMoveEvent OnMouseMove;
  NotifyEvent OnBalloonHintShow;
  NotifyEvent OnBalloonHintHide;
  NotifyEvent OnBalloonHintTimeout;
  NotifyEvent OnBalloonHintClick;

 protected:
  void Loaded() override;
  void Notification(ui::TComponent* component) override;

  // Event steps: each fires its event, if one is assigned.
  virtual void Click();
  virtual void DblClick();
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  // The application was minimised: hide the main window and keep the icon shown.
  virtual void HideToTray();

 private:
  friend class TTrayIconHandler;

  // Membership in the process-wide callback handler, for the component's lifetime.
  class HandlerLink {
   public:
    HandlerLink(TTrayIconHandler& handler, TCoolTrayIcon& icon);
    ~HandlerLink();
    HandlerLink(const HandlerLink&) = delete;
    HandlerLink& operator=(const HandlerLink&) = delete;
    [[nodiscard]] TTrayIconHandler& Handler() const noexcept { return handler_; }
    [[nodiscard]] UINT Id() const noexcept { return id_; }

   private:
    TTrayIconHandler& handler_;
    UINT id_;
  };

  // OwnerWindowHook as the owner form's OnShow, for the component's lifetime. A second tray
  // icon on the same form leaves it to the first.
  class OwnerFormLink {
   public:
    OwnerFormLink(TCoolTrayIcon& icon, ui::TForm* form);
    ~OwnerFormLink();
    OwnerFormLink(const OwnerFormLink&) = delete;
    OwnerFormLink& operator=(const OwnerFormLink&) = delete;

   private:
    ui::TForm* form_ = nullptr;
  };

  // ApplicationHook registered with the application, for the component's lifetime.
  class ApplicationLink {
   public:
    ApplicationLink(ui::TApplication& application, TCoolTrayIcon& icon);
    ~ApplicationLink();
    ApplicationLink(const ApplicationLink&) = delete;
    ApplicationLink& operator=(const ApplicationLink&) = delete;
    [[nodiscard]] ui::TApplication& Application() const noexcept { return application_; }

   private:
    ui::TApplication& application_;
    std::size_t id_ = 0;
  };

  void OwnerWindowHook();
  void ApplicationHook(UINT msg, WPARAM wParam);
  void HandleTrayMessage(LPARAM what);
  void FireBalloonEvent(const NotifyEvent& event);
  [[nodiscard]] ui::TForm* OwnerForm() const noexcept;
  void AttachIconChange();
  void FillNotifyData();
  // FillNotifyData, then the shell call.
  bool Notify(DWORD message);
  bool CallShell(DWORD message);

  // Declared in the reverse order of their release: the image goes first, then the
  // application hook, the owner form's hook and last the handler.
  HandlerLink handler_;
  OwnerFormLink ownerForm_;
  ApplicationLink application_;
  ui::TIcon icon_;
  NOTIFYICONDATAW data_{};
  std::wstring hint_;
  ui::TPopupMenu* popupMenu_ = nullptr;
  bool iconVisible_ = false;
  bool showHint_ = true;
  bool minimizeToTray_ = false;
  bool enabled_ = true;
  bool leftPopup_ = false;
  bool clickStarted_ = false;  // a left press over the icon awaits its release
};

}  // namespace shell
