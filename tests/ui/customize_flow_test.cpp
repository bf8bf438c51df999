// The Customize and View buttons end to end: the real main window and wizard
// against E-Book files packed by the project's packer.
#include <sys/stat.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <filesystem>
#include <map>

#include "ebook/store_journal.h"
#include "formats/rebrand_info.h"
#include "platform/io_faults.h"
#include "tests/core/ebook_fixture.h"
#include "tests/ui/ui_fixture.h"
#include "tools/mkebook/ebook_package.h"
#include "ui/framework/property_sheet.h"
#include "ui/qt/dialog_builder.h"

namespace {

using namespace testing_support;
using namespace ebook_testing;
using formats::CVariable;
using Texts = std::vector<std::string>;

const std::string kStored = "The E-Book has been successfully customized.";
const std::string kAlready = "This E-Book has already been rebranded.";

// Every open descriptor of this process and what it refers to.
std::map<std::string, std::string> OpenDescriptors() {
  std::map<std::string, std::string> open;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    open[entry.path().filename()] = std::filesystem::read_symlink(entry.path(), error);
  }
  return open;
}

CVariable Var(const std::string& prompt, const std::string& value, int type, int editable = 1) {
  return Variable("id:" + prompt, prompt, value, editable, type);
}

// The wizard as the user sees it.
struct Wizard {
  QWidget* sheet = QApplication::activeModalWidget();

  QPushButton* Button(int id) const { return ui::GetDlgItem<QPushButton>(sheet, id); }
  // A control of the current page; the pages seen before stay, hidden.
  QWidget* Shown(int id) const {
    for (QWidget* control : sheet->findChildren<QWidget*>(QString::number(id))) {
      if (control->isVisible()) return control;
    }
    ADD_FAILURE() << "no control " << id << " on the current page";
    return sheet;
  }
  QWidget* Edit() const { return Shown(res::IDC_VALUE); }
  // Title, prompt, kind of field and its text, the buttons that can be
  // pressed, and how many pages have been built so far.
  std::string Describe() const {
    auto* lines = qobject_cast<QPlainTextEdit*>(Edit());
    std::string text =
        sheet->windowHandle()->title().toStdString() + ": " +
        qobject_cast<QLabel*>(Shown(res::IDC_PROMPT))->text().toStdString() +
        (lines ? " [multi] " + lines->toPlainText().toStdString()
               : " [single] " + qobject_cast<QLineEdit*>(Edit())->text().toStdString()) +
        " |";
    for (auto [id, name] : {std::pair{ui::ID_WIZBACK, "back"},
                            {ui::ID_WIZNEXT, "next"},
                            {ui::ID_WIZFINISH, "finish"},
                            {res::IDCANCEL, "cancel"},
                            {ui::IDHELP, "help"}}) {
      if (Button(id)->isVisible() && Button(id)->isEnabled()) text += std::string(" ") + name;
    }
    const auto built =
        sheet->findChildren<QLineEdit*>().size() + sheet->findChildren<QPlainTextEdit*>().size();
    return text + " | " + std::to_string(built) + " built";
  }
  // Replaces the field's text by typing, as a user would.
  void Type(const QString& text) const {
    Edit()->setFocus();
    QTest::keyClick(Edit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(Edit(), Qt::Key_Delete);
    QTest::keyClicks(Edit(), text);
  }
  void Press(int id) const {
    QTest::mouseClick(Button(id), Qt::LeftButton);
    QCoreApplication::processEvents();  // the buttons follow a page change by a posted message
  }
};

class CustomizeFlowTest : public StampedRebranderTest {
 protected:
  CustomizeFlowTest() {
    WriteFileBytes(program, "#!/bin/sh\ntouch \"$0.started\"\nexit 0\n");
    chmod(program.c_str(), 0755);
  }

