// The Win32 backend under real windows: a dialog and a wizard built from the
// program's templates, driven by keyboard and mouse input.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/user_interface.h"
#include "res/dialog_template.h"
#include "tests/ui_win32/script.h"
#include "tests/ui_win32/window_checks.h"
#include "ui/win32/run_application.h"
#include "ui/win32/win32_api.h"

using namespace ui_test;

namespace {

constexpr char kAppName[] = "Sample & Book";
unsigned g_lingerMs = 0;

HWND Hwnd(const ui::CWnd& window) {
  return ui::win32::ToHwnd(window.GetSafeHwnd());
}

std::string Join(const std::vector<int>& values) {
  std::string text;
  // Appended piece by piece: GCC 12 warns wrongly about a prefixed string (-Wrestrict).
  for (const int value : values) {
    if (!text.empty()) text += ',';
    text += std::to_string(value);
  }
  return text;
}

// A wizard page as the program makes them: buttons by position, the prompt
// on every activation, the value copied out on Next and Finish.
class CTestPage : public ui::CPropertyPage {
 public:
  CTestPage(ui::CPropertySheet& sheet, int templateId, int index, int count, std::string value)
      : CPropertyPage(templateId),
        m_strValue(std::move(value)),
        m_pSheet(&sheet),
        m_nIndex(index),
        m_nCount(count) {
    std::snprintf(m_szTitle, sizeof(m_szTitle), "Step %d of %d", index + 1, count);
    m_psp.dwFlags &= ~PSP_HASHELP;
    m_psp.dwFlags |= PSP_USETITLE;
    m_psp.pszTitle = m_szTitle;
  }

  bool OnSetActive() override {
    uint32_t buttons = m_nIndex > 0 ? PSWIZB_BACK : 0;
    buttons |= m_nIndex + 1 == m_nCount ? PSWIZB_FINISH : PSWIZB_NEXT;
    m_pSheet->PostWizardButtons(buttons);
    m_stcPrompt.SetWindowText("Prompt & more");
    return CPropertyPage::OnSetActive();
  }
  int OnWizardBack() override {
    ++m_nBacks;
    return CPropertyPage::OnWizardBack();
  }
  int OnWizardNext() override {
    m_strValue = m_edtValue.GetWindowText();
    return CPropertyPage::OnWizardNext();
  }
  bool OnWizardFinish() override {
    m_strValue = m_edtValue.GetWindowText();
    return CPropertyPage::OnWizardFinish();
  }

  ui::CEdit m_edtValue;
  ui::CStatic m_stcPrompt;
  std::string m_strValue;
  int m_nInits = 0;
  int m_nBacks = 0;

 protected:
  void DoDataExchange() override {
    DDX_Control(res::IDC_VALUE, m_edtValue);
    DDX_Control(res::IDC_PROMPT, m_stcPrompt);
  }
  bool OnInitDialog() override {
    CPropertyPage::OnInitDialog();
    ++m_nInits;
    CheckBuiltFromTemplate(Hwnd(*this), res::GetDialogTemplate(GetTemplateId()));
    m_edtValue.SetWindowText(m_strValue);
    return true;
  }

 private:
  ui::CPropertySheet* m_pSheet;
  int m_nIndex;
  int m_nCount;
  char m_szTitle[256];
};

struct TestWizard {
  TestWizard() {
    sheet.AddPage(&first);
    sheet.AddPage(&second);
    sheet.m_psh.dwFlags |= PSH_WIZARD;
    sheet.m_psh.dwFlags &= ~PSH_HASHELP;
  }
  ui::CPropertySheet sheet{"Customize"};
  CTestPage first{sheet, res::IDD_SINGLELINE_PAGE, 0, 2, "first"};
  CTestPage second{sheet, res::IDD_MULTILINE_PAGE, 1, 2, "second"};
};
TestWizard* g_wizard = nullptr;

// The main window as the program makes it, on template 102.
class CTestDialog : public ui::CDialog {
 public:
  CTestDialog() : CDialog(res::IDD_REBRAND_DIALOG) {}

