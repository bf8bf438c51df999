// The sample E-Book: reading its own package, holding it open, and showing it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <cstdlib>

#include "tests/support/temp_dir.h"
#include "tools/sample-ebook/book_text.h"
#include "tools/sample-ebook/book_window.h"

namespace {

using namespace platform;
using namespace testing_support;
using namespace sample_ebook;

// True when someone holds a lock on the file. (Opening a running program for
// writing fails anyway, so only the lock itself tells.)
bool Locked(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  const bool locked = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) != 0;
  if (fd >= 0) close(fd);
  return locked;
}

// Every label is plain text: texts from the table may hold anything, markup included.
QStringList LabelTexts(const QWidget& window) {
  QStringList texts;
  for (const QLabel* label : window.findChildren<QLabel*>()) {
    EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
    texts << label->text();
  }
  return texts;
}

class SampleBookTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string program = dir.File("program"), ebook = dir.File("ebook");

  void SetUp() override {
    WriteFileBytes(program, "stand-in program");
    PackBook(program);
  }
  void PackBook(const std::string& from) {  // with the sample table, by mkebook
    const std::string pack = MKEBOOK " pack --table '" SAMPLE_TABLE "' --program '" + from +
                             "' --output '" + ebook + "'";
    ASSERT_EQ(std::system(pack.c_str()), 0);
  }
};

TEST_F(SampleBookTest, SourceReadsItsTableOrTellsWhyNot) {
  const std::string packed = ReadFileBytes(ebook);
  const size_t tableAt = ReadFileBytes(program).size();
  std::string overcounted = packed;  // a count of 8 for 7 records: none of them may be kept
  overcounted[tableAt + 8] ^= 7 ^ 8;
  // An empty table without its flag and count would read them from the trailer.
  std::string error;
  ASSERT_TRUE(packing::PackEBook(program, {}, ebook, error)) << error;
  const std::string intoTrailer = ReadFileBytes(ebook).erase(tableAt + 4, 8);
  const std::pair<std::string, CBookSource::Status> cases[] = {
      {packed, CBookSource::kOk},
      {"stand-in program", CBookSource::kNoTrailer},
      {overcounted, CBookSource::kBadTable},
      {intoTrailer, CBookSource::kBadTable}};
  for (const auto& [bytes, status] : cases) {
    WriteFileBytes(ebook, bytes);
    const CBookSource source(ebook);
    EXPECT_EQ(source.GetStatus(), status);
    EXPECT_EQ(source.Table().GetSize(), status == CBookSource::kOk ? 7 : 0);
  }
  const HFILE held = _lopen(ebook, OF_EXCLUSIVE_READWRITE);  // a rebrander storing into it
  EXPECT_EQ(CBookSource(ebook).GetStatus(), CBookSource::kCannotOpen);
  _lclose(held);
}

// The Qt window and the plain-text book of the Windows one.
TEST_F(SampleBookTest, WindowAndTextShowTheTableOrWhyThereIsNone) {
  const CBookSource source(ebook), none(program);
  const QStringList labels = LabelTexts(CBookWindow(source));
  const std::string text = ComposeBookText(source);
  for (const std::string part :
       {"The Lantern at Hollow Bay", "by A. N. Other",
        "For everyone who keeps a light on\r\nfor someone still at sea."}) {
    EXPECT_TRUE(labels.contains(QString::fromStdString(part).replace("\r\n", "\n"))) << part;
    EXPECT_NE(text.find(part + "\r\n"), std::string::npos) << part;
  }
  CBookWindow window(source);
  QStringList enabled;  // on the first page, then on the last
  for (const int page : {0, window.PageCount() - 1}) {
    window.ShowPage(page);
    for (const QPushButton* button : window.findChildren<QPushButton*>()) {
      if (button->isEnabled() && button->text().contains(QRegularExpression("Previous|Next"))) {
        enabled << button->text();
      }
    }
  }
  EXPECT_EQ(enabled, (QStringList{"Next >", "< Previous"}));
  const CBookWindow noTable(none);
  EXPECT_EQ(noTable.PageCount(), 1);
  EXPECT_TRUE(LabelTexts(noTable).contains("No Variable Table"));
  EXPECT_NE(ComposeBookText(none).find("no E-Book trailer"), std::string::npos);
  EXPECT_EQ(BookTitle(source), "The Lantern at Hollow Bay");
  EXPECT_EQ(BookTitle(none), "Sample E-Book");
}

// The real program (offscreen, as this test runs): once up, it holds its own file.
TEST_F(SampleBookTest, RunningSampleEBookHoldsItsFile) {
  PackBook(SAMPLE_EBOOK);
  QProcess running;
  running.start(QString::fromStdString(ebook));
  EXPECT_TRUE(QTest::qWaitFor([this] { return Locked(ebook); }, 20000));
  QTest::qWait(300);  // and keeps it: it did not just end
  EXPECT_EQ(running.state(), QProcess::Running) << "the sample E-Book ended by itself";
  EXPECT_TRUE(Locked(ebook));
  running.kill();
  running.waitForFinished();
}

}  // namespace
