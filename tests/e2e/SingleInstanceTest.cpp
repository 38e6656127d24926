// Starts the real program under Wine and checks, from outside, that only one copy of a
// program file runs: later starts show the refusal box, bring the running copy forward, hand
// over their arguments and end with exit code 0, and the shared table stays in step.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "shell/InstanceTable.h"
#include "shell/TJclAppInstances.h"
#include "shell/TJclOptex.h"
#include "shell/TJvAppInstances.h"
#include "support/TestSupport.h"
#include "ui/Handle.h"
#include "ui/MessageWindow.h"

namespace {

using testing_support::PumpUntil;

constexpr DWORD kInstanceStartTimeoutMs = 20000;
constexpr DWORD kEndTimeoutMs = 15000;
// The Exit command's id: menu ids count from 100 in the order the main window creates its items.
constexpr WPARAM kExitMenuCommand = 116;
constexpr const wchar_t* kRefusalText = L"Action aborted...\r\nThis Program is allready started.";

// The program under test, as a Windows path (the harness passes the Unix one).
std::wstring ProgramPath() { return testing_support::WinePath(testing_support::ExtraArguments().at(0)); }

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::vector<HWND> TopLevelWindowsOf(DWORD processId, const wchar_t* className) {
  return testing_support::ProcessWindows(processId, className);
}

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

// The visible child windows of a class (compared without regard to case).
std::vector<HWND> ChildrenOf(HWND parent, const wchar_t* className) {
  std::vector<HWND> children;
  EnumChildWindows(parent, &CollectChild, reinterpret_cast<LPARAM>(&children));
  std::erase_if(children, [&](HWND child) {
    return _wcsicmp(ClassOf(child).c_str(), className) != 0 || !IsWindowVisible(child);
  });
  return children;
}

// The process ids in the shared table of copies of `programPath`, read under its lock;
// nothing when no copy keeps the table open.
std::optional<std::vector<DWORD>> TableOf(const std::wstring& programPath) {
  const std::wstring base = shell::TJclAppInstances::BaseNameFor(programPath);
  ui::UniqueKernelHandle mapping(OpenFileMappingW(FILE_MAP_READ, FALSE, (base + L"_Map").c_str()));
  if (!mapping) return std::nullopt;
  ui::UniqueMappedView view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, shell::instance_table::kSize));
  if (!view) return std::nullopt;
  shell::TJclOptex optex(base + L"_Otx");
  shell::OptexLock lock(optex);
  const shell::instance_table::ConstBlock table(static_cast<const std::uint8_t*>(view.get()),
                                                shell::instance_table::kSize);
  std::vector<DWORD> entries;
  for (std::size_t i = 0; i < shell::instance_table::Count(table); ++i)
    entries.push_back(shell::instance_table::ProcessIdAt(table, i));
  return entries;
}

// One started copy of the program. Whatever happens in the test, it does not outlive it.
class Copy {
 public:
  explicit Copy(const std::wstring& programPath, const std::wstring& arguments = {})
      : process_(testing_support::StartProcess(L"\"" + programPath + L"\" " + arguments)) {
    if (!process_.get()) ADD_FAILURE() << "could not start " << std::string(programPath.begin(), programPath.end());
  }
  Copy(const Copy&) = delete;
  Copy& operator=(const Copy&) = delete;

  [[nodiscard]] DWORD Id() const { return process_.Id(); }
  [[nodiscard]] bool Running() const { return WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }
  [[nodiscard]] bool EndsWithin(DWORD ms) const { return WaitForSingleObject(process_.get(), ms) == WAIT_OBJECT_0; }
  [[nodiscard]] DWORD ExitCode() const { return process_.Wait(0); }
  void Kill() {
    TerminateProcess(process_.get(), 1);
    WaitForSingleObject(process_.get(), kEndTimeoutMs);
  }

