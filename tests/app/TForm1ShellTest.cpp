// The tray menu's desktop commands on the main window: shortcuts into the real special
// folders of this Wine prefix, the About window pausing reactions, and the help file.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>

#include <string>
#include <vector>

#include "app/MainFormFixture.h"
#include "shell/ShellOpen.h"
#include "shell/Shortcuts.h"
#include "shell/TForm2.h"
#include "support/ModalForms.h"
#include "ui/PopupMenu.h"

namespace {

using testing_support::FileExists;

class DesktopCommandsTest : public app_test::MainFormFixture {
 protected:
  static void CopyText() {
    testing_support::SetClipboardUnicodeText(L"copied");
    testing_support::PumpFor(50);
  }

  std::vector<std::wstring> popups_;
  std::vector<std::wstring> opened_;
  const ui::ScopedReplacement<ui::TPopupMenu::PopupFunction> popupReplacement_ =
      ui::TPopupMenu::ReplacePopupFunction([this](ui::TPopupMenu& menu, int, int) { popups_.push_back(menu.Name()); });
  const ui::ScopedReplacement<shell::ShellOpenFunction> shellOpenReplacement_ =
      shell::ReplaceShellOpenFunction([this](const std::wstring& target) { opened_.push_back(target); });
};

TEST_F(DesktopCommandsTest, ShortcutCommandsWriteIntoTheRealStartupAndDesktopFolders) {
  app::TForm1& form = StartForm();
  const std::wstring program = shell::ProgramFilePath();
  for (const auto& [item, folderId] : {std::pair{&form.Autostartverknpfungerstellen1(), CSIDL_STARTUP},
                                       std::pair{&form.Desktopverknpfungerstellen1(), CSIDL_DESKTOP}}) {
    const std::wstring folder = shell::SpecialFolderPath(folderId);
    ASSERT_FALSE(folder.empty()) << folderId;
    const std::wstring link = folder + L"test_app.lnk";
    DeleteFileW(link.c_str());
    Choose(item);
    const auto contents = testing_support::ReadShellLink(link);
    DeleteFileW(link.c_str());
    EXPECT_EQ(contents.target, program) << link;
    EXPECT_EQ(contents.workingDirectory, testing_support::ProgramFolder()) << link;
  }
  EXPECT_TRUE(testing_support::ShownErrors().empty());
}

TEST_F(DesktopCommandsTest, NoReactionWhileAboutIsOpenAndTheNextCopyReactsAgain) {
  app::TForm1& form = StartForm();
  shell::TForm2 about([&form] { return form.PauseReactions(); });
  form.SetForm2(about);
  const testing_support::WhileModal whileOpen(about, [&] {
    EXPECT_FALSE(form.ReactionFlag());
    CopyText();
    EXPECT_TRUE(popups_.empty()) << "a menu opened while About was open";
    testing_support::Click(about.Label2->Handle());
  });
  Choose(&form.Ueber1());
  EXPECT_FALSE(about.Visible());
  EXPECT_TRUE(form.ReactionFlag());
  CopyText();
  EXPECT_EQ(popups_, std::vector<std::wstring>{L"PopupMenuText"});
}

TEST_F(DesktopCommandsTest, HelpOpensTheBuiltHelpFileOnlyWhenItIsInTheWorkingDirectory) {
  app::TForm1& form = StartForm();
  Choose(&form.Hilfe1());
  EXPECT_TRUE(opened_.empty());
  EXPECT_TRUE(testing_support::ShownErrors().empty());

  // The build puts the help file beside the program, one folder above the test programs.
  const std::wstring built = testing_support::ProgramFolder() + L"..\\Help.chm";
  ASSERT_TRUE(CopyFileW(built.c_str(), (folder_.Path() + L"Help.chm").c_str(), TRUE)) << "no help file was built";
  Choose(&form.Hilfe1());
  EXPECT_EQ(opened_, std::vector<std::wstring>{folder_.Path() + L"Help.chm"});
}

}  // namespace
