// The whole Customize and View flow, driven through the real main window and
// wizard against E-Book files packed by the project's packer.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <map>

#include "ebook/store_journal.h"
#include "ebook/trailer_access.h"
#include "formats/rebrand_info.h"
#include "res/dialog_template.h"
#include "tests/ui/ui_fixture.h"
#include "tools/mkebook/ebook_package.h"
#include "ui/framework/property_sheet.h"
#include "ui/qt/dialog_builder.h"

namespace {

using namespace testing_support;
using formats::CVariable;
using ui::GetDlgItem;

const std::string kStored = "The E-Book has been successfully customized.";
const std::string kAlready = "This E-Book has already been rebranded.";
const std::string kUndone =
    "The last customization of the E-Book was interrupted before it could finish. The E-Book is "
    "as it was before that customization.\n\nYou can simply customize it again.";

// Every open descriptor of this process and what it refers to.
std::map<std::string, std::string> OpenDescriptors() {
  std::map<std::string, std::string> open;
  DIR* dir = opendir("/proc/self/fd");
  if (!dir) return open;
  const std::string own = std::to_string(dirfd(dir));
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == ".." || name == own) continue;
    char target[4096] = {};
    const ssize_t n = readlink(("/proc/self/fd/" + name).c_str(), target, sizeof target - 1);
    open[name] = n > 0 ? std::string(target, static_cast<size_t>(n)) : "?";
  }
  closedir(dir);
  return open;
}

CVariable Var(const std::string& prompt, const std::string& value, int type, int editable = 1) {
  CVariable v;
  v.m_strIdent = "id:" + prompt;
  v.m_strPrompt = prompt;
  v.m_strValue = value;
  v.m_nType = type;
  v.m_bEditable = editable;
  return v;
}

// The wizard as the user sees it.
struct Wizard {
  QWidget* sheet;

  static Wizard Current() {
    QWidget* sheet = QApplication::activeModalWidget();
    EXPECT_NE(sheet, nullptr);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(sheet));
    QCoreApplication::processEvents();  // the buttons follow a page change by a posted message
    return {sheet};
  }
  QPushButton* Button(int id) const { return GetDlgItem<QPushButton>(sheet, id); }
  // A control of the current page; the pages seen before stay, hidden.
  QWidget* Shown(int id) const {
    for (QWidget* control : sheet->findChildren<QWidget*>(QString::number(id))) {
      if (control->isVisible()) return control;
    }
    ADD_FAILURE() << "no control " << id << " on the current page";
    return sheet;
  }
  QWidget* Edit() const { return Shown(res::IDC_VALUE); }
  std::string Prompt() const {
    return qobject_cast<QLabel*>(Shown(res::IDC_PROMPT))->text().toStdString();
  }
  std::string Text() const {
    if (auto* line = qobject_cast<QLineEdit*>(Edit())) return line->text().toStdString();
    return qobject_cast<QPlainTextEdit*>(Edit())->toPlainText().toStdString();
  }
  bool MultiLine() const { return qobject_cast<QPlainTextEdit*>(Edit()) != nullptr; }
  std::string Title() const { return sheet->windowHandle()->title().toStdString(); }
  // Replaces the field's text by typing, as a user would.
  void Type(const QString& text) const {
    Edit()->setFocus();
    QTest::keyClick(Edit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(Edit(), Qt::Key_Delete);
    QTest::keyClicks(Edit(), text);
  }
  void Press(int id) const {
    QTest::mouseClick(Button(id), Qt::LeftButton);
    QCoreApplication::processEvents();
  }
  // Back enabled, and Next or Finish showing.
  std::string Buttons() const {
    std::string s = Button(ui::ID_WIZBACK)->isEnabled() ? "back " : "";
    if (Button(ui::ID_WIZNEXT)->isVisible()) s += "next";
    if (Button(ui::ID_WIZFINISH)->isVisible()) s += "finish";
    return s;
  }
};

class CustomizeFlowTest : public StampedRebranderTest {
 protected:
  void SetUp() override {
    WriteFileBytes(dir.File("program"), "#!/bin/sh\ntouch \"$0.started\"\nexit 0\n");
    chmod(dir.File("program").c_str(), 0755);
  }

