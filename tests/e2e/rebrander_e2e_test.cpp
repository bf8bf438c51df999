// The real rebrander.exe beside a packed Windows sample E-Book, in a folder
// whose name holds spaces and '&', driven through its real windows: the main
// dialog, the wizard-mode property sheet and the message boxes.
#include <gtest/gtest.h>

#include "tests/core/ebook_fixture.h"
#include "tests/support/temp_dir.h"
#include "tools/mkebook/ebook_package.h"
#include "tools/mkrebrander/stamp.h"

// Last: <windows.h> makes macros of names the headers above declare.
#include "tests/e2e/window_driver.h"

namespace {

using namespace e2e;
using ebook_testing::Variable;
using testing_support::ReadFileBytes;

constexpr char kTitle[] = "E2E Book & Co";
constexpr char kBookTitle[] = "Lanterns";
constexpr char kBefore[] = "Press Customize & make it yours.";
// The status static takes '&' for a mnemonic: the text it holds doubles it, so
// that one '&' shows.
constexpr char kBeforeHeld[] = "Press Customize && make it yours.";
constexpr char kAfter[] = "Customized.";
constexpr int kStatus = 1001, kCustomize = 1002, kView = 1004, kValue = 1006, kPrompt = 1005;
constexpr int kBack = 12323, kNext = 12324, kFinish = 12325, kHelp = 9;
constexpr WPARAM kPressBack = 0, kPressNext = 1, kPressFinish = 2, kPressCancel = 5;
constexpr UINT kPressButton = WM_USER + 113, kCurrentPage = WM_USER + 118;

// The build's paths are Linux paths; Wine sees the root as drive Z:.
std::string FromBuild(const char* path) {
  std::string windows = path[0] == '/' ? std::string("Z:") + path : path;
  for (char& c : windows) c = c == '/' ? '\\' : c;
  return windows;
}

class RebranderEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    packing::EBookPackage package;
    package.trailer.SetId("E2E Book 1");
    package.trailer.m_nVersion = 4;
    package.table.Add(Variable("title", "Title & subtitle:", kBookTitle, 1, 0));
    package.table.Add(Variable("edition", "Edition", "first", 0, 0));
    package.table.Add(Variable("dedication", "Dedication:", "For you", 1, 3));
    package.table.Add(Variable("author", "Author:", "Me", 1, 1));
    std::string error;
    ASSERT_TRUE(packing::PackEBook(FromBuild(SAMPLE_EBOOK_EXE), package, ebook, error)) << error;
    formats::CInfoBlock info;
    info.m_strEBookFile = "book.exe";
    info.m_strEBookId = "E2E Book 1";
    info.m_strTitle = kTitle;
    info.m_strStatusBefore = kBefore;
    info.m_strStatusAfter = kAfter;
    ASSERT_TRUE(stamping::StampRebrander(FromBuild(REBRANDER_EXE), rebrander, info, 4, error))
        << error;
    original = ReadFileBytes(ebook);
  }

  // Starts the rebrander and waits for its main window.
  HWND Start() {
    program = std::make_unique<RunningProgram>(rebrander);
    EXPECT_TRUE(program->Started());
    HWND main = WaitForTopLevel(program->Id(), kTitle, false);
    EXPECT_NE(main, nullptr);
    return main;
  }
  // The next message box, owned by the rebrander's window: its text, closed with OK.
  std::string AnswerMessage() {
    HWND box = WaitForTopLevel(program->Id(), kTitle, true);
    if (!box) return "(no message box)";
    const std::string text = MessageBoxText(box);
    Click(box, IDOK);
    WaitFor([&] { return IsWindow(box) ? nullptr : box; });
    return text;
  }
  void Exit(HWND main) {
    Click(main, IDCANCEL);
    EXPECT_TRUE(program->WaitForExit(kWindowTimeoutMs));
  }

  testing_support::TempDir dir;
  std::string folder = dir.File("my books & more");
  std::string ebook = folder + "\\book.exe";
  std::string rebrander = folder + "\\rebrander.exe";
  std::string original;
  std::unique_ptr<RunningProgram> program;
};

// The wizard, waited for at the given step.
HWND WizardAt(DWORD processId, int step, int of) {
  return WaitForTopLevel(processId, "Step " + std::to_string(step) + " of " + std::to_string(of),
                         true);
}

HWND CurrentPage(HWND sheet) {
  return reinterpret_cast<HWND>(SendMessageA(sheet, kCurrentPage, 0, 0));
}

bool Shown(HWND sheet, int id) {
  HWND button = GetDlgItem(sheet, id);
  return button && IsWindowVisible(button) && IsWindowEnabled(button);
}

