// The scrambled field primitives and the records built on them, on real
// files: the E-Book's trailer and table, and the rebranding information a
// rebrander carries.
#include <climits>

#include "formats/rebrand_info.h"
#include "platform/module_path.h"
#include "tests/core/ebook_fixture.h"
#include "tools/mkrebrander/stamp.h"

namespace ebook_testing {
namespace {

CInfoBlock SampleBlock(const std::string& title = "My <b>Book</b>") {
  CInfoBlock block;
  block.m_strEBookFile = "book";
  block.m_strEBookId = "Book-ID";
  block.m_strText3 = "third";
  block.m_strTitle = title;
  block.m_strStatusBefore = "Before\n\nline two";
  block.m_strStatusAfter = "After";
  block.m_bAllowRepeat = 1;
  return block;
}

class FormatsTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteFileBytes(program, "\177ELF pretend program bytes"); }
  ~FormatsTest() override { Close(); }
  // Opens the file over `bytes` at `position`.
  void Open(const std::string& bytes, int32_t position = 0) {
    Close();
    WriteFileBytes(path, bytes);
    file = _lopen(path, OF_EXCLUSIVE_READWRITE);
    ASSERT_EQ(Seek(position), position);
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
  template <class Record>
  bool Transfer(Record& record, int direction) {
    CFieldStream stream(direction, file);
    return record.Transfer(stream);
  }
  // `prefix`, the sample block, `junk`, then a trailer pointing at `offset`.
  void WriteRebrander(const std::string& prefix, const std::string& junk, int32_t offset) {
    CInfoBlock block = SampleBlock();
    CInfoTrailer trailer;
    trailer.m_nInfoOffset = offset;
    trailer.m_nVersion = -7;
    Open(prefix, static_cast<int32_t>(prefix.size()));
    EXPECT_TRUE(Transfer(block, CFieldStream::kWrite) &&
                WriteBytes(file, junk.data(), static_cast<uint32_t>(junk.size())) &&
                Transfer(trailer, CFieldStream::kWrite));
    Close();
  }

  TempDir dir;
  std::string path = dir.File("records");
  std::string program = dir.File("bare");
  HFILE file = HFILE_ERROR;
};

// Integers XOR 0x93939393 little-endian; string bytes XOR 0x93 behind their
// length; raw bytes as they are. A text ends at its first zero byte once
// unmasked, yet all its bytes are read.
TEST_F(FormatsTest, FieldsHaveTheirHandComputedBytesAndReadBack) {
  Open("");
  ASSERT_TRUE(WriteInt(file, 1) && WriteInt(file, -1) && WriteString(file, "AB") &&
              WriteString(file, "") &&
              WriteString(file, std::string("\x93"
                                            "a\0b",
                                            4)));
  char raw[] = {'A', 0};
  ASSERT_TRUE(CFieldStream(CFieldStream::kWrite, file).TransferRaw(raw, 2));
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
  EXPECT_EQ(std::tie(one, minusOne, ab, empty, cut),
            std::make_tuple(1, -1, std::string("AB"), std::string(),
                            std::string("\x93"
                                        "a")));
  EXPECT_EQ(Position(), 26);
  // What was read ahead goes with a write over it.
  EXPECT_TRUE(Seek(0) == 0 && WriteInt(file, 5) && Seek(0) == 0 && ReadInt(file, one));
  EXPECT_EQ(one, 5);
  ASSERT_EQ(Seek(26), 26);
  EXPECT_TRUE(CFieldStream(CFieldStream::kRead, file).TransferRaw(raw, 2));
  EXPECT_FALSE(ReadInt(file, one));
  EXPECT_EQ(one, 0) << "a read that delivered nothing yields 0";
  // A zero past the first word, where texts are unmasked a word at a time.
  Open("");
  ASSERT_TRUE(WriteString(file, std::string("abcdefghij\0lmnopqrst", 20)) && Seek(0) == 0);
  EXPECT_TRUE(ReadString(file, cut));
  EXPECT_EQ(cut, "abcdefghij");
  EXPECT_EQ(Position(), 24) << "past all twenty bytes";
}

// Short fields fail; lengths of 2 GiB or below zero read nothing past the
// length.
TEST_F(FormatsTest, ShortOrHostileFieldsFailWithoutReadingOn) {
  const struct {
    std::string bytes;
    int kind;  // 0 int, 1 string, 2 four raw bytes
    int32_t endsAt;
  } cases[] = {
      {std::string("\x90\x93", 2), 0, 2},
      {std::string("\x96\x93\x93\x93\xd2\xd1", 6), 1, 4},  // length 5, two bytes follow
      {"ab", 2, 2},
      {Scrambled(INT32_MAX) + "abc", 1, 4},
      {Scrambled(-5) + "abcdef", 1, 4},
  };
  for (const auto& c : cases) {
    Open(c.bytes);
    int32_t value;
    std::string text = "old";
    char buffer[4];
    EXPECT_FALSE(c.kind == 0   ? ReadInt(file, value)
                 : c.kind == 1 ? ReadString(file, text)
                               : CFieldStream(CFieldStream::kRead, file).TransferRaw(buffer, 4));
    EXPECT_EQ(text, c.kind == 1 ? "" : "old");
    EXPECT_EQ(Position(), c.endsAt) << c.kind;
  }
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

// Each record's fields in their order, and read back; the trailer's identity
// as it is, all 64 bytes when it has no zero byte.
TEST_F(FormatsTest, RecordsHaveTheirFieldsInOrderAndReadBack) {
  CEBookTrailer trailer = SampleTrailer("Book Id"), read;
  trailer.m_nTableOffset = 1234;
  const std::string trailerBytes =
      Ints({CEBookTrailer::kStartMarker, kVersion, 2, -3, 0x4444, 5, 1234, 77, -8888}) + "Book Id" +
      std::string(57, '\0') + Ints({CEBookTrailer::kEndMarker});
  EXPECT_EQ(EncodedTrailer(dir.File("scratch"), trailer), trailerBytes);
  Open(trailerBytes);
  ASSERT_TRUE(Transfer(read, CFieldStream::kRead));
  EXPECT_EQ(read.GetId(), "Book Id");
  EXPECT_EQ(EncodedTrailer(dir.File("scratch"), read), trailerBytes);
  trailer.SetId(std::string(70, 'x'));
  Open(EncodedTrailer(dir.File("scratch"), trailer));
  ASSERT_TRUE(Transfer(read, CFieldStream::kRead));
  EXPECT_EQ(read.GetId(), std::string(64, 'x'));

  CVariableTable table, readTable;
  table.Add(Variable("ID", "Prompt", "Value", 1, 3));
  table.m_bRebranded = 1;
  const std::string tableBytes = Ints({CVariableTable::kMarker, 1, 1, CVariable::kMarker}) +
                                 Text("ID") + Text("Prompt") + Text("Value") + Ints({1, 3});
  EXPECT_EQ(EncodedTable(dir.File("scratch"), table), tableBytes);
  Open(tableBytes);
  EXPECT_TRUE(readTable.Read(file));
  EXPECT_EQ(EncodedTable(dir.File("scratch"), readTable), tableBytes);

  CInfoBlock block = SampleBlock();
  CInfoTrailer infoTrailer;
  infoTrailer.m_nVersion = -7;
  infoTrailer.m_nInfoOffset = 6;
  Open("");
  EXPECT_TRUE(Transfer(block, CFieldStream::kWrite) && Transfer(infoTrailer, CFieldStream::kWrite));
  EXPECT_EQ(Bytes(), Ints({CInfoBlock::kStartMarker}) + Text("book") + Text("Book-ID") +
                         Text("third") + Text("My <b>Book</b>") + Text("Before\n\nline two") +
                         Text("After") + Ints({1, CInfoBlock::kEndMarker}) +
                         Ints({CInfoTrailer::kStartMarker, -7, 6, CInfoTrailer::kEndMarker}));
}

// A count of zero or less is an empty table that replaces what was there; a
// bad record marker keeps the records before it and reads no further.
TEST_F(FormatsTest, TableReadsItsHeaderAndRecordsUntilTheFirstFailure) {
  for (int32_t count : {0, -1, INT_MIN}) {
    Open(Scrambled(CVariableTable::kMarker) + Scrambled(1) + Scrambled(count));
    CVariableTable table = SampleTable();
    EXPECT_TRUE(table.Read(file));
    EXPECT_EQ(std::make_tuple(table.GetSize(), table.m_bRebranded), std::make_tuple(0, 1));
  }
  CVariableTable read, one;
  Open(EncodedTable(dir.File("table"), CVariableTable{}).substr(0, 10));
  EXPECT_FALSE(read.Read(file));
  one.Add(SampleTable()[0]);
  const size_t second = EncodedTable(dir.File("table"), one).size();
  std::string bytes = EncodedTable(dir.File("table"), SampleTable());
  bytes[second] ^= 0x01;
  Open(bytes);
  EXPECT_FALSE(read.Read(file));
  ASSERT_EQ(read.GetSize(), 1);
  EXPECT_EQ(read[0].m_strValue, "A Short Book");
  EXPECT_EQ(Position(), static_cast<int32_t>(second) + 4);
}

// The block may lie anywhere before the trailer, with anything between; a
// failure keeps the fields read before it.
TEST_F(FormatsTest, RebrandInfoLoadsWhereItsTrailerPointsOrGivesItsError) {
  WriteRebrander("prefix", std::string(1000, '\0') + "junk", 6);
  const CRebrandInfo info(path);
  const CInfoBlock& b = info.Info();
  EXPECT_EQ(std::tie(b.m_strEBookFile, b.m_strEBookId, b.m_strText3, b.m_strTitle,
                     b.m_strStatusBefore, b.m_strStatusAfter, b.m_bAllowRepeat,
                     info.Trailer().m_nVersion, info.Trailer().m_nInfoOffset),
            std::make_tuple("book", "Book-ID", "third", "My <b>Book</b>", "Before\n\nline two",
                            "After", 1, -7, 6));
  EXPECT_EQ(info.GetError(), "");
  EXPECT_EQ(CRebrandInfo(dir.File("missing")).GetError(), "Can't open " + dir.File("missing"));
  EXPECT_EQ(CRebrandInfo(dir.Path()).GetError(), "Can't open " + dir.Path());
  EXPECT_EQ(CRebrandInfo(program).GetError(), kErrorReadingRebrander) << "nothing appended";
  WriteFileBytes(path, "short");
  EXPECT_EQ(CRebrandInfo(path).GetError(), kErrorReadingRebrander);
  // Pointing outside the file, before its start, or at no block.
  for (int32_t offset : {1 << 20, -4, 3}) {
    WriteRebrander(ReadFileBytes(program), "", offset);
    EXPECT_EQ(CRebrandInfo(path).GetError(), kErrorReadingRebrander) << offset;
  }
  std::string error, bytes;
  ASSERT_TRUE(stamping::StampRebrander(program, path, SampleBlock(), 1, error));
  bytes = ReadFileBytes(path);
  bytes[bytes.size() - 17] ^= 0x01;  // the block's end marker, before the 16-byte trailer
  WriteFileBytes(path, bytes);
  const CRebrandInfo damaged(path);
  EXPECT_EQ(damaged.GetError(), kErrorReadingRebrander);
  EXPECT_EQ(damaged.Info().m_strStatusAfter, "After");
}

TEST_F(FormatsTest, RestampingReplacesTheStampKeepsPermissionsAndFailsCleanly) {
  fs::permissions(program, static_cast<fs::perms>(0751));
  std::string error;
  const std::string once = dir.File("once");
  ASSERT_TRUE(stamping::StampRebrander(program, path, SampleBlock(), 1, error));
  ASSERT_TRUE(stamping::StampRebrander(program, once, SampleBlock("Second"), 2, error));
  ASSERT_TRUE(stamping::StampRebrander(path, path, SampleBlock("Second"), 2, error));
  EXPECT_EQ(ReadFileBytes(path), ReadFileBytes(once));
  EXPECT_EQ(stamping::ProgramLength(path), static_cast<int64_t>(ReadFileBytes(program).size()));
  EXPECT_EQ(fs::status(path).permissions(), fs::status(program).permissions());
  EXPECT_FALSE(stamping::StampRebrander(dir.File("none"), once, SampleBlock(), 1, error));
  EXPECT_NE(error.find("cannot read"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(once), ReadFileBytes(path)) << "a failed stamp leaves the output";
  EXPECT_FALSE(stamping::StampRebrander(program, dir.File("no/such/out"), SampleBlock(), 1, error));
  EXPECT_NE(error.find("cannot write"), std::string::npos);
}

TEST_F(FormatsTest, ProcessInformationLoadsOnceAndModuleFolderKeepsItsSeparator) {
  ResetRebrandInfoForTesting();
  OverrideModuleFileName(program);
  CRebrandInfo& first = GetRebrandInfo();
  EXPECT_EQ(first.GetError(), kErrorReadingRebrander);
  std::string error;
  ASSERT_TRUE(stamping::StampRebrander(program, program, SampleBlock(), 1, error));
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
