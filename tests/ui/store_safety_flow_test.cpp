// What the safe store means for the whole flow: no descriptor outlives a
// Customize or View, and both roll back an interrupted store before their
// checks.
#include <dirent.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <map>

#include "ebook/store_journal.h"
#include "ebook/trailer_access.h"
#include "res/dialog_template.h"
#include "tests/ui/ui_fixture.h"
#include "tools/mkebook/ebook_package.h"
#include "ui/dialog_builder.h"
#include "ui/property_sheet.h"
#include "ui/rebrand_dlg.h"

namespace {

using namespace testing_support;
using ui::CPropertySheet;
using ui::GetDlgItem;

const std::string kStored = "The E-Book has been successfully customized.";
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

class StoreSafetyFlowTest : public StampedRebranderTest {
 protected:
  void SetUp() override {
    WriteFileBytes(dir.File("program"), "#!/bin/sh\ntouch \"$0.started\"\nexit 0\n");
    chmod(dir.File("program").c_str(), 0755);
    packing::EBookPackage package;
    package.trailer.SetId(SampleInfo().m_strEBookId);
    package.trailer.m_nVersion = 1;
    formats::CVariable variable;
    variable.m_strIdent = "TITLE";
    variable.m_strPrompt = "Title";
    variable.m_strValue = "Old title";
    variable.m_bEditable = 1;
    package.table.Add(variable);
    std::string error;
    ASSERT_TRUE(packing::PackEBook(dir.File("program"), package, ebookPath, error)) << error;
    formats::CInfoBlock info = SampleInfo();
    info.m_bAllowRepeat = 1;
    Stamp(info);
    dlg = std::make_unique<ui::CRebrandDlg>();
    dlg->OnInitDialog();
    dlg->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
  }

  // Customize, finishing the wizard (or cancelling it) as soon as it shows.
  bool Customize(int button = ui::ID_WIZFINISH) {
    bool shown = false;
    auto pending = WhenModal([&] {
      auto* sheet = qobject_cast<CPropertySheet*>(QApplication::activeModalWidget());
      ASSERT_NE(sheet, nullptr);
      shown = true;
      EXPECT_TRUE(QTest::qWaitForWindowExposed(sheet));
      QCoreApplication::processEvents();  // the buttons follow the first page by a posted message
      QTest::mouseClick(GetDlgItem<QPushButton>(sheet, button), Qt::LeftButton);
    });
    QTest::mouseClick(GetDlgItem<QPushButton>(dlg.get(), res::IDC_CUSTOMIZE), Qt::LeftButton);
    *pending = false;
    return shown;
  }

  // View, and wait until the E-Book has run.
  void View() {
    QFile::remove(QString::fromStdString(ebookPath + ".started"));
    QTest::mouseClick(GetDlgItem<QPushButton>(dlg.get(), res::IDC_VIEW_EBOOK), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return QFile::exists(QString::fromStdString(ebookPath + ".started")); }));
  }

  // The E-Book as a store that died half-way leaves it: the journal written,
  // the trailer cut off. Returns the E-Book as it was.
  std::string InterruptStore() {
    const std::string before = ReadFileBytes(ebookPath);
    const platform::HFILE file = platform::_lopen(ebookPath, platform::OF_EXCLUSIVE_READWRITE);
    EXPECT_NE(file, platform::HFILE_ERROR);
    formats::CEBookTrailer trailer;
    int32_t length = 0;
    ebook::CStoreJournal journal;
    const bool read = ebook::ReadEBookTrailer(file, trailer, length) &&
                      ebook::IdentifyEBook(file, trailer.m_nTableOffset, journal.m_identity) &&
                      journal.m_backup.Save(file, trailer.m_nTableOffset, length);
    platform::_lclose(file);
    EXPECT_TRUE(read);
    EXPECT_TRUE(ebook::WriteJournal(ebook::JournalPathFor(ebookPath), journal));
    EXPECT_EQ(truncate(ebookPath.c_str(), length - 50), 0);
    return before;
  }

  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const auto& m : recorder.messages) texts.push_back(m.text);
    return texts;
  }

  std::string ebookPath = dir.File("book");
  std::unique_ptr<ui::CRebrandDlg> dlg;
};

TEST_F(StoreSafetyFlowTest, NoDescriptorOutlivesCustomizeOrView) {
  const auto before = OpenDescriptors();
  ASSERT_TRUE(Customize());
  View();
  ASSERT_EQ(Messages(), std::vector<std::string>{kStored});
  EXPECT_EQ(OpenDescriptors(), before);
  EXPECT_FALSE(QFile::exists(QString::fromStdString(ebook::JournalPathFor(ebookPath))));
}

TEST_F(StoreSafetyFlowTest, ViewAndCustomizeRollBackAnInterruptedStoreBeforeTheirChecks) {
  const std::string before = InterruptStore();
  View();
  EXPECT_EQ(Messages(), std::vector<std::string>{kUndone}) << "no complaint of a corrupt E-Book";
  EXPECT_EQ(recorder.messages[0].icon, platform::MessageIcon::Information);
  EXPECT_EQ(recorder.messages[0].caption, SampleInfo().m_strTitle);
  EXPECT_EQ(ReadFileBytes(ebookPath), before);

  recorder.messages.clear();
  InterruptStore();
  EXPECT_TRUE(Customize(res::IDCANCEL)) << "the wizard comes up on the rolled-back E-Book";
  EXPECT_EQ(Messages(), std::vector<std::string>{kUndone});
  EXPECT_EQ(ReadFileBytes(ebookPath), before);
  EXPECT_FALSE(QFile::exists(QString::fromStdString(ebook::JournalPathFor(ebookPath))));
}

}  // namespace
