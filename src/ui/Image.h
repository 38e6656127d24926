#pragma once
// The picture display: draws a picture holder's content centred, scaled to fit the area with
// its proportions kept while Stretch is on, at natural size otherwise; the rest shows the
// window colour. It only shows the holder: whoever owns the holder calls PictureChanged.
#include "ui/Form.h"
#include "ui/Picture.h"

namespace ui {

class TImage : public TControl {
 public:
  // The holder must outlive the display.
  TImage(TForm* form, std::wstring name, const TPicture& picture);

  // The holder's content has changed: it is drawn anew.
  void PictureChanged();
  [[nodiscard]] bool Stretch() const noexcept { return stretch_; }
  void SetStretch(bool value);
  [[nodiscard]] int ClientWidth() const;
  [[nodiscard]] int ClientHeight() const;

  // Where the picture goes inside an area of the given size.
  [[nodiscard]] static RECT DestinationRect(int areaWidth, int areaHeight, int pictureWidth, int pictureHeight,
                                            bool stretch);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  void Paint();

  const TPicture& picture_;
  bool stretch_ = true;
};

}  // namespace ui
