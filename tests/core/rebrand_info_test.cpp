// The rebranding information a rebrander carries, and stamping it.
#include "formats/rebrand_info.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/module_path.h"
#include "tests/support/temp_dir.h"
#include "tools/mkrebrander/stamp.h"

namespace {

using namespace formats;
using namespace platform;
using testing_support::ReadFileBytes;
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

class RebrandInfoTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteFileBytes(program, "\177ELF pretend program bytes"); }
  // `prefix`, the sample block, `junk`, then a trailer pointing at `offset`.
  void WriteRebrander(const std::string& prefix, const std::string& junk, int32_t offset) {
    WriteFileBytes(stamped, prefix);
    const HFILE file = _lopen(stamped, OF_EXCLUSIVE_READWRITE);
    ASSERT_NE(file, HFILE_ERROR);
    _llseek(file, 0, FILE_END);
    CFieldStream stream(CFieldStream::kWrite, file);
    CInfoBlock block = SampleBlock();
    ASSERT_TRUE(block.Transfer(stream));
    ASSERT_EQ(_lwrite(file, junk.data(), static_cast<uint32_t>(junk.size())),
              static_cast<int32_t>(junk.size()));
    CInfoTrailer trailer;
    trailer.m_nInfoOffset = offset;
    trailer.m_nVersion = -7;
    ASSERT_TRUE(trailer.Transfer(stream));
    _lclose(file);
  }

  testing_support::TempDir dir;
  std::string program = dir.File("bare");
  std::string stamped = dir.File("stamped");
};

// The block may lie anywhere before the trailer, with anything between.
TEST_F(RebrandInfoTest, BlockWhereTheTrailerPointsLoadsEveryField) {
  WriteRebrander("prefix", std::string(1000, '\0') + "junk", 6);
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
  EXPECT_EQ(info.Trailer().m_nInfoOffset, 6);
}

TEST_F(RebrandInfoTest, EveryFailureGivesItsText) {
  EXPECT_EQ(CRebrandInfo(dir.File("missing")).GetError(), "Can't open " + dir.File("missing"));
  EXPECT_EQ(CRebrandInfo(dir.Path()).GetError(), "Can't open " + dir.Path());
  EXPECT_EQ(CRebrandInfo(program).GetError(), kErrorReadingRebrander) << "nothing appended";
  WriteFileBytes(stamped, "short");
  EXPECT_EQ(CRebrandInfo(stamped).GetError(), kErrorReadingRebrander);
  // Pointing outside the file, before its start, or at no block.
  for (int32_t offset : {1 << 20, -4, 3}) {
    WriteRebrander(ReadFileBytes(program), "", offset);
    EXPECT_EQ(CRebrandInfo(stamped).GetError(), kErrorReadingRebrander) << offset;
  }

  std::string error;
  ASSERT_TRUE(stamping::StampRebrander(program, stamped, SampleBlock(), 1, error));
  std::string bytes = ReadFileBytes(stamped);
  bytes[bytes.size() - 17] ^= 0x01;  // the block's end marker, before the 16-byte trailer
  WriteFileBytes(stamped, bytes);
  CRebrandInfo info(stamped);
  EXPECT_EQ(info.GetError(), kErrorReadingRebrander);
  EXPECT_EQ(info.Info().m_strStatusAfter, "After") << "fields before the failure keep their values";
}

TEST_F(RebrandInfoTest, RestampingReplacesTheStampKeepsPermissionsAndFailsCleanly) {
  namespace fs = std::filesystem;
  fs::permissions(program, static_cast<fs::perms>(0751));
  std::string error;
  ASSERT_TRUE(stamping::StampRebrander(program, stamped, SampleBlock(), 1, error));
  CInfoBlock second = SampleBlock();
  second.m_strTitle = "Second";
  const std::string once = dir.File("once");
  ASSERT_TRUE(stamping::StampRebrander(program, once, second, 2, error));
  ASSERT_TRUE(stamping::StampRebrander(stamped, stamped, second, 2, error));
  EXPECT_EQ(ReadFileBytes(stamped), ReadFileBytes(once));
  EXPECT_EQ(stamping::ProgramLength(stamped), static_cast<int64_t>(ReadFileBytes(program).size()));
  EXPECT_EQ(fs::status(stamped).permissions(), fs::status(program).permissions());

  EXPECT_FALSE(stamping::StampRebrander(dir.File("none"), once, second, 1, error));
  EXPECT_NE(error.find("cannot read"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(once), ReadFileBytes(stamped)) << "a failed stamp leaves the output";
  EXPECT_FALSE(stamping::StampRebrander(program, dir.File("no/such/out"), second, 1, error));
  EXPECT_NE(error.find("cannot write"), std::string::npos);
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
  EXPECT_EQ(first.GetModuleFolder(), dir.Path() + kPathSeparator);
  OverrideModuleFileName("nofolder");
  EXPECT_EQ(first.GetModuleFolder(), "nofolder");
  OverrideModuleFileName(std::nullopt);
  ResetRebrandInfoForTesting();
}

}  // namespace
