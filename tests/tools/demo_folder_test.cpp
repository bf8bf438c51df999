// scripts/make-demo-folder.sh against a build folder of real tools, with a
// stand-in for the bare rebrander program.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <filesystem>

#include "formats/rebrand_info.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/run_program.h"
#include "tools/mkebook/ebook_package.h"

namespace {

using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;
using tools_test::ProgramRun;
using tools_test::RunProgram;

class DemoFolderTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string build = dir.File("build");
  std::string demo = dir.File("demo");
  std::string bareRebrander = build + "/ui/rebrander";

  void SetUp() override {
    for (const auto& [tool, target] :
         {std::pair{"mkebook", MKEBOOK}, std::pair{"mkrebrander", MKREBRANDER},
          std::pair{"sample-ebook", SAMPLE_EBOOK}}) {
      const std::string folder = build + "/tools/" + tool;
      std::filesystem::create_directories(folder);
      std::filesystem::create_symlink(target, folder + "/" + tool);
    }
  }

  void MakeBareRebrander() {
    std::filesystem::create_directories(build + "/ui");
    WriteFileBytes(bareRebrander, "bare rebrander program");
    chmod(bareRebrander.c_str(), 0755);
  }

  ProgramRun Run() { return RunProgram({"/bin/bash", DEMO_SCRIPT, build, demo}); }
};

TEST_F(DemoFolderTest, StampsTheRebranderForThePackedSample) {
  MakeBareRebrander();
  const ProgramRun run = Run();
  ASSERT_EQ(run.exitCode, 0) << run.err;

  const QJsonObject table =
      QJsonDocument::fromJson(QByteArray::fromStdString(ReadFileBytes(SAMPLE_TABLE))).object();
  packing::EBookPackage ebook;
  std::string error;
  ASSERT_TRUE(packing::LoadPackage(demo + "/sample-ebook", ebook, error)) << error;
  EXPECT_EQ(ebook.trailer.GetId(), table.value("id").toString().toStdString());
  EXPECT_EQ(ebook.trailer.m_nVersion, table.value("version").toInt());
  EXPECT_EQ(access((demo + "/sample-ebook").c_str(), X_OK), 0);

  const formats::CRebrandInfo info(demo + "/rebrander");
  ASSERT_FALSE(info.HasError()) << info.GetError();
  EXPECT_EQ(info.Info().m_strEBookFile, "sample-ebook");
  EXPECT_EQ(info.Info().m_strEBookId, ebook.trailer.GetId());
  EXPECT_EQ(info.Trailer().m_nVersion, ebook.trailer.m_nVersion);
  EXPECT_EQ(info.Info().m_bAllowRepeat, 0);
  EXPECT_FALSE(info.Info().m_strTitle.empty());
  EXPECT_FALSE(info.Info().m_strStatusBefore.empty());
  EXPECT_FALSE(info.Info().m_strStatusAfter.empty());
  EXPECT_EQ(access((demo + "/rebrander").c_str(), X_OK), 0);

  // Laying the folder out again resets it.
  WriteFileBytes(demo + "/sample-ebook", "customized since");
  ASSERT_EQ(Run().exitCode, 0);
  ASSERT_TRUE(packing::LoadPackage(demo + "/sample-ebook", ebook, error)) << error;
}

TEST_F(DemoFolderTest, FailsClearlyWithoutTheRebranderProgram) {
  const ProgramRun run = Run();
  EXPECT_NE(run.exitCode, 0);
  EXPECT_NE(run.err.find(bareRebrander + " is missing"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(demo));
}

}  // namespace
