// The rebranding information a rebrander carries, and stamping it.
#include "formats/rebrand_info.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "platform/module_path.h"
#include "tests/support/temp_dir.h"
#include "tools/mkrebrander/stamp.h"

namespace {

using namespace formats;
using namespace platform;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

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

auto Fields(const CRebrandInfo& info) {
  const CInfoBlock& b = info.Info();
  return std::make_tuple(b.m_strEBookFile, b.m_strEBookId, b.m_strText3, b.m_strTitle,
                         b.m_strStatusBefore, b.m_strStatusAfter, b.m_bAllowRepeat,
                         info.Trailer().m_nVersion, info.Trailer().m_nInfoOffset);
}

class RebrandInfoTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteFileBytes(program, "\177ELF pretend program bytes"); }
  // `prefix`, the sample block, `junk`, then a trailer pointing at `offset`.
  void WriteRebrander(const std::string& prefix, const std::string& junk, int32_t offset) {
    WriteFileBytes(stamped, prefix);
    const HFILE file = _lopen(stamped, OF_EXCLUSIVE_READWRITE);
    _llseek(file, 0, FILE_END);
    CFieldStream stream(CFieldStream::kWrite, file);
    CInfoBlock block = SampleBlock();
    CInfoTrailer trailer;
    trailer.m_nInfoOffset = offset;
    trailer.m_nVersion = -7;
    EXPECT_TRUE(block.Transfer(stream) &&
                _lwrite(file, junk.data(), static_cast<uint32_t>(junk.size())) ==
                    static_cast<int32_t>(junk.size()) &&
                trailer.Transfer(stream));
    _lclose(file);
  }

  testing_support::TempDir dir;
  std::string program = dir.File("bare");
  std::string stamped = dir.File("stamped");
};

// The block may lie anywhere before the trailer, with anything between.
TEST_F(RebrandInfoTest, BlockWhereTheTrailerPointsLoadsEveryField) {
  WriteRebrander("prefix", std::string(1000, '\0') + "junk", 6);
  const CRebrandInfo info(stamped);
  ASSERT_FALSE(info.HasError()) << info.GetError();
  EXPECT_EQ(Fields(info), std::make_tuple("book", "Book-ID", "third", "My <b>Book</b>",
                                          "Before\n\nline two", "After", 1, -7, 6));
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
  const CRebrandInfo info(stamped);
  EXPECT_EQ(info.GetError(), kErrorReadingRebrander);
  EXPECT_EQ(info.Info().m_strStatusAfter, "After") << "fields before the failure keep their values";
}

TEST_F(RebrandInfoTest, RestampingReplacesTheStampKeepsPermissionsAndFailsCleanly) {
  namespace fs = std::filesystem;
  fs::permissions(program, static_cast<fs::perms>(0751));
  std::string error;
  const std::string once = dir.File("once");
  ASSERT_TRUE(stamping::StampRebrander(program, stamped, SampleBlock(), 1, error));
  ASSERT_TRUE(stamping::StampRebrander(program, once, SampleBlock("Second"), 2, error));
  ASSERT_TRUE(stamping::StampRebrander(stamped, stamped, SampleBlock("Second"), 2, error));
  EXPECT_EQ(ReadFileBytes(stamped), ReadFileBytes(once));
  EXPECT_EQ(stamping::ProgramLength(stamped), static_cast<int64_t>(ReadFileBytes(program).size()));
  EXPECT_EQ(fs::status(stamped).permissions(), fs::status(program).permissions());
  EXPECT_FALSE(stamping::StampRebrander(dir.File("none"), once, SampleBlock(), 1, error));
  EXPECT_NE(error.find("cannot read"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(once), ReadFileBytes(stamped)) << "a failed stamp leaves the output";
  EXPECT_FALSE(stamping::StampRebrander(program, dir.File("no/such/out"), SampleBlock(), 1, error));
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
