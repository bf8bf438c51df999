// The authoring kit's tools, mkebook and mkrebrander, run as separate processes
// the way users and the demo script run them.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <random>
#include <set>

#include "ebook/ebook_file.h"
#include "formats/rebrand_info.h"
#include "platform/module_path.h"
#include "platform/sleep.h"
#include "tests/support/recording_ui.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"
#include "tools/mkebook/ebook_package.h"
#include "tools/mkebook/package_checks.h"
#include "tools/mkebook/set_values.h"

namespace {

using namespace testing_support;
using Args = std::vector<std::string>;
namespace fs = std::filesystem;

constexpr fs::perms kPerms{0757};  // what a umask would change

nlohmann::json Json(const ProgramRun& run) {
  return nlohmann::json::parse(run.out, nullptr, false);
}

class KitTest : public ::testing::Test {
 protected:
  TempDir dir;
  const std::string program = dir.File("program"), ebook = dir.File("my book.exe");
  const std::string json = dir.File("table.json"), stamp = dir.File("stamp.json");
  const std::string bare = dir.File("bare"), good = dir.File("good.json");

  // A runnable program, a bare rebrander, and an E-Book whose identity is not
  // UTF-8 and holds bytes after its first zero.
  void SetUp() override {
    WriteFileBytes(program, ReadFileBytes("/bin/true"));
    WriteFileBytes(bare, ReadFileBytes(BUILD_DIR "/ui/rebrander"));
    for (const std::string& made : {program, bare}) fs::permissions(made, kPerms);
    packing::EBookPackage package;
    package.trailer.m_nVersion = 7;
    package.table.Add({});
    package.table[0].m_strIdent = "a";
    package.table[0].m_bEditable = 1;
    package.trailer.SetId(std::string("Caf\xE9 1.0\0tail", 14));
    WriteEBook(package);
    WriteFileBytes(good, R"({"id": "g", "version": 1, "rebranded": 0, "variables": [{"ident": "a",)"
                         R"( "prompt": "p", "value": "v", "editable": 1, "type": 0}]})");
    WriteFileBytes(stamp,
                   R"({"ebook-file":"book", "ebook-id":"B", "ebook-version":-5, "title":"T"})");
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
      trailer.m_nVersion &= 0x7FFFFFFF;
      // The identity block is raw: a zero inside it, and bytes after it, are
      // kept; it may be full.
      trailer.SetId(round ? RandomBytes(random) + '\0' + RandomBytes(random)
                          : std::string(64, '@'));
      package.table.m_bRebranded = random() % 2;
      for (int i = random() % 4; i > 0; --i) {
        formats::CVariable variable;
        for (std::string* text :
             {&variable.m_strIdent, &variable.m_strPrompt, &variable.m_strValue})
          *text = RandomBytes(random);
        variable.m_strIdent += static_cast<char>('A' + i);  // none empty, none twice
        variable.m_bEditable = random() % 2;
        variable.m_nType = random();
        package.table.Add(variable);
      }
      WriteEBook(package);
      const std::string packed = ReadFileBytes(ebook);
      const ProgramRun dump = RunProgram({MKEBOOK, "dump", ebook, "--encoding", encoding});
      ASSERT_EQ(dump.err, "") << encoding;
      WriteFileBytes(json, dump.out);
      // Types the rebrander offers no page for are warned of, and packed.
      const ProgramRun pack = RunProgram(Pack(ebook, json, {"--output", ebook, "-e", encoding}));
      ASSERT_EQ(pack.exitCode, 0) << pack.err;
      ASSERT_EQ(ReadFileBytes(ebook), packed) << encoding << dump.out;
      const nlohmann::json parsed = Json(dump);
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
            "mkebook: " + ebook +
                ": warning: variables[0].prompt is stored with a zero byte inside; only the "
                "text before it is dumped\n");
}

// Every field lands in the stamp, the command line winning over the file, and
// the dump of a stamp stamps the same rebrander again, byte for byte, whatever
// bytes its texts hold.
TEST_F(KitTest, RebranderStampDumpsAndRestampsToTheSameRebrander) {
  const std::string original = dir.File("original"), again = dir.File("again");
  const ProgramRun run = RunProgram(
      Stamp(original, {"--program", bare, "--ebook-id", "Caf\xE9", "--title", "Gr\xC3\xBC\xC3\x9F",
                       "--status-before", "\xFF\xFE raw\r\n", "--status-after", "after", "--text3",
                       "3", "--allow-repeat", "1"}));
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
           {bare, {}, "Grüß"}, {original, {"--encoding", "windows-1252"}, "GrÃ¼ÃŸ"}}) {
    const ProgramRun dump = RunProgram(Plus({MKREBRANDER, "dump", original}, options));
    EXPECT_EQ(Json(dump)["title"], title);
    WriteFileBytes(good, R"({"id": "g", "version": 1, "rebranded": 0, "variables": [{"ident": "a",)"
                         R"( "prompt": "p", "value": "v", "editable": 1, "type": 0}]})");
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
      {Plus(kit, {"--windows", "--program", bare}), "kit/rebrander.exe", "unzip -Z1 kit.zip"},
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

// Each fails with one line on stderr, "tool: FILE: reason" for a failed file,
// exit status 1 for failed work and 2 for a usage error, and changes no file:
// no output, not even a partial one, and the user's own files untouched (a
// read-only output, an "out.partial" of theirs).
TEST_F(KitTest, FailuresGiveOneLineAndTheirStatusAndWriteNothing) {
  const std::string out = dir.File("out"), none = dir.File("none"), bad = dir.File("bad");
  const std::string readOnly = dir.File("read-only");
  WriteFileBytes(bad, ReadFileBytes(ebook).erase(ReadFileBytes(program).size(), 1));  // table cut
  fs::create_directories(dir.File("folder/inside"));  // not to be replaced by a file
  WriteFileBytes(out + ".partial", "mine");
  WriteFileBytes(readOnly, "keep");
  SetReadOnly(readOnly, true);
  int tables = 0;
  const auto pack = [&](const std::string& json) {  // a table file of its own for each
    WriteFileBytes(dir.File("table" + std::to_string(++tables)), json);
    return Pack(program, dir.File("table" + std::to_string(tables)), {"--output", out});
  };
  const std::string variable = R"({"id": "x", "version": 1, "rebranded": 0, "variables": )"
                               R"([{"ident": "a", "editable": 1, "type": 0, "prompt": )";
  // Each variable twice, and an E-Book cut 10 bytes short.
  const std::string one =
      R"({"ident": "a", "prompt": "p", "value": "v", "editable": 1, "type": 0})";
  const std::string twice = one + ", " + one;
  const std::string two =
      R"({"ident": "b", "prompt": "p", "value": "v", "editable": 1, "type": 1})";
  const std::string cut = dir.File("cut"), rebranded = dir.File("rebranded");
  const std::string badTable = dir.File("bad.json");
  WriteFileBytes(badTable,
                 R"({"id": "x", "version": 1, "rebranded": 0, "variables": [)"
                 R"({"ident": "", "prompt": "p", "value": "v", "editable": 1, "type": 0}]})");
  WriteFileBytes(cut, ReadFileBytes(ebook).substr(0, ReadFileBytes(ebook).size() - 10));
  packing::EBookPackage customized;
  customized.table.m_bRebranded = 1;
  customized.table.Add({});
  customized.table[0].m_strIdent = "a";
  customized.table[0].m_bEditable = 1;
  std::string packError;
  ASSERT_TRUE(packing::PackEBook(program, customized, rebranded, packError)) << packError;
  std::string longId;
  for (int i = 0; i < 33; ++i) longId += "é";  // 33 letters of two bytes
  const std::tuple<Args, int, std::string> cases[] = {
      {Plus(pack(variable + R"("p", "value": "Ω"}]})"), {"--encoding", "windows-1252"}), 1,
       "variable \"a\": field \"value\" holds U+03A9 \"Ω\", which windows-1252 cannot"},
      {Pack(bad, good, {"--output", out}), 1, bad + ": ends with an E-Book trailer but"},
      {Pack(program, good, {"--output", dir.File("folder")}), 1, "folder: is a folder"},
      {Pack(program, good, {"--output", readOnly}), 1, "read-only: Permission denied"},
      {Pack(none, good, {"--output", out}), 1, none + ": No such file or directory"},
      {Pack(program, none, {"--output", out}), 1, none + ": No such file or directory"},
      {Pack(dir.Path(), good, {"--output", out}), 1, ": is a folder"},
      {Pack("/dev/zero", good, {"--output", out}), 1, "/dev/zero: is no plain file"},
      {Pack(program, good, {"--output", dir.File("no/out")}), 1,
       "no/out: No such file or directory"},
      {Stamp(dir.File("folder")), 1, "folder: is a folder"},
      {{MKEBOOK, "dump", program}, 1, program + ": does not end with an E-Book trailer"},
      {{MKREBRANDER, "dump", program}, 1, program + ": carries no stamp"},
      {{MKREBRANDER, "bundle", "--ebook", ebook, "--title", "T", "--output", bad},
       1,
       bad + ": already exists"},
      {{MKREBRANDER, "bundle", "--ebook", ebook, "--title", "T", "--output", dir.File("k"),
        "--program", none},
       1,
       none + ": No such file or directory"},
      {pack(R"({"id": "x", )"), 1, "table2: line 1, column 13: "},
      // Line and column of the token's start, in characters; the variable by its ident.
      {pack(R"({"id": "é", "id": "y"})"), 1, "line 1, column 13: key \"id\" given twice"},
      {pack(variable + "\n\"p\", \"é\" \"value\": \"v\"}]}"), 1,
       "line 2, column 10 (in variable \"a\"): object separator - unexpected string"},
      {pack(variable + R"("p", "value": {"base64": "A"}}]})"), 1,
       "variable \"a\": field \"value\" holds invalid base64"},
      {pack(R"({"id": "x", "version": 0.5, "rebranded": 0, "variables": []})"), 1,
       "\"version\" must"},
      {pack(R"({"id": ")" + longId + R"(", "version": 1, "rebranded": 0, "variables": []})"), 1,
       "\"id\" is 66 bytes"},
      {pack(variable + R"("p", "value": "v\u0000w"}]})"), 1,
       "variable \"a\": field \"value\" must not hold a zero byte"},
      // What would ship broken.
      {pack(R"({"id": "x", "version": 1, "rebranded": 7, "variables": [)" + one + "]}"), 1,
       "rebranded is 7; it must be 0 or 1"},
      {pack(R"({"id": "x", "version": -1, "rebranded": 0, "variables": [)" + one + "]}"), 1,
       "the version is -1; it must be 0 or more"},
      {pack(R"({"id": "x", "version": 1, "rebranded": 0, "variables": [{"ident": "a", )"
            R"("prompt": "p", "value": "v", "editable": 2, "type": 0}, )" +
            two + "]}"),
       1, "variable \"a\": editable is 2; it must be 0 or 1"},
      {pack(R"({"id": "x", "version": 1, "rebranded": 0, "variables": [)" + twice + "]}"), 1,
       "variable \"a\" is given twice"},
      {pack(R"({"id": "x", "version": 1, "rebranded": 0, "variables": [{"ident": "", )"
            R"("prompt": "p", "value": "v", "editable": 1, "type": 0}]})"),
       1, "variables[0] has an empty ident"},
      {Pack(cut, good, {"--output", out}), 1, "cut short or damaged"},
      {Stamp(out, {"--program", ebook}), 1, "is an E-Book, not the bare rebrander"},
      {Stamp(out, {"--program", program}), 1, "is not a bare rebrander program"},
      {{MKREBRANDER, "bundle", "--ebook", rebranded, "--title", "T", "-o", dir.File("k"), "-p",
        bare},
       1,
       "is already marked customized"},
      {{MKEBOOK, "check", badTable}, 1, badTable + ": variables[0] has an empty ident"},
      // Usage errors.
      {{MKREBRANDER, "--output", out}, 2, "missing --ebook-file"},
      {{MKEBOOK, "pack", "--table", good, "-o", out}, 2, "pack needs --program"},
      {{MKEBOOK, "dump"}, 2, "dump needs a file's path"},
      {{MKEBOOK, "dump", ebook, "--bogus"}, 2, "unknown option --bogus"},
      {{MKEBOOK, "dump", ebook, "--field=size"}, 2, "--field must be id or version"},
      {{MKEBOOK, "dump", ebook, ebook}, 2, "unexpected operand"},
      {{MKEBOOK, "dump", ebook, "--encoding", "klingon"}, 2, "unknown encoding klingon"},
      {Stamp(out, {"--title", "a", "--title", "b"}), 2, "--title given twice"},
      {Stamp(out, {"--ebook-version", "12x"}), 2, "--ebook-version must be a 32-bit integer"},
      {Stamp(out, {"--ebook-id", longId}), 2, "--ebook-id is 66 bytes long"},
      {Stamp(out, {"--ebook-file", "sub/book"}), 2, "--ebook-file must be a file name without"},
      {Stamp(out, {"--title", "\xCE\xA9", "--encoding", "windows-1252"}), 2,
       "--title holds U+03A9"},
      {Stamp(out, {"--for-ebook", ebook, "--ebook-id", "x"}), 2, "--for-ebook takes --ebook-id"},
      {{MKREBRANDER, "dump", "--title", "x", ebook}, 2, "dump takes no --title"}};
  WriteFileBytes(out, "previous");
  const auto files = [&] {  // the folder's names, and what the output given holds
    return std::pair(std::set<fs::path>(fs::directory_iterator(dir.Path()), {}),
                     ReadFileBytes(out));
  };
  const auto before = files();
  for (const auto& [args, status, problem] : cases) {
    const ProgramRun run = RunProgram(args);
    const std::string tool = fs::path(args[0]).filename().string() + ": ";
    EXPECT_EQ(std::tuple(run.exitCode, run.out, run.err.rfind(tool, 0), run.err.find('\n') + 1,
                         run.err.find(problem) != std::string::npos, files() == before),
              std::tuple(status, "", 0u, run.err.size(), true, true))
        << run.err << problem;
  }
  EXPECT_EQ(ReadFileBytes(readOnly), "keep");
  // A full disk says so, whether the output is a file or standard output.
  EXPECT_EQ(RunProgram({"/bin/sh", "-c", "'" MKEBOOK "' dump '" + ebook + "' >/dev/full"}).err,
            "mkebook: standard output: No space left on device\n");
}

// The same work written every way the command line allows gives the same bytes:
// --opt=value, short options, operands anywhere, "--", and "-" for standard
// input and output.
TEST_F(KitTest, CommandLineFormsMeanTheSame) {
  const std::string expected = dir.File("expected");
  ASSERT_EQ(RunProgram(Pack(program, good, {"--output", expected})).exitCode, 0);
  const std::string pipe =
      "'" MKEBOOK "' pack -o '" + dir.File("piped") + "' -t - -p '" + program + "' <'" + good + "'";
  const std::pair<Args, std::string> forms[] = {
      {{MKEBOOK, "pack", "--output=" + dir.File("a"), "-t" + good, "-p", program}, "a"},
      {{MKEBOOK, "-o", dir.File("b"), "--table", good, "pack", "--program", program}, "b"},
      {{"/bin/sh", "-c", pipe}, "piped"},
      {{MKEBOOK, "pack", "-o", dir.File("c"), "-t", good, "-p", program, "--", "-V"}, ""},
  };
  for (const auto& [args, output] : forms) {
    const ProgramRun run = RunProgram(args);
    if (output.empty()) {  // after "--" an option is an operand
      EXPECT_EQ(std::pair(run.exitCode, run.err.find("unexpected operand")),
                std::pair(2, std::string("mkebook: ").size()))
          << run.err;
      continue;
    }
    EXPECT_EQ(std::pair(run.err, ReadFileBytes(dir.File(output))),
              std::pair(std::string(), ReadFileBytes(expected)))
        << output;
  }
  const ProgramRun field = RunProgram({MKEBOOK, "dump", "--field", "version", expected});
  const ProgramRun toFile = RunProgram({MKEBOOK, "dump", expected, "-o", dir.File("dump")});
  EXPECT_EQ(std::tuple(field.out, toFile.out, ReadFileBytes(dir.File("dump")).substr(0, 1)),
            std::tuple("1\n", "", "{"));
  for (const char* tool : {MKEBOOK, MKREBRANDER}) {
    const ProgramRun version = RunProgram({tool, "-V"}), help = RunProgram({tool, "--help"});
    EXPECT_EQ(std::tuple(version.exitCode, version.out.find(" 1."), help.exitCode,
                         help.out.find("Exit status: 0 on success, 1") != std::string::npos),
              std::tuple(0, fs::path(tool).filename().string().size(), 0, true));
  }
}

// Work that goes on, with a warning where it would ship something the author
// may not mean; and the E-Book's file name stored in the E-Book's code page.
TEST_F(KitTest, WarningsLetTheWorkGoOn) {
  WriteFileBytes(json, R"({"id": "x", "version": 1, "rebranded": 0, "variables": [{"ident": )"
                       R"("a", "prompt": "Caf\u00e9", "value": "v", "editable": 0, "type": 9}]})");
  const std::string japanese = dir.File("表.exe");
  ASSERT_EQ(RunProgram(Pack(program, json, {"-o", japanese})).exitCode, 0);
  const std::string warning = ": warning: ", done = dir.File("done"), doneJson = dir.File("d.json");
  WriteFileBytes(doneJson, R"({"id": "x", "version": 1, "rebranded": 1, "variables": [{"ident": )"
                           R"("a", "prompt": "p", "value": "v", "editable": 1, "type": 0}]})");
  ASSERT_EQ(RunProgram(Pack(program, doneJson, {"-o", done})).exitCode, 0);
  const std::tuple<Args, std::string> cases[] = {
      {{MKEBOOK, "check", json},
       json + warning +
           "variable \"a\": type 9 is kept but offered on no page (types are 0 to 3)\n" +
           "mkebook: " + json + warning +
           "no variable is editable: there is nothing to customize\n"},
      {{MKREBRANDER, "bundle", "--ebook", japanese, "--windows", "--title", "T", "-p", bare, "-o",
        dir.File("kit")},
       "texts beyond ASCII without --encoding"},
      {{MKREBRANDER, "bundle", "--ebook", done, "--force", "--title", "T", "-p", bare, "-o",
        dir.File("again")},
       ""}};
  for (const auto& [args, expected] : cases) {
    const ProgramRun run = RunProgram(args);
    EXPECT_EQ(std::pair(run.exitCode, run.err.find(expected) != std::string::npos),
              std::pair(0, true))
        << run.err;
  }
  // Stored as the rebrander will look for it: 表 in CP932 is 95 5C.
  ASSERT_EQ(RunProgram(Stamp(dir.File("r"), {"--for-ebook", japanese, "-e", "CP932", "-p", bare,
                                             "--ebook-id", "x"}))
                .exitCode,
            2);
  const ProgramRun run = RunProgram({MKREBRANDER, "--for-ebook", japanese, "-e", "CP932", "-p",
                                     bare, "--title", "T", "-o", dir.File("r")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(formats::CRebrandInfo(dir.File("r")).Info().m_strEBookFile, "\x95\x5C.exe");
}

// As signing leaves a program: a certificate table that ends the file, where
// the PE header's security directory says. An E-Book is never to be signed,
// before packing or after.
std::string Signed(std::string bytes) {
  const std::string certificates = "certificates" + std::string(4, 'c');
  const uint32_t entry[] = {static_cast<uint32_t>(bytes.size()),
                            static_cast<uint32_t>(certificates.size())};
  for (int i = 0; i < 8; ++i) bytes[0xE8 + i] = static_cast<char>(entry[i / 4] >> (8 * (i % 4)));
  return bytes + certificates;
}

TEST_F(KitTest, SignedEBookIsWarnedOf) {
  std::string pe(0x148, '\0');
  pe.replace(0, 2, "MZ");
  pe[0x3C] = 0x40;
  pe.replace(0x40, 2, "PE");
  pe[0x54] = static_cast<char>(240);  // the optional header's size
  pe.replace(0x58, 2, "\x0b\x02");
  pe[0xC4] = 16;  // data directories
  const std::string signedProgram = dir.File("signed"), signedEBook = dir.File("signed book");
  WriteFileBytes(signedProgram, Signed(pe + std::string(100, 'p')));
  const std::string warning = std::string(": warning: ") + packing::kSignedEBookWarning + "\n";
  const ProgramRun pack = RunProgram(Pack(signedProgram, good, {"-o", dir.File("out")}));
  EXPECT_EQ(pack.exitCode, 0) << pack.err;
  EXPECT_EQ(pack.err, "mkebook: " + signedProgram + warning);

  ASSERT_EQ(RunProgram(Pack(program, good, {"-o", dir.File("plain")})).exitCode, 0);
  WriteFileBytes(signedEBook, Signed(pe + ReadFileBytes(dir.File("plain"))));
  const ProgramRun check = RunProgram({MKEBOOK, "check", signedEBook});
  EXPECT_EQ(check.exitCode, 1);
  EXPECT_EQ(check.err.substr(0, check.err.find('\n') + 1), "mkebook: " + signedEBook + warning);
  EXPECT_EQ(RunProgram({MKEBOOK, "check", dir.File("plain")}).err, "");
}

// A stamp made without status texts gets texts that tell the user what to do,
// and --help shows them.
TEST_F(KitTest, StampWithoutStatusTextsGetsTheDefaultsHelpShows) {
  ASSERT_EQ(RunProgram(Stamp(dir.File("r"), {"-p", bare})).exitCode, 0);
  const formats::CInfoBlock info = formats::CRebrandInfo(dir.File("r")).Info();
  const std::string help = RunProgram({MKREBRANDER, "--help"}).out;
  for (const std::string& text : {info.m_strStatusBefore, info.m_strStatusAfter}) {
    EXPECT_EQ(std::pair(text.size() > 20, help.find(text) != std::string::npos),
              std::pair(true, true))
        << text;
  }
  EXPECT_NE(info.m_strStatusBefore, info.m_strStatusAfter);
}

// Customizing without the wizard: in place, through the rebrander's store (no
// journal left, the E-Book marked customized), or one copy a value set, every
// line checked before the first copy is written.
TEST_F(KitTest, SetStoresValuesInPlaceOrInCopies) {
  const std::string book = dir.File("book"), values = dir.File("values.json");
  const std::string sets = dir.File("sets.jsonl"), bad = dir.File("bad.jsonl");
  ASSERT_EQ(RunProgram(Pack(program, good, {"-o", book})).exitCode, 0);
  const auto value = [](const std::string& path) {
    packing::EBookPackage package;
    std::string error;
    return packing::LoadPackage(path, package, error)
               ? std::pair(package.table[0].m_strValue, package.table.m_bRebranded)
               : std::pair(error, -1);
  };
  WriteFileBytes(values, R"({"a": "W\u00f6rld"})");
  WriteFileBytes(sets, "{\"a\": \"one\"}\n\n{\"a\": \"two\"}\n");
  WriteFileBytes(bad, "{\"a\": \"one\"}\n{\"b\": \"two\"}\n");
  const std::tuple<Args, int, std::string, std::pair<std::string, int>> steps[] = {
      {{MKEBOOK, "set", book, "a=Hello"}, 0, "", {"Hello", 1}},
      {{MKEBOOK, "set", book, "a=Again"}, 1, "is already customized", {"Hello", 1}},
      {{MKEBOOK, "set", "--force", book, "--values", values, "-e", "windows-1252"},
       0,
       "",
       {"W\xF6rld", 1}},
      {{MKEBOOK, "set", book, "--force", "b=x"}, 1, "has no variable \"b\"", {"W\xF6rld", 1}},
      {{MKEBOOK, "set", book}, 2, "set needs IDENT=VALUE", {"W\xF6rld", 1}},
      {{MKEBOOK, "set", book, "--force", "--copies", bad, "-o", dir.File("bad")},
       1,
       bad + ": line 2: " + book + " has no variable \"b\"",
       {"W\xF6rld", 1}},
      {{MKEBOOK, "set", book, "--force", "--copies", sets, "-o", dir.File("out")},
       0,
       "",
       {"W\xF6rld", 1}}};
  for (const auto& [args, status, problem, after] : steps) {
    const ProgramRun run = RunProgram(args);
    EXPECT_EQ(std::tuple(run.exitCode, run.err.find(problem) != std::string::npos, value(book)),
              std::tuple(status, true, after))
        << run.err;
  }
  EXPECT_EQ(std::tuple(value(dir.File("out/1/book")), value(dir.File("out/2/book")),
                       fs::exists(dir.File("out/3")), fs::exists(dir.File("bad")),
                       fs::exists(book + ".rebrander-journal")),
            std::tuple(std::pair(std::string("one"), 1), std::pair(std::string("two"), 1), false,
                       false, false));
}

// An E-Book in use is refused as the rebrander refuses it, after its tries,
// which here take no time.
TEST_F(KitTest, SetRefusesAnEBookInUse) {
  platform::SetSleeper([](uint32_t) {});
  const platform::HFILE held = platform::_lopen(ebook, platform::OF_EXCLUSIVE_READWRITE);
  ASSERT_NE(held, platform::HFILE_ERROR);
  RecordingUserInterface ui;
  const bool stored = packing::SetValuesInPlace(ebook, {{"a", "x"}}, false);
  platform::_lclose(held);
  platform::SetSleeper({});
  ASSERT_EQ(std::pair(stored, ui.messages.size()), std::pair(false, size_t{1}));
  EXPECT_NE(ui.messages[0].text.find("already running"), std::string::npos) << ui.messages[0].text;
}

// A full disk: the message says so, and no partial output is left. Needs a
// small file system of its own, which only root may mount.
TEST_F(KitTest, AFullDiskSaysSoAndLeavesNothing) {
  const std::string small = dir.File("small");
  fs::create_directory(small);
  if (std::system(("mount -t tmpfs -o size=64k tmpfs '" + small + "' 2>/dev/null").c_str()) != 0) {
    GTEST_SKIP() << "cannot mount a small file system here";
  }
  WriteFileBytes(dir.File("big"), std::string(200000, 'x'));
  const ProgramRun pack = RunProgram(Pack(dir.File("big"), good, {"-o", small + "/book"}));
  const ProgramRun stamp = RunProgram(Stamp(small + "/r", {"-p", bare}));
  const bool empty = fs::is_empty(small);
  const int unmounted = std::system(("umount '" + small + "'").c_str());
  EXPECT_EQ(std::tuple(pack.exitCode, pack.err, stamp.exitCode, stamp.err, empty, unmounted),
            std::tuple(1, "mkebook: " + small + "/book: No space left on device\n", 1,
                       "mkrebrander: " + small + "/r: No space left on device\n", true, 0));
}

}  // namespace