  ui::IconHandle m_hIcon = ui::AfxGetApp()->LoadIcon(res::IDR_MAINFRAME);
  bool m_bEndInInit = false;
  std::function<void(int)> m_onClick;
  std::vector<int> m_commands;
  int m_nPaints = 0;
  ui::CStatic m_stcStatus;

 protected:
  void DoDataExchange() override { DDX_Control(res::IDC_STATUS, m_stcStatus); }
  bool OnInitDialog() override {
    CDialog::OnInitDialog();
    CheckBuiltFromTemplate(Hwnd(*this), res::GetDialogTemplate(GetTemplateId()));
    CheckEqual(Hwnd(m_stcStatus), GetDlgItem(Hwnd(*this), res::IDC_STATUS), "status bound");
    SetIcon(m_hIcon, true);
    SetIcon(m_hIcon, false);
    SetWindowText(kAppName);
    m_stcStatus.SetWindowText("Line one\r\nline two");
    CheckEqual(m_stcStatus.GetWindowText(), "Line one\r\nline two", "status text");
    if (m_bEndInInit) EndDialog(IDCANCEL);
    return true;
  }
  void OnCommand(int id) override {
    m_commands.push_back(id);
    if (m_onClick) m_onClick(id);
    CDialog::OnCommand(id);
  }
  void OnPaint() override {
    ++m_nPaints;
    CDialog::OnPaint();
  }
  ui::IconHandle OnQueryDragIcon() override { return m_hIcon; }
};

HWND SheetButton(int id) {
  return GetDlgItem(Hwnd(g_wizard->sheet), id);
}

bool Current(const CTestPage& page) {
  return g_wizard && Shown(Hwnd(g_wizard->sheet)) && g_wizard->sheet.GetActivePage() == &page;
}

void CheckWizardFrame(const std::string& title, bool back, bool next, bool finish) {
  const HWND sheet = Hwnd(g_wizard->sheet);
  CheckEqual(TextOf(sheet), title, "wizard title");
  CheckEqual(IsWindowEnabled(SheetButton(ui::ID_WIZBACK)) != FALSE, back, title + ": Back enabled");
  CheckEqual(Usable(SheetButton(ui::ID_WIZNEXT)), next, title + ": Next offered");
  CheckEqual(Usable(SheetButton(ui::ID_WIZFINISH)), finish, title + ": Finish offered");
  Check(Usable(SheetButton(IDCANCEL)), title + ": Cancel offered");
  Check(!Shown(SheetButton(IDHELP)), title + ": no Help button");
}

// Edits as the user does: focus, caret at the end, typing.
void TypeAtEnd(ui::CEdit& edit, const std::string& text) {
  edit.SetFocus();
  PressKey(VK_END);
  Type(text);
}

void AddFinishedWizard(Script& script, const ui::CWnd& mainWindow) {
  script
      .Then(
          "wizard on page 1", [] { return Current(g_wizard->first); },
          [&mainWindow] {
            CheckWizardFrame("Step 1 of 2", false, true, false);
            CheckEqual(GetWindow(Hwnd(g_wizard->sheet), GW_OWNER), Hwnd(mainWindow),
                       "wizard owner");
            Check(!IsWindowEnabled(Hwnd(mainWindow)), "main window disabled under the wizard");
            CheckEqual(g_wizard->first.m_stcPrompt.GetWindowText(), "Prompt & more", "prompt");
            TypeAtEnd(g_wizard->first.m_edtValue, " typed");
            PressKey(VK_RETURN);  // Next is the default button
          })
      .Then(
          "Next to page 2", [] { return Current(g_wizard->second); },
          [] {
            CheckWizardFrame("Step 2 of 2", true, false, true);
            CheckEqual(g_wizard->first.m_strValue, "first typed", "page 1 value after Next");
            TypeAtEnd(g_wizard->second.m_edtValue, "");
            PressKey(VK_RETURN);  // a new line, not Finish
            Type("line");
          })
      .Then(
          "a second line typed on page 2",
          [] { return g_wizard->second.m_edtValue.GetWindowText() == "second\r\nline"; },
          [] { Click(SheetButton(ui::ID_WIZBACK)); })
      .Then(
          "Back to page 1", [] { return Current(g_wizard->first); },
          [] {
            CheckWizardFrame("Step 1 of 2", false, true, false);
            CheckEqual(g_wizard->first.m_edtValue.GetWindowText(), "first typed", "page 1 kept");
            PressAlt('N');
          })
      .Then(
          "Next to page 2 again", [] { return Current(g_wizard->second); },
          [] {
            CheckEqual(g_wizard->second.m_edtValue.GetWindowText(), "second\r\nline",
                       "page 2 kept its text");
            Click(SheetButton(ui::ID_WIZFINISH));
          });
}

void AddCancelledWizard(Script& script) {
  script.Then(
      "wizard on page 1 again", [] { return Current(g_wizard->first); },
      [] {
        Click(SheetButton(ui::ID_WIZBACK));  // disabled: nothing happens
        TypeAtEnd(g_wizard->first.m_edtValue, " lost");
        PressKey(VK_ESCAPE);
      });
}

void RunWizard(bool expectFinish) {
  TestWizard wizard;
  g_wizard = &wizard;
  const int result = wizard.sheet.DoModal();
  g_wizard = nullptr;
  CheckEqual(wizard.first.m_nInits + wizard.second.m_nInits, expectFinish ? 2 : 1,
             "each shown page initialised once");
  if (expectFinish) {
    CheckEqual(result, ui::ID_WIZFINISH, "wizard result after Finish");
    CheckEqual(wizard.second.m_strValue, "second\r\nline", "page 2 value after Finish");
    CheckEqual(wizard.second.m_nBacks, 1, "Back from page 2");
  } else {
    CheckEqual(result, IDCANCEL, "wizard result after Escape");
    CheckEqual(wizard.first.m_strValue, "first", "cancelled page keeps its value");
    CheckEqual(wizard.first.m_nBacks, 0, "Back disabled on page 1");
  }
}

void ShowMessages() {
  platform::AfxMessageBox("Exclamation text.");
  platform::AfxMessageBox("Information text.", platform::MessageIcon::Information);
  const HCURSOR before = GetCursor();
  {
    platform::CWaitCursor wait;
    CheckEqual(GetCursor(), LoadCursorA(nullptr, IDC_WAIT), "wait cursor");
  }
  CheckEqual(GetCursor(), before, "cursor restored");
}

void AddMessage(Script& script, const std::string& text, LPCSTR icon, const ui::CWnd& owner) {
  script.Then(
      "message box: " + text, [text] { return Shown(FindMessageBox(kAppName, text)); },
      [text, icon, &owner] {
        const HWND box = FindMessageBox(kAppName, text);
        CheckEqual(GetWindow(box, GW_OWNER), Hwnd(owner), text + " owner");
        CheckEqual(MessageBoxIcon(box), LoadIconA(nullptr, icon), text + " icon");
        PressKey(VK_RETURN);
      });
}

// Template 102 with the buttons at work, ended by Escape.
void RunMainDialog() {
  CTestDialog dlg;
  ui::AfxGetApp()->m_pMainWnd = &dlg;
  int wizardRuns = 0;
  bool messagesShown = false;
  dlg.m_onClick = [&](int id) {
    if (id == res::IDC_CUSTOMIZE) RunWizard(++wizardRuns == 1);
    if (id == res::IDC_VIEW_EBOOK) {
      ShowMessages();
      messagesShown = true;
    }
  };
  const auto idle = [&dlg] {
    return Usable(Hwnd(dlg)) && GetActiveWindow() == Hwnd(dlg) && !g_wizard;
  };

  Script script(g_lingerMs);
  script.Then("main window shown", idle, [&dlg] {
    const HWND window = Hwnd(dlg);
    const HWND customize = GetDlgItem(window, res::IDC_CUSTOMIZE);
    CheckEqual(GetFocus(), customize, "focus on the first tab stop");
    std::vector<int> tabOrder;
    HWND control = customize;
    for (int i = 0; i < 3; ++i) {
      control = GetNextDlgTabItem(window, control, FALSE);
      tabOrder.push_back(GetDlgCtrlID(control));
    }
    CheckEqual(Join(tabOrder), "2,1004,1002", "tab order after Customize");
    for (const WPARAM size : {ICON_BIG, ICON_SMALL}) {
      CheckEqual(dlg.SendMessage(WM_GETICON, size), reinterpret_cast<intptr_t>(dlg.m_hIcon),
                 "window icon");
    }
    CheckEqual(dlg.SendMessage(WM_QUERYDRAGICON), reinterpret_cast<intptr_t>(dlg.m_hIcon),
               "drag icon");
    Check(dlg.m_nPaints > 0, "painted through OnPaint");
    Click(customize);
  });
  AddFinishedWizard(script, dlg);
  script.Then("main window after Finish", idle, [] { PressAlt('C'); });
  AddCancelledWizard(script);
  script.Then("main window after Cancel", idle, [] { PressAlt('V'); });
  AddMessage(script, "Exclamation text.", IDI_EXCLAMATION, dlg);
  AddMessage(script, "Information text.", IDI_INFORMATION, dlg);
  script.Then(
      "main window after the messages", [&] { return idle() && messagesShown; },
      [] { PressKey(VK_ESCAPE); });
  script.Start();

  CheckEqual(dlg.DoModal(), IDCANCEL, "main window result after Escape");
  Check(script.Finished(), "main window script finished");
  CheckEqual(Join(dlg.m_commands), "1002,1002,1004,2", "commands in order");
  Check(dlg.GetSafeHwnd() == nullptr && dlg.m_stcStatus.GetSafeHwnd() == nullptr,
        "windows detached at the end");
  ui::AfxGetApp()->m_pMainWnd = nullptr;
}

// The other ways out of a dialog, each IDCANCEL through OnCommand.
void RunEndings() {
  const struct {
    const char* name;
    void (*end)(HWND dialog);
  } endings[] = {
      {"Exit button", [](HWND dialog) { Click(GetDlgItem(dialog, IDCANCEL)); }},
      {"close box", [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
  };
  for (const auto& ending : endings) {
    CTestDialog dlg;
    Script script(g_lingerMs);
    script.Then(
        ending.name, [&dlg] { return Usable(Hwnd(dlg)) && GetActiveWindow() == Hwnd(dlg); },
        [&dlg, &ending] { ending.end(Hwnd(dlg)); });
    script.Start();
    CheckEqual(dlg.DoModal(), IDCANCEL, std::string(ending.name) + " result");
    CheckEqual(Join(dlg.m_commands), "2", std::string(ending.name) + " command");
  }
}

void RunEndedDuringInit() {
  CTestDialog dlg;
  dlg.m_bEndInInit = true;
  CheckEqual(dlg.DoModal(), IDCANCEL, "result of a dialog ended while initialising");
  CheckEqual(dlg.m_nPaints, 0, "a dialog ended while initialising is never shown");
}

class CTestApp : public ui::CWinApp {
 public:
  bool InitInstance() override {
    SetAppName(kAppName);
    CheckEqual(platform::GetApplicationName(), kAppName, "application name");
    Check(LoadIcon(res::IDR_MAINFRAME) != nullptr, "icon 128 in the resources");
    RunMainDialog();
    RunEndings();
    RunEndedDuringInit();
    return false;
  }
};
CTestApp theApp;

}  // namespace

int main(int argc, char** argv) {
  // --linger MS: hold each step that long, to watch it or take a picture.
  if (argc == 3 && std::strcmp(argv[1], "--linger") == 0) g_lingerMs = std::atoi(argv[2]);
  const int exitCode = ui::win32::RunApplication();
  std::printf("ui_win32: %d passed, %d failed\n", PassedChecks(), FailedChecks());
  return exitCode != 0 || FailedChecks() != 0;
}