  void Pack(const std::vector<CVariable>& variables) {
    packing::EBookPackage package;
    package.trailer.SetId(info.m_strEBookId);
    package.trailer.m_nVersion = 1;
    for (const CVariable& v : variables) package.table.Add(v);
    std::string error;
    ASSERT_TRUE(packing::PackEBook(program, package, ebookPath, error)) << error;
  }
  // The stored values, and last whether the table is marked rebranded.
  Texts Stored() {
    packing::EBookPackage package;
    std::string error;
    EXPECT_TRUE(packing::LoadPackage(ebookPath, package, error)) << error;
    Texts values;
    for (int i = 0; i < package.table.GetSize(); ++i) values.push_back(package.table[i].m_strValue);
    values.push_back(package.table.m_bRebranded ? "rebranded" : "not rebranded");
    return values;
  }

  // Presses Customize; `drive` runs if the wizard comes up (none: cancel it).
  void Customize(std::function<void(const Wizard&)> drive = nullptr) {
    wizardShown = false;
    auto pending = WhenModal([this, drive] {
      wizardShown = true;
      EXPECT_TRUE(QTest::qWaitForWindowExposed(QApplication::activeModalWidget()));
      QCoreApplication::processEvents();
      drive ? drive(Wizard()) : Wizard().Press(res::IDCANCEL);
    });
    Click(res::IDC_CUSTOMIZE);
    *pending = false;
  }
  // Goes through every page unchanged and finishes.
  void Finish() {
    Customize([](const Wizard& w) {
      while (w.Button(ui::ID_WIZNEXT)->isVisible()) w.Press(ui::ID_WIZNEXT);
      w.Press(ui::ID_WIZFINISH);
    });
  }

  void Click(int id) {
    QTest::mouseClick(ui::GetDlgItem<QPushButton>(mainWindow, id), Qt::LeftButton);
  }
  // Presses View; true once the E-Book has run.
  bool View() {
    QFile::remove(QString::fromStdString(ebookPath + ".started"));
    Click(res::IDC_VIEW_EBOOK);
    return QTest::qWaitFor(
        [&] { return QFile::exists(QString::fromStdString(ebookPath + ".started")); });
  }

  std::string Status() const {
    return ui::GetDlgItem<QLabel>(mainWindow, res::IDC_STATUS)->text().toStdString();
  }
  std::string Title() const { return mainWindow->windowHandle()->title().toStdString(); }
  Texts Messages() const {
    Texts texts;
    for (const auto& m : recorder.messages) texts.push_back(m.text);
    return texts;
  }

  // Leaves what a store cut short after its first write leaves: the journal
  // holding the E-Book's old bytes, and the E-Book torn.
  void InterruptStore() {
    const std::string kept = dir.File("kept");
    platform::SetIoFaultHook([&](const platform::IoChange& change) {
      std::error_code ignored;
      if (change.operation == platform::IoOperation::Remove && change.path == JournalPath()) {
        std::filesystem::copy_file(change.path, kept, ignored);
      }
      return true;
    });
    Customize([](const Wizard& w) {
      w.Type("never kept");
      w.Press(ui::ID_WIZFINISH);
    });
    platform::SetIoFaultHook({});
    std::filesystem::rename(kept, JournalPath());
    std::filesystem::resize_file(ebookPath, std::filesystem::file_size(ebookPath) - 50);
    recorder.messages.clear();
  }
  std::string JournalPath() const { return ebook::JournalPathFor(ebookPath); }