  void Pack(const std::vector<CVariable>& variables, int rebranded = 0) {
    packing::EBookPackage package;
    package.trailer.SetId(SampleInfo().m_strEBookId);
    package.trailer.m_nVersion = 1;
    package.table.m_bRebranded = rebranded;
    for (const CVariable& v : variables) package.table.Add(v);
    std::string error;
    ASSERT_TRUE(packing::PackEBook(dir.File("program"), package, ebookPath, error)) << error;
  }

  packing::EBookPackage Stored() {
    packing::EBookPackage package;
    std::string error;
    EXPECT_TRUE(packing::LoadPackage(ebookPath, package, error)) << error;
    return package;
  }

  // Starts the rebrander; `body` runs while its main window is up.
  void Run(const std::function<void()>& body) { Run(/*allowRepeat=*/0, body); }
  void Run(int allowRepeat, const std::function<void()>& body) {
    formats::CInfoBlock info = SampleInfo();
    info.m_bAllowRepeat = allowRepeat;
    Stamp(info);
    RunRebrander([&](QWidget* window) {
      mainWindow = window;
      body();
    });
    mainWindow = nullptr;
  }

  // Presses Customize; `drive` runs if the wizard comes up (no drive: cancel it).
  void Customize(std::function<void(const Wizard&)> drive = nullptr) {
    wizardShown = false;
    auto pending = WhenModal([this, drive] {
      wizardShown = true;
      const Wizard w = Wizard::Current();
      drive ? drive(w) : w.Press(res::IDCANCEL);
    });
    QTest::mouseClick(GetDlgItem<QPushButton>(mainWindow, res::IDC_CUSTOMIZE), Qt::LeftButton);
    *pending = false;
  }

  std::string Status() const {
    return GetDlgItem<QLabel>(mainWindow, res::IDC_STATUS)->text().toStdString();
  }
  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const auto& m : recorder.messages) texts.push_back(m.text);
    return texts;
  }

  // Presses View and waits until the E-Book has run.
  void View() {
    QFile::remove(QString::fromStdString(ebookPath + ".started"));
    QTest::mouseClick(GetDlgItem<QPushButton>(mainWindow, res::IDC_VIEW_EBOOK), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return QFile::exists(QString::fromStdString(ebookPath + ".started")); }));
  }

  // Leaves the E-Book as a store that died half-way would: the journal
  // written, the trailer cut off. Returns the E-Book as it was.
  std::string InterruptStore() {
    const std::string before = ReadFileBytes(ebookPath);
    const platform::HFILE file = platform::_lopen(ebookPath, platform::OF_EXCLUSIVE_READWRITE);
    formats::CEBookTrailer trailer;
    int32_t length = 0;
    ebook::CStoreJournal journal;
    EXPECT_TRUE(ebook::ReadEBookTrailer(file, trailer, length) &&
                ebook::IdentifyEBook(file, trailer.m_nTableOffset, journal.m_identity) &&
                journal.m_backup.Save(file, trailer.m_nTableOffset, length));
    platform::_lclose(file);
    EXPECT_TRUE(ebook::WriteJournal(JournalPath(), journal));
    EXPECT_EQ(truncate(ebookPath.c_str(), length - 50), 0);
    return before;
  }
  std::string JournalPath() const { return ebook::JournalPathFor(ebookPath); }

  std::string ebookPath = dir.File("book");
  QWidget* mainWindow = nullptr;
  bool wizardShown = false;
};

