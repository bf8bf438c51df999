// scripts/make-demo-folder.sh against a build folder of the real tools, for
// the Linux programs and for the Windows ones.
#include <gtest/gtest.h>

#include <filesystem>

#include "formats/rebrand_info.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/run_program.h"
#include "tools/mkebook/ebook_package.h"

namespace {

void Link(const std::string& build, const std::string& path, const char* target) {
  std::filesystem::create_directories(std::filesystem::path(build + "/" + path).parent_path());
  std::filesystem::create_symlink(target, build + "/" + path);
}

TEST(DemoFolderTest, RebranderIsStampedForThePackedSampleEBook) {
  for (const bool windows : {false, true}) {
    SCOPED_TRACE(windows ? "Windows" : "Linux");
    const testing_support::TempDir dir;
    const std::string build = dir.File("build");
    const std::string winBuild = dir.File("build-windows");
    const std::string demo = dir.File("demo");
    const std::string exe = windows ? ".exe" : "";
    const std::string programs = windows ? winBuild : build;
    Link(build, "tools/mkebook/mkebook", MKEBOOK);
    Link(build, "tools/mkrebrander/mkrebrander", MKREBRANDER);
    // Any program stands in for the bare ones: they are only copied, packed and stamped.
    Link(programs, "tools/sample-ebook/sample-ebook" + exe, SAMPLE_EBOOK);
    Link(programs, "ui/rebrander" + exe, "/bin/true");

    std::vector<std::string> command = {"/bin/bash", DEMO_SCRIPT};
    if (windows) command.insert(command.end(), {"--windows", winBuild});
    command.insert(command.end(), {build, demo});
    const auto run = tools_test::RunProgram(command);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    packing::EBookPackage ebook;
    std::string error;
    ASSERT_TRUE(packing::LoadPackage(demo + "/sample-ebook" + exe, ebook, error)) << error;
    const formats::CRebrandInfo info(demo + "/rebrander" + exe);
    ASSERT_FALSE(info.HasError()) << info.GetError();
    EXPECT_EQ(info.Info().m_strEBookFile, "sample-ebook" + exe);
    EXPECT_FALSE(ebook.trailer.GetId().empty());
    EXPECT_EQ(info.Info().m_strEBookId, ebook.trailer.GetId());
    EXPECT_EQ(info.Trailer().m_nVersion, ebook.trailer.m_nVersion);
  }
}

}  // namespace