  std::string program = dir.File("program");
  std::string ebookPath = dir.File(kEBookName);
  bool wizardShown = false;
};

// Types 0 and 1 get a one-line page, 2 and 3 a multi-line one, numbered by
// page; variables that are not editable or of another type get none and are
// written back as read. Pages are built when first shown and keep what was
// typed on them; Enter starts a new line on a multi-line page and finishes on
// the last one-line page.
TEST_F(CustomizeFlowTest, EachEditableVariableOfAKnownTypeGetsThePageOfItsType) {
  Pack({Var("Title", "Old title", 0), Var("Hidden", "keep", 2, 0), Var("Notes", "n", 3),
        Var("Odd", "odd", 4), Var("Dedication", "To you", 2), Var("Neg", "x", -1),
        Var("Name & address", "Ann", 1)});
  Texts seen;
  Run([&] {
    Customize([&](const Wizard& w) {
      seen.push_back(w.Describe());
      w.Type("New title");
      w.Press(ui::ID_WIZNEXT);
      seen.push_back(w.Describe());
      w.Type("Line one");
      QTest::keyClick(w.Edit(), Qt::Key_Return);
      QTest::keyClicks(w.Edit(), "Line two");
      for (int button : {ui::ID_WIZBACK, ui::ID_WIZNEXT, ui::ID_WIZNEXT, ui::ID_WIZNEXT}) {
        w.Press(button);
        seen.push_back(w.Describe());
      }
      w.Type("Bea");
      QTest::keyClick(w.Edit(), Qt::Key_Return);
    });
    EXPECT_EQ(Status(), info.m_strStatusAfter);
  });
  EXPECT_EQ(seen,
            (Texts{"Step 1 of 4: Title [single] Old title | next cancel | 1 built",
                   "Step 2 of 4: Notes [multi] n | back next cancel | 2 built",
                   "Step 1 of 4: Title [single] New title | next cancel | 2 built",
                   "Step 2 of 4: Notes [multi] Line one\nLine two | back next cancel | 2 built",
                   "Step 3 of 4: Dedication [multi] To you | back next cancel | 3 built",
                   "Step 4 of 4: Name & address [single] Ann | back finish cancel | 4 built"}));
  EXPECT_EQ(Stored(), (Texts{"New title", "keep", "Line one\r\nLine two", "odd", "To you", "x",
                             "Bea", "rebranded"}));
  ASSERT_EQ(Messages(), Texts{kStored});
  EXPECT_EQ(recorder.messages[0].icon, platform::MessageIcon::Information);
  EXPECT_EQ(recorder.messages[0].caption, info.m_strTitle);
}

// Cancel, Escape and the close box write nothing, even after a run that
// stored, and bring back the status from before.
TEST_F(CustomizeFlowTest, LeavingTheWizardWithoutFinishWritesNothing) {
  Pack({Var("Only", "value", 3)});
  info.m_bAllowRepeat = 1;
  Run([&] {
    for (const auto& leave : std::vector<std::function<void(const Wizard&)>>{
             [](const Wizard& w) { w.Press(res::IDCANCEL); },
             [](const Wizard& w) { QTest::keyClick(w.Edit(), Qt::Key_Escape); },
             [](const Wizard& w) { w.sheet->close(); }}) {
      Finish();
      const std::string before = ReadFileBytes(ebookPath);
      ASSERT_EQ(Status(), info.m_strStatusAfter);
      Customize([&](const Wizard& w) {
        EXPECT_EQ(w.Describe(), "Step 1 of 1: Only [multi] value | finish cancel | 1 built");
        w.Type("typed, then thrown away");
        leave(w);
      });
      EXPECT_TRUE(wizardShown);
      EXPECT_EQ(ReadFileBytes(ebookPath), before);
      EXPECT_EQ(Status(), info.m_strStatusBefore);
    }
    EXPECT_EQ(Messages(), Texts(3, kStored));
  });
}

// A stored E-Book is refused a second run unless the stamp allows repeats; a
// repeat stores again, or, when the store fails, reports it and brings back
// the status from before.
TEST_F(CustomizeFlowTest, SecondRunIsRefusedUnlessRepeatsAreAllowed) {
  for (int allowRepeat : {0, 1}) {
    SCOPED_TRACE(allowRepeat);
    Pack({Var("One", "1", 0)});
    info.m_bAllowRepeat = allowRepeat;
    Run([&] {
      for (const char* typed : {"first", "again"}) {
        Customize([typed](const Wizard& w) {
          w.Type(typed);
          w.Press(ui::ID_WIZFINISH);
        });
      }
      EXPECT_EQ(wizardShown, allowRepeat == 1);
      EXPECT_EQ(Status(), info.m_strStatusAfter);
      EXPECT_EQ(Stored(), (Texts{allowRepeat ? "again" : "first", "rebranded"}));
      EXPECT_EQ(Messages(), (Texts{kStored, allowRepeat ? kStored : kAlready}));
      EXPECT_EQ(recorder.messages[1].icon, allowRepeat ? platform::MessageIcon::Information
                                                       : platform::MessageIcon::Exclamation);
      if (!allowRepeat) return;

      const std::string before = ReadFileBytes(ebookPath);
      Customize([this](const Wizard& w) {
        w.Type("never stored");
        chmod(ebookPath.c_str(), 0444);  // made read-only while the wizard is open
        w.Press(ui::ID_WIZFINISH);
      });
      EXPECT_EQ(Messages().back(), kCantOpenForWriting);
      EXPECT_EQ(ReadFileBytes(ebookPath), before);
      EXPECT_EQ(Status(), info.m_strStatusBefore);
    });
  }
}

// Values the user did not touch keep their exact bytes, even ones the locale
// cannot show. A table with nothing to edit shows no wizard.
TEST_F(CustomizeFlowTest, UntouchedValuesKeepTheirBytesAndNothingToEditShowsNoWizard) {
  const std::string raw = "caf\xe9 \xff\xfe bytes\r\nlone\nfeed";
  Pack({Var("Raw", raw, 0), Var("Raw lines", raw, 2)});
  Run([&] {
    Finish();
    EXPECT_EQ(Stored(), (Texts{raw, raw, "rebranded"}));
    Pack({});
    Customize();
    EXPECT_EQ(Status(), info.m_strStatusBefore);
    Pack({Var("Hidden", "h", 0, 0), Var("Odd", "o", 9)});
    const std::string before = ReadFileBytes(ebookPath);
    Customize();
    EXPECT_FALSE(wizardShown);
    EXPECT_EQ(Messages(), (Texts{kStored, "No variables found."}));
    EXPECT_EQ(ReadFileBytes(ebookPath), before);
  });
}

// A failed check stops both buttons before anything else. View then redraws
// title and status from the stamp as it is now; Customize leaves them.
TEST_F(CustomizeFlowTest, ViewRedrawsTitleAndStatusWhateverTheCheckSays) {
  Run([&] {
    const std::string shown = Title() + Status();
    info.m_strTitle = "Restamped";
    info.m_strStatusBefore = " status";
    Stamp();
    Customize();
    EXPECT_EQ(Title() + Status(), shown);
    Click(res::IDC_VIEW_EBOOK);
    EXPECT_EQ(Title() + Status(), "Restamped status");
    EXPECT_FALSE(wizardShown);
    EXPECT_EQ(Messages(), Texts(2, NotFoundText(dir.Path() + "/")));

    Pack({Var("One", "1", 0)});
    const auto before = OpenDescriptors();
    Finish();
    EXPECT_TRUE(View()) << "the E-Book did not start";
    EXPECT_EQ(Messages().back(), kStored);
    EXPECT_EQ(OpenDescriptors(), before) << "no descriptor outlives a click";
  });
}

TEST_F(CustomizeFlowTest, ViewAndCustomizeRollBackAnInterruptedStoreBeforeTheirChecks) {
  Pack({Var("One", "1", 0)});
  const std::string original = ReadFileBytes(ebookPath);
  Run([&] {
    InterruptStore();
    EXPECT_TRUE(View());
    EXPECT_EQ(Messages(), Texts{kInterruptedUndone});
    EXPECT_EQ(recorder.messages[0].icon, platform::MessageIcon::Information);
    EXPECT_EQ(ReadFileBytes(ebookPath), original);

    InterruptStore();
    Customize();
    EXPECT_TRUE(wizardShown) << "the wizard comes up on the rolled-back E-Book";
    EXPECT_EQ(Messages(), Texts{kInterruptedUndone});
    EXPECT_EQ(ReadFileBytes(ebookPath), original);
    EXPECT_FALSE(std::filesystem::exists(JournalPath()));
  });
}

}  // namespace
