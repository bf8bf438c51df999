// The sample E-Book: reading its own package, holding it open, and showing it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <chrono>
#include <thread>

#include "platform/file_io.h"
#include "tests/support/temp_dir.h"
#include "tools/mkebook/package_json.h"
#include "tools/sample-ebook/book_source.h"
#include "tools/sample-ebook/book_window.h"
#include "tools/sample-ebook/display_text.h"

extern char** environ;

namespace {

using namespace platform;
using sample_ebook::CBookSource;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

formats::CVariable Variable(const std::string& ident, const std::string& value, int type = 0) {
  formats::CVariable variable;
  variable.m_strIdent = ident;
  variable.m_strPrompt = "Enter " + ident + ":";
  variable.m_strValue = value;
  variable.m_bEditable = 1;
  variable.m_nType = type;
  return variable;
}

packing::EBookPackage Package() {
  packing::EBookPackage package;
  package.trailer.SetId("Test Book 2");
  package.trailer.m_nVersion = 4;
  package.table.Add(Variable("title", "My <b>Book</b>"));
  package.table.Add(Variable("author", "<i>Me</i>", 1));
  package.table.Add(Variable("dedication", "For you\r\nand you\ralso", 2));
  package.table.Add(Variable("website", "https://example.org/", 0));
  return package;
}

// True when someone else holds a lock on the file, as a rebrander would find.
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
    WriteFileBytes(program,
                   "\x7f"
                   "ELF stand-in program");
    std::string error;
    ASSERT_TRUE(packing::PackEBook(program, Package(), ebook, error)) << error;
  }

  // Reads the E-Book's trailer, lets `change` edit it and writes it back.
  void RewriteTrailer(const std::function<void(formats::CEBookTrailer&)>& change) {
    const HFILE file = _lopen(ebook, OF_EXCLUSIVE_READWRITE);
    ASSERT_NE(file, HFILE_ERROR);
    const int32_t at = _llseek(file, -formats::CEBookTrailer::kSize, FILE_END);
    formats::CEBookTrailer trailer;
    formats::CFieldStream reader(formats::CFieldStream::kRead, file);
    ASSERT_TRUE(trailer.Transfer(reader));
    change(trailer);
    _llseek(file, at, FILE_BEGIN);
    formats::CFieldStream writer(formats::CFieldStream::kWrite, file);
    ASSERT_TRUE(trailer.Transfer(writer));
    _lclose(file);
  }
};

TEST_F(SampleBookTest, ReadsItsPackageAndHoldsTheFileWhileAlive) {
  {
    const CBookSource source(ebook);
    ASSERT_EQ(source.GetStatus(), CBookSource::kOk);
    EXPECT_EQ(source.Trailer().GetId(), "Test Book 2");
    EXPECT_EQ(source.Trailer().m_nVersion, 4);
    EXPECT_EQ(source.Table().GetSize(), 4);
    ASSERT_NE(source.Find("author"), nullptr);
    EXPECT_EQ(source.Find("author")->m_strValue, "<i>Me</i>");
    EXPECT_EQ(source.Find("note"), nullptr);

    EXPECT_TRUE(Locked(ebook));
    EXPECT_EQ(_lopen(ebook, OF_EXCLUSIVE_READWRITE), HFILE_ERROR);
  }
  EXPECT_FALSE(Locked(ebook));
  const HFILE file = _lopen(ebook, OF_EXCLUSIVE_READWRITE);
  EXPECT_NE(file, HFILE_ERROR);
  _lclose(file);
}

TEST_F(SampleBookTest, TellsWhyThereIsNoTable) {
  EXPECT_EQ(CBookSource(program).GetStatus(), CBookSource::kNoTrailer);
  WriteFileBytes(dir.File("short"), "tiny");
  EXPECT_EQ(CBookSource(dir.File("short")).GetStatus(), CBookSource::kNoTrailer);
  EXPECT_EQ(CBookSource(dir.File("missing")).GetStatus(), CBookSource::kCannotOpen);
  EXPECT_EQ(CBookSource(dir.Path()).GetStatus(), CBookSource::kCannotOpen);

  {  // A rebrander storing into the E-Book holds it exclusively.
    const HFILE held = _lopen(ebook, OF_EXCLUSIVE_READWRITE);
    ASSERT_NE(held, HFILE_ERROR);
    EXPECT_EQ(CBookSource(ebook).GetStatus(), CBookSource::kCannotOpen);
    _lclose(held);
  }

  const std::string packed = ReadFileBytes(ebook);
  const auto tableAt = static_cast<int32_t>(ReadFileBytes(program).size());
  for (const int32_t offset : {-1, int32_t(packed.size()), tableAt + 1}) {
    WriteFileBytes(ebook, packed);
    RewriteTrailer([offset](formats::CEBookTrailer& trailer) { trailer.m_nTableOffset = offset; });
    const CBookSource source(ebook);
    EXPECT_EQ(source.GetStatus(), CBookSource::kBadTable) << offset;
    EXPECT_EQ(source.Table().GetSize(), 0);
  }

  // A damaged third record: nothing half-read is kept.
  std::string damaged = packed;
  const std::string marker = [] {
    std::string bytes(4, '\0');
    const uint32_t stored = static_cast<uint32_t>(formats::CVariable::kMarker) ^ formats::kIntMask;
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(stored >> (8 * i));
    return bytes;
  }();
  size_t at = damaged.find(marker, tableAt);
  at = damaged.find(marker, at + 1);
  at = damaged.find(marker, at + 1);
  ASSERT_NE(at, std::string::npos);
  damaged[at] ^= 1;
  WriteFileBytes(ebook, damaged);
  const CBookSource source(ebook);
  EXPECT_EQ(source.GetStatus(), CBookSource::kBadTable);
  EXPECT_EQ(source.Table().GetSize(), 0);
}

