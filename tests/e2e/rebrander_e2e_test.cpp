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
#include "tests/support/temp_dir.h"
#include "tests/ui/expected_windows.h"
#include "tools/mkebook/ebook_package.h"
#include "tools/mkrebrander/stamp.h"
#include "ui/framework/property_sheet.h"
#include "ui/win32/win32_user_interface.h"

// Last: <windows.h> makes macros of names the headers above declare.
#include <windows.h>
// clang-format off
#include <commctrl.h>
// clang-format on

namespace {

using Kind = res::ControlKind;
using testing_support::ReadFileBytes;

constexpr char kTitle[] = "E2E Book & Co";
// The status static takes '&' for a mnemonic: the text it holds doubles it, so
// that one '&' shows.
constexpr char kBeforeHeld[] = "Press Customize && make it yours.";
constexpr char kAfter[] = "Customized.";
using res::IDC_CUSTOMIZE, res::IDC_PROMPT, res::IDC_STATUS, res::IDC_VALUE, res::IDC_VIEW_EBOOK;
using ui::ID_WIZBACK, ui::ID_WIZFINISH, ui::ID_WIZNEXT;

// The build's paths are Linux paths; Wine sees the root as drive Z:.
platform::Path FromBuild(const char* path) {
  std::string windows = path[0] == '/' ? std::string("Z:") + path : path;
  for (char& c : windows) c = c == '/' ? '\\' : c;
  return platform::PathFromUtf8(windows);
}

// Where the rebrander and its E-Book lie and what they are called (UTF-8).
// Under code page 932 the second byte of "表" (95 5C) is a backslash; else
// Cyrillic and CJK together, which no single-byte code page holds.
struct Place {
  const char *folder, *rebrander, *ebook;
};
const Place kPlace = GetACP() == 932 ? Place{"表 books & more", "表.exe", "本表.exe"}
                                     : Place{"Книга 本 & more", "rebrander.exe", "book.exe"};

// Polls `found` until it returns a window or 30 seconds have passed.
HWND WaitFor(const std::function<HWND()>& found) {
  for (const ULONGLONG deadline = GetTickCount64() + 30000; GetTickCount64() < deadline;
       Sleep(20)) {
    if (HWND window = found()) return window;
  }
  return nullptr;
}
void WaitGone(HWND window) {
  WaitFor([&] { return IsWindow(window) ? nullptr : window; });
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
    package.table.Add(ebook_testing::Variable("edition", "Edition", "first", 0, 0));
    package.table.Add(ebook_testing::Variable("dedication", "Dedication:", "For you", 1, 3));
    package.table.Add(ebook_testing::Variable("author", "Author:", "Me", 1, 1));
    std::string error;
    ASSERT_TRUE(packing::PackEBook(platform::Utf8FromPath(FromBuild(SAMPLE_EBOOK_EXE)), package,
                                   platform::Utf8FromPath(ebook), error))
        << error;
    formats::CInfoBlock info;
    // The stamp's name is a text in the code page, like every other.
    info.m_strEBookFile = platform::TextFromPath(platform::PathFromUtf8(kPlace.ebook));
    if (GetACP() == 932) {
      ASSERT_NE(info.m_strEBookFile.find('\\'), std::string::npos);
    }
    info.m_strEBookId = "E2E Book 1";
    info.m_strTitle = kTitle;
    info.m_strStatusBefore = "Press Customize & make it yours.";
    info.m_strStatusAfter = kAfter;
    ASSERT_TRUE(stamping::StampRebrander(platform::Utf8FromPath(FromBuild(REBRANDER_EXE)),
                                         platform::Utf8FromPath(At(kPlace.rebrander)), info, 4,
                                         error))
        << error;
    original = ReadFileBytes(ebook);
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
  void Launch(const char* name) {
    std::wstring path = At(name), commandLine = L"\"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    EXPECT_TRUE(CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                               nullptr, nullptr, &startup, &process));
  }
  // Signs the stamped rebrander as a publisher would, with a certificate made
  // here, by the host's tools, which Wine starts but cannot wait for: the
  // signed program appears by a rename once it is whole, or "failed" does.
  // Beside the folder, whose name those tools need not take.
  void SignRebrander() {
    ASSERT_TRUE(MoveFileW(At(kPlace.rebrander).c_str(), dir.File("unsigned.exe").c_str()));
    // In the folder given for the current one.
    std::wstring commandLine =
        L"/bin/sh -c \"{ openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=Publisher "
        L"-keyout key.pem -out cert.pem && osslsigncode sign -certs cert.pem -key key.pem -in "
        L"unsigned.exe -out signing.exe && mv signing.exe signed.exe || touch failed; } "
        L">/dev/null 2>&1\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION host{};
    ASSERT_TRUE(CreateProcessW(L"Z:\\bin\\sh", commandLine.data(), nullptr, nullptr, FALSE, 0,
                               nullptr, dir.Path().c_str(), &startup, &host));
    CloseHandle(host.hThread);
    CloseHandle(host.hProcess);
    const auto there = [&](const char* name) {
      return GetFileAttributesW(dir.File(name).c_str()) != INVALID_FILE_ATTRIBUTES;
    };
    WaitFor([&] { return there("signed.exe") || there("failed") ? HWND_TOP : nullptr; });
    ASSERT_TRUE(MoveFileW(dir.File("signed.exe").c_str(), At(kPlace.rebrander).c_str()))
        << "not signed";
  }
  // The next message box, owned by the main window: its text, closed with OK.
  std::string AnswerMessage(const char* caption = kTitle) {
    HWND box = WaitFor([&] { return FindTopLevel(process.dwProcessId, caption, true); });
    EXPECT_EQ(main ? GetWindow(box, GW_OWNER) : main, main);
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
    if (value)
      SendDlgItemMessageA(Page(sheet), IDC_VALUE, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value));
    PostMessageA(sheet, PSM_PRESSBUTTON, button, 0);
  }
  // Waits until the buttons that can be pressed (Help and Cancel aside) are as expected.
  void ExpectButtons(HWND sheet, const std::string& expected) {
    std::string usable;
    WaitFor([&] {
      usable.clear();
      for (auto [id, name] : {std::pair{ID_WIZBACK, "back "},
                              {ID_WIZNEXT, "next"},
                              {ID_WIZFINISH, "finish"},
                              {IDHELP, " help"}}) {
        if (IsWindowVisible(GetDlgItem(sheet, id)) && IsWindowEnabled(GetDlgItem(sheet, id)))
          usable += name;
      }
      return usable == expected ? sheet : nullptr;
    });
    EXPECT_EQ(usable, expected);
  }
  bool Exited() { return WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0; }

