// The authoring kit's tools, mkebook and mkrebrander, run as separate processes
// the way users and the demo script run them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <filesystem>
#include <map>
#include <random>
#include <tuple>

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
};

// Runs a built program (`args[0]` is its path) to its end, through the shell.
ProgramRun RunProgram(const Args& args) {
  // Captured in a folder of their own: a test's folder sees only the program's files.
  const TempDir capture;
  std::string command;
  for (std::string arg : args) {  // quoted, whatever bytes it holds
    for (size_t at = 0; (at = arg.find('\'', at)) != std::string::npos; at += 4) {
      arg.replace(at, 1, "'\\''");
    }
    command += "'" + arg + "' ";
  }
  const int status =
      std::system((command + ">" + capture.File("1") + " 2>" + capture.File("2")).c_str());
  return {WEXITSTATUS(status), ReadFileBytes(capture.File("1")), ReadFileBytes(capture.File("2"))};
}

Args Plus(Args args, const Args& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

QJsonDocument Json(const ProgramRun& run) {
  return QJsonDocument::fromJson(QByteArray::fromStdString(run.out));
}

class KitTest : public ::testing::Test {
 protected:
  TempDir dir;
  const std::string program = dir.File("program"), ebook = dir.File("my book.exe");
  const std::string table = dir.File("table.json"), stamp = dir.File("stamp.json");

  // A runnable program, and an E-Book whose identity is not UTF-8 and holds
  // bytes after its first zero.
  void SetUp() override {
    WriteFileBytes(program, ReadFileBytes("/bin/true"));
    fs::permissions(program, kPerms);
    packing::EBookPackage package;
    package.trailer.m_nVersion = -7;
    package.trailer.SetId(std::string("Caf\xE9 1.0\0tail", 14));
    WriteEBook(package);
    WriteFileBytes(stamp,
                   R"({"ebook-file": "book", "ebook-id": "B", "version": -5, "title": "T"})");
  }

  void WriteEBook(const packing::EBookPackage& package) {
    std::string error;
    ASSERT_TRUE(packing::PackEBook(program, package, ebook, error)) << error;
  }

  static Args Pack(const std::string& from, const std::string& json, const std::string& output,
                   const Args& more = {}) {
    return Plus({MKEBOOK, "pack", "--program", from, "--table", json, "--output", output}, more);
  }

  // A complete command line; the bare rebrander is the one built beside the tool.
  Args Stamp(const std::string& output, const Args& more = {}) const {
    return Plus({MKREBRANDER, "--stamp", stamp, "--output", output}, more);
  }
};

// Repacking, here after a rebranding shrank the table and left old bytes
// before the trailer, replaces the table instead of stacking a second one.
TEST_F(KitTest, RepackingAnEBookReplacesTheTableAndKeepsThePermissions) {
  ASSERT_EQ(RunProgram(Pack(program, SAMPLE_TABLE, ebook)).exitCode, 0);
  EXPECT_EQ(fs::status(ebook).permissions(), kPerms);
  std::string shrunk = ReadFileBytes(ebook);
  WriteFileBytes(ebook, shrunk.insert(shrunk.size() - 104, "left over from a longer table"));
  ASSERT_EQ(RunProgram(Pack(ebook, SAMPLE_TABLE, ebook)).exitCode, 0);
  ASSERT_EQ(RunProgram(Pack(program, SAMPLE_TABLE, dir.File("fresh"))).exitCode, 0);
  EXPECT_EQ(ReadFileBytes(ebook), ReadFileBytes(dir.File("fresh")));
}

// Bytes of every kind: any byte, ASCII and well-formed UTF-8, so that both
// JSON forms of a text and every code page's odd corners come up.
std::string RandomBytes(std::mt19937& random, bool zeros) {
  const char* const kLetters[] = {"a", "Z", " ", "\xC3\xA9", "\xE2\x82\xAC"};
  std::string bytes;
  for (int length = random() % 13; length > 0; --length) {
    if (random() % 4) {
      bytes += kLetters[random() % 5];
    } else {
      bytes += zeros && random() % 3 == 0 ? '\0' : static_cast<char>(1 + random() % 255);
    }
  }
  return bytes;
}

// dump, then pack with the E-Book as the program: the same file, byte for byte,
// for random texts and identities in several code pages.
TEST_F(KitTest, EBookDumpThenPackGivesBackEveryByte) {
  std::mt19937 random(20261207);
  int plain = 0, base64 = 0;
  for (const Args& options : std::vector<Args>{{},  // UTF-8
                                               {"--encoding", "windows-1252"},
                                               {"--encoding", "SHIFT_JIS"},
                                               {"--encoding", "GB18030"}}) {
    for (int round = 0; round < 40; ++round) {
      SCOPED_TRACE(options.empty() ? "UTF-8" : options[1]);
      packing::EBookPackage package;
      formats::CEBookTrailer& trailer = package.trailer;
      for (int32_t* field :
           {&trailer.m_nVersion, &trailer.m_nField2, &trailer.m_nField3, &trailer.m_nField4,
            &trailer.m_nField5, &trailer.m_nField7, &trailer.m_nField8}) {
        *field = random();
      }
      // The identity block is raw: zeros inside it, and bytes after them, are
      // kept; it may be full.
      trailer.SetId(round ? RandomBytes(random, true) + RandomBytes(random, true)
                          : std::string(64, '@'));
      package.table.m_bRebranded = random() % 3;
      for (int i = random() % 4; i > 0; --i) {
        formats::CVariable variable;
        variable.m_strIdent = RandomBytes(random, false);
        variable.m_strPrompt = RandomBytes(random, false);
        variable.m_strValue = RandomBytes(random, false);
        variable.m_bEditable = random() % 2;
        variable.m_nType = random();
        package.table.Add(variable);
      }
      WriteEBook(package);
      const ProgramRun dump = RunProgram(Plus({MKEBOOK, "dump", ebook}, options));
      ASSERT_EQ(dump.err, "");
      WriteFileBytes(table, dump.out);
      ASSERT_EQ(RunProgram(Pack(ebook, table, dir.File("again"), options)).err, "") << dump.out;
      ASSERT_EQ(ReadFileBytes(dir.File("again")), ReadFileBytes(ebook)) << dump.out;
      for (const QJsonValue variable : Json(dump)["variables"].toArray()) {
        (variable["value"].isString() ? plain : base64)++;
      }
    }
  }
  // Both forms were exercised, not just one.
  EXPECT_GT(plain, 20);
  EXPECT_GT(base64, 20);
}

// Stored bytes shown as text in their code page only when they come back
// unchanged; a text that the table format ended at a zero byte is named.
TEST_F(KitTest, EBookDumpShowsTextInItsCodePageAndWarnsOfCutTexts) {
  packing::EBookPackage package;
  formats::CVariable variable;
  variable.m_strValue = "\xED\x40";  // text in windows-1252; CP932 gives it back as FA 5C
  package.table.Add(variable);
  variable.m_strValue = "\xF4\x90\x80\x80";  // beyond Unicode, yet passed on by iconv
  variable.m_strPrompt = std::string("before\0after", 12);
  package.table.Add(variable);
  WriteEBook(package);
  const ProgramRun dump = RunProgram({MKEBOOK, "dump", ebook, "--encoding", "windows-1252"});
  EXPECT_EQ(Json(dump)["variables"][0]["value"], "í@");
  EXPECT_EQ(Json(dump)["variables"][1]["prompt"], "before");
  EXPECT_EQ(dump.err,
            "mkebook: warning: variables[1].prompt is stored with a zero byte inside; only the "
            "text before it is dumped\n");
  const ProgramRun cp932 = RunProgram({MKEBOOK, "dump", ebook, "--encoding", "CP932"});
  EXPECT_EQ(Json(cp932)["variables"][0]["value"], (QJsonObject{{"base64", "7UA="}}));
  EXPECT_EQ(Json(RunProgram({MKEBOOK, "dump", ebook}))["variables"][1]["value"],
            (QJsonObject{{"base64", "9JCAgA=="}}));
}

// Every field lands in the stamp, the command line winning over the file, and
// the dump of a stamp stamps the same rebrander again, byte for byte, whatever
// bytes its texts hold.
TEST_F(KitTest, RebranderStampDumpsAndRestampsToTheSameRebrander) {
  const std::string original = dir.File("original"), again = dir.File("again");
  ASSERT_EQ(RunProgram(
                Stamp(original, {"--program", program, "--ebook-id", "Caf\xE9", "--title",
                                 "Gr\xC3\xBC\xC3\x9F", "--status-before", "\xFF\xFE raw\r\n",
                                 "--status-after", "after", "--text3", "3", "--allow-repeat", "1"}))
                .err,
            "");
  const formats::CRebrandInfo stamped(original);
  const formats::CInfoBlock& info = stamped.Info();
  EXPECT_EQ(std::tie(info.m_strEBookFile, info.m_strEBookId, info.m_strTitle,
                     info.m_strStatusBefore, info.m_strStatusAfter, info.m_strText3),
            std::tuple("book", "Caf\xE9", "Gr\xC3\xBC\xC3\x9F", "\xFF\xFE raw\r\n", "after", "3"));
  EXPECT_EQ(std::tuple(info.m_bAllowRepeat, stamped.Trailer().m_nVersion), std::tuple(1, -5));
  EXPECT_EQ(fs::status(original).permissions(), kPerms);
  const QJsonDocument json =
      Json(RunProgram({MKREBRANDER, "dump", original, "--encoding", "windows-1252"}));
  EXPECT_EQ(json["title"], "GrÃ¼ÃŸ");
  EXPECT_EQ(json["ebook-id"], "Café");

  // The second time the stamped rebrander is the program: its stamp is replaced, not added to.
  for (const auto& [bare, options] : std::vector<std::pair<std::string, Args>>{
           {program, {}}, {original, {"--encoding", "windows-1252"}}}) {
    const ProgramRun dump = RunProgram(Plus({MKREBRANDER, "dump", original}, options));
    WriteFileBytes(stamp, dump.out);
    ASSERT_EQ(RunProgram(Stamp(again, Plus({"--program", bare}, options))).err, "") << dump.out;
    EXPECT_EQ(ReadFileBytes(again), ReadFileBytes(original)) << dump.out;
  }
}

// Stamped from the E-Book itself: alone, in a bundle (a folder with a copy of
// the E-Book and its rebrander, and an archive of it) and in the demo folder.
// The Linux rebrander of a bundle or demo is the one built beside the tool.
TEST_F(KitTest, RebranderStampedForAnEBookPassesItsChecks) {
  const Args bundle = {MKREBRANDER, "bundle", "--ebook",  ebook,
                       "--title",   "T",      "--output", dir.File("kit")};
  const std::tuple<Args, std::string, std::string> cases[] = {
      {{MKREBRANDER, "--for-ebook", ebook, "--title", "T", "--output", dir.File("rebrander")},
       "rebrander",
       ""},
      {bundle, "kit/rebrander", "tar -tzf kit.tar.gz"},
      {Plus(bundle, {"--windows", "--program", program}), "kit/rebrander.exe", "unzip -Z1 kit.zip"},
      {{"/bin/bash", DEMO_SCRIPT, BUILD_DIR, dir.File("demo")}, "demo/rebrander", ""},
  };
  for (const auto& [args, rebrander, list] : cases) {
    ASSERT_EQ(RunProgram(args).exitCode, 0) << rebrander;
    // The E-Book's own checks, run as that rebrander runs them.
    RecordingUserInterface ui;
    platform::OverrideModuleFileName(dir.File(rebrander));
    formats::ResetRebrandInfoForTesting();
    EXPECT_TRUE(ebook::CEBookFile().Validate()) << rebrander;
    platform::OverrideModuleFileName(std::nullopt);
    formats::ResetRebrandInfoForTesting();
    for (const auto& message : ui.messages) ADD_FAILURE() << message.text;
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
  std::string damaged = ReadFileBytes(ebook);
  damaged[ReadFileBytes(program).size()] ^= 1;  // the table's first byte
  WriteFileBytes(bad, damaged);
  fs::create_directories(dir.File("folder/inside"));  // not to be replaced by a file
  const std::string rest = R"("version": 1, "rebranded": 0, "variables": [)";
  const std::string variable =
      R"({"id": "x", )" + rest + R"({"ident": "a", "editable": 1, "type": 0, )";
  WriteFileBytes(table, variable + R"("prompt": "p", "value": "Ω"}]})");
  std::vector<std::pair<Args, std::string>> cases = {
      {Pack(program, table, out, {"--encoding", "windows-1252"}),
       "\"variables[0].value\" holds U+03A9 \"Ω\", which windows-1252 cannot"},
      {Pack(bad, SAMPLE_TABLE, out), "variable table cannot be read"},
      {Pack(program, SAMPLE_TABLE, out + "/x"), "cannot create " + out + "/x"},
      {Pack(program, SAMPLE_TABLE, dir.File("folder")), "cannot replace"},
      {Stamp(dir.File("folder")), "cannot write"},
      {{MKEBOOK, "dump", program}, "does not end with an E-Book trailer"},
      {{MKEBOOK, "dump", ebook, "--encoding", "no-such"}, "unknown encoding no-such"},
      {{MKREBRANDER, "--output", out}, "missing --ebook-file"},
      {Stamp(out, {"--title", "a", "--title", "b"}), "--title given twice"},
      {Stamp(out, {"--colour", "red"}), "unknown argument --colour"},
      {Stamp(out, {"--program", none}), "cannot read " + none},
      {Stamp(out, {"--version", "12x"}), "--version must be a 32-bit integer"},
      {Stamp(out, {"--version", "99999999999"}), "--version must be a 32-bit integer"},
      {Stamp(out, {"--ebook-file", "sub/book"}), "--ebook-file must be a file name without"},
      {Stamp(out, {"--allow-repeat", "2"}), "--allow-repeat must be 0 or 1"},
      {Stamp(out, {"--title", "\xCE\xA9", "--encoding", "windows-1252"}), "--title holds U+03A9"},
      {Stamp(out, {"--for-ebook", ebook, "--ebook-id", "x"}), "--for-ebook takes --ebook-id"},
      {{MKREBRANDER, "--for-ebook", program, "--title", "T", "--output", out}, "E-Book trailer"},
      {{MKREBRANDER, "dump", program}, "carries no stamp"},
      {{MKREBRANDER, "bundle", "--ebook", ebook, "--title", "T", "--output", bad}, " exists"},
      {{MKREBRANDER, "bundle", "--ebook", ebook, "--title", "T", "--output", dir.File("k"),
        "--program", none},
       "cannot read " + none}};
  std::string id66;  // 33 two-byte letters: an identity is measured in bytes
  for (int i = 0; i < 33; ++i) id66 += "é";
  const std::pair<std::string, std::string> tables[] = {
      {R"({"id": "x", )", "malformed JSON"},
      {R"({"id": "x", "version": 0.5, "rebranded": 0, "variables": []})", "\"version\" must be"},
      {R"({"id": "x", "version": 2147483648, "rebranded": 0, "variables": []})",
       "\"version\" must be a 32-bit integer"},
      {R"({"id": ")" + id66 + "\", " + rest + "]}", "\"id\" is 66 bytes"},
      {R"({"id": {"base64": "!!"}, )" + rest + "]}", "\"id\" holds invalid base64"},
      {R"({"id": {"hex": "00"}, )" + rest + "]}", "\"id\" must be a string or {"},
      {variable + R"("prompt": "p", "value": "v\u0000w"}]})",
       "\"variables[0].value\" must not hold a zero byte"},
      {variable + R"("prompt": "\ud800", "value": "v"}]})",
       "\"variables[0].prompt\" holds a lone surrogate U+D800"}};
  for (const auto& [json, problem] : tables) {
    const std::string path = dir.File("table" + std::to_string(cases.size()));
    WriteFileBytes(path, json);
    cases.emplace_back(Pack(program, path, out), problem);
  }
  WriteFileBytes(out, "previous");
  const auto files = [this] {
    std::map<std::string, std::string> bytes;
    for (const auto& entry : fs::directory_iterator(dir.Path())) {
      bytes[entry.path()] = entry.is_directory() ? "folder" : ReadFileBytes(entry.path());
    }
    return bytes;
  };
  const auto before = files();
  for (const auto& [args, problem] : cases) {
    const ProgramRun run = RunProgram(args);
    const std::string tool = fs::path(args[0]).filename();
    EXPECT_NE(run.exitCode, 0) << problem;
    EXPECT_EQ(run.out, "") << problem;
    EXPECT_EQ(run.err.rfind(tool + ": ", 0), 0u) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_NE(run.err.find(problem), std::string::npos) << run.err << problem;
    EXPECT_EQ(files(), before) << problem;
  }
}

}  // namespace
