// The authoring kit's tools, mkebook and mkrebrander, run as separate processes
// the way users and the demo script run them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <random>
#include <regex>
#include <set>

#include "ebook/ebook_file.h"
#include "formats/rebrand_info.h"
#include "platform/module_path.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"
#include "tools/mkebook/ebook_package.h"

namespace {

using namespace testing_support;
using Args = std::vector<std::string>;
namespace fs = std::filesystem;

constexpr fs::perms kPerms{0757};  // what a umask would change

struct ProgramRun {
  int exitCode;
  std::string out, err;
  nlohmann::json Json() const { return nlohmann::json::parse(out, nullptr, false); }
};

// Runs a built program (`args[0]` is its path) to its end, through the shell,
// each argument quoted whatever bytes it holds. The output is captured in a
// folder of its own: a test's folder sees only the program's files.
ProgramRun RunProgram(const Args& args) {
  const TempDir capture;
  std::string command;
  for (const std::string& arg : args)
    command += "'" + std::regex_replace(arg, std::regex("'"), "'\\''") + "' ";
  const int status =
      std::system((command + ">" + capture.File("1") + " 2>" + capture.File("2")).c_str());
  return {WEXITSTATUS(status), ReadFileBytes(capture.File("1")), ReadFileBytes(capture.File("2"))};
}

class KitTest : public ::testing::Test {
 protected:
  TempDir dir;
  const std::string program = dir.File("program"), ebook = dir.File("my book.exe");
  const std::string json = dir.File("table.json"), stamp = dir.File("stamp.json");