  testing_support::TempDir dir;
  std::wstring folder = dir.File(kPlace.folder);
  std::wstring ebook = At(kPlace.ebook);
  std::string original;
  PROCESS_INFORMATION process{};
  HWND main = nullptr;
};

// Signed, as a publisher ships it: the main window and both kinds of page as
// their templates say. Cancel
// writes nothing; the wizard run to Finish with Back on the way stores the
// texts in place; View starts the E-Book from a folder whose name no command
// line may split.
TEST_F(RebranderEndToEnd, CustomizeThroughTheWizardStoresTheTextsInPlaceAndViewStartsTheEBook) {
  SignRebrander();
  Launch(kPlace.rebrander);
  main = WaitFor([&] { return FindTopLevel(process.dwProcessId, kTitle, false); });
  ASSERT_NE(main, nullptr);
  // Dialog base units, from the client area of 320 by 200 of them.
  RECT client{};
  GetClientRect(main, &client);
  const SIZE base{client.right / 80, client.bottom / 25};
  ExpectBuiltAs(main, expected_windows::kMain, base);
  EXPECT_EQ(TextOf(GetDlgItem(main, IDC_STATUS)), kBeforeHeld);
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  GetGUIThreadInfo(process.dwThreadId, &thread);
  EXPECT_EQ(GetDlgItem(main, IDC_CUSTOMIZE), thread.hwndFocus) << "focus starts on Customize";
  HMODULE program = LoadLibraryExW(At(kPlace.rebrander).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  EXPECT_NE(nullptr, LoadIconA(program, MAKEINTRESOURCEA(res::IDR_MAINFRAME))) << "the icon";
  FreeLibrary(program);
  for (WPARAM end : {PSBTN_CANCEL, PSBTN_FINISH}) {
    Click(main, IDC_CUSTOMIZE);
    HWND sheet = WizardAt(1, 3);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(GetWindow(sheet, GW_OWNER), main);
    EXPECT_FALSE(IsWindowEnabled(main));
    ExpectButtons(sheet, "next");
    ExpectBuiltAs(Page(sheet), expected_windows::kSingleLinePage, base);
    EXPECT_EQ("Title & subtitle:", TextOf(GetDlgItem(Page(sheet), IDC_PROMPT)));
    EXPECT_EQ("Lanterns", TextOf(GetDlgItem(Page(sheet), IDC_VALUE)));
    if (end == PSBTN_CANCEL) {
      Enter(sheet, "Not kept", PSBTN_CANCEL);
      WaitGone(sheet);
      EXPECT_EQ(FindTopLevel(process.dwProcessId, kTitle, true), nullptr) << "no message";
      EXPECT_EQ(TextOf(GetDlgItem(main, IDC_STATUS)), kBeforeHeld);
      EXPECT_EQ(ReadFileBytes(ebook), original);
      continue;
    }
    Enter(sheet, "A New Title", PSBTN_NEXT);
    ASSERT_EQ(WizardAt(2, 3), sheet);
    ExpectBuiltAs(Page(sheet), expected_windows::kMultiLinePage, base);
    Enter(sheet, "Line one\r\nLine two", PSBTN_NEXT);
    ASSERT_EQ(WizardAt(3, 3), sheet);
    ExpectButtons(sheet, "back finish");
    Enter(sheet, "Someone Else", PSBTN_BACK);  // back and forth keeps what was typed on page 2
    ASSERT_EQ(WizardAt(2, 3), sheet);
    EXPECT_EQ(TextOf(GetDlgItem(Page(sheet), IDC_VALUE)), "Line one\r\nLine two");
    Enter(sheet, nullptr, PSBTN_NEXT);
    ASSERT_EQ(WizardAt(3, 3), sheet);
    ExpectButtons(sheet, "back finish");
    Enter(sheet, nullptr, PSBTN_FINISH);
  }
  EXPECT_EQ(AnswerMessage(), "The E-Book has been successfully customized.");
  EXPECT_EQ(TextOf(GetDlgItem(main, IDC_STATUS)), kAfter);

  Click(main, IDC_VIEW_EBOOK);
  // The E-Book captions its window with its stored title.
  HWND book = WaitFor([] { return FindTopLevel(0, "A New Title", false); });
  ASSERT_NE(book, nullptr) << "the E-Book did not start";
  PostMessageA(book, WM_CLOSE, 0, 0);
  WaitGone(book);
  PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box ends the program
  EXPECT_TRUE(Exited());

  packing::EBookPackage stored;
  std::string error;
  ASSERT_TRUE(packing::LoadPackage(platform::Utf8FromPath(ebook), stored, error)) << error;
  std::vector<std::string> values;
  for (int i = 0; i < stored.table.GetSize(); ++i) values.push_back(stored.table[i].m_strValue);
  EXPECT_EQ(values, (std::vector<std::string>{"A New Title", "first", "Line one\r\nLine two",
                                              "Someone Else"}));
  EXPECT_EQ(1, stored.table.m_bRebranded);
  const size_t tableAt = static_cast<size_t>(stored.trailer.m_nTableOffset);
  EXPECT_EQ(original.substr(0, tableAt), ReadFileBytes(ebook).substr(0, tableAt)) << "in place";
}

// Without its stamp the program says so once, captioned with its own name,
// and ends without showing its main window.
TEST_F(RebranderEndToEnd, UnstampedRebranderShowsTheLoadErrorAndEnds) {
  ASSERT_TRUE(CopyFileW(FromBuild(REBRANDER_EXE).c_str(), At("bare.exe").c_str(), TRUE));
  Launch("bare.exe");
  EXPECT_EQ(AnswerMessage("bare"), formats::kErrorReadingRebrander);
  EXPECT_TRUE(Exited());
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

TEST(Win32UserInterfaceTest, WaitCursorShowsUntilSwitchedOff) {
  ui::win32::CWin32UserInterface userInterface;
  userInterface.SetWaitCursor(true);
  EXPECT_EQ(LoadCursorA(nullptr, IDC_WAIT), GetCursor());
  userInterface.SetWaitCursor(false);
  EXPECT_NE(LoadCursorA(nullptr, IDC_WAIT), GetCursor());
}

}  // namespace