TEST_F(CustomizeFlowTest, OnePagePerEditableVariableOfSupportedKindInTableOrder) {
  Pack({Var("Title", "Old title", 0), Var("Hidden", "keep", 2, 0), Var("Dedication", "To you", 2),
        Var("Odd", "odd kind", 7), Var("Name & address", "Ann", 1), Var("Neg", "x", -1)});
  Run([&] {
    Customize([](const Wizard& w) {
      EXPECT_EQ(w.Title(), "Step 1 of 3");
      EXPECT_EQ(w.Prompt(), "Title");
      EXPECT_FALSE(w.MultiLine());
      EXPECT_EQ(w.Text(), "Old title");
      EXPECT_EQ(w.Buttons(), "next");
      EXPECT_FALSE(w.Button(ui::IDHELP)->isVisible());
      w.Type("New title");
      w.Press(ui::ID_WIZNEXT);

      EXPECT_EQ(w.Title(), "Step 2 of 3");
      EXPECT_EQ(w.Prompt(), "Dedication");
      EXPECT_TRUE(w.MultiLine());
      EXPECT_EQ(w.Buttons(), "back next");
      w.Type("Line one");
      QTest::keyClick(w.Edit(), Qt::Key_Return);  // a new line, not Next
      QTest::keyClicks(w.Edit(), "Line two");
      EXPECT_EQ(w.Title(), "Step 2 of 3");
      w.Press(ui::ID_WIZNEXT);

      EXPECT_EQ(w.Title(), "Step 3 of 3");
      EXPECT_EQ(w.Prompt(), "Name & address") << "'&' shows as itself";
      EXPECT_EQ(w.Buttons(), "back finish");
      w.Type("Bea");
      QTest::keyClick(w.Edit(), Qt::Key_Return);  // Enter on a one-line page finishes
    });
    EXPECT_TRUE(wizardShown);

    const auto stored = Stored();
    ASSERT_EQ(stored.table.GetSize(), 6);
    EXPECT_EQ(stored.table[0].m_strValue, "New title");
    EXPECT_EQ(stored.table[1].m_strValue, "keep");
    EXPECT_EQ(stored.table[2].m_strValue, "Line one\r\nLine two");
    EXPECT_EQ(stored.table[3].m_strValue, "odd kind");
    EXPECT_EQ(stored.table[4].m_strValue, "Bea");
    EXPECT_EQ(stored.table[5].m_strValue, "x");
    EXPECT_EQ(stored.table[2].m_strIdent, "id:Dedication");
    EXPECT_EQ(stored.table.m_bRebranded, 1);
    EXPECT_EQ(Messages(), std::vector<std::string>{kStored});
    EXPECT_EQ(recorder.messages[0].icon, platform::MessageIcon::Information);
    EXPECT_EQ(recorder.messages[0].caption, SampleInfo().m_strTitle);
    EXPECT_EQ(Status(), SampleInfo().m_strStatusAfter);
  });
}

TEST_F(CustomizeFlowTest, ThousandsOfVariablesOpenAtOnceAndBuildOnlyTheVisitedPages) {
  std::vector<CVariable> many;
  for (int i = 0; i < 5000; ++i) many.push_back(Var("Prompt " + std::to_string(i), "v", i % 4));
  Pack(many);
  Run([&] {
    Customize([](const Wizard& w) {
      EXPECT_EQ(w.Title(), "Step 1 of 5000");
      EXPECT_EQ(w.sheet->findChildren<QLineEdit*>().size(), 1);
      w.Press(ui::ID_WIZNEXT);
      w.Press(ui::ID_WIZNEXT);
      EXPECT_EQ(w.Prompt(), "Prompt 2");
      EXPECT_EQ(w.sheet->findChildren<QLineEdit*>().size() +
                    w.sheet->findChildren<QPlainTextEdit*>().size(),
                3);
      w.Press(res::IDCANCEL);
    });
    EXPECT_TRUE(wizardShown);
  });
}

TEST_F(CustomizeFlowTest, SinglePageOffersFinishAndCancelOnlyAndCancelWritesNothing) {
  Pack({Var("Only", "value", 3)});
  const std::string before = ReadFileBytes(ebookPath);
  Run([&] {
    Customize([](const Wizard& w) {
      EXPECT_EQ(w.Title(), "Step 1 of 1");
      EXPECT_EQ(w.Buttons(), "finish");
      EXPECT_TRUE(w.Button(res::IDCANCEL)->isEnabled());
      w.Type("typed, then thrown away");
      w.Press(res::IDCANCEL);
    });
    EXPECT_TRUE(wizardShown);
    EXPECT_EQ(ReadFileBytes(ebookPath), before);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Status(), SampleInfo().m_strStatusBefore);
  });
}

