// The E-Book library seen from an author's program: what it gives for a
// table, how it keeps the rebrander out while a book is open, and how it
// refuses what is not an E-Book.
#include "tools/ebookvars/ebookvars.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/core/ebook_fixture.h"
#include "tools/ebookvars/ebv_book.h"

namespace {

using namespace ebook_testing;

// Opens by the path's text; on Windows that goes through the wide-character open.
ebv_error Open(const platform::Path& path, ebv_book** book) {
  return ebv_open(TextFromPath(path).c_str(), book);
}

// Closes the book at the end of the scope.
struct OpenBook {
  explicit OpenBook(const platform::Path& path) : error(Open(path, &book)) {}
  ~OpenBook() { ebv_close(book); }
  ebv_book* book = nullptr;
  ebv_error error;
};

class EBookVarsTest : public EBookTest {};

// What the agreement with the rebrander does not hold: the trailer's fields,
// the end of the table, and a zero byte after every text.
TEST_F(EBookVarsTest, GivesTheTrailerAndTextsAsCStrings) {
  WriteEBook(EBookPath(), program, SampleTable(), SampleTrailer(std::string(64, 'I'), -9));
  const OpenBook open(EBookPath());
  ASSERT_EQ(open.error, EBV_OK) << ebv_error_message(open.error);
  EXPECT_EQ(ebv_identity(open.book), std::string(64, 'I'));  // no zero in the identity
  EXPECT_EQ(ebv_version(open.book), -9);
  const size_t count = static_cast<size_t>(SampleTable().GetSize());
  ASSERT_EQ(ebv_count(open.book), count);
  EXPECT_EQ(ebv_variable_at(open.book, count), nullptr);
  for (size_t i = 0; i < count; ++i) {
    const ebv_variable* v = ebv_variable_at(open.book, i);
    // Each text ends with a zero byte of its own, whatever field follows it.
    EXPECT_EQ(std::strlen(v->ident), v->ident_length) << i;
    EXPECT_EQ(std::strlen(v->prompt), v->prompt_length) << i;
    EXPECT_EQ(std::strlen(v->value), v->value_length) << i;
  }
}

TEST_F(EBookVarsTest, FindsTheFirstVariableOfAnIdentWhole) {
  CVariableTable table = SampleTable();
  table.Add(Variable("TITLE", "", "second of the name"));
  WriteEBook(EBookPath(), program, table, SampleTrailer());
  const OpenBook open(EBookPath());
  ASSERT_EQ(open.error, EBV_OK);
  const std::pair<const char*, const ebv_variable*> cases[] = {
      {"TITLE", ebv_variable_at(open.book, 0)},
      {"BUILD", ebv_variable_at(open.book, 2)},
      {"TITL", nullptr},  // a prefix is no match
      {"title", nullptr},
      {nullptr, nullptr}};
  for (const auto& [ident, found] : cases)
    EXPECT_EQ(ebv_find(open.book, ident), found) << (ident ? ident : "(null)");
}

TEST_F(EBookVarsTest, AnOpenBookKeepsTheRebranderOut) {
  int pauses = 0;
  SetSleeper([&](uint32_t) { ++pauses; });
  {
    const OpenBook open(EBookPath());
    ASSERT_EQ(open.error, EBV_OK);
    EXPECT_EQ(_lopen(EBookPath(), OF_EXCLUSIVE_READWRITE), HFILE_ERROR);
    EXPECT_FALSE(CEBookFile().ProbeNotInUse());
    ui.messages.clear();
  }
  pauses = 0;
  EXPECT_TRUE(CEBookFile().ProbeNotInUse());
  EXPECT_EQ(pauses, 0);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(EBookVarsTest, RefusesWhileTheRebranderWrites) {
  const HFILE writing = _lopen(EBookPath(), OF_EXCLUSIVE_READWRITE);
  ASSERT_NE(writing, HFILE_ERROR);
  ebv_book* book = reinterpret_cast<ebv_book*>(this);  // must be set to null
  EXPECT_EQ(Open(EBookPath(), &book), EBV_ERROR_IN_USE);
  EXPECT_EQ(book, nullptr);
  _lclose(writing);
  const OpenBook open(EBookPath());
  EXPECT_EQ(open.error, EBV_OK);
}

TEST_F(EBookVarsTest, RefusesWhatIsNoFileToRead) {
  ebv_book* book = nullptr;
  EXPECT_EQ(ebv_open(nullptr, &book), EBV_ERROR_ARGUMENT);
  EXPECT_EQ(Open(EBookPath(), nullptr), EBV_ERROR_ARGUMENT);
  EXPECT_EQ(Open(dir.Path(), &book), EBV_ERROR_OPEN);
  EXPECT_EQ(book, nullptr);
  ebv_close(nullptr);
}

// A file of 1 GiB that exists only as its table's header at offset 0 and a
// trailer that points there; it remembers the largest read asked of it.
struct HugeSource {
  std::string header, trailer;
  size_t largestRead = 0;
  static constexpr int64_t kLength = int64_t{1} << 30;
};
int ReadHuge(void* from, int64_t offset, void* buffer, size_t size) {
  auto& source = *static_cast<HugeSource*>(from);
  source.largestRead = std::max(source.largestRead, size);
  std::memset(buffer, 0, size);
  const std::string& part = offset == 0 ? source.header : source.trailer;
  std::memcpy(buffer, part.data(), std::min(size, part.size()));
  return 1;
}

// A damaged header (a wrong marker, more records than bytes) is refused before
// the table's bytes are read into a buffer as large as the file.
TEST_F(EBookVarsTest, DamagedHeaderIsRefusedBeforeTheTableIsRead) {
  CEBookTrailer trailer = SampleTrailer();
  trailer.m_nTableOffset = 0;
  for (const auto& [marker, count] : {std::pair{0x1234u, 1}, {EBV_TABLE_MARKER, INT32_MAX}}) {
    HugeSource source{Scrambled(static_cast<int32_t>(marker)) + Scrambled(0) + Scrambled(count),
                      Encode(trailer)};
    ebv_book book{};
    EXPECT_EQ(EBV_ERROR_BAD_TABLE, ebv_load(&book, HugeSource::kLength, ReadHuge, &source));
    EXPECT_EQ(size_t{EBV_TRAILER_SIZE}, source.largestRead) << "marker " << marker;
    ebv_unload(&book);
  }
}

}  // namespace
