// The Autosave dialog with a real main window: its layout at three densities, its tab order,
// Save writing the four values at once, Cancel keeping them, and the language commands.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/MainFormFixture.h"
#include "dialogs/TForm3.h"
#include "support/ModalForms.h"
#include "support/TestSupport.h"
#include "ui/Dpi.h"

namespace {

using testing_support::WhileModal;
using ui::WindowText;

// Where a control sits in its parent's client area, and its size.
RECT PlaceOf(HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

HFONT FontOf(HWND control) { return reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)); }

void Press(const ui::TStdControl* button) { SendMessageW(button->Handle(), BM_CLICK, 0, 0); }
bool Checked(const ui::TStdControl* button) { return SendMessageW(button->Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

// Presses `keys` one by one in the open dialog from a timer of its modal loop, noting where the
// focus is and its answer to `probe` before each press and after the last; then closes the dialog.
HWND keyDialog = nullptr;
std::vector<WPARAM> keys;
UINT probe = 0;
std::vector<std::pair<HWND, LRESULT>> keyStops;
void CALLBACK KeyOnce(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND focus = GetFocus();
  keyStops.emplace_back(focus, SendMessageW(focus, probe, 0, 0));
  if (keyStops.size() <= keys.size()) {
    PostMessageW(focus, WM_KEYDOWN, keys[keyStops.size() - 1], 1);
  } else {
    KillTimer(nullptr, timer);
    PostMessageW(keyDialog, WM_CLOSE, 0, 0);
  }
}

class AutoSaveDialogTest : public app_test::MainFormFixture {
 protected:
  void SetUp() override {
    MainFormFixture::SetUp();
    app::TForm1& form = StartForm();
    dialog_ = std::make_unique<dialogs::TForm3>(form.Settings().AutoSave, form.LanguageStrings());
    form.SetForm3(*dialog_);
    dialog_->OnSave = [&form](const settings::AutoSaveSettings& values) { form.Form3Save(values); };
    form.OnLanguageApplied = [this] { dialog_->ApplyLanguage(form_->LanguageStrings()); };
  }
  void TearDown() override {
    form_->OnLanguageApplied = nullptr;
    dialog_.reset();
    MainFormFixture::TearDown();
  }
  // Opens the dialog from the tray item, runs `edit` inside it, and waits for it to close.
  void OpenAndDo(const std::function<void()>& edit) {
    const WhileModal whileOpen(*dialog_, edit);
    Choose(&form_->Bilderautomatischspeichern1());
    EXPECT_FALSE(dialog_->Visible());
  }
  [[nodiscard]] std::wstring FolderWithoutBackslash() const {
    return folder_.Path().substr(0, folder_.Path().size() - 1);
  }

  std::unique_ptr<dialogs::TForm3> dialog_;
};

TEST_F(AutoSaveDialogTest, ControlsSitWhereTheyBelongAtThreeDensitiesInTheMessageFontWithNothingCutOff) {
  dialogs::TForm3& d = *dialog_;
  EXPECT_EQ(d.Caption(), L"Autospeichern...");
  EXPECT_EQ(WindowText(d.LabelFolder->Handle()), L"Verzeichnis:");
  EXPECT_EQ(WindowText(d.LabelFormat->Handle()), L"Format:");
  EXPECT_EQ(WindowText(d.LabelPicName->Handle()), L"Name:");
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(d.Handle(), GWL_STYLE));
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));

  for (const UINT dpi : {96u, 120u, 144u}) {
    d.Layout(dpi);
    const auto scale = [dpi](int value) { return ui::ScaleForDpi(value, dpi); };
    RECT client{};
    GetClientRect(d.Handle(), &client);
    EXPECT_EQ(client.right, scale(333)) << dpi;
    EXPECT_EQ(client.bottom, scale(196)) << dpi;
    const struct {
      HWND control;
      int left, top, width, height;
    } places[] = {{d.CheckBoxSaveActive->Handle(), 16, 16, 289, 17}, {d.DirectoryEdit->Handle(), 120, 48, 185, 21},
                  {d.RadioBtnBMP->Handle(), 120, 88, 49, 17},        {d.RadioBtnJPG->Handle(), 200, 88, 49, 17},
                  {d.RadioBtnPNG->Handle(), 256, 88, 49, 17},        {d.EditFileName->Handle(), 120, 120, 185, 21},
                  {d.ButtonSave->Handle(), 168, 160, 75, 25},        {d.ButtonCancel->Handle(), 248, 160, 75, 25}};
    for (const auto& place : places) {
      const RECT at = PlaceOf(place.control);
      EXPECT_EQ(at.left, scale(place.left)) << WindowText(place.control) << " at " << dpi;
      EXPECT_EQ(at.top, scale(place.top)) << WindowText(place.control) << " at " << dpi;
      EXPECT_EQ(at.right - at.left, scale(place.width)) << WindowText(place.control) << " at " << dpi;
      EXPECT_EQ(at.bottom - at.top, scale(place.height)) << WindowText(place.control) << " at " << dpi;
      LOGFONTW font{};
      GetObjectW(FontOf(place.control), sizeof(font), &font);
      EXPECT_STREQ(font.lfFaceName, metrics.lfMessageFont.lfFaceName);
      const SIZE text = ui::TextExtent(place.control, FontOf(place.control));
      EXPECT_LE(text.cy, at.bottom - at.top - 2) << WindowText(place.control) << " is cut at " << dpi;
      // Check boxes and radio buttons give their box and a gap about 20 pixels at 96 dots per inch.
      const bool boxed = place.control == d.CheckBoxSaveActive->Handle() || place.control == d.RadioBtnBMP->Handle() ||
                         place.control == d.RadioBtnJPG->Handle() || place.control == d.RadioBtnPNG->Handle();
      EXPECT_LE(text.cx + (boxed ? scale(20) : scale(4)), at.right - at.left)
          << WindowText(place.control) << " is cut at " << dpi;
    }
    // Each label stays left of the controls column, on the row of its control.
    for (const auto& [label, top] : {std::pair{d.LabelFolder->Handle(), 56}, std::pair{d.LabelFormat->Handle(), 88},
                                     std::pair{d.LabelPicName->Handle(), 128}}) {
      const RECT at = PlaceOf(label);
      EXPECT_EQ(at.left, scale(16));
      EXPECT_EQ(at.top, scale(top));
      EXPECT_GT(at.right - at.left, 0);
      EXPECT_LT(at.right, scale(120)) << WindowText(label) << " runs into its control at " << dpi;
    }
    RECT button{};
    GetClientRect(d.DirectoryEdit->Button(), &button);
    EXPECT_EQ(button.right, scale(21)) << dpi;
  }
}

