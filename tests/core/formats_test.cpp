// The scrambled field primitives and the records built on them, on real
// files: the E-Book's trailer and table, and the rebranding information a
// rebrander carries; how each reads back.
#include <climits>

#include "tests/core/ebook_fixture.h"

namespace ebook_testing {
namespace {

// Integers, then a text, as the field stream stores them.
std::string Ints(std::initializer_list<int32_t> values) {
  std::string bytes;
  for (int32_t value : values) bytes += Scrambled(value);
  return bytes;
}
std::string Text(const std::string& text) {
  std::string bytes = Scrambled(static_cast<int32_t>(text.size()));
  for (char c : text) bytes += static_cast<char>(c ^ kByteMask);
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
  void Close() {
    if (file != HFILE_ERROR) _lclose(file);
    file = HFILE_ERROR;
  }
  std::string Encode(const auto& record) { return Encoded(dir.File("scratch"), record); }
  TempDir dir;
  Path path = dir.File("records");
  HFILE file = HFILE_ERROR;
};

// Integers XOR the integer mask little-endian; string bytes XOR the byte mask
// behind their length; raw bytes as they are.
TEST_F(FormatsTest, FieldsAreStoredMaskedLittleEndianAndRawBytesAsTheyAre) {
  Open("");
  char raw[] = {'A', 0};
  ASSERT_TRUE(WriteInt(file, 1));
  ASSERT_TRUE(WriteInt(file, -1));
  ASSERT_TRUE(WriteString(file, "AB"));
  ASSERT_TRUE(WriteString(file, ""));
  ASSERT_TRUE(CFieldStream(CFieldStream::kWrite, file).TransferRaw(raw, 2));
  Close();
  EXPECT_EQ(std::string("\x92\x93\x93\x93\x6c\x6c\x6c\x6c\x91\x93\x93\x93\xd2\xd1\x93\x93\x93\x93"
                        "A\0",
                        20),
            ReadFileBytes(path));
}

// A text ends at its first zero byte once unmasked, yet all its bytes are
// read: before, in and past the first word, where texts are unmasked a word
// at a time.
TEST_F(FormatsTest, ReadTextEndsAtItsFirstZeroByteButAllItsBytesAreRead) {
  for (const std::string& stored :
       {std::string("\x93\x61\0b", 4), std::string("abcdefghij\0lmnopqrst", 20)}) {
    Open(Text(stored));
    std::string text;
    EXPECT_TRUE(ReadString(file, text));
    EXPECT_EQ(stored.substr(0, stored.find('\0')), text);
    EXPECT_EQ(int32_t(Text(stored).size()), _llseek(file, 0, FILE_CURRENT));
  }
}

// What was read ahead goes with a write over it.
TEST_F(FormatsTest, WriteOverReadAheadBytesIsWhatTheNextReadSees) {
  Open(Ints({1, 2}));
  int32_t value = 0;
  ASSERT_TRUE(ReadInt(file, value));
  ASSERT_EQ(0, _llseek(file, 0, FILE_BEGIN));
  ASSERT_TRUE(WriteInt(file, 5));
  ASSERT_EQ(0, _llseek(file, 0, FILE_BEGIN));
  ASSERT_TRUE(ReadInt(file, value));
  EXPECT_EQ(5, value);
}

// Fields cut short by the end of the file fail, whatever their kind.
TEST_F(FormatsTest, FieldCutShortByTheEndOfTheFileFails) {
  int32_t value;
  std::string text;
  Open(Scrambled(CVariable::kMarker).substr(0, 3));
  EXPECT_FALSE(ReadInt(file, value)) << "an integer of 3 bytes";
  Open(Scrambled(5) + "abc");
  EXPECT_FALSE(ReadString(file, text)) << "a text of 5 with 3 bytes left";
}

// A damaged length or count is refused before it costs memory beyond what
// the file could hold.
TEST_F(FormatsTest, HostileTextLengthIsRefusedBeforeItsBytesAreAllocated) {
  Open(Ints({64 << 20}) + "short");
  std::string text;
  EXPECT_FALSE(ReadString(file, text));
  EXPECT_GT(size_t{1} << 20, text.capacity()) << "the claimed length was allocated";
}
TEST_F(FormatsTest, HostileRecordCountIsReadWithoutReservingForIt) {
  Open(Ints({CVariableTable::kMarker, 0, INT_MAX}) + Encode(Variable("A", "B", "C")));
  CVariableTable table;
  EXPECT_FALSE(table.Read(file));
  EXPECT_EQ(1, table.GetSize());
}

// A rebrander that cannot read its own stamp says why, in these words.
TEST_F(FormatsTest, RebrandInfoThatCannotBeReadSaysWhy) {
  const Path missing = dir.File("gone");
  EXPECT_EQ("Can't open " + TextFromPath(missing), CRebrandInfo(missing).GetError());
  WriteFileBytes(path, "a program without a stamp");
  EXPECT_EQ(
      "Error reading rebranding program.\n\nThis application may be corrupt. If you downloaded "
      "it from the Internet, please download it again.",
      CRebrandInfo(path).GetError());
}

// Each record's fields in their order, and the table read back. A count of zero or less
// is an empty table that replaces what was there.
TEST_F(FormatsTest, RecordsHaveTheirFieldsInOrderAndTheTableReadsBack) {
  CEBookTrailer trailer = SampleTrailer("Book Id");
  trailer.m_nTableOffset = 1234;
  const std::string trailerBytes =
      Ints({CEBookTrailer::kStartMarker, kVersion, 2, -3, 0x4444, 5, 1234, 77, -8888}) + "Book Id" +
      std::string(57, '\0') + Ints({CEBookTrailer::kEndMarker});
  EXPECT_EQ(Encode(trailer), trailerBytes);

  CVariableTable table, readTable;
  table.Add(Variable("ID", "Prompt", "Value", 1, 3));
  table.m_bRebranded = 1;
  const std::string tableBytes = Ints({CVariableTable::kMarker, 1, 1, CVariable::kMarker}) +
                                 Text("ID") + Text("Prompt") + Text("Value") + Ints({1, 3});
  EXPECT_EQ(Encode(table), tableBytes);
  Open(tableBytes);
  EXPECT_TRUE(readTable.Read(file));
  EXPECT_EQ(Encode(readTable), tableBytes);

  CInfoBlock block;
  std::tie(block.m_strEBookFile, block.m_strEBookId, block.m_strText3, block.m_strTitle,
           block.m_strStatusBefore, block.m_strStatusAfter, block.m_bAllowRepeat) =
      std::make_tuple("book", "Book-ID", "third", "Title", "Before", "After", 1);
  CInfoTrailer infoTrailer;
  std::tie(infoTrailer.m_nVersion, infoTrailer.m_nInfoOffset) = std::make_tuple(-7, 6);
  EXPECT_EQ(Encode(block) + Encode(infoTrailer),
            Ints({CInfoBlock::kStartMarker}) + Text("book") + Text("Book-ID") + Text("third") +
                Text("Title") + Text("Before") + Text("After") +
                Ints({1, CInfoBlock::kEndMarker, CInfoTrailer::kStartMarker, -7, 6,
                      CInfoTrailer::kEndMarker}));
  for (int32_t count : {0, INT_MIN}) {
    Open(Ints({CVariableTable::kMarker, 1, count}));
    CVariableTable table = SampleTable();
    EXPECT_TRUE(table.Read(file));
    EXPECT_EQ(std::make_tuple(table.GetSize(), table.m_bRebranded), std::make_tuple(0, 1));
  }
}

// A PE32+ head as far as a signature concerns it: the new header at 0x40, the
// optional header's magic, the checksum, the count of data directories and
// the security directory's entry.
constexpr size_t kMagicAt = 0x58, kChecksumAt = 0x98, kDirectoriesAt = 0xC4, kEntryAt = 0xE8;
std::string PeHead() {
  std::string head(0x148, '\0');
  head.replace(0, 2, "MZ");
  head[0x3C] = 0x40;
  head.replace(0x40, 2, "PE");
  head[0x54] = char(240);  // the optional header's size
  head.replace(kMagicAt, 2, "\x0b\x02");
  head[kDirectoriesAt] = 16;
  return head;
}
// As signing leaves `program` behind `pad` zeros: a certificate table that
// ends the file, where the security directory says, and a checksum.
std::string Signed(std::string program, size_t pad) {
  const std::string table = "certificates" + std::string(4, 'c');
  program += std::string(pad, '\0');
  const uint32_t fields[] = {0xC5C5, static_cast<uint32_t>(program.size()),
                             static_cast<uint32_t>(table.size())};
  for (size_t i = 0; i < 12; ++i)
    program[(i < 4 ? kChecksumAt : kEntryAt - 4) + i] = char(fields[i / 4] >> 8 * (i % 4));
  return program + table;
}

// A rebrander of a PE head, stamped with the title "Signed" at `stamped`.
CInfoBlock StampPeHead(const Path& bare, const Path& stamped) {
  CInfoBlock info;
  info.m_strTitle = "Signed";
  std::string error;
  WriteFileBytes(bare, PeHead() + std::string(100, 'p'));
  EXPECT_TRUE(stamping::StampRebrander(Utf8FromPath(bare), Utf8FromPath(stamped), info, 5, error))
      << error;
  return info;
}

// The stamp is found before a certificate table aligned with zeros;
// restamping leaves the table out, and the headers no longer point at it.
TEST_F(FormatsTest, SignedRebranderKeepsItsStampAndRestampingLeavesTheSignatureOut) {
  const CInfoBlock info = StampPeHead(dir.File("bare"), path);
  std::string error, warning;
  WriteFileBytes(dir.File("signed"), Signed(ReadFileBytes(path), 7));
  EXPECT_EQ(CRebrandInfo(dir.File("signed")).Info().m_strTitle, "Signed");
  ASSERT_TRUE(stamping::StampRebrander(Utf8FromPath(dir.File("signed")),
                                       Utf8FromPath(dir.File("restamped")), info, 6, error,
                                       &warning));
  EXPECT_NE(warning.find("sign "), std::string::npos) << warning;
  const std::string restamped = ReadFileBytes(dir.File("restamped"));
  EXPECT_EQ(restamped.substr(kChecksumAt, 4) + restamped.substr(kEntryAt, 8),
            std::string(12, '\0'));
  EXPECT_EQ(CRebrandInfo(dir.File("restamped")).Trailer().m_nVersion, 6);
  EXPECT_EQ(restamped.find("certificates"), std::string::npos);
}

// Headers that are not a PE's, or a table that is not last: the file is taken
// as unsigned, and the stamp before the would-be table is not found.
TEST_F(FormatsTest, CertificateTableNotWhereSigningPutsItIsNoSignature) {
  StampPeHead(dir.File("bare"), path);
  // What is wrong, where a byte is put, and the byte.
  const std::tuple<const char*, size_t, char> cases[] = {
      {"neither kind of optional header", kMagicAt, 0x0c},
      {"no security directory", kDirectoriesAt, 4},
      {"a table that is not last", kEntryAt + 4, 8}};  // its size said to be less
  for (const auto& [wrong, at, byte] : cases) {
    std::string bytes = Signed(ReadFileBytes(path), 4);
    bytes[at] = byte;
    WriteFileBytes(dir.File("signed"), bytes);
    EXPECT_EQ(CRebrandInfo(dir.File("signed")).Info().m_strTitle, "") << wrong;
  }
}

}  // namespace
}  // namespace ebook_testing