TEST_F(CustomizeFlowTest, TypedTextSurvivesBackAndNextAndIsStored) {
  Pack({Var("One", "1", 0), Var("Two", "2", 0), Var("Three", "3", 2)});
  Run([&] {
    Customize([](const Wizard& w) {
      w.Press(ui::ID_WIZNEXT);
      w.Type("typed on two");
      w.Press(ui::ID_WIZBACK);
      EXPECT_EQ(w.Title(), "Step 1 of 3");
      EXPECT_EQ(w.Buttons(), "next");
      w.Press(ui::ID_WIZNEXT);
      EXPECT_EQ(w.Text(), "typed on two");
      w.Press(ui::ID_WIZNEXT);
      w.Press(ui::ID_WIZFINISH);
    });
    EXPECT_EQ(Stored().table[1].m_strValue, "typed on two");
    EXPECT_EQ(Stored().table[2].m_strValue, "3");
  });
}

TEST_F(CustomizeFlowTest, EscapeOrCloseOnTheLastPageLeavesTheFileByteIdentical) {
  Pack({Var("One", "1", 0), Var("Two", "2", 1)});
  const std::string before = ReadFileBytes(ebookPath);
  Run([&] {
    for (bool escape : {true, false}) {
      Customize([escape](const Wizard& w) {
        w.Type("changed");
        w.Press(ui::ID_WIZNEXT);
        w.Type("changed too");
        if (escape) {
          QTest::keyClick(w.Edit(), Qt::Key_Escape);
        } else {
          w.sheet->close();
        }
      });
      EXPECT_TRUE(wizardShown);
    }
    EXPECT_EQ(ReadFileBytes(ebookPath), before);
    EXPECT_EQ(Status(), SampleInfo().m_strStatusBefore);
  });
}

TEST_F(CustomizeFlowTest, UntouchedValuesKeepTheirExactBytes) {
  const std::string invalid = "caf\xe9 \xff\xfe bytes\r\nlone\nfeed";
  Pack({Var("Raw", invalid, 0), Var("Raw lines", invalid, 2), Var("Edited", "x", 0)});
  Run([&] {
    Customize([](const Wizard& w) {
      w.Press(ui::ID_WIZNEXT);
      w.Press(ui::ID_WIZNEXT);
      w.Type("y");
      w.Press(ui::ID_WIZFINISH);
    });
    const auto stored = Stored();
    EXPECT_EQ(stored.table[0].m_strValue, invalid);
    EXPECT_EQ(stored.table[1].m_strValue, invalid);
    EXPECT_EQ(stored.table[2].m_strValue, "y");
  });
}

TEST_F(CustomizeFlowTest, RebrandedEBookIsRefusedUnlessRepeatsAreAllowed) {
  Pack({Var("One", "1", 0)}, /*rebranded=*/1);
  const std::string before = ReadFileBytes(ebookPath);
  Run(/*allowRepeat=*/0, [&] {
    Customize();
    EXPECT_FALSE(wizardShown);
    EXPECT_EQ(Messages(), std::vector<std::string>{kAlready});
    EXPECT_EQ(recorder.messages[0].icon, platform::MessageIcon::Exclamation);
    EXPECT_EQ(ReadFileBytes(ebookPath), before);
  });

  formats::ResetRebrandInfoForTesting();
  recorder.messages.clear();
  Run(/*allowRepeat=*/1, [&] {
    Customize([](const Wizard& w) {
      w.Type("again");
      w.Press(ui::ID_WIZFINISH);
    });
    EXPECT_TRUE(wizardShown);
    EXPECT_EQ(Stored().table[0].m_strValue, "again");
    EXPECT_EQ(Stored().table.m_bRebranded, 1);
  });
}

TEST_F(CustomizeFlowTest, SecondRunAfterSuccessIsRefusedAndKeepsTheAfterStatus) {
  Pack({Var("One", "1", 0)});
  Run([&] {
    Customize([](const Wizard& w) { w.Press(ui::ID_WIZFINISH); });
    EXPECT_EQ(Status(), SampleInfo().m_strStatusAfter);
    Customize();
    EXPECT_FALSE(wizardShown);
    EXPECT_EQ(Messages(), (std::vector<std::string>{kStored, kAlready}));
    EXPECT_EQ(Status(), SampleInfo().m_strStatusAfter);
  });
}

