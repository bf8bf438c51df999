// What the kit's tools make: E-Books that dump and pack back to the same bytes,
// rebranders stamped as the command line says that pass their E-Book's checks,
// the warnings that let the work go on, and customizing without the wizard.
#include <nlohmann/json.hpp>
#include <random>

#include "ebook/ebook_file.h"
#include "formats/rebrand_info.h"
#include "platform/module_path.h"
#include "tests/support/recording_ui.h"
#include "tests/tools/kit_fixture.h"
#include "tools/mkebook/set_values.h"

namespace kit_testing {
namespace {

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

packing::EBookPackage RandomPackage(std::mt19937& random, bool fullId) {
  packing::EBookPackage package;
  formats::CEBookTrailer& trailer = package.trailer;
  for (int32_t* field : {&trailer.m_nField2, &trailer.m_nField3, &trailer.m_nField4,
                         &trailer.m_nField5, &trailer.m_nField7, &trailer.m_nField8})
    *field = random();
  trailer.m_nVersion = random() & 0x7FFFFFFF;
  // The identity block is raw: a zero inside it, and bytes after it, are kept.
  trailer.SetId(fullId ? std::string(formats::CEBookTrailer::kIdSize, '@')
                       : RandomBytes(random) + '\0' + RandomBytes(random));
  package.table.m_bRebranded = random() % 2;
  for (int i = random() % 4; i > 0; --i) {
    // Idents none empty, none twice.
    package.table.Add(Variable(RandomBytes(random) + static_cast<char>('A' + i),
                               RandomBytes(random), random() % 2));
    package.table[package.table.GetSize() - 1].m_strPrompt = RandomBytes(random);
    package.table[package.table.GetSize() - 1].m_nType = random();
  }
  return package;
}

// dump, then pack with the E-Book as the program, in each code page: the same
// file, byte for byte. The table is replaced, not stacked, and the permissions
// are kept.
TEST_F(KitTest, DumpThenPackGivesBackEveryByte) {
  std::mt19937 random(20261207);
  const std::string json = dir.File("table.json");
  for (const char* encoding : {"UTF-8", "windows-1252", "CP932", "GB18030"}) {
    SCOPED_TRACE(encoding);
    for (int round = 0; round < 40; ++round) {
      Pack(RandomPackage(random, round == 0), ebook);
      const std::string packed = ReadFileBytes(ebook);
      const ProgramRun dump = Run({"mkebook", "dump", "<ebook>", "--encoding", encoding});
      ASSERT_EQ("", dump.err);
      WriteFileBytes(json, dump.out);
      const ProgramRun pack =
          Run({"mkebook", "pack", "-p", "<ebook>", "-t", json, "-o", "<ebook>", "-e", encoding});
      ASSERT_EQ(0, pack.exitCode) << pack.err;
      ASSERT_EQ(packed, ReadFileBytes(ebook)) << dump.out;
    }
  }
  EXPECT_EQ(kPerms, fs::status(ebook).permissions());
}

// A text that the table format ended at a zero byte is dumped up to it, and named.
TEST_F(KitTest, DumpWarnsOfATextCutAtAZeroByte) {
  packing::EBookPackage package;
  package.table.Add(Variable("a", "whole", 1));
  package.table.Add(Variable("b", std::string("before\0after", 12), 1));
  Pack(package, ebook);
  const ProgramRun dump = Run({"mkebook", "dump", "<ebook>"});
  EXPECT_EQ("mkebook: " + ebook +
                ": warning: variables[1].value is stored with a zero byte inside; only the "
                "text before it is dumped\n",
            dump.err);
  EXPECT_EQ("before", nlohmann::json::parse(dump.out)["variables"][1]["value"]);
}

// Every field lands where the rebrander reads it, the command line winning
// over the stamp file, texts taken byte for byte without --encoding.
TEST_F(KitTest, StampPutsEveryFieldWhereTheRebranderReadsIt) {
  const ProgramRun run =
      Run({"mkrebrander", "--stamp", stamp, "-o", "<r>", "-p", bare, "--ebook-id", "Caf\xE9",
           "--title", "Gr\xC3\xBC\xC3\x9F", "--status-before", "\xFF\xFE raw\r\n", "--status-after",
           "after", "--text3", "3", "--allow-repeat", "1"});
  ASSERT_EQ("", run.err);
  const formats::CRebrandInfo stamped(dir.File("r"));
  const formats::CInfoBlock& i = stamped.Info();
  // File name, identity, title, the two status texts, text 3, allow-repeat, version.
  EXPECT_EQ(
      std::tuple("book", "Caf\xE9", "Gr\xC3\xBC\xC3\x9F", "\xFF\xFE raw\r\n", "after", "3", 1, -5),
      std::tie(i.m_strEBookFile, i.m_strEBookId, i.m_strTitle, i.m_strStatusBefore,
               i.m_strStatusAfter, i.m_strText3, i.m_bAllowRepeat, stamped.Trailer().m_nVersion));
  EXPECT_EQ(kPerms, fs::status(dir.File("r")).permissions());
}

// The dump of a stamp stamps the same rebrander again, byte for byte, whatever
// bytes its texts hold, over its old stamp (replaced, not added to).
TEST_F(KitTest, DumpOfAStampStampsTheSameRebrander) {
  ASSERT_EQ("", Run({"mkrebrander", "-s", stamp, "-o", "<original>", "-p", bare, "--title",
                     "Gr\xC3\xBC\xC3\x9F", "--status-before", "\xFF\xFE raw\r\n"})
                    .err);
  ASSERT_EQ("", Run({"mkrebrander", "dump", "<original>", "-o", stamp}).err);
  ASSERT_EQ("", Run({"mkrebrander", "-s", stamp, "-o", "<again>", "-p", "<original>"}).err);
  EXPECT_EQ(ReadFileBytes(dir.File("original")), ReadFileBytes(dir.File("again")));
}

struct Stamping {
  const char* name;
  Args args;
  const char* rebrander;  // in the folder
  const char* list;       // lists the archive, or "" for none
};

class KitStampingTest : public KitTest, public ::testing::WithParamInterface<Stamping> {};

// Stamped from the E-Book itself, in a bundle (a folder with a copy of the
// E-Book and its rebrander, and an archive of it) or in the demo folder, the
// rebrander passes its E-Book's checks. The Linux rebrander of a bundle or
// demo is the one built beside the tool.
TEST_P(KitStampingTest, RebranderPassesItsEBooksChecks) {
  const ProgramRun run = Run(GetParam().args);
  ASSERT_EQ(0, run.exitCode) << run.err;
  RecordingUserInterface ui;  // the E-Book's own checks, run as that rebrander runs them
  platform::OverrideModuleFileName(dir.File(GetParam().rebrander));
  formats::ResetRebrandInfoForTesting();
  EXPECT_TRUE(ebook::CEBookFile().Validate());
  EXPECT_EQ(0u, ui.messages.size()) << ui.messages.front().text;
  if (std::string(GetParam().list).empty()) return;
  EXPECT_EQ(ReadFileBytes(ebook), ReadFileBytes(dir.File("kit/my book.exe")));
  const ProgramRun list =
      RunProgram({"/bin/sh", "-c", std::string(GetParam().list) + " | sort"}, dir.Path());
  EXPECT_EQ("kit/\nkit/my book.exe\n" + std::string(GetParam().rebrander) + "\n", list.out);
}

// clang-format off
const Stamping kStampings[] = {
    {"LinuxBundle", {"mkrebrander", "bundle", "--ebook", "<ebook>", "--title", "T", "-o", "<kit>"}, "kit/rebrander", "tar -tzf kit.tar.gz"},
    {"WindowsBundle", {"mkrebrander", "bundle", "--ebook", "<ebook>", "--title", "T", "-o", "<kit>", "--windows", "--program", "<bare>"}, "kit/rebrander.exe", "unzip -Z1 kit.zip"},
    {"DemoFolder", {"/bin/bash", DEMO_SCRIPT, BUILD_DIR, "<demo>"}, "demo/rebrander", ""},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Kit, KitStampingTest, ::testing::ValuesIn(kStampings),
                         [](const auto& info) { return std::string(info.param.name); });

// The same work written every way the command line allows gives the same
// bytes: --opt=value, short options glued or not, operands anywhere, and "-"
// for standard input.
TEST_F(KitTest, EveryFormOfTheCommandLinePacksTheSameBytes) {
  ASSERT_EQ(0, Run({"mkebook", "pack", "--program", "<program>", "--table", good, "--output",
                    "<expected>"})
                   .exitCode);
  for (const Args& form :
       {Args{"mkebook", "pack", "--output=<out>", "-t<good.json>", "-p", "<program>"},
        Args{"mkebook", "-o", "<out>", "--table", "<good.json>", "pack", "--program", "<program>"},
        Args{"/bin/sh", "-c", "'" MKEBOOK "' pack -o out -t - -p program < good.json"}}) {
    fs::remove(dir.File("out"));
    EXPECT_EQ("", Run(form).err) << form[2];
    EXPECT_EQ(ReadFileBytes(dir.File("expected")), ReadFileBytes(dir.File("out"))) << form[2];
  }
}

// An output that exists keeps its permissions; a new one takes the program's.
TEST_F(KitTest, PackOverAnExistingFileKeepsItsPermissions) {
  WriteFileBytes(dir.File("out"), "old");
  fs::permissions(dir.File("out"), fs::perms{0640});
  ASSERT_EQ(0, Run({"mkebook", "pack", "-p", "<program>", "-t", good, "-o", "<out>"}).exitCode);
  EXPECT_EQ(fs::perms{0640}, fs::status(dir.File("out")).permissions());
}

// Work that goes on: its version, one field of a dump, code pages named in any
// case with or without "-" and "_", and a warning where it would ship
// something the author may not mean.
// clang-format off
constexpr char kRuns[] = R"(
VersionOfMkebook | 0 | mkebook -V | - |  | mkebook )" REBRANDER_VERSION R"(
VersionOfMkrebrander | 0 | mkrebrander --version | - |  | mkrebrander )" REBRANDER_VERSION R"(
DumpOfTheVersionField | 0 | mkebook dump --field version <ebook> | - |  | 7
DumpOfTheIdentityField | 0 | mkebook dump -f id <ebook> | - |  | Caf)" "\xE9" R"( 1.0
EncodingWithAnUnderscore | 0 | mkebook dump -f version <ebook> -e Windows_1252 | - |  | 7
EncodingInCapitalsWithoutADash | 0 | mkebook dump -f version <ebook> -e WINDOWS1252 | - |  | 7
EncodingByItsShortName | 0 | mkebook dump -f version <ebook> -e cp1252 | - |  | 7
TypeOnNoPageAndNothingEditable | 0 | mkebook check <case.json> | {"id": "x", "version": 1, "rebranded": 0, "variables": [{"ident": "a", "prompt": "Caf\u00e9", "value": "v", "editable": 0, "type": 9}]} | mkebook: <case.json>: warning: variable "a": type 9 is kept but offered on no page (types are 0 to 3)\nmkebook: <case.json>: warning: no variable is editable: there is nothing to customize
WindowsBundleOfTextsBeyondAscii | 0 | mkrebrander bundle --ebook <ebook> --windows --title Grüß -p <bare> -o <kit> | - | mkrebrander: <ebook>: warning: texts beyond ASCII without --encoding are shown as UTF-8 bytes on Windows; name the E-Book's code page, such as --encoding windows-1252
PackOfASignedProgram | 0 | mkebook pack -p <signed> -t <good.json> -o <out> | - | mkebook: <signed>: warning: is signed; do not sign E-Books: the table is rewritten by every customization, which breaks the signature (sign the rebrander instead)
CustomizedEBookBundledWithForce | 0 | mkrebrander bundle --ebook <customized> --force --title T -p <bare> -o <kit> | - | 
)";
// clang-format on

class KitRunTest : public KitTest, public ::testing::WithParamInterface<ToolCase> {};

TEST_P(KitRunTest, GoesOnAndSaysWhatItShould) {
  if (!GetParam().json.empty()) WriteFileBytes(dir.File("case.json"), GetParam().json);
  const ProgramRun run = Run(GetParam().args);
  EXPECT_EQ(0, run.exitCode);
  EXPECT_EQ(Expand(GetParam().err), run.err);
  EXPECT_EQ(GetParam().out, run.out);
}

INSTANTIATE_TEST_SUITE_P(Kit, KitRunTest, ::testing::ValuesIn(ToolCases(kRuns)),
                         [](const auto& info) { return info.param.name; });

// Stored as the rebrander will look for it: 表 in CP932 is 95 5C, the second
// byte a backslash.
TEST_F(KitTest, StampStoresTheEBooksFileNameInItsCodePage) {
  const std::string japanese = dir.File("表.exe");
  fs::copy_file(ebook, japanese);
  const ProgramRun run = Run({"mkrebrander", "--for-ebook", japanese, "-e", "CP932", "-p", bare,
                              "--title", "T", "-o", "<r>"});
  ASSERT_EQ(0, run.exitCode) << run.err;
  EXPECT_EQ("\x95\x5C.exe", formats::CRebrandInfo(dir.File("r")).Info().m_strEBookFile);
}

// A stamp made without status texts gets texts that tell the user what to do,
// and --help shows them.
TEST_F(KitTest, StampWithoutStatusTextsGetsTheDefaultsHelpShows) {
  ASSERT_EQ(0, Run({"mkrebrander", "-s", stamp, "-o", "<r>", "-p", bare}).exitCode);
  const formats::CInfoBlock info = formats::CRebrandInfo(dir.File("r")).Info();
  const std::string help = Run({"mkrebrander", "--help"}).out;
  EXPECT_NE(std::string::npos, help.find("before customizing: " + info.m_strStatusBefore + "\n"))
      << help;
  EXPECT_NE(std::string::npos, help.find("after customizing: " + info.m_strStatusAfter + "\n"))
      << help;
}

struct SetCase {
  const char* name;
  int rebranded;  // of the E-Book before
  Args args;
  std::string err;
  std::string value;  // the variable's value after
  friend void PrintTo(const SetCase& c, std::ostream* out) { *out << c.name; }
};

class KitSetTest : public KitTest, public ::testing::WithParamInterface<SetCase> {};

// In place, through the rebrander's store (no journal left, the E-Book marked
// customized); a refusal leaves the E-Book as it was.
TEST_P(KitSetTest, StoresTheValuesInPlaceOrNone) {
  packing::EBookPackage package;
  package.table.m_bRebranded = GetParam().rebranded;
  package.table.Add(Variable("a", "old", 1));
  package.table.Add(Variable("fixed", "old", 0));
  Pack(package, ebook);
  WriteFileBytes(dir.File("values.json"), R"({"a": "W\u00f6rld"})");
  const ProgramRun run = Run(GetParam().args);
  EXPECT_EQ(Expand(GetParam().err), run.err);
  std::string error;
  ASSERT_TRUE(packing::LoadPackage(ebook, package, error)) << error;
  EXPECT_EQ(GetParam().value, package.table[0].m_strValue);
  EXPECT_EQ(GetParam().err.empty() ? 1 : GetParam().rebranded, package.table.m_bRebranded);
  EXPECT_FALSE(fs::exists(ebook + ".rebrander-journal"));
}

// clang-format off
const SetCase kSets[] = {
    {"FromTheCommandLine", 0, {"mkebook", "set", "<ebook>", "a=Hello"}, "", "Hello"},
    {"FromAValuesFileInACodePage", 0, {"mkebook", "set", "<ebook>", "--values", "<values.json>", "-e", "windows-1252"}, "", "W\xF6rld"},
    {"OverACustomizedEBookWithForce", 1, {"mkebook", "set", "--force", "<ebook>", "a=Again"}, "", "Again"},
    {"NotOverACustomizedEBook", 1, {"mkebook", "set", "<ebook>", "a=Again"}, "mkebook: <ebook>: is already customized (give --force to customize it again)\n", "old"},
    {"NotIntoAnUnknownVariable", 0, {"mkebook", "set", "<ebook>", "a=x", "b=x"}, "mkebook: <ebook>: has no variable \"b\"\n", "old"},
    {"NotIntoAFixedVariable", 0, {"mkebook", "set", "<ebook>", "fixed=x"}, "mkebook: <ebook>: has no editable variable \"fixed\"\n", "old"},
    {"NotWithoutValues", 0, {"mkebook", "set", "<ebook>"}, "mkebook: set needs IDENT=VALUE, --values or --copies (see --help)\n", "old"},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Kit, KitSetTest, ::testing::ValuesIn(kSets),
                         [](const auto& info) { return std::string(info.param.name); });

// One customized copy a line, numbered from 1 with as many digits as the
// last, the E-Book left as it was.
TEST_F(KitTest, SetCopiesMakeOneCustomizedCopyALine) {
  std::string lines;
  for (int i = 1; i <= 10; ++i)
    lines += "{\"a\": \"" + std::to_string(i) + "\"}\n" + (i == 1 ? "\n" : "");
  WriteFileBytes(dir.File("sets.jsonl"), lines);
  const std::string before = ReadFileBytes(ebook);
  EXPECT_EQ("", Run({"mkebook", "set", "<ebook>", "--copies", "<sets.jsonl>", "-o", "<out>"}).err);
  packing::EBookPackage package;
  std::string error;
  ASSERT_TRUE(packing::LoadPackage(dir.File("out/01/my book.exe"), package, error)) << error;
  EXPECT_EQ("1", package.table[0].m_strValue);
  EXPECT_EQ(1, package.table.m_bRebranded);
  EXPECT_TRUE(fs::exists(dir.File("out/10/my book.exe")));
  EXPECT_FALSE(fs::exists(dir.File("out/11")));
  EXPECT_EQ(before, ReadFileBytes(ebook));
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
  const ProgramRun pack = Run({"mkebook", "pack", "-p", "<big>", "-t", good, "-o", "<small/book>"});
  const ProgramRun stamped = Run({"mkrebrander", "-s", stamp, "-p", bare, "-o", "<small/r>"});
  const bool empty = fs::is_empty(small);
  EXPECT_EQ(0, std::system(("umount '" + small + "'").c_str()));
  EXPECT_EQ("mkebook: " + small + "/book: No space left on device\n", pack.err);
  EXPECT_EQ("mkrebrander: " + small + "/r: No space left on device\n", stamped.err);
  EXPECT_TRUE(empty) << "no partial output left";
}

}  // namespace
}  // namespace kit_testing
