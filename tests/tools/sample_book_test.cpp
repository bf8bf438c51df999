// The sample E-Book: reading its own package, holding it open, and showing it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QLabel>
#include <chrono>
#include <thread>

#include "platform/file_io.h"
#include "tests/support/temp_dir.h"
#include "tools/sample-ebook/book_source.h"
#include "tools/sample-ebook/book_text.h"
#include "tools/sample-ebook/book_window.h"

extern char** environ;

namespace {

using namespace platform;
using sample_ebook::CBookSource;
using namespace testing_support;

// Markup, CR LF, a lone CR and non-ASCII text: all to be shown as they are.
packing::EBookPackage Package() {
  packing::EBookPackage package;
  for (const auto& [ident, value] : {std::pair{"title", "My <b>Book</b>"},
                                     {"author", "Grüße <i>Me</i>"},
                                     {"dedication", "For you\r\nand you\ralso"}}) {
    formats::CVariable variable;
    variable.m_strIdent = ident;
    variable.m_strValue = value;
    package.table.Add(variable);
  }
  return package;
}

void Pack(const std::string& program, const packing::EBookPackage& package,
          const std::string& output) {
  std::string error;
  ASSERT_TRUE(packing::PackEBook(program, package, output, error)) << error;
}

// True when someone holds a lock on the file. (Opening a running program for
// writing fails anyway, so only the lock itself tells.)
bool Locked(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  const bool locked = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) != 0;
  if (fd >= 0) close(fd);
  return locked;
}

class SampleBookTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string program = dir.File("program");
  std::string ebook = dir.File("ebook");

  void SetUp() override {
    WriteFileBytes(program, "stand-in program");
    Pack(program, Package(), ebook);
  }
};

TEST_F(SampleBookTest, SourceReadsItsTableOrTellsWhyNot) {
  {
    const CBookSource source(ebook);
    ASSERT_EQ(source.GetStatus(), CBookSource::kOk);
    ASSERT_NE(source.Find("author"), nullptr);
    EXPECT_EQ(source.Find("author")->m_strValue, "Grüße <i>Me</i>");
    EXPECT_TRUE(Locked(ebook));
  }
  EXPECT_FALSE(Locked(ebook));
  EXPECT_EQ(CBookSource(program).GetStatus(), CBookSource::kNoTrailer);
  {  // A rebrander storing into the E-Book holds it exclusively.
    const HFILE held = _lopen(ebook, OF_EXCLUSIVE_READWRITE);
    EXPECT_EQ(CBookSource(ebook).GetStatus(), CBookSource::kCannotOpen);
    _lclose(held);
  }

  const size_t tableAt = ReadFileBytes(program).size();
  // A count of 4 for 3 records: the records read before the failure must not be kept.
  std::string overcounted = ReadFileBytes(ebook);
  overcounted[tableAt + 8] ^= 3 ^ 4;
  // An empty table without its flag and count reads them from the trailer.
  Pack(program, packing::EBookPackage(), dir.File("bare"));
  std::string intoTrailer = ReadFileBytes(dir.File("bare"));
  intoTrailer.erase(tableAt + 4, 8);
  for (const std::string& damaged : {overcounted, intoTrailer}) {
    WriteFileBytes(ebook, damaged);
    const CBookSource source(ebook);
    EXPECT_EQ(source.GetStatus(), CBookSource::kBadTable);
    EXPECT_EQ(source.Table().GetSize(), 0);
  }
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

TEST_F(SampleBookTest, WindowShowsTheTableTextsOrWhyThereAreNone) {
  const CBookSource source(ebook);
  const QStringList texts = LabelTexts(sample_ebook::CBookWindow(source));
  EXPECT_TRUE(texts.contains("My <b>Book</b>"));
  EXPECT_TRUE(texts.contains(QString::fromUtf8("by Grüße <i>Me</i>")));
  EXPECT_TRUE(texts.contains("For you\nand you\nalso"));

  const CBookSource none(program);
  const sample_ebook::CBookWindow window(none);
  EXPECT_EQ(window.PageCount(), 1);
  EXPECT_TRUE(LabelTexts(window).contains("No Variable Table"));

  // The plain-text book of the Windows window: the same texts, every line break CR LF.
  const std::string text = sample_ebook::ComposeBookText(source);
  for (const char* part : {"My <b>Book</b>\r\n", "by Grüße <i>Me</i>\r\n",
                           "For you\r\nand you\r\nalso\r\n", "Chapter Two: The Letter"}) {
    EXPECT_NE(text.find(part), std::string::npos) << part;
  }
  EXPECT_EQ(sample_ebook::BookTitle(source), "My <b>Book</b>");
  EXPECT_EQ(sample_ebook::BookTitle(none), "Sample E-Book");
  EXPECT_NE(sample_ebook::ComposeBookText(none).find(
                sample_ebook::NoTableReason(CBookSource::kNoTrailer) + "\r\n"),
            std::string::npos);
}

// The real program (offscreen, as this test runs): once up, it holds its own file.
TEST_F(SampleBookTest, RunningSampleEBookHoldsItsFile) {
  Pack(SAMPLE_EBOOK, Package(), ebook);
  char* argv[] = {ebook.data(), nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, ebook.c_str(), nullptr, nullptr, argv, environ), 0);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!Locked(ebook) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // and keeps it: it did not just end
  EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), 0) << "the sample E-Book ended by itself";
  EXPECT_TRUE(Locked(ebook));
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
}

}  // namespace