TEST_F(CustomizeFlowTest, NothingToEditShowsNoWizardAndTheBeforeStatus) {
  Pack({});
  Run([&] {
    Customize();
    EXPECT_FALSE(wizardShown);
    EXPECT_EQ(Messages(), std::vector<std::string>{"No variables found."});
    EXPECT_EQ(Status(), SampleInfo().m_strStatusBefore);

    recorder.messages.clear();
    Pack({Var("Hidden", "h", 0, 0), Var("Odd", "o", 9)});
    const std::string before = ReadFileBytes(ebookPath);
    Customize();
    EXPECT_FALSE(wizardShown);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(ReadFileBytes(ebookPath), before);
    EXPECT_EQ(Status(), SampleInfo().m_strStatusBefore);
  });
}

TEST_F(CustomizeFlowTest, FailedStoreShowsItsMessageAndTheBeforeStatus) {
  Pack({Var("One", "1", 0)});
  Run(/*allowRepeat=*/1, [&] {
    Customize([](const Wizard& w) { w.Press(ui::ID_WIZFINISH); });
    ASSERT_EQ(Status(), SampleInfo().m_strStatusAfter);
    const std::string before = ReadFileBytes(ebookPath);
    Customize([this](const Wizard& w) {
      w.Type("never stored");
      chmod(ebookPath.c_str(), 0444);  // made read-only while the wizard is open
      w.Press(ui::ID_WIZFINISH);
    });
    ASSERT_EQ(recorder.messages.size(), 2u);
    EXPECT_EQ(recorder.messages[1].text,
              "Can't open E-Book for writing.\n\nIf it is running, please close it and try again.");
    EXPECT_EQ(ReadFileBytes(ebookPath), before);
    EXPECT_EQ(Status(), SampleInfo().m_strStatusBefore);
  });
}

TEST_F(CustomizeFlowTest, NoDescriptorOutlivesCustomizeOrView) {
  Pack({Var("One", "1", 0)});
  Run([&] {
    const auto before = OpenDescriptors();
    Customize([](const Wizard& w) { w.Press(ui::ID_WIZFINISH); });
    View();
    ASSERT_EQ(Messages(), std::vector<std::string>{kStored});
    EXPECT_EQ(OpenDescriptors(), before);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(JournalPath())));
  });
}

TEST_F(CustomizeFlowTest, ViewAndCustomizeRollBackAnInterruptedStoreBeforeTheirChecks) {
  Pack({Var("One", "1", 0)});
  Run([&] {
    const std::string before = InterruptStore();
    View();
    EXPECT_EQ(Messages(), std::vector<std::string>{kUndone}) << "no complaint of a corrupt E-Book";
    EXPECT_EQ(recorder.messages[0].icon, platform::MessageIcon::Information);
    EXPECT_EQ(ReadFileBytes(ebookPath), before);

    recorder.messages.clear();
    InterruptStore();
    Customize();
    EXPECT_TRUE(wizardShown) << "the wizard comes up on the rolled-back E-Book";
    EXPECT_EQ(Messages(), std::vector<std::string>{kUndone});
    EXPECT_EQ(ReadFileBytes(ebookPath), before);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(JournalPath())));
  });
}

TEST_F(CustomizeFlowTest, MissingEBookStopsBothButtonsAtTheCheckAndViewStartsItOnceThere) {
  Run([&] {
    Customize();
    QPushButton* view = GetDlgItem<QPushButton>(mainWindow, res::IDC_VIEW_EBOOK);
    QTest::mouseClick(view, Qt::LeftButton);
    const std::string missing =
        "The E-Book, book,  could not be found.\n\nPlease ensure that "
        "the E-Book is placed in the " +
        dir.Path() + "/ folder.";
    EXPECT_EQ(Messages(), (std::vector<std::string>{missing, missing})) << "only the check speaks";
    EXPECT_FALSE(wizardShown);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(ebookPath + ".started")));
    EXPECT_EQ(Status(), SampleInfo().m_strStatusBefore);

    recorder.messages.clear();
    Pack({Var("One", "1", 0)});
    QTest::mouseClick(view, Qt::LeftButton);
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return QFile::exists(QString::fromStdString(ebookPath + ".started")); }));
    EXPECT_EQ(mainWindow->windowTitle().toStdString(), SampleInfo().m_strTitle);
  });
}

}  // namespace