TEST_F(RebranderEndToEnd, CustomizeThroughTheWizardStoresTheTextsInPlace) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(ControlText(main, kStatus), kBeforeHeld);
  Click(main, kCustomize);

  HWND sheet = WizardAt(program->Id(), 1, 3);
  ASSERT_NE(sheet, nullptr);
  WaitFor([&] { return Shown(sheet, kNext) ? sheet : nullptr; });
  EXPECT_FALSE(Shown(sheet, kBack));
  EXPECT_FALSE(Shown(sheet, kFinish));
  EXPECT_FALSE(Shown(sheet, kHelp));
  EXPECT_EQ(ControlText(CurrentPage(sheet), kPrompt), "Title & subtitle:");
  EXPECT_EQ(ControlText(CurrentPage(sheet), kValue), kBookTitle);
  SetControlText(CurrentPage(sheet), kValue, "A New Title");
  PostMessageA(sheet, kPressButton, kPressNext, 0);

  ASSERT_EQ(WizardAt(program->Id(), 2, 3), sheet);
  SetControlText(CurrentPage(sheet), kValue, "Line one\r\nLine two");
  PostMessageA(sheet, kPressButton, kPressNext, 0);
  ASSERT_EQ(WizardAt(program->Id(), 3, 3), sheet);
  WaitFor([&] { return Shown(sheet, kFinish) ? sheet : nullptr; });
  EXPECT_TRUE(Shown(sheet, kBack));
  EXPECT_FALSE(Shown(sheet, kNext));
  SetControlText(CurrentPage(sheet), kValue, "Someone Else");
  // Back and forth keeps what was typed on page 2.
  PostMessageA(sheet, kPressButton, kPressBack, 0);
  ASSERT_EQ(WizardAt(program->Id(), 2, 3), sheet);
  EXPECT_EQ(ControlText(CurrentPage(sheet), kValue), "Line one\r\nLine two");
  PostMessageA(sheet, kPressButton, kPressNext, 0);
  ASSERT_EQ(WizardAt(program->Id(), 3, 3), sheet);
  WaitFor([&] { return Shown(sheet, kFinish) ? sheet : nullptr; });
  PostMessageA(sheet, kPressButton, kPressFinish, 0);

  EXPECT_EQ(AnswerMessage(), "The E-Book has been successfully customized.");
  EXPECT_EQ(ControlText(main, kStatus), kAfter);
  Exit(main);

  packing::EBookPackage stored;
  std::string error;
  ASSERT_TRUE(packing::LoadPackage(ebook, stored, error)) << error;
  EXPECT_EQ(stored.table.m_bRebranded, 1);
  const char* values[] = {"A New Title", "first", "Line one\r\nLine two", "Someone Else"};
  ASSERT_EQ(stored.table.GetSize(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(stored.table[i].m_strValue, values[i]);
  const int32_t tableAt = stored.trailer.m_nTableOffset;
  EXPECT_EQ(ReadFileBytes(ebook).substr(0, tableAt), original.substr(0, tableAt));
}

TEST_F(RebranderEndToEnd, CancelWritesNothing) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  Click(main, kCustomize);
  HWND sheet = WizardAt(program->Id(), 1, 3);
  ASSERT_NE(sheet, nullptr);
  SetControlText(CurrentPage(sheet), kValue, "Not kept");
  PostMessageA(sheet, kPressButton, kPressCancel, 0);
  WaitFor([&] { return IsWindow(sheet) ? nullptr : sheet; });
  EXPECT_EQ(FindTopLevel(program->Id(), kTitle, true), nullptr) << "no message";
  EXPECT_EQ(ControlText(main, kStatus), kBeforeHeld);
  Exit(main);
  EXPECT_EQ(ReadFileBytes(ebook), original);
}

TEST_F(RebranderEndToEnd, RunningEBookIsRefusedAfterTheProbeAndViewStartsIt) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  // View starts the E-Book from this folder, whose name no command line may split.
  Click(main, kView);
  HWND book = WaitForTopLevel(0, kBookTitle, false);
  ASSERT_NE(book, nullptr) << "the E-Book did not start";
  EXPECT_EQ(FindTopLevel(program->Id(), kTitle, true), nullptr) << "no message";

  Click(main, kCustomize);  // about five seconds of probing
  EXPECT_EQ(AnswerMessage(),
            "The E-Book is already running. Please close it down before try to customize it.");
  EXPECT_EQ(ControlText(main, kStatus), kBeforeHeld);
  PostMessageA(book, WM_CLOSE, 0, 0);
  WaitFor([&] { return IsWindow(book) ? nullptr : book; });
  Exit(main);
  EXPECT_EQ(ReadFileBytes(ebook), original);
}

}  // namespace
