// The scrambled field primitives and the records built on them, on real
// files: the E-Book's trailer and table, and the rebranding information a
// rebrander carries.
#include <climits>

#include "tests/core/ebook_fixture.h"

namespace ebook_testing {
namespace {

CInfoBlock SampleBlock() {
  CInfoBlock block;
  std::tie(block.m_strEBookFile, block.m_strEBookId, block.m_strText3, block.m_strTitle,
           block.m_strStatusBefore, block.m_strStatusAfter, block.m_bAllowRepeat) =
      std::make_tuple("book", "Book-ID", "third", "My <b>Book</b>", "Before\n\nline two", "After",
                      1);
  return block;
}

// Integers, then a text, as the field stream stores them.
std::string Ints(std::initializer_list<int32_t> values) {
  std::string bytes;
  for (int32_t value : values) bytes += Scrambled(value);
  return bytes;
}
std::string Text(const std::string& text) {
  std::string bytes = Scrambled(static_cast<int32_t>(text.size()));
  for (char c : text) bytes += static_cast<char>(c ^ 0x93);
  return bytes;
}

class FormatsTest : public ::testing::Test {
 protected:
  ~FormatsTest() override { Close(); }
  // Opens the file over `bytes` at its start.
  void Open(const std::string& bytes) {
    Close();
    WriteFileBytes(path, bytes);
    file = _lopen(path, OF_EXCLUSIVE_READWRITE);
  }
  // Closes the file and gives its bytes.
  std::string Bytes() {
    Close();
    return ReadFileBytes(path);
  }
  void Close() {
    if (file != HFILE_ERROR) _lclose(file);
    file = HFILE_ERROR;
  }
  int32_t Seek(int32_t position) { return _llseek(file, position, FILE_BEGIN); }
  int32_t Position() { return _llseek(file, 0, FILE_CURRENT); }
  bool Transfer(auto& record, int direction) {
    CFieldStream stream(direction, file);
    return record.Transfer(stream);
  }
  // A rebrander: `prefix`, the sample block, `junk`, then a trailer pointing
  // at `offset`.
  std::string WriteRebrander(const std::string& prefix, const std::string& junk, int32_t offset) {
    CInfoBlock block = SampleBlock();
    CInfoTrailer trailer;
    trailer.m_nInfoOffset = offset;
    trailer.m_nVersion = -7;
    Open("");
    EXPECT_TRUE(WriteBytes(file, prefix.data(), uint32_t(prefix.size())) &&
                Transfer(block, CFieldStream::kWrite) &&
                WriteBytes(file, junk.data(), uint32_t(junk.size())) &&
                Transfer(trailer, CFieldStream::kWrite));
    return Bytes();
  }