TEST_F(AutoSaveDialogTest, TabGoesThroughTheControlsInTheirOrder) {
  dialogs::TForm3& d = *dialog_;
  const std::vector<HWND> order = {d.RadioBtnBMP->Handle(),  d.DirectoryEdit->Handle(),      d.ButtonSave->Handle(),
                                   d.ButtonCancel->Handle(), d.CheckBoxSaveActive->Handle(), d.EditFileName->Handle()};
  for (std::size_t i = 0; i < order.size(); ++i) {
    EXPECT_EQ(GetNextDlgTabItem(d.Handle(), order[i], FALSE), order[(i + 1) % order.size()]) << i;
  }
  // The open dialog moves the focus on Tab itself (the keys go through its own modal loop), starting
  // on the chosen format; only the name field selects its text on entry.
  d.DirectoryEdit->SetText(L"C:\\Bilder");
  keyDialog = d.Handle();
  keys.assign(6, VK_TAB);
  probe = EM_GETSEL;  // 0 from a button
  keyStops.clear();
  OpenAndDo([] { SetTimer(nullptr, 0, 60, &KeyOnce); });
  const std::vector<std::pair<HWND, LRESULT>> expected = {
      {d.RadioBtnBMP->Handle(), 0},  {d.DirectoryEdit->Handle(), 0},      {d.ButtonSave->Handle(), 0},
      {d.ButtonCancel->Handle(), 0}, {d.CheckBoxSaveActive->Handle(), 0}, {d.EditFileName->Handle(), MAKELRESULT(0, 3)},
      {d.RadioBtnBMP->Handle(), 0}};
  EXPECT_EQ(keyStops, expected);
}