  [[nodiscard]] HWND ApplicationWindow() const { return shell::TJclAppInstances::ApplicationWindowOf(Id()); }
  [[nodiscard]] HWND MainWindow() const {
    const std::vector<HWND> found = TopLevelWindowsOf(Id(), L"TForm1");
    return found.empty() ? nullptr : found.front();
  }
  // The refusal box, once it shows.
  [[nodiscard]] HWND Box() const {
    for (HWND window : TopLevelWindowsOf(Id(), L"#32770"))
      if (IsWindowVisible(window)) return window;
    return nullptr;
  }
  // Its GUI thread waits for messages: in the message loop, or in the refusal box.
  [[nodiscard]] bool Answers() const {
    HWND application = ApplicationWindow();
    DWORD_PTR ignored = 0;
    return application && SendMessageTimeoutW(application, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, &ignored) != 0;
  }
  // Started and accepted: its message loop runs and no refusal box shows.
  // Until its message loop waits for input: a window that answers early may still be half
  // built (the window answers sent messages while the tray icon is being added).
  [[nodiscard]] bool WaitUntilRunning() const {
    return PumpUntil([this] { return !Running() || (MainWindow() && Answers()); }, kInstanceStartTimeoutMs) &&
           Running() && WaitForInputIdle(process_.get(), kInstanceStartTimeoutMs) == 0 && !Box();
  }
  [[nodiscard]] HWND WaitForBox() const {
    HWND box = nullptr;
    PumpUntil([&] { return !Running() || (box = Box()) != nullptr; }, kInstanceStartTimeoutMs);
    return box;
  }
  // Its popup menu while one is open.
  [[nodiscard]] HWND Menu() const {
    for (HWND window : TopLevelWindowsOf(Id(), L"#32768"))
      if (IsWindowVisible(window)) return window;
    return nullptr;
  }
  // Whether its window heads the clipboard viewer chain.
  [[nodiscard]] bool HeadsViewerChain() const {
    DWORD owner = 0;
    HWND head = GetClipboardViewer();
    return head && GetWindowThreadProcessId(head, &owner) && owner == Id();
  }
  void ChooseExit() const { PostMessageW(MainWindow(), WM_COMMAND, kExitMenuCommand, 0); }
  // Ends it as Windows does at the end of a session, which runs the program's Exit.
  [[nodiscard]] bool EndNormally() const {
    PostMessageW(MainWindow(), WM_ENDSESSION, TRUE, 0);
    return EndsWithin(kEndTimeoutMs) && ExitCode() == 0;
  }

 private:
  testing_support::ScopedProcess process_;
};

void PressOk(HWND box) {
  for (HWND button : ChildrenOf(box, L"Button")) {
    if (GetDlgCtrlID(button) == IDOK) {
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(button));
      return;
    }
  }
  ADD_FAILURE() << "the box has no OK button";
}