  TempDir dir;
  std::string path = dir.File("records");
  HFILE file = HFILE_ERROR;
};

// Integers XOR 0x93939393 little-endian; string bytes XOR 0x93 behind their
// length; raw bytes as they are. A text ends at its first zero byte once
// unmasked, yet all its bytes are read.
TEST_F(FormatsTest, FieldsHaveTheirHandComputedBytesAndReadBack) {
  Open("");
  const std::string zeroInside(
      "\x93"
      "a\0b",
      4);
  char raw[] = {'A', 0};
  ASSERT_TRUE(WriteInt(file, 1) && WriteInt(file, -1) && WriteString(file, "AB") &&
              WriteString(file, "") && WriteString(file, zeroInside) &&
              CFieldStream(CFieldStream::kWrite, file).TransferRaw(raw, 2));
  const std::string bytes = Bytes();
  EXPECT_EQ(bytes, std::string("\x92\x93\x93\x93\x6c\x6c\x6c\x6c\x91\x93\x93\x93\xd2\xd1\x93\x93"
                               "\x93\x93\x97\x93\x93\x93\x00\xf2\x93\xf1"
                               "A\0",
                               28));
  Open(bytes);
  int32_t one = 0, minusOne = 0;
  std::string ab, empty = "old", cut;
  EXPECT_TRUE(ReadInt(file, one) && ReadInt(file, minusOne) && ReadString(file, ab) &&
              ReadString(file, empty) && ReadString(file, cut));
  EXPECT_EQ(std::tie(one, minusOne, ab, empty, cut), std::make_tuple(1, -1, "AB", "",
                                                                     "\x93"
                                                                     "a"));
  EXPECT_EQ(Position(), 26);
  // What was read ahead goes with a write over it.
  EXPECT_TRUE(Seek(0) == 0 && WriteInt(file, 5) && Seek(0) == 0 && ReadInt(file, one));
  EXPECT_EQ(one, 5);
  // A zero past the first word, where texts are unmasked a word at a time.
  Open("");
  ASSERT_TRUE(WriteString(file, std::string("abcdefghij\0lmnopqrst", 20)) && Seek(0) == 0);
  EXPECT_TRUE(ReadString(file, cut));
  EXPECT_EQ(std::make_pair(cut, Position()), std::make_pair(std::string("abcdefghij"), 24));
}

// Each record's fields in their order, and read back; the trailer's identity
// as it is, all 64 bytes when it has no zero byte.
TEST_F(FormatsTest, RecordsHaveTheirFieldsInOrderAndReadBackUntilTheFirstFailure) {
  CEBookTrailer trailer = SampleTrailer("Book Id"), read;
  trailer.m_nTableOffset = 1234;
  const std::string trailerBytes =
      Ints({CEBookTrailer::kStartMarker, kVersion, 2, -3, 0x4444, 5, 1234, 77, -8888}) + "Book Id" +
      std::string(57, '\0') + Ints({CEBookTrailer::kEndMarker});
  EXPECT_EQ(Encoded(path, trailer), trailerBytes);
  trailer.SetId(std::string(70, 'x'));
  Open(Encoded(path, trailer));
  ASSERT_TRUE(Transfer(read, CFieldStream::kRead));
  EXPECT_EQ(read.GetId(), std::string(64, 'x'));
  Open(trailerBytes);
  ASSERT_TRUE(Transfer(read, CFieldStream::kRead));
  EXPECT_EQ(Encoded(dir.File("again"), read), trailerBytes);

  CVariableTable table, readTable;
  table.Add(Variable("ID", "Prompt", "Value", 1, 3));
  table.m_bRebranded = 1;
  const std::string tableBytes = Ints({CVariableTable::kMarker, 1, 1, CVariable::kMarker}) +
                                 Text("ID") + Text("Prompt") + Text("Value") + Ints({1, 3});
  EXPECT_EQ(Encoded(path, table), tableBytes);
  Open(tableBytes);
  EXPECT_TRUE(readTable.Read(file));
  EXPECT_EQ(Encoded(dir.File("again"), readTable), tableBytes);

  EXPECT_EQ(WriteRebrander("", "", 6),
            Ints({CInfoBlock::kStartMarker}) + Text("book") + Text("Book-ID") + Text("third") +
                Text("My <b>Book</b>") + Text("Before\n\nline two") + Text("After") +
                Ints({1, CInfoBlock::kEndMarker}) +
                Ints({CInfoTrailer::kStartMarker, -7, 6, CInfoTrailer::kEndMarker}));
  // A count of zero or less is an empty table that replaces what was there; a
  // bad record marker keeps the records before it and reads no further.
  for (int32_t count : {0, INT_MIN}) {
    Open(Ints({CVariableTable::kMarker, 1, count}));
    CVariableTable table = SampleTable();
    EXPECT_TRUE(table.Read(file));
    EXPECT_EQ(std::make_tuple(table.GetSize(), table.m_bRebranded), std::make_tuple(0, 1));
  }
  CVariableTable one;
  one.Add(SampleTable()[0]);
  const size_t second = Encoded(path, one).size();
  std::string bytes = Encoded(path, SampleTable());
  bytes[second] ^= 0x01;
  Open(bytes);
  EXPECT_FALSE(readTable.Read(file));
  ASSERT_EQ(readTable.GetSize(), 1);
  EXPECT_EQ(std::make_pair(readTable[0].m_strValue, Position()),
            std::make_pair(std::string("A Short Book"), int32_t(second) + 4));
}

// The block may lie anywhere before the trailer, with anything between.
TEST_F(FormatsTest, RebrandInfoLoadsWhereItsTrailerPointsOrGivesItsError) {
  const std::string rebrander = dir.File("rebrander");
  WriteFileBytes(rebrander, WriteRebrander("prefix", std::string(1000, '\0') + "junk", 6));
  const CRebrandInfo info(rebrander);
  const CInfoBlock& b = info.Info();
  EXPECT_EQ(
      std::make_tuple(b.m_strEBookFile, b.m_strEBookId, b.m_strText3, b.m_strTitle,
                      b.m_strStatusBefore, b.m_strStatusAfter, b.m_bAllowRepeat,
                      info.Trailer().m_nVersion, info.Trailer().m_nInfoOffset, info.GetError()),
      std::make_tuple("book", "Book-ID", "third", "My <b>Book</b>", "Before\n\nline two", "After",
                      1, -7, 6, ""));
  for (const std::string& unopened : {dir.File("missing"), dir.Path()}) {
    EXPECT_EQ(CRebrandInfo(unopened).GetError(), "Can't open " + unopened);
  }
  std::string damaged = WriteRebrander("", "", 0);
  damaged[damaged.size() - 17] ^= 0x01;  // the block's end marker, before the 16-byte trailer
  // Too short, nothing appended, pointing outside the file, before its start,
  // or at no block, and a damaged block.
  const std::string bad[] = {damaged,
                             "short",
                             std::string(300, 'p'),
                             WriteRebrander("program", "", 1 << 20),
                             WriteRebrander("program", "", -4),
                             WriteRebrander("program", "", 3)};
  for (const std::string& bytes : bad) {
    WriteFileBytes(rebrander, bytes);
    EXPECT_EQ(CRebrandInfo(rebrander).GetError(), kErrorReadingRebrander) << bytes.size();
  }
}

TEST_F(FormatsTest, ProcessInformationLoadsOnceAndModuleFolderKeepsItsSeparator) {
  ResetRebrandInfoForTesting();
  OverrideModuleFileName(path);
  WriteFileBytes(path, "\177ELF");
  CRebrandInfo& first = GetRebrandInfo();
  EXPECT_EQ(first.GetError(), kErrorReadingRebrander);
  WriteFileBytes(path, WriteRebrander("\177ELF", "", 4));
  EXPECT_EQ(&GetRebrandInfo(), &first);
  EXPECT_TRUE(GetRebrandInfo().HasError()) << "a failed load is not retried";
  EXPECT_EQ(first.GetModuleFolder(), dir.Path() + kPathSeparator);
  OverrideModuleFileName("nofolder");
  EXPECT_EQ(first.GetModuleFolder(), "nofolder");
  OverrideModuleFileName(std::nullopt);
  ResetRebrandInfoForTesting();
}

}  // namespace
}  // namespace ebook_testing
