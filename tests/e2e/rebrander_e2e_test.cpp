// The real rebrander.exe beside a packed Windows sample E-Book, in a folder
// whose name holds spaces, '&' and letters of no one code page (or, under code
// page 932, names whose bytes hold a backslash), driven from outside through its real
// windows as an accessibility tool would: the main dialog, the wizard-mode
// property sheet and the message boxes. Waits are bounded polls for something
// the program is about to do.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "formats/rebrand_info.h"
#include "tests/core/ebook_fixture.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/expected_windows.h"
#include "tools/mkebook/ebook_package.h"
#include "tools/mkrebrander/stamp.h"
#include "ui/win32/win32_user_interface.h"

// Last: <windows.h> makes macros of names the headers above declare.
#include <windows.h>
// clang-format off
#include <commctrl.h>
// clang-format on

namespace {

using Kind = res::ControlKind;

constexpr char kTitle[] = "E2E Book & Co";
// The status static takes '&' for a mnemonic: the text it holds doubles it, so
// that one '&' shows.
constexpr char kBeforeHeld[] = "Press Customize && make it yours.";
using res::IDC_CUSTOMIZE, res::IDC_STATUS, res::IDC_VALUE, res::IDC_VIEW_EBOOK;

// Where the rebrander and its E-Book lie and what they are called (UTF-8).
// Under code page 932 the second byte of "表" (95 5C) is a backslash; else
// Cyrillic and CJK together, which no single-byte code page holds.
struct Place {
  const char *folder, *rebrander, *ebook;
};
const Place kPlace = GetACP() == 932 ? Place{"表 books & more", "表.exe", "本表.exe"}
                                     : Place{"Книга 本 & more", "rebrander.exe", "book.exe"};

// Polls `found` until it returns a window or 30 seconds have passed. After one
// wait has timed out the run has failed, and later waits give up at once: a
// fault costs one timeout, not one for every step left.
bool waitTimedOut = false;
HWND WaitFor(const std::function<HWND()>& found) {
  for (const ULONGLONG deadline = GetTickCount64() + 30000;
       !waitTimedOut && GetTickCount64() < deadline; Sleep(20)) {
    if (HWND window = found()) return window;
  }
  if (!waitTimedOut) ADD_FAILURE() << "a window did not come or go within 30 s";
  waitTimedOut = true;
  return nullptr;
}
void WaitGone(HWND window) {
  WaitFor([&] { return IsWindow(window) ? nullptr : HWND_BOTTOM; });  // any window but none
}

// WM_GETTEXT, which reaches into the other process.
std::string TextOf(HWND window) {
  std::string text(static_cast<size_t>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0)) + 1, '\0');
  text.resize(static_cast<size_t>(
      SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

// A visible top-level window of the process with this exact title, with an
// owner (a message box, the wizard) or without (the main window).
HWND FindTopLevel(DWORD processId, const std::string& title, bool owned) {
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if ((!processId || owner == processId) && IsWindowVisible(w) &&
        (GetWindow(w, GW_OWNER) != nullptr) == owned && TextOf(w) == title) {
      return w;
    }
  }
  return nullptr;
}

// A click on the dialog's push button, posted: the handler may run a modal loop.
void Click(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// x, y, width, height in pixels, from dialog units on base units `base`.
std::vector<int> Pixels(SIZE base, std::vector<int> units) {
  for (size_t i = 0; i < units.size(); ++i)
    units[i] = MulDiv(units[i], i % 2 ? base.cy : base.cx, i % 2 ? 8 : 4);
  return units;
}

// The dialog's controls, in tab order, against what the user must get: class,
// styles, place and, for buttons, text. Texts of the others are the program's.
void ExpectBuiltAs(HWND dialog, const res::DialogTemplate& expected, SIZE base) {
  SCOPED_TRACE(expected.id);
  HWND child = GetWindow(dialog, GW_CHILD);
  for (const res::ControlTemplate& c : expected.controls) {
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(GetDlgCtrlID(child), c.id);
    char name[16] = {};
    GetClassNameA(child, name, sizeof name);
    EXPECT_STREQ(name, c.kind == Kind::Edit     ? "Edit"
                       : c.kind == Kind::Static ? "Static"
                                                : "Button");
    // The dialog manager draws an edit's border as a sunken client edge.
    const bool sunken = c.kind == Kind::Edit && (c.style & WS_BORDER);
    EXPECT_EQ(GetWindowLongA(child, GWL_STYLE),
              static_cast<LONG>(sunken ? c.style & ~WS_BORDER : c.style))
        << c.id;
    EXPECT_EQ((GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0, sunken);
    EXPECT_EQ(c.kind == Kind::PushButton ? TextOf(child) : c.text, c.text);
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ((std::vector<int>{r.left, r.top, r.right - r.left, r.bottom - r.top}),
              Pixels(base, {c.x, c.y, c.width, c.height}))
        << c.id;
    child = GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_EQ(child, nullptr) << "no other controls";
}

class RebranderEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    // The run says which code page it set up; a Wine that ignored it fails here.
    if (const char* expected = std::getenv("REBRANDER_E2E_ACP")) {
      ASSERT_EQ(GetACP(), static_cast<UINT>(std::atoi(expected))) << "the run's code page";
    }
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    packing::EBookPackage package;
    package.trailer.SetId("E2E Book 1");
    package.trailer.m_nVersion = 4;
    package.table.Add(ebook_testing::Variable("title", "Title & subtitle:", "Lanterns", 1, 0));
    package.table.Add(ebook_testing::Variable("dedication", "Dedication:", "For you", 1, 3));
    package.table.Add(ebook_testing::Variable("author", "Author:", "Me", 1, 1));
    std::string error;
    ASSERT_TRUE(packing::PackEBook(testing_support::FromBuild(SAMPLE_EBOOK_EXE), package,
                                   platform::Utf8FromPath(ebook), error))
        << error;
    formats::CInfoBlock info;
    // The stamp's name is a text in the code page, like every other.
    info.m_strEBookFile = platform::TextFromPath(platform::PathFromUtf8(kPlace.ebook));
    info.m_strEBookId = "E2E Book 1";
    info.m_strTitle = kTitle;
    info.m_strStatusBefore = "Press Customize & make it yours.";
    ASSERT_TRUE(stamping::StampRebrander(testing_support::FromBuild(REBRANDER_EXE),
                                         platform::Utf8FromPath(At(kPlace.rebrander)), info, 4,
                                         error))
        << error;
  }
  void TearDown() override {
    if (!process.hProcess) return;
    TerminateProcess(process.hProcess, 1);  // when a check failed midway
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }

  platform::Path At(const char* name) const {
    return folder + L"\\" + platform::PathFromUtf8(name);
  }
  // The next message box, owned by the main window: its text, closed with OK.
  std::string AnswerMessage() {
    HWND box = WaitFor([&] { return FindTopLevel(process.dwProcessId, kTitle, true); });
    EXPECT_EQ(GetWindow(box, GW_OWNER), main);
    std::string text;  // the longest text of its controls, longer than "OK"
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
      if (TextOf(c).size() > text.size()) text = TextOf(c);
    Click(box, IDOK);
    WaitGone(box);
    return text;
  }
  // The wizard, waited for at the given step.
  HWND WizardAt(int step, int of) {
    const std::string title = "Step " + std::to_string(step) + " of " + std::to_string(of);
    return WaitFor([&] { return FindTopLevel(process.dwProcessId, title, true); });
  }
  HWND Page(HWND sheet) {
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
  }
  // Replaces the current page's value, then presses a wizard button.
  void Enter(HWND sheet, const char* value, WPARAM button) {
    SendDlgItemMessageA(Page(sheet), IDC_VALUE, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value));
    PostMessageA(sheet, PSM_PRESSBUTTON, button, 0);
  }

  testing_support::TempDir dir;
  std::wstring folder = dir.File(kPlace.folder);
  std::wstring ebook = At(kPlace.ebook);
  PROCESS_INFORMATION process{};
  HWND main = nullptr;
};

// The main window and the multi-line page as their templates say; the wizard
// run to Finish stores the texts typed into its pages; View starts the E-Book
// from a folder whose name no command line may split.
TEST_F(RebranderEndToEnd, CustomizeThroughTheWizardStoresTheTextsAndViewStartsTheEBook) {
  std::wstring path = At(kPlace.rebrander), commandLine = L"\"" + path + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  ASSERT_TRUE(CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &process));
  main = WaitFor([&] { return FindTopLevel(process.dwProcessId, kTitle, false); });
  ASSERT_NE(main, nullptr);
  // Dialog base units, from the client area of 320 by 200 of them.
  RECT client{};
  GetClientRect(main, &client);
  const SIZE base{client.right / 80, client.bottom / 25};
  ExpectBuiltAs(main, expected_windows::kMain, base);
  EXPECT_EQ(TextOf(GetDlgItem(main, IDC_STATUS)), kBeforeHeld);
  Click(main, IDC_CUSTOMIZE);
  HWND sheet = WizardAt(1, 3);
  ASSERT_NE(sheet, nullptr);
  Enter(sheet, "A New Title", PSBTN_NEXT);
  ASSERT_EQ(WizardAt(2, 3), sheet);
  ExpectBuiltAs(Page(sheet), expected_windows::kMultiLinePage, base);
  Enter(sheet, "Line one\r\nLine two", PSBTN_NEXT);
  ASSERT_EQ(WizardAt(3, 3), sheet);
  Enter(sheet, "Someone Else", PSBTN_FINISH);
  EXPECT_EQ(AnswerMessage(), "The E-Book has been successfully customized.");

  Click(main, IDC_VIEW_EBOOK);
  // The E-Book captions its window with its stored title.
  HWND book = WaitFor([] { return FindTopLevel(0, "A New Title", false); });
  ASSERT_NE(book, nullptr) << "the E-Book did not start";
  PostMessageA(book, WM_CLOSE, 0, 0);
  WaitGone(book);
  PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box ends the program
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0) << "still running";

  packing::EBookPackage stored;
  std::string error;
  ASSERT_TRUE(packing::LoadPackage(platform::Utf8FromPath(ebook), stored, error)) << error;
  std::vector<std::string> values;
  for (int i = 0; i < stored.table.GetSize(); ++i) values.push_back(stored.table[i].m_strValue);
  EXPECT_EQ(values,
            (std::vector<std::string>{"A New Title", "Line one\r\nLine two", "Someone Else"}));
}

// This process's own message boxes carry the icon asked for.
HICON g_shownIcon = nullptr;
TEST(Win32UserInterfaceTest, MessageBoxesCarryTheIconAskedFor) {
  ui::win32::CWin32UserInterface userInterface;
  platform::SetUserInterface(&userInterface);
  platform::SetApplicationName("Box");
  for (const auto& [icon, expected] :
       {std::pair{platform::MessageIcon::Exclamation, IDI_EXCLAMATION},
        {platform::MessageIcon::Information, IDI_INFORMATION}}) {
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
      if (HWND box = FindTopLevel(GetCurrentProcessId(), "Box", false)) {
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
          if ((GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            g_shownIcon = reinterpret_cast<HICON>(SendMessageA(c, STM_GETICON, 0, 0));
        }
        PostMessageA(box, WM_COMMAND, IDOK, 0);
      }
    });
    platform::AfxMessageBox("text", icon);
    KillTimer(nullptr, timer);
    EXPECT_EQ(g_shownIcon, LoadIconA(nullptr, expected));
  }
  platform::SetUserInterface(nullptr);
}

}  // namespace
