// E-Books with hostile values where the table or the trailer should be: each
// gets its one message and nothing is written. Offsets outside the file and
// files of 2 GiB or more are covered with the table load and store.
#include <gtest/gtest.h>

#include <climits>

#include "ebook/ebook_file.h"
#include "tests/core/ebook_fixture.h"
#include "tests/core/expected_messages.h"

namespace {

using namespace ebook_testing;
using namespace formats;
using ebook::CEBookFile;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

constexpr int32_t kTrailerSize = CEBookTrailer::kSize;

std::string Scrambled(int32_t value) {
  const uint32_t stored = static_cast<uint32_t>(value) ^ kIntMask;
  std::string bytes;
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(stored >> (8 * i)));
  return bytes;
}

class HostileEBookTest : public EBookTest {
 protected:
  void SetUp() override {
    EBookTest::SetUp();
    WriteSampleEBook();
    original = ReadFileBytes(EBookPath());
  }

  // The sample E-Book with the integer at `position` replaced.
  std::string WithInt(size_t position, int32_t value) const {
    std::string bytes = original;
    bytes.replace(position, 4, Scrambled(value));
    return bytes;
  }

  // Loading gives the read message, storing (when asked) the write message,
  // and the file stays as it is.
  void ExpectRefused(const std::string& bytes, bool store) {
    WriteFileBytes(EBookPath(), bytes);
    ui.messages.clear();
    IoRecorder io;
    CVariableTable table;
    EXPECT_FALSE(CEBookFile().LoadTable(table));
    ExpectOnlyMessage(kErrorReading);
    if (store) {
      ui.messages.clear();
      EXPECT_FALSE(CEBookFile().StoreTable(SampleTable()));
      ExpectOnlyMessage(kErrorWriting);
    }
    EXPECT_EQ(io.Changes(), 0);
    EXPECT_TRUE(ReadFileBytes(EBookPath()) == bytes);
  }

  size_t tableOffset = program.size();
  std::string original;
};

TEST_F(HostileEBookTest, HugeOrNegativeLengthsAndCountsInTheTableAreRefused) {
  const CVariable first = SampleTable()[0];
  const size_t count = tableOffset + 8;
  const size_t ident = tableOffset + 16;
  const size_t prompt = ident + 4 + first.m_strIdent.size();
  const size_t value = prompt + 4 + first.m_strPrompt.size();
  const int32_t bytesLeft = static_cast<int32_t>(original.size() - value - 4);
  const std::pair<size_t, int32_t> cases[] = {
      {count, INT_MAX},       {ident, INT_MAX}, {prompt, INT_MAX}, {value, INT_MAX},
      {value, bytesLeft + 1}, {value, -1},      {value, INT_MIN},
  };
  for (const auto& [position, hostile] : cases) {
    SCOPED_TRACE(std::to_string(position) + ": " + std::to_string(hostile));
    ExpectRefused(WithInt(position, hostile), /*store=*/false);
  }
}

TEST_F(HostileEBookTest, FileThatIsOnlyATrailerOrATableThatRunsIntoTheTrailerIsNeverWritten) {
  CEBookTrailer trailer = SampleTrailer();
  trailer.m_nTableOffset = 0;
  const std::string onlyTrailer = EncodedTrailer(dir.File("scratch"), trailer);
  ASSERT_EQ(onlyTrailer.size(), 104u);
  WriteFileBytes(EBookPath(), onlyTrailer);
  EXPECT_TRUE(CEBookFile().Validate()) << "the trailer itself is fine";
  EXPECT_TRUE(ui.messages.empty());
  ExpectRefused(onlyTrailer, /*store=*/true);

  // Less room before the trailer than a table's header (marker, flag, count).
  const int32_t trailerAt = static_cast<int32_t>(original.size()) - kTrailerSize;
  for (int32_t offset : {trailerAt, trailerAt - 1, trailerAt - 11}) {
    SCOPED_TRACE(offset);
    trailer.m_nTableOffset = offset;
    // The table's marker, as far as it fits before the trailer.
    std::string bytes =
        original.substr(0, trailerAt) + EncodedTrailer(dir.File("scratch"), trailer);
    bytes.replace(offset, std::min<size_t>(4, trailerAt - offset),
                  Scrambled(CVariableTable::kMarker).substr(0, trailerAt - offset));
    ExpectRefused(bytes, /*store=*/true);
  }
}

}  // namespace