// The texts of a message box: caption, then its labels, and whether it shows an icon.
struct BoxTexts {
  std::wstring caption;
  std::vector<std::wstring> labels;
  bool icon = false;
};
BoxTexts TextsOf(HWND box) {
  BoxTexts texts{TextOf(box), {}, false};
  for (HWND label : ChildrenOf(box, L"Static")) {
    const bool iconControl = (GetWindowLongPtrW(label, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
    if (iconControl && SendMessageW(label, STM_GETICON, 0, 0) != 0) texts.icon = true;
    if (const std::wstring text = TextOf(label); !text.empty()) texts.labels.push_back(text);
  }
  return texts;
}

// What the refusal box shows: caption, message, buttons; and where it stands.
void ExpectRefusalBox(HWND box) {
  const BoxTexts texts = TextsOf(box);
  EXPECT_EQ(texts.caption, L"Velmo Clipboard");
  EXPECT_EQ(texts.labels, std::vector<std::wstring>{kRefusalText});
  EXPECT_FALSE(texts.icon);
  std::vector<std::wstring> buttons;
  for (HWND button : ChildrenOf(box, L"Button")) buttons.push_back(TextOf(button));
  EXPECT_EQ(buttons, std::vector<std::wstring>{L"OK"});
  RECT rect{};
  GetWindowRect(box, &rect);
  EXPECT_NEAR((rect.left + rect.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 8);
  EXPECT_NEAR((rect.top + rect.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 8);
}

void CopyFormattedText(const std::wstring& text) {
  testing_support::ClipboardFill fill;
  const std::string rtf = "{\\rtf1 {\\b formatted}}";
  fill.PutBlock(RegisterClipboardFormatW(L"Rich Text Format"), rtf.c_str(), rtf.size() + 1);
  fill.PutBlock(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

std::vector<DWORD> Ids(std::initializer_list<const Copy*> copies) {
  std::vector<DWORD> ids;
  for (const Copy* copy : copies) ids.push_back(copy->Id());
  return ids;
}

TEST(SingleInstance, LaterStartsOfTheSameFileInAnyLetterCaseAreRefusedAndEndWithExitCodeZero) {
  const std::wstring path = ProgramPath();
  std::wstring upperCase = path;
  CharUpperBuffW(upperCase.data(), static_cast<DWORD>(upperCase.size()));
  ASSERT_NE(upperCase, path);
  Copy first(path);
  ASSERT_TRUE(first.WaitUntilRunning());
  EXPECT_EQ(TableOf(path), Ids({&first}));

  Copy second(path);
  HWND secondBox = second.WaitForBox();
  ASSERT_NE(secondBox, nullptr);
  ExpectRefusalBox(secondBox);
  // A third start while the second still shows its box is refused as well, also when its
  // path differs in letter case.
  Copy third(upperCase);
  HWND thirdBox = third.WaitForBox();
  ASSERT_NE(thirdBox, nullptr);
  EXPECT_EQ(TableOf(path), Ids({&first, &second, &third}));

  PressOk(secondBox);
  ASSERT_TRUE(second.EndsWithin(kEndTimeoutMs));
  EXPECT_EQ(second.ExitCode(), 0u);
  EXPECT_EQ(GetForegroundWindow(), first.ApplicationWindow());
  PressOk(thirdBox);
  ASSERT_TRUE(third.EndsWithin(kEndTimeoutMs));
  EXPECT_EQ(third.ExitCode(), 0u);

  EXPECT_TRUE(first.Running());
  EXPECT_EQ(TableOf(path), Ids({&first}));
  EXPECT_TRUE(first.EndNormally());
  EXPECT_EQ(TableOf(path), std::nullopt);
}

// A copy of the program file in a folder of its own under the build tree, removed afterwards.
class ProgramCopy {
 public:
  ProgramCopy() {
    folder_ = testing_support::ProgramFolder() + L"single-instance-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder_.c_str(), nullptr);
    path_ = folder_ + L"\\VelmoClipboard.exe";
    copied_ = CopyFileW(ProgramPath().c_str(), path_.c_str(), FALSE) != FALSE;
  }
  ~ProgramCopy() {
    DeleteFileW(path_.c_str());
    RemoveDirectoryW(folder_.c_str());
  }
  ProgramCopy(const ProgramCopy&) = delete;
  ProgramCopy& operator=(const ProgramCopy&) = delete;
  [[nodiscard]] const std::wstring& Path() const { return path_; }
  [[nodiscard]] bool Copied() const { return copied_; }

 private:
  std::wstring folder_;
  std::wstring path_;
  bool copied_ = false;
};

TEST(SingleInstance, CopyOfTheFileInAnotherFolderRunsBeside) {
  const ProgramCopy other;  // outlives the copies started from it
  ASSERT_TRUE(other.Copied());
  const std::wstring path = ProgramPath();
  Copy first(path);
  ASSERT_TRUE(first.WaitUntilRunning());
  Copy beside(other.Path());
  ASSERT_TRUE(beside.WaitUntilRunning());
  EXPECT_TRUE(first.Running());
  EXPECT_EQ(TableOf(path), Ids({&first}));
  EXPECT_EQ(TableOf(other.Path()), Ids({&beside}));
  EXPECT_TRUE(beside.EndNormally());
  EXPECT_TRUE(first.EndNormally());
}

// One round of ten copies started together: exactly one survives, heads the clipboard viewer
// chain (the refused ones never touched it) and reacts to a copy.
void StartTenTogether(const std::wstring& path) {
  std::vector<std::unique_ptr<Copy>> copies;
  {
    // Holding the registry's lock stops every copy on its way into the table, so all ten
    // reach it together however the system schedules their starts; but not for as long as a
    // copy waits for the lock before it gives up with an error.
    shell::TJclOptex optex(shell::TJclAppInstances::BaseNameFor(path) + L"_Otx");
    const shell::OptexLock lock(optex);
    const ULONGLONG start = GetTickCount64();
    for (int i = 0; i < 10; ++i) copies.push_back(std::make_unique<Copy>(path));
    const DWORD heldMs = static_cast<DWORD>(GetTickCount64() - start);
    // Half the lock's limit at most: the copies queue for the lock after it, one at a time.
    const DWORD limitMs = shell::TJclOptex::kAcquireTimeoutMs / 2;
    PumpUntil([&] { return std::ranges::all_of(copies, [](const auto& copy) { return copy->MainWindow(); }); },
              limitMs > heldMs ? limitMs - heldMs : 0);
    testing_support::PumpFor(300);
  }
  const auto ended = [&] {
    return std::ranges::count_if(copies, [](const std::unique_ptr<Copy>& copy) { return !copy->Running(); });
  };
  ASSERT_TRUE(PumpUntil(
      [&] {
        for (const auto& copy : copies) {
          if (HWND box = copy->Running() ? copy->Box() : nullptr) PressOk(box);
        }
        return ended() >= 9;
      },
      60000));
  ASSERT_EQ(ended(), 9);
  const auto survivor = std::ranges::find_if(copies, [](const std::unique_ptr<Copy>& copy) { return copy->Running(); });
  ASSERT_NE(survivor, copies.end());
  for (const auto& copy : copies) {
    if (copy != *survivor) {
      EXPECT_EQ(copy->ExitCode(), 0u);
    }
  }
  ASSERT_TRUE((*survivor)->WaitUntilRunning());
  EXPECT_EQ(TableOf(path), Ids({survivor->get()}));
  EXPECT_TRUE((*survivor)->HeadsViewerChain());
  CopyFormattedText(L"are you listening");
  HWND menu = nullptr;
  EXPECT_TRUE(PumpUntil([&] { return (menu = (*survivor)->Menu()) != nullptr; }, 5000)) << "the survivor is deaf";
  if (menu) PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE((*survivor)->EndNormally());
}

TEST(SingleInstance, TenCopiesStartedTogetherLeaveOneRunningThatHearsTheClipboard) {
  const std::wstring path = ProgramPath();
  for (int round = 1; round <= 5; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    StartTenTogether(path);
    if (HasFatalFailure()) return;
  }
}

TEST(SingleInstance, KilledCopyDoesNotStopTheNextStart) {
  const std::wstring path = ProgramPath();
  Copy killed(path);
  ASSERT_TRUE(killed.WaitUntilRunning());
  killed.Kill();
  Copy next(path);
  ASSERT_TRUE(next.WaitUntilRunning());
  EXPECT_EQ(TableOf(path), Ids({&next}));
  EXPECT_TRUE(next.EndNormally());
}

TEST(SingleInstance, KilledCopyLeftInTheTableDoesNotRefuseTheNextStart) {
  const std::wstring path = ProgramPath();
  Copy killed(path);
  ASSERT_TRUE(killed.WaitUntilRunning());
  // Held as another copy would hold it, the table keeps the killed copy's entry.
  const std::wstring tableName = shell::TJclAppInstances::BaseNameFor(path) + L"_Map";
  const ui::UniqueKernelHandle table(OpenFileMappingW(FILE_MAP_READ, FALSE, tableName.c_str()));
  ASSERT_TRUE(table);
  killed.Kill();
  EXPECT_EQ(TableOf(path), Ids({&killed}));
  Copy next(path);
  ASSERT_TRUE(next.WaitUntilRunning());
  EXPECT_TRUE(next.EndNormally());
}

TEST(SingleInstance, TableFullOfCopiesThatAreGoneStillLetsOneRunAndRefusesTheNext) {
  const std::wstring path = ProgramPath();
  const std::wstring base = shell::TJclAppInstances::BaseNameFor(path);
  // Held open here as by a copy that outlived the killed ones; full as the room (257) or as
  // a count field written beyond it says.
  for (const std::uint16_t countField : {std::uint16_t{shell::instance_table::kCapacity}, std::uint16_t{65535}}) {
    SCOPED_TRACE("count field " + std::to_string(countField));
    const ui::UniqueKernelHandle mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                            shell::instance_table::kSize, (base + L"_Map").c_str()));
    const ui::UniqueMappedView view(
        mapping ? MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, shell::instance_table::kSize) : nullptr);
    ASSERT_TRUE(view);
    {
      shell::TJclOptex optex(base + L"_Otx");
      const shell::OptexLock lock(optex);
      auto* bytes = static_cast<std::uint8_t*>(view.get());
      const shell::instance_table::Block table(bytes, shell::instance_table::kSize);
      std::ranges::fill(table, std::uint8_t{0});
      // Ids of no running process: far above any that Windows or Wine gives out.
      for (std::uint32_t i = 0; i < shell::instance_table::kCapacity; ++i)
        shell::instance_table::Join(table, 65535, 0x7FFF0000u + 4 * i);
      bytes[2] = static_cast<std::uint8_t>(countField & 0xFFu);
      bytes[3] = static_cast<std::uint8_t>(countField >> 8);
    }
    Copy first(path);
    ASSERT_TRUE(first.WaitUntilRunning());
    EXPECT_EQ(TableOf(path), Ids({&first}));
    Copy second(path);
    HWND box = second.WaitForBox();
    ASSERT_NE(box, nullptr) << "the second start was not refused";
    ExpectRefusalBox(box);
    PressOk(box);
    ASSERT_TRUE(second.EndsWithin(kEndTimeoutMs));
    EXPECT_EQ(second.ExitCode(), 0u);
    EXPECT_EQ(TableOf(path), Ids({&first}));
    EXPECT_TRUE(first.EndNormally());
  }
}

TEST(SingleInstance, StartBlockedByALockWhoseOwnerIsGoneEndsWithAnError) {
  const std::wstring path = ProgramPath();
  // The registry lock's block as a copy that died holding it leaves it: counted in once,
  // owned by a thread that does not exist.
  const std::wstring blockName = L"Optex_MMF_" + shell::TJclAppInstances::BaseNameFor(path) + L"_Otx";
  const ui::UniqueKernelHandle block(
      CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4 * sizeof(LONG), blockName.c_str()));
  const ui::UniqueMappedView view(block ? MapViewOfFile(block.get(), FILE_MAP_WRITE, 0, 0, 4 * sizeof(LONG)) : nullptr);
  ASSERT_TRUE(view);
  auto* fields = static_cast<volatile LONG*>(view.get());
  fields[1] = 1;       // lock count
  fields[2] = 0x4242;  // owner thread
  Copy blocked(path);
  // The error is shown in a box before the program ends.
  HWND box = blocked.WaitForBox();
  ASSERT_NE(box, nullptr) << "the program hung or ended without a word";
  const BoxTexts texts = TextsOf(box);
  ASSERT_EQ(texts.labels.size(), 1u);
  EXPECT_EQ(texts.labels[0].rfind(L"Failed to acquire lock\r\nWin32: ", 0), 0u);
  PressOk(box);
  ASSERT_TRUE(blocked.EndsWithin(kEndTimeoutMs));
  EXPECT_NE(blocked.ExitCode(), 0u);
}

TEST(SingleInstance, AStartRightAfterExitAlwaysRuns) {
  const std::wstring path = ProgramPath();
  auto current = std::make_unique<Copy>(path);
  ASSERT_TRUE(current->WaitUntilRunning());
  for (int round = 1; round <= 5; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    current->ChooseExit();
    auto next = std::make_unique<Copy>(path);
    ASSERT_TRUE(current->EndsWithin(kEndTimeoutMs));
    EXPECT_EQ(current->ExitCode(), 0u);
    ASSERT_TRUE(next->WaitUntilRunning()) << "the start right after Exit was refused";
    current = std::move(next);
  }
  EXPECT_TRUE(current->EndNormally());
}

TEST(SingleInstance, ClipboardChangesFloodingInDuringExitOpenNothingAndCrashNothing) {
  const std::wstring path = ProgramPath();
  for (int round = 1; round <= 3; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    Copy copy(path);
    ASSERT_TRUE(copy.WaitUntilRunning());
    copy.ChooseExit();
    std::atomic<bool> stop{false};
    std::thread flood([&stop] {
      while (!stop) {
        CopyFormattedText(L"flood");
        Sleep(1);
      }
    });
    bool menuDuringExit = false;
    PumpUntil(
        [&] {
          menuDuringExit = menuDuringExit || copy.Menu();
          return !copy.Running();
        },
        kEndTimeoutMs);
    stop = true;
    flood.join();
    EXPECT_FALSE(copy.Running());
    EXPECT_EQ(copy.ExitCode(), 0u) << "the program did not end cleanly";
    EXPECT_FALSE(menuDuringExit) << "a clipboard change after Exit opened a menu";
  }
}

// A named object that stands where the registry needs one of its own.
struct Squatter {
  std::wstring name;
  bool asEvent;
  std::wstring firstLine;
};

TEST(SingleInstance, StartUpErrorsAreShownAndEndTheRunWithANonZeroCode) {
  const std::wstring path = ProgramPath();
  const std::wstring base = shell::TJclAppInstances::BaseNameFor(path);
  const Squatter squatters[] = {
      {L"Optex_MMF_" + base + L"_Otx", false, L"Failed to create FileMapping"},
      {base + L"_Map", true, L"Failed to create FileMapping"},
      {L"Optex_Event_" + base + L"_Otx", false, L"Failed to create event"},
  };
  for (const Squatter& squatter : squatters) {
    SCOPED_TRACE(std::string(squatter.name.begin(), squatter.name.end()));
    const ui::UniqueKernelHandle taken(squatter.asEvent ? CreateEventW(nullptr, TRUE, FALSE, squatter.name.c_str())
                                                        : CreateMutexW(nullptr, FALSE, squatter.name.c_str()));
    ASSERT_TRUE(taken);
    Copy failing(path);
    HWND box = failing.WaitForBox();
    ASSERT_NE(box, nullptr) << "the program ended without a word";
    const BoxTexts texts = TextsOf(box);
    EXPECT_EQ(texts.caption, L"Velmo Clipboard");
    EXPECT_TRUE(texts.icon);
    ASSERT_EQ(texts.labels.size(), 1u);
    EXPECT_EQ(texts.labels[0].rfind(squatter.firstLine + L"\r\nWin32: ", 0), 0u);
    PressOk(box);
    ASSERT_TRUE(failing.EndsWithin(kEndTimeoutMs));
    EXPECT_NE(failing.ExitCode(), 0u);
  }
}

// Stands in the table like a copy, with a guard-class window, and keeps what reaches it.
class Listener {
 public:
  explicit Listener(const std::wstring& programPath)
      : registry_(programPath),
        window_(
            ui::AllocateHWnd(this, &ui::MessageThunk<Listener, &Listener::WndProc>, shell::kAppInstancesWindowClass)) {
    registry_.JoinRegistry(65535);
  }
  struct Received {
    ULONG_PTR kind;
    std::wstring text;
    DWORD senderProcess;
  };
  [[nodiscard]] const std::vector<Received>& Data() const { return received_; }

 private:
  void WndProc(ui::TMessage& message) {
    if (message.Msg == WM_COPYDATA && message.LParam != 0) {
      const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(message.LParam);
      std::wstring text(copy->cbData / sizeof(wchar_t), L'\0');
      if (!text.empty()) std::memcpy(text.data(), copy->lpData, text.size() * sizeof(wchar_t));
      DWORD sender = 0;
      GetWindowThreadProcessId(reinterpret_cast<HWND>(message.WParam), &sender);
      received_.push_back({copy->dwData, text, sender});
      message.Result = 1;
      return;
    }
    message.Result = DefWindowProcW(message.Window, message.Msg, message.WParam, message.LParam);
  }

  shell::TJclAppInstances registry_;
  ui::UniqueWindow window_;
  std::vector<Received> received_;
};

TEST(SingleInstance, ArgumentsOfRefusedStartReachTheRunningCopyAndChangeNothing) {
  const std::wstring path = ProgramPath();
  Copy first(path);
  ASSERT_TRUE(first.WaitUntilRunning());
  Listener listener(path);
  const DWORD listenerId = GetCurrentProcessId();
  {
    Copy refused(path, L"a \"b c\"");
    HWND box = refused.WaitForBox();  // pumps, so the listener answers the refused copy's query
    ASSERT_NE(box, nullptr);
    PressOk(box);
    ASSERT_TRUE(PumpUntil([&] { return !refused.Running(); }, kEndTimeoutMs));
    EXPECT_EQ(refused.ExitCode(), 0u);
    ASSERT_EQ(listener.Data().size(), 1u);
    EXPECT_EQ(listener.Data()[0].kind, shell::kCommandLineData);
    EXPECT_EQ(listener.Data()[0].text, L"a\r\nb c\r\n");
    EXPECT_EQ(listener.Data()[0].senderProcess, refused.Id());
  }
  EXPECT_TRUE(first.Running());
  EXPECT_FALSE(IsWindowVisible(first.MainWindow()));
  EXPECT_EQ(first.Box(), nullptr);
  EXPECT_EQ(TableOf(path), (std::vector<DWORD>{first.Id(), listenerId}));
}

}  // namespace