TEST_F(AutoSaveDialogTest, ArrowsChooseTheFormatsInTheirOrderRoundTheGroupAndSaveWritesPng) {
  dialogs::TForm3& d = *dialog_;
  keyDialog = d.Handle();
  keys = {VK_RIGHT, VK_DOWN, VK_RIGHT, VK_LEFT};
  probe = BM_GETCHECK;
  keyStops.clear();
  OpenAndDo([] { SetTimer(nullptr, 0, 60, &KeyOnce); });
  const std::vector<std::pair<HWND, LRESULT>> expected = {{d.RadioBtnBMP->Handle(), BST_CHECKED},
                                                          {d.RadioBtnJPG->Handle(), BST_CHECKED},
                                                          {d.RadioBtnPNG->Handle(), BST_CHECKED},
                                                          {d.RadioBtnBMP->Handle(), BST_CHECKED},
                                                          {d.RadioBtnPNG->Handle(), BST_CHECKED}};
  EXPECT_EQ(keyStops, expected);
  EXPECT_FALSE(Checked(d.RadioBtnBMP));
  EXPECT_FALSE(Checked(d.RadioBtnJPG));
  OpenAndDo([&] {
    // Activation puts the keyboard on the checked format; whether the dialog is active at once
    // depends on which program the desktop last let into the foreground, so it is made so here.
    SetForegroundWindow(d.Handle());
    testing_support::PumpUntil([&] { return IsChild(d.Handle(), GetFocus()) != FALSE; });
    EXPECT_EQ(GetFocus(), d.RadioBtnPNG->Handle()) << "the reopened dialog starts on another format";
    Press(d.ButtonSave);
  });
  EXPECT_EQ(form_->Settings().AutoSave.Format, L"PNG");
  EXPECT_EQ(IniLines(), (std::vector<std::wstring>{L"[Program]", L"AutoSave=0", L"[AutoSave]", L"Dir=", L"Format=PNG",
                                                   L"PicName=Pic"}));
}

TEST_F(AutoSaveDialogTest, SaveWritesTheFourValuesAtOnceAndChecksTheTrayItem) {
  dialogs::TForm3& d = *dialog_;
  EXPECT_FALSE(Checked(d.CheckBoxSaveActive));
  EXPECT_TRUE(Checked(d.RadioBtnBMP));
  EXPECT_EQ(WindowText(d.EditFileName->Handle()), L"Pic");
  const std::wstring folder = FolderWithoutBackslash();
  OpenAndDo([&] {
    EXPECT_FALSE(form_->Bilderautomatischspeichern1().Checked()) << "opening toggled the check mark";
    Press(d.CheckBoxSaveActive);
    d.DirectoryEdit->SetText(folder);
    Press(d.RadioBtnJPG);
    SetWindowTextW(d.EditFileName->Handle(), L"Bild ż");
    Press(d.ButtonSave);
  });
  EXPECT_TRUE(form_->Bilderautomatischspeichern1().Checked());
  EXPECT_EQ(form_->Settings().AutoSave.Folder, folder);
  EXPECT_EQ(form_->Settings().AutoSave.Format, L"JPG");
  EXPECT_EQ(form_->Settings().AutoSave.PicName, L"Bild ż");
  EXPECT_EQ(IniLines(), (std::vector<std::wstring>{L"[Program]", L"AutoSave=1", L"[AutoSave]", L"Dir=" + folder,
                                                   L"Format=JPG", L"PicName=Bild ż"}));
  EXPECT_TRUE(testing_support::ShownErrors().empty());
}

TEST_F(AutoSaveDialogTest, CancelAndTheCloseBoxKeepTheSettingsButTheNextOpeningShowsTheEdits) {
  dialogs::TForm3& d = *dialog_;
  OpenAndDo([&] {
    Press(d.CheckBoxSaveActive);
    d.DirectoryEdit->SetText(L"C:\\Bearbeitet");
    Press(d.RadioBtnJPG);
    SetWindowTextW(d.EditFileName->Handle(), L"Neu");
    Press(d.ButtonCancel);
  });
  OpenAndDo([&] {
    EXPECT_TRUE(Checked(d.CheckBoxSaveActive));
    EXPECT_EQ(d.DirectoryEdit->Text(), L"C:\\Bearbeitet");
    EXPECT_TRUE(Checked(d.RadioBtnJPG));
    EXPECT_FALSE(Checked(d.RadioBtnBMP));
    EXPECT_EQ(WindowText(d.EditFileName->Handle()), L"Neu");
    SendMessageW(d.Handle(), WM_CLOSE, 0, 0);
  });
  EXPECT_FALSE(form_->Bilderautomatischspeichern1().Checked());
  EXPECT_EQ(form_->Settings().AutoSave.Folder, L"");
  EXPECT_EQ(form_->Settings().AutoSave.Format, L"BMP");
  EXPECT_EQ(form_->Settings().AutoSave.PicName, L"Pic");
  EXPECT_FALSE(testing_support::FileExists(IniPath()));
}