  // A runnable program, and an E-Book whose identity is not UTF-8 and holds
  // bytes after its first zero.
  void SetUp() override {
    WriteFileBytes(program, ReadFileBytes("/bin/true"));
    fs::permissions(program, kPerms);
    packing::EBookPackage package;
    package.trailer.m_nVersion = -7;
    package.trailer.SetId(std::string("Caf\xE9 1.0\0tail", 14));
    WriteEBook(package);
    WriteFileBytes(stamp, R"({"ebook-file":"book", "ebook-id":"B", "version":-5, "title":"T"})");
  }
  void WriteEBook(const packing::EBookPackage& package) {
    std::string error;
    ASSERT_TRUE(packing::PackEBook(program, package, ebook, error)) << error;
  }
  static Args Plus(Args a, const Args& b) { return a.insert(a.end(), b.begin(), b.end()), a; }
  static Args Pack(const std::string& from, const std::string& json, const Args& more = {}) {
    return Plus({MKEBOOK, "pack", "--program", from, "--table", json}, more);
  }
  // A complete command line; the bare rebrander is the one built beside the tool.
  Args Stamp(const std::string& output, const Args& more = {}) const {
    return Plus({MKREBRANDER, "--stamp", stamp, "--output", output}, more);
  }
};

// Texts of every kind: any byte but zero, ASCII, well-formed UTF-8, and bytes
// that some code page reads as text it cannot give back unchanged.
std::string RandomBytes(std::mt19937& random) {
  const char* const kLetters[] = {
      "a", "Z", " ", "\xC3\xA9", "\xE2\x82\xAC", "\xED\x40", "\xF4\x90\x80\x80"};
  std::string bytes;
  for (int length = random() % 13; length > 0; --length)
    bytes += random() % 4 ? std::string(kLetters[random() % 7])
                          : std::string(1, static_cast<char>(1 + random() % 255));
  return bytes;
}

// dump, then pack with the E-Book as the program: the same file, byte for byte,
// for random texts and identities in several code pages. The E-Book's table is
// replaced, not stacked, and the permissions are kept.
TEST_F(KitTest, EBookDumpThenPackGivesBackEveryByteOrWarnsOfACutText) {
  std::mt19937 random(20261207);
  int plain = 0, base64 = 0;
  for (const char* encoding : {"UTF-8", "windows-1252", "CP932", "GB18030"}) {
    for (int round = 0; round < 40; ++round) {
      packing::EBookPackage package;
      formats::CEBookTrailer& trailer = package.trailer;
      for (int32_t* field :
           {&trailer.m_nVersion, &trailer.m_nField2, &trailer.m_nField3, &trailer.m_nField4,
            &trailer.m_nField5, &trailer.m_nField7, &trailer.m_nField8})
        *field = random();
      // The identity block is raw: a zero inside it, and bytes after it, are
      // kept; it may be full.
      trailer.SetId(round ? RandomBytes(random) + '\0' + RandomBytes(random)
                          : std::string(64, '@'));
      package.table.m_bRebranded = random() % 3;
      for (int i = random() % 4; i > 0; --i) {
        formats::CVariable variable;
        for (std::string* text :
             {&variable.m_strIdent, &variable.m_strPrompt, &variable.m_strValue})
          *text = RandomBytes(random);
        variable.m_bEditable = random() % 2;
        variable.m_nType = random();
        package.table.Add(variable);
      }
      WriteEBook(package);
      const std::string packed = ReadFileBytes(ebook);
      const ProgramRun dump = RunProgram({MKEBOOK, "dump", ebook, "--encoding", encoding});
      ASSERT_EQ(dump.err, "") << encoding;
      WriteFileBytes(json, dump.out);
      ASSERT_EQ(RunProgram(Pack(ebook, json, {"--output", ebook, "--encoding", encoding})).err, "");
      ASSERT_EQ(ReadFileBytes(ebook), packed) << encoding << dump.out;
      const nlohmann::json parsed = dump.Json();
      for (const nlohmann::json& value : parsed["variables"])
        (value["value"].is_string() ? plain : base64)++;
    }
  }
  EXPECT_GT(std::min(plain, base64), 20);  // both forms were exercised, not just one
  EXPECT_EQ(fs::status(ebook).permissions(), kPerms);
  // A text that the table format ended at a zero byte is dumped up to it, and named.
  packing::EBookPackage package;
  package.table.Add({});
  package.table[0].m_strPrompt = std::string("before\0after", 12);
  WriteEBook(package);
  EXPECT_EQ(RunProgram({MKEBOOK, "dump", ebook}).err,
            "mkebook: warning: variables[0].prompt is stored with a zero byte inside; only the "
            "text before it is dumped\n");
}

// Every field lands in the stamp, the command line winning over the file, and
// the dump of a stamp stamps the same rebrander again, byte for byte, whatever
// bytes its texts hold.
TEST_F(KitTest, RebranderStampDumpsAndRestampsToTheSameRebrander) {
  const std::string original = dir.File("original"), again = dir.File("again");
  const ProgramRun run = RunProgram(
      Stamp(original, {"--program", program, "--ebook-id", "Caf\xE9", "--title",
                       "Gr\xC3\xBC\xC3\x9F", "--status-before", "\xFF\xFE raw\r\n",
                       "--status-after", "after", "--text3", "3", "--allow-repeat", "1"}));
  const formats::CRebrandInfo stamped(original);
  const formats::CInfoBlock& info = stamped.Info();
  EXPECT_EQ(std::tuple(run.err, info.m_strEBookFile, info.m_strEBookId, info.m_strTitle,
                       info.m_strStatusBefore, info.m_strStatusAfter, info.m_strText3,
                       info.m_bAllowRepeat, stamped.Trailer().m_nVersion,
                       fs::status(original).permissions()),
            std::tuple("", "book", "Caf\xE9", "Gr\xC3\xBC\xC3\x9F", "\xFF\xFE raw\r\n", "after",
                       "3", 1, -5, kPerms));
  // The second time the stamped rebrander is the program: its stamp is replaced, not added to.
  // Its dump shows texts in the code page given.
  for (const auto& [bare, options, title] : std::vector<std::tuple<std::string, Args, std::string>>{
           {program, {}, "Grüß"}, {original, {"--encoding", "windows-1252"}, "GrÃ¼ÃŸ"}}) {
    const ProgramRun dump = RunProgram(Plus({MKREBRANDER, "dump", original}, options));
    EXPECT_EQ(dump.Json()["title"], title);
    WriteFileBytes(stamp, dump.out);
    ASSERT_EQ(RunProgram(Stamp(again, Plus({"--program", bare}, options))).err, "") << dump.out;
    EXPECT_EQ(ReadFileBytes(again), ReadFileBytes(original)) << dump.out;
  }
}

// Stamped from the E-Book itself, in a bundle (a folder with a copy of
// the E-Book and its rebrander, and an archive of it) and in the demo folder.
// The Linux rebrander of a bundle or demo is the one built beside the tool.
TEST_F(KitTest, RebranderStampedForAnEBookPassesItsChecks) {
  const Args kit = {MKREBRANDER, "bundle", "--ebook",  ebook,
                    "--title",   "T",      "--output", dir.File("kit")};
  const std::tuple<Args, std::string, std::string> cases[] = {
      {kit, "kit/rebrander", "tar -tzf kit.tar.gz"},
      {Plus(kit, {"--windows", "--program", program}), "kit/rebrander.exe", "unzip -Z1 kit.zip"},
      {{"/bin/bash", DEMO_SCRIPT, BUILD_DIR, dir.File("demo")}, "demo/rebrander", ""},
  };
  for (const auto& [args, rebrander, list] : cases) {
    ASSERT_EQ(RunProgram(args).exitCode, 0) << rebrander;
    RecordingUserInterface ui;  // the E-Book's own checks, run as that rebrander runs them
    platform::OverrideModuleFileName(dir.File(rebrander));
    formats::ResetRebrandInfoForTesting();
    EXPECT_TRUE(ebook::CEBookFile().Validate() && ui.messages.empty()) << rebrander;
    if (list.empty()) continue;
    EXPECT_EQ(ReadFileBytes(dir.File("kit/my book.exe")), ReadFileBytes(ebook));
    EXPECT_EQ(RunProgram({"/bin/sh", "-c", "cd '" + dir.Path() + "' && " + list + " | sort"}).out,
              "kit/\nkit/my book.exe\n" + rebrander + "\n");
    fs::remove_all(dir.File("kit"));
  }
}

// Each fails with one line on stderr that names the tool and the problem, and
// changes no file: no output, not even a partial one.
TEST_F(KitTest, BadArgumentsGiveOneLineAndWriteNothing) {
  const std::string out = dir.File("out"), none = dir.File("none"), bad = dir.File("bad");
  WriteFileBytes(bad, ReadFileBytes(ebook).erase(ReadFileBytes(program).size(), 1));  // table cut
  fs::create_directories(dir.File("folder/inside"));  // not to be replaced by a file
  int tables = 0;
  const auto pack = [&](const std::string& json) {  // a table file of its own for each
    WriteFileBytes(dir.File("table" + std::to_string(++tables)), json);
    return Pack(program, dir.File("table" + std::to_string(tables)), {"--output", out});
  };
  const std::string variable = R"({"id": "x", "version": 1, "rebranded": 0, "variables": )"
                               R"([{"ident": "a", "editable": 1, "type": 0, "prompt": )";
  const std::pair<Args, std::string> cases[] = {
      {Plus(pack(variable + R"("p", "value": "Ω"}]})"), {"--encoding", "windows-1252"}),
       "variable \"a\": field \"value\" holds U+03A9 \"Ω\", which windows-1252 cannot"},
      {Pack(bad, SAMPLE_TABLE, {"--output", out}), "variable table cannot be read"},
      {Pack(program, SAMPLE_TABLE, {"--output", dir.File("folder")}), "cannot replace"},
      {Stamp(dir.File("folder")), "cannot write"},
      {{MKEBOOK, "dump", program}, "does not end with an E-Book trailer"},
      {{MKREBRANDER, "--output", out}, "missing --ebook-file"},
      {Stamp(out, {"--title", "a", "--title", "b"}), "--title given twice"},
      {Stamp(out, {"--version", "12x"}), "--version must be a 32-bit integer"},
      {Stamp(out, {"--ebook-file", "sub/book"}), "--ebook-file must be a file name without"},
      {Stamp(out, {"--title", "\xCE\xA9", "--encoding", "windows-1252"}), "--title holds U+03A9"},
      {Stamp(out, {"--for-ebook", ebook, "--ebook-id", "x"}), "--for-ebook takes --ebook-id"},
      {{MKREBRANDER, "dump", program}, "carries no stamp"},
      {{MKREBRANDER, "bundle", "--ebook", ebook, "--title", "T", "--output", bad}, " exists"},
      {{MKREBRANDER, "bundle", "--ebook", ebook, "--title", "T", "--output", dir.File("k"),
        "--program", none},
       "cannot read " + none},
      {pack(R"({"id": "x", )"), "line 1, column 13: "},
      // Line and column of the token's start, in characters; the variable by its ident.
      {pack(R"({"id": "é", "id": "y"})"), "line 1, column 13: key \"id\" given twice"},
      {pack(variable + "\n\"p\", \"é\" \"value\": \"v\"}]}"),
       "line 2, column 10 (in variable \"a\"): object separator - unexpected string"},
      {pack(variable + R"("p", "value": {"base64": "A"}}]})"),
       "variable \"a\": field \"value\" holds invalid base64"},
      {pack(R"({"id": "x", "version": 0.5, "rebranded": 0, "variables": []})"), "\"version\" must"},
      // An identity is measured in bytes: 33 letters of two.
      {pack(R"({"id": ")" +
            [] {
              std::string s;
              for (int i = 0; i < 33; ++i) s += "é";
              return s;
            }() +
            R"(", "version": 1, "rebranded": 0, "variables": []})"),
       "\"id\" is 66 bytes"},
      {pack(variable + R"("p", "value": "v\u0000w"}]})"),
       "variable \"a\": field \"value\" must not hold a zero byte"}};
  WriteFileBytes(out, "previous");
  const auto files = [&] {  // the folder's names, and what the output given holds
    return std::pair(std::set<fs::path>(fs::directory_iterator(dir.Path()), {}),
                     ReadFileBytes(out));
  };
  const auto before = files();
  for (const auto& [args, problem] : cases) {
    const ProgramRun run = RunProgram(args);
    const std::string tool = fs::path(args[0]).filename().string() + ": ";
    EXPECT_EQ(std::tuple(run.exitCode, run.out, run.err.rfind(tool, 0), run.err.find('\n') + 1,
                         run.err.find(problem) != std::string::npos, files() == before),
              std::tuple(2, "", 0u, run.err.size(), true, true))
        << run.err << problem;
  }
}

}  // namespace