TEST_F(SampleBookTest, TableThatRunsIntoTheTrailerIsRefused) {
  // A table header right before the trailer reads its count from the trailer.
  WriteFileBytes(ebook, ReadFileBytes(program));
  const HFILE file = _lopen(ebook, OF_EXCLUSIVE_READWRITE);
  ASSERT_NE(file, HFILE_ERROR);
  _llseek(file, 0, FILE_END);
  ASSERT_TRUE(formats::WriteMagic(file, formats::CVariableTable::kMarker));
  formats::CEBookTrailer trailer;
  trailer.m_nVersion = 0;  // read as a count of 0: the header alone reads fine
  trailer.m_nTableOffset = static_cast<int32_t>(ReadFileBytes(program).size());
  formats::CFieldStream stream(formats::CFieldStream::kWrite, file);
  ASSERT_TRUE(trailer.Transfer(stream));
  _lclose(file);
  EXPECT_EQ(CBookSource(ebook).GetStatus(), CBookSource::kBadTable);
}

TEST(DisplayTextTest, ShowsStoredLineBreaksAndLocalText) {
  EXPECT_EQ(sample_ebook::DisplayText("a\r\nb\rc\nd\r\n\r\n"), QString("a\nb\nc\nd\n\n"));
  EXPECT_EQ(sample_ebook::DisplayText("Gr\xc3\xbc\xc3\x9f"
                                      "e <b>"),
            QString::fromUtf8("Grüße <b>"));
}

QStringList LabelTexts(const QWidget& window) {
  QStringList texts;
  for (const QLabel* label : window.findChildren<QLabel*>()) {
    EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
    texts << label->text();
  }
  return texts;
}

QPushButton* Button(const QWidget& window, const QString& text) {
  for (QPushButton* button : window.findChildren<QPushButton*>()) {
    if (button->text() == text) return button;
  }
  return nullptr;
}

TEST_F(SampleBookTest, WindowShowsTheTableTextsAsPlainText) {
  const CBookSource source(ebook);
  sample_ebook::CBookWindow window(source);
  EXPECT_EQ(window.windowTitle(), "My <b>Book</b>");
  const QStringList texts = LabelTexts(window);
  EXPECT_TRUE(texts.contains("My <b>Book</b>"));
  EXPECT_TRUE(texts.contains("by <i>Me</i>"));
  EXPECT_TRUE(texts.contains("For you\nand you\nalso"));
  EXPECT_TRUE(texts.contains("https://example.org/"));
  for (const QString& text : texts) EXPECT_FALSE(text.contains('\r')) << text.toStdString();

  // Every page can be reached, and no further.
  QPushButton* next = Button(window, "Next >");
  ASSERT_NE(next, nullptr);
  for (int i = 0; i < 10; ++i) next->click();
  EXPECT_EQ(window.CurrentPage(), window.PageCount() - 1);
  EXPECT_GE(window.PageCount(), 4);
  EXPECT_FALSE(next->isEnabled());
}

TEST_F(SampleBookTest, WindowWithoutTableSaysSo) {
  const CBookSource source(program);
  sample_ebook::CBookWindow window(source);
  EXPECT_EQ(window.PageCount(), 1);
  const QStringList texts = LabelTexts(window);
  EXPECT_TRUE(texts.contains("No Variable Table"));
  EXPECT_TRUE(texts.contains(QString::fromStdString(program)));
  EXPECT_FALSE(Button(window, "Next >")->isEnabled());
}

// The real program, packed with the sample table: it must come up and hold its
// own file for as long as it runs.
TEST_F(SampleBookTest, RunningSampleEBookHoldsItsFile) {
  QFile table(SAMPLE_TABLE);
  ASSERT_TRUE(table.open(QIODevice::ReadOnly));
  packing::EBookPackage package;
  std::string error;
  ASSERT_TRUE(packing::PackageFromJson(table.readAll(), package, error)) << error;
  ASSERT_TRUE(packing::PackEBook(SAMPLE_EBOOK, package, ebook, error)) << error;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<std::string> environment = {"QT_QPA_PLATFORM=offscreen"};
  std::vector<char*> envp = {environment[0].data()};
  for (char** entry = environ; *entry; ++entry) envp.push_back(*entry);
  envp.push_back(nullptr);
  char* argv[] = {ebook.data(), nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, ebook.c_str(), &actions, nullptr, argv, envp.data()), 0);
  posix_spawn_file_actions_destroy(&actions);

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  bool locked = false;
  while (!locked && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    locked = Locked(ebook);
  }
  EXPECT_TRUE(locked);
  EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), 0) << "the sample E-Book ended by itself";
  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_FALSE(Locked(ebook));
}

}  // namespace
