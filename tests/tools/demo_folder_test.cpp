// scripts/make-demo-folder.sh against a build folder of the real tools.
#include <gtest/gtest.h>

#include <filesystem>

#include "formats/rebrand_info.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/run_program.h"
#include "tools/mkebook/ebook_package.h"

namespace {

TEST(DemoFolderTest, RebranderIsStampedForThePackedSampleEBook) {
  const testing_support::TempDir dir;
  const std::string build = dir.File("build");
  const std::string demo = dir.File("demo");
  // Any program stands in for the bare rebrander: it is only copied and stamped.
  for (const auto& [path, target] : {std::pair{"tools/mkebook/mkebook", MKEBOOK},
                                     {"tools/mkrebrander/mkrebrander", MKREBRANDER},
                                     {"tools/sample-ebook/sample-ebook", SAMPLE_EBOOK},
                                     {"ui/rebrander", "/bin/true"}}) {
    std::filesystem::create_directories(std::filesystem::path(build + "/" + path).parent_path());
    std::filesystem::create_symlink(target, build + "/" + path);
  }

  const auto run = tools_test::RunProgram({"/bin/bash", DEMO_SCRIPT, build, demo});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  packing::EBookPackage ebook;
  std::string error;
  ASSERT_TRUE(packing::LoadPackage(demo + "/sample-ebook", ebook, error)) << error;
  const formats::CRebrandInfo info(demo + "/rebrander");
  ASSERT_FALSE(info.HasError()) << info.GetError();
  EXPECT_EQ(info.Info().m_strEBookFile, "sample-ebook");
  EXPECT_FALSE(ebook.trailer.GetId().empty());
  EXPECT_EQ(info.Info().m_strEBookId, ebook.trailer.GetId());
  EXPECT_EQ(info.Trailer().m_nVersion, ebook.trailer.m_nVersion);
}

}  // namespace
