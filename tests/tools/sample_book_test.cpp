// The sample E-Book: reading its own package and showing it.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <cstdlib>

#include "tests/support/temp_dir.h"
#include "tools/sample-ebook/book_text.h"
#include "tools/sample-ebook/book_window.h"

namespace {

using namespace testing_support;
using namespace sample_ebook;

class SampleBookTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string program = dir.File("program"), ebook = dir.File("ebook");

  void SetUp() override {  // packed with the sample table, by mkebook
    WriteFileBytes(program, "stand-in program");
    const std::string pack = MKEBOOK " pack --table '" SAMPLE_TABLE "' --program '" + program +
                             "' --output '" + ebook + "'";
    ASSERT_EQ(std::system(pack.c_str()), 0);
  }
};

// The package read, or why not; then the Qt window and the plain-text book of
// the Windows one show its texts, or why there are none.
TEST_F(SampleBookTest, ShowsItsTableOrTellsWhyNot) {
  const std::string packed = ReadFileBytes(ebook);
  const size_t tableAt = ReadFileBytes(program).size();
  const std::tuple<std::string, CBookSource::Status, int> cases[] = {
      {"stand-in program", CBookSource::kNoTrailer, 0},
      // A count of 8 for 7 records: none of them may be kept.
      {std::string(packed).replace(tableAt + 8, 1, "\x08"), CBookSource::kBadTable, 0},
      {packed, CBookSource::kOk, 7}};
  for (const auto& [bytes, status, size] : cases) {
    WriteFileBytes(ebook, bytes);
    const CBookSource read(ebook);
    EXPECT_EQ(std::pair(read.GetStatus(), static_cast<int>(read.Count())), std::pair(status, size));
  }

  const CBookSource source(ebook), none(program);
  CBookWindow window(source), noTable(none);
  QStringList labels;  // all plain text: texts from the table may hold anything, markup included
  for (const QLabel* label : window.findChildren<QLabel*>() + noTable.findChildren<QLabel*>()) {
    EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
    labels << label->text();
  }
  for (const std::string part :
       {"The Lantern at Hollow Bay", "by A. N. Other",
        "For everyone who keeps a light on\r\nfor someone still at sea."}) {
    EXPECT_TRUE(labels.contains(QString::fromStdString(part).replace("\r\n", "\n"))) << part;
    EXPECT_NE(ComposeBookText(source).find(part + "\r\n"), std::string::npos) << part;
  }
  QStringList enabled;  // on the first page, then on the last
  for (const int page : {0, window.PageCount() - 1}) {
    window.ShowPage(page);
    for (const QPushButton* button : window.findChildren<QPushButton*>())
      if (button->isEnabled()) enabled << button->text();
  }
  EXPECT_EQ(enabled.join('|').toStdString(), "Open in Browser|Next >|Open in Browser|< Previous");
  EXPECT_EQ(1, noTable.PageCount());
  EXPECT_TRUE(labels.contains("No Variable Table")) << labels.join('|').toStdString();
  EXPECT_NE(ComposeBookText(none).find("no E-Book trailer"), std::string::npos);
  EXPECT_EQ(BookTitle(source) + "|" + BookTitle(none), "The Lantern at Hollow Bay|Sample E-Book");
}

}  // namespace