TEST_F(AutoSaveDialogTest, AFailedWriteIsShownWithTheValuesInForceAndTheDialogStillOpen) {
  dialogs::TForm3& d = *dialog_;
  WriteIni("[Program]\r\n");
  const ui::UniqueFile lock(
      CreateFileW(IniPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(lock);
  OpenAndDo([&] {
    Press(d.CheckBoxSaveActive);
    Press(d.ButtonSave);
    EXPECT_EQ(testing_support::ShownErrors(),
              std::vector<std::wstring>{L"nach .\\VelmoClipboard.ini kann nicht geschrieben werden."});
    EXPECT_TRUE(d.Modal());
    d.Close();
  });
  EXPECT_TRUE(form_->Bilderautomatischspeichern1().Checked());
}

TEST_F(AutoSaveDialogTest, ALanguageCommandRelabelsTheDialogAtOnce) {
  dialogs::TForm3& d = *dialog_;
  Choose(&form_->English1());
  EXPECT_EQ(d.Caption(), L"Autosave...");
  EXPECT_EQ(WindowText(d.CheckBoxSaveActive->Handle()), L"Autosave");
  EXPECT_EQ(WindowText(d.LabelFolder->Handle()), L"Directory:");
  EXPECT_EQ(WindowText(d.LabelPicName->Handle()), L"Name:");
  EXPECT_EQ(WindowText(d.ButtonSave->Handle()), L"Save");
  EXPECT_EQ(WindowText(d.ButtonCancel->Handle()), L"Cancel");
  const RECT label = PlaceOf(d.LabelFolder->Handle());
  EXPECT_EQ(label.right - label.left, ui::TextExtent(d.LabelFolder->Handle(), FontOf(d.LabelFolder->Handle())).cx);
  Choose(&form_->Polski1());
  EXPECT_EQ(d.Caption(), L"Automatyczny zapis...");
  EXPECT_EQ(WindowText(d.LabelFolder->Handle()), L"Katalog:");
  EXPECT_EQ(WindowText(d.ButtonSave->Handle()), L"Zapisz");
}

TEST_F(AutoSaveDialogTest, SavedSettingsFillANewDialogWithTheirFormatAndTheFolder) {
  WriteIni("[Program]\r\nAutoSave=1\r\n[AutoSave]\r\nDir=C:\\Fotos\r\nFormat=JPG\r\nPicName=Urlaub\r\n");
  form_->OnLanguageApplied = nullptr;
  dialog_.reset();
  app::TForm1& form = StartForm();
  const dialogs::TForm3 d(form.Settings().AutoSave, form.LanguageStrings());
  EXPECT_TRUE(Checked(d.CheckBoxSaveActive));
  EXPECT_EQ(d.DirectoryEdit->Text(), L"C:\\Fotos");
  EXPECT_TRUE(Checked(d.RadioBtnJPG));
  EXPECT_FALSE(Checked(d.RadioBtnBMP));
  EXPECT_EQ(WindowText(d.EditFileName->Handle()), L"Urlaub");
  for (const auto& [format, checked] :
       {std::pair{L"PNG", &dialogs::TForm3::RadioBtnPNG}, std::pair{L"png", &dialogs::TForm3::RadioBtnBMP}}) {
    ChangeSettings([&](settings::Settings& s) { s.AutoSave.Format = format; });
    const dialogs::TForm3 other(form.Settings().AutoSave, form.LanguageStrings());
    for (const auto* radio : {&other.RadioBtnBMP, &other.RadioBtnJPG, &other.RadioBtnPNG})
      EXPECT_EQ(Checked(*radio), radio == &(other.*checked)) << format << " " << WindowText((*radio)->Handle());
  }
}

}  // namespace
