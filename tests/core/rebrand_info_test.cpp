#include "formats/rebrand_info.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/module_path.h"
#include "tests/support/temp_dir.h"
#include "tools/mkrebrander/stamp.h"

namespace {

using namespace formats;
using namespace platform;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

CInfoBlock SampleBlock() {
  CInfoBlock block;
  block.m_strEBookFile = "book";
  block.m_strEBookId = "Book-ID";
  block.m_strText3 = "third";
  block.m_strTitle = "My <b>Book</b>";
  block.m_strStatusBefore = "Before\n\nline two";
  block.m_strStatusAfter = "After";
  block.m_bAllowRepeat = 1;
  return block;
}

// Appends the given records at the end of the file through the write direction.
void Append(const std::string& path, CInfoBlock* block, CInfoTrailer* trailer) {
  const HFILE file = _lopen(path, OF_EXCLUSIVE_READWRITE);
  ASSERT_NE(file, HFILE_ERROR);
  _llseek(file, 0, FILE_END);
  CFieldStream stream(CFieldStream::kWrite, file);
  if (block) {
    ASSERT_TRUE(block->Transfer(stream));
  }
  if (trailer) {
    ASSERT_TRUE(trailer->Transfer(stream));
  }
  _lclose(file);
}

class RebrandInfoTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string program = dir.File("bare");
  std::string stamped = dir.File("stamped");
  void SetUp() override {
    WriteFileBytes(program,
                   "\x7f"
                   "ELF pretend program bytes");
  }
};

TEST_F(RebrandInfoTest, StampedFileLoadsEveryField) {
  std::string error;
  ASSERT_TRUE(stamping::StampRebrander(program, stamped, SampleBlock(), -7, error)) << error;
  CRebrandInfo info(stamped);
  ASSERT_FALSE(info.HasError()) << info.GetError();
  const CInfoBlock expected = SampleBlock();
  EXPECT_EQ(info.Info().m_strEBookFile, expected.m_strEBookFile);
  EXPECT_EQ(info.Info().m_strEBookId, expected.m_strEBookId);
  EXPECT_EQ(info.Info().m_strText3, expected.m_strText3);
  EXPECT_EQ(info.Info().m_strTitle, expected.m_strTitle);
  EXPECT_EQ(info.Info().m_strStatusBefore, expected.m_strStatusBefore);
  EXPECT_EQ(info.Info().m_strStatusAfter, expected.m_strStatusAfter);
  EXPECT_EQ(info.Info().m_bAllowRepeat, 1);
  EXPECT_EQ(info.Trailer().m_nVersion, -7);
  EXPECT_EQ(info.Trailer().m_nInfoOffset, static_cast<int32_t>(ReadFileBytes(program).size()));
}

TEST_F(RebrandInfoTest, EveryFailureGivesItsText) {
  EXPECT_EQ(CRebrandInfo(dir.File("missing")).GetError(), "Can't open " + dir.File("missing"));
  EXPECT_EQ(CRebrandInfo(dir.Path()).GetError(), "Can't open " + dir.Path());

  // Nothing appended, or shorter than a trailer.
  EXPECT_EQ(CRebrandInfo(program).GetError(), kErrorReadingRebrander);
  WriteFileBytes(stamped, "short");
  EXPECT_EQ(CRebrandInfo(stamped).GetError(), kErrorReadingRebrander);

  // Trailer pointing outside the file, before its start, or at no block.
  for (int32_t offset : {1 << 20, -4, 3}) {
    WriteFileBytes(stamped, ReadFileBytes(program));
    CInfoBlock block = SampleBlock();
    Append(stamped, &block, nullptr);
    CInfoTrailer trailer;
    trailer.m_nInfoOffset = offset;
    Append(stamped, nullptr, &trailer);
    EXPECT_EQ(CRebrandInfo(stamped).GetError(), kErrorReadingRebrander) << offset;
  }
}

TEST_F(RebrandInfoTest, BlockWithWrongEndMarkerIsAnError) {
  std::string error;
  ASSERT_TRUE(stamping::StampRebrander(program, stamped, SampleBlock(), 1, error));
  std::string bytes = ReadFileBytes(stamped);
  // The end marker is the last field before the 16-byte trailer.
  bytes[bytes.size() - 17] ^= 0x01;
  WriteFileBytes(stamped, bytes);
  CRebrandInfo info(stamped);
  EXPECT_EQ(info.GetError(), kErrorReadingRebrander);
  EXPECT_EQ(info.Info().m_strStatusAfter, "After") << "fields before the failure keep their values";
}

TEST_F(RebrandInfoTest, BlockAnywhereInTheFileLoads) {
  WriteFileBytes(stamped, "prefix");
  CInfoBlock block = SampleBlock();
  Append(stamped, &block, nullptr);
  WriteFileBytes(stamped, ReadFileBytes(stamped) + std::string(1000, '\0') + "junk");
  CInfoTrailer trailer;
  trailer.m_nInfoOffset = 6;
  trailer.m_nVersion = 3;
  Append(stamped, nullptr, &trailer);
  CRebrandInfo info(stamped);
  EXPECT_FALSE(info.HasError()) << info.GetError();
  EXPECT_EQ(info.Info().m_strTitle, block.m_strTitle);
  EXPECT_EQ(info.Trailer().m_nVersion, 3);
}

TEST_F(RebrandInfoTest, RestampingReplacesTheStampAndKeepsPermissions) {
  chmod(program.c_str(), 0751);
  std::string error;
  ASSERT_TRUE(stamping::StampRebrander(program, stamped, SampleBlock(), 1, error));
  CInfoBlock second = SampleBlock();
  second.m_strTitle = "Second";
  const std::string once = dir.File("once");
  ASSERT_TRUE(stamping::StampRebrander(program, once, second, 2, error));
  ASSERT_TRUE(stamping::StampRebrander(stamped, stamped, second, 2, error));
  EXPECT_EQ(ReadFileBytes(stamped), ReadFileBytes(once));
  EXPECT_EQ(stamping::ProgramLength(stamped), static_cast<int64_t>(ReadFileBytes(program).size()));
  struct stat st;
  ASSERT_EQ(stat(stamped.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0751u);
}

TEST_F(RebrandInfoTest, StampingFailsCleanly) {
  std::string error;
  EXPECT_FALSE(stamping::StampRebrander(dir.File("none"), stamped, SampleBlock(), 1, error));
  EXPECT_NE(error.find("cannot read"), std::string::npos);
  EXPECT_FALSE(stamping::StampRebrander(program, dir.File("no/such/out"), SampleBlock(), 1, error));
  EXPECT_NE(error.find("cannot write"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(stamped), "") << "nothing was written";
}

TEST_F(RebrandInfoTest, ProcessObjectLoadsOnceAndModuleFolderKeepsItsSeparator) {
  ResetRebrandInfoForTesting();
  OverrideModuleFileName(program);
  CRebrandInfo& first = GetRebrandInfo();
  EXPECT_EQ(first.GetError(), kErrorReadingRebrander);
  std::string error;
  ASSERT_TRUE(stamping::StampRebrander(program, program, SampleBlock(), 1, error));
  EXPECT_EQ(&GetRebrandInfo(), &first);
  EXPECT_TRUE(GetRebrandInfo().HasError()) << "a failed load is not retried";

  EXPECT_EQ(first.GetModuleFolder(), dir.Path() + "/");
  OverrideModuleFileName("nofolder");
  EXPECT_EQ(first.GetModuleFolder(), "nofolder");
  OverrideModuleFileName(std::nullopt);
  ResetRebrandInfoForTesting();
}

}  // namespace
