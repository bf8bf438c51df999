// Every refusal of the kit's tools: one line on standard error (after any warning), "tool: FILE:
// reason" for a failed file, exit status 1 for failed work and 2 for a usage
// error, nothing on standard output, and no file changed: no output, not even
// a partial one, and the user's own files untouched (a read-only output, an
// "out.partial" of theirs).
#include <set>

#include "tests/tools/kit_fixture.h"

namespace kit_testing {
namespace {

// In the form of ToolCases(); the files are the fixture's and those of
// KitRefusalTest::SetUp.
constexpr char kRefusals[] = R"(
OptionAfterDoubleDashIsAnOperand | 2 | mkebook pack -o <c> -t <good.json> -p <program> -- -V | - | mkebook: unexpected operand -V (see --help)
PackTextTheCodePageCannotHold | 1 | mkebook pack -p <program> -t <case.json> -o <out> -e windows-1252 | {"id": "x", "version": 1, "rebranded": 0, "variables": [{"ident": "a", "prompt": "p", "value": "Ω", "editable": 1, "type": 0}]} | mkebook: <case.json>: variable "a": field "value" holds U+03A9 "Ω", which windows-1252 cannot hold (write such bytes as {"base64": "..."})
PackAProgramWithADamagedTable | 1 | mkebook pack -p <bad> -t <good.json> -o <out> | - | mkebook: <bad>: ends with an E-Book trailer but its variable table cannot be read
PackAnEBookCutShort | 1 | mkebook pack -p <cut> -t <good.json> -o <out> | - | mkebook: <cut>: ends like an E-Book whose trailer is cut short or damaged; pack the program it was made from
PackOntoAFolder | 1 | mkebook pack -p <program> -t <good.json> -o <folder> | - | mkebook: <folder>: is a folder
PackOverAReadOnlyFile | 1 | mkebook pack -p <program> -t <good.json> -o <read-only> | - | mkebook: <read-only>: Permission denied
PackAMissingProgram | 1 | mkebook pack -p <none> -t <good.json> -o <out> | - | mkebook: <none>: No such file or directory
PackAFolderAsTheProgram | 1 | mkebook pack -p <folder> -t <good.json> -o <out> | - | mkebook: <folder>: is a folder
PackADeviceAsTheProgram | 1 | mkebook pack -p /dev/zero -t <good.json> -o <out> | - | mkebook: /dev/zero: is no plain file
PackIntoAMissingFolder | 1 | mkebook pack -p <program> -t <good.json> -o <no/out> | - | mkebook: <no/out>: No such file or directory
TableCutShort | 1 | mkebook pack -p <program> -t <case.json> -o <out> | {"id": "x",  | mkebook: <case.json>: line 1, column 13: object key - unexpected end of input; expected string literal
KeyGivenTwice | 1 | mkebook pack -p <program> -t <case.json> -o <out> | {"id": "é", "id": "y"} | mkebook: <case.json>: line 1, column 13: key "id" given twice
SyntaxErrorInAVariable | 1 | mkebook pack -p <program> -t <case.json> -o <out> | {"id": "x", "variables": [{"ident": "a", "prompt": "p" "value": "v"}]} | mkebook: <case.json>: line 1, column 56 (in variable "a"): object - unexpected string literal; expected '}'
IdANumber | 1 | mkebook pack -p <program> -t <case.json> -o <out> | {"id": 5} | mkebook: <case.json>: field "id" must be a string or {"base64": "..."}
IdLongerThanItsBlock | 1 | mkebook pack -p <program> -t <case.json> -o <out> | {"id": "ééééééééééééééééééééééééééééééééé", "version": 1, "rebranded": 0, "variables": []} | mkebook: <case.json>: field "id" is 66 bytes long; at most 64 fit
VersionAString | 1 | mkebook pack -p <program> -t <case.json> -o <out> | {"id": "x", "version": "1"} | mkebook: <case.json>: field "version" must be a 32-bit integer
VersionAFraction | 1 | mkebook pack -p <program> -t <case.json> -o <out> | {"id": "x", "version": 0.5} | mkebook: <case.json>: field "version" must be a 32-bit integer
VersionBeyond32Bits | 1 | mkebook pack -p <program> -t <case.json> -o <out> | {"id": "x", "version": 2147483648} | mkebook: <case.json>: field "version" must be a 32-bit integer
OpaqueOfFiveIntegers | 1 | mkebook pack -p <program> -t <case.json> -o <out> | {"id": "x", "version": 1, "opaque": [1, 2, 3, 4, 5]} | mkebook: <case.json>: field "opaque" must be a list of six 32-bit integers
UnknownField | 1 | mkebook pack -p <program> -t <case.json> -o <out> | {"id": "x", "title": "T"} | mkebook: <case.json>: field "title" is not a known field
VariablesNotAList | 1 | mkebook pack -p <program> -t <case.json> -o <out> | {"id": "x", "version": 1, "rebranded": 0, "variables": {}} | mkebook: <case.json>: field "variables" must be a list
VariableNotAnObject | 1 | mkebook pack -p <program> -t <case.json> -o <out> | {"id": "x", "version": 1, "rebranded": 0, "variables": [5]} | mkebook: <case.json>: variables[0] must be an object
VariableFieldMissing | 1 | mkebook pack -p <program> -t <case.json> -o <out> | {"id": "x", "version": 1, "rebranded": 0, "variables": [{"ident": "a", "prompt": "p", "value": "v", "editable": 1}]} | mkebook: <case.json>: variable "a": missing field "type"
ValueInvalidBase64 | 1 | mkebook pack -p <program> -t <case.json> -o <out> | {"id": "x", "version": 1, "rebranded": 0, "variables": [{"ident": "a", "prompt": "p", "value": {"base64": "A"}}]} | mkebook: <case.json>: variable "a": field "value" holds invalid base64
ValueWithAZeroByte | 1 | mkebook pack -p <program> -t <case.json> -o <out> | {"id": "x", "version": 1, "rebranded": 0, "variables": [{"ident": "a", "prompt": "p", "value": "v\u0000w"}]} | mkebook: <case.json>: variable "a": field "value" must not hold a zero byte
RebrandedNeitherZeroNorOne | 1 | mkebook pack -p <program> -t <case.json> -o <out> | {"id": "x", "version": 1, "rebranded": 7, "variables": [{"ident": "a", "prompt": "p", "value": "v", "editable": 1, "type": 0}]} | mkebook: <case.json>: rebranded is 7; it must be 0 or 1
VersionNegative | 1 | mkebook pack -p <program> -t <case.json> -o <out> | {"id": "x", "version": -1, "rebranded": 0, "variables": [{"ident": "a", "prompt": "p", "value": "v", "editable": 1, "type": 0}]} | mkebook: <case.json>: the version is -1; it must be 0 or more
EditableNeitherZeroNorOne | 1 | mkebook pack -p <program> -t <case.json> -o <out> | {"id": "x", "version": 1, "rebranded": 0, "variables": [{"ident": "a", "prompt": "p", "value": "v", "editable": 2, "type": 0}, {"ident": "b", "prompt": "p", "value": "v", "editable": 1, "type": 1}]} | mkebook: <case.json>: variable "a": editable is 2; it must be 0 or 1
IdentGivenTwice | 1 | mkebook pack -p <program> -t <case.json> -o <out> | {"id": "x", "version": 1, "rebranded": 0, "variables": [{"ident": "a", "prompt": "p", "value": "v", "editable": 1, "type": 0}, {"ident": "a", "prompt": "p", "value": "v", "editable": 1, "type": 0}]} | mkebook: <case.json>: variable "a" is given twice
IdentEmpty | 1 | mkebook pack -p <program> -t <case.json> -o <out> | {"id": "x", "version": 1, "rebranded": 0, "variables": [{"ident": "", "prompt": "p", "value": "v", "editable": 1, "type": 0}]} | mkebook: <case.json>: variables[0] has an empty ident
DumpOfAProgramNeverPacked | 1 | mkebook dump <program> | - | mkebook: <program>: does not end with an E-Book trailer
SetValuesNotAnObject | 1 | mkebook set <ebook> --values <case.json> | ["a"] | mkebook: <case.json>: the JSON must be an object
SetCopiesWithABadLineWriteNone | 1 | mkebook set <ebook> --copies <case.json> -o <copies> | {"a": "one"}\n{"b": "two"} | mkebook: <case.json>: line 2: <ebook> has no variable "b"
StampFromAnEBook | 1 | mkrebrander --stamp <stamp.json> --output <out> --program <ebook> | - | mkrebrander: <ebook>: is an E-Book, not the bare rebrander (give the rebrander as --program)
StampFromAnotherProgram | 1 | mkrebrander --stamp <stamp.json> --output <out> --program <program> | - | mkrebrander: <program>: is not a bare rebrander program (give the rebrander as --program)
StampDumpOfAnUnstampedProgram | 1 | mkrebrander dump <program> | - | mkrebrander: <program>: carries no stamp
StampAllowRepeatNeitherZeroNorOne | 1 | mkrebrander --stamp <case.json> --output <out> | {"allow-repeat": 2} | mkrebrander: <case.json>: field "allow-repeat" is 2; it must be 0 or 1
StampFileNameWithAFolder | 1 | mkrebrander --stamp <case.json> --output <out> | {"ebook-file": "sub/book"} | mkrebrander: <case.json>: field "ebook-file" must be a file name without a folder
StampFileNameWithABackslash | 1 | mkrebrander --stamp <case.json> --output <out> | {"ebook-file": "sub\\book"} | mkrebrander: <case.json>: field "ebook-file" must be a file name without a folder
StampIdLongerThanItsBlock | 1 | mkrebrander --stamp <case.json> --output <out> | {"ebook-id": "ééééééééééééééééééééééééééééééééé"} | mkrebrander: <case.json>: field "ebook-id" is 66 bytes long; at most 64 fit, or it matches no E-Book
BundleIntoAnExistingPath | 1 | mkrebrander bundle --ebook <ebook> --title T --output <bad> | - | mkrebrander: <bad>: already exists
BundleOfACustomizedEBook | 1 | mkrebrander bundle --ebook <customized> --title T -o <kit> -p <bare> | - | mkrebrander: <customized>: is already marked customized, and its buyers could not customize it; bundle the E-Book before customizing it, or give --force
OptionWithoutItsValue | 2 | mkebook dump <ebook> -o | - | mkebook: --output needs a value (see --help)
FlagWithAValue | 2 | mkebook --help=1 | - | mkebook: --help takes no value (see --help)
DemoFolderWithoutTheBuiltTools | 1 | make-demo-folder.sh <nobuild> <demo> | - | make-demo-folder: <nobuild>/tools/mkebook/mkebook is missing; build the project first
PackWithoutProgram | 2 | mkebook pack --table <good.json> -o <out> | - | mkebook: pack needs --program (see --help)
DumpWithoutPath | 2 | mkebook dump | - | mkebook: dump needs a file's path (see --help)
UnknownOption | 2 | mkebook dump <ebook> --bogus | - | mkebook: unknown option --bogus (see --help)
DumpOfAFieldUnknown | 2 | mkebook dump <ebook> --field=size | - | mkebook: --field must be id or version (see --help)
EncodingUnknown | 2 | mkebook dump <ebook> --encoding klingon | - | mkebook: unknown encoding klingon (see --help)
StampWithoutEBookFile | 2 | mkrebrander --output <out> | - | mkrebrander: missing --ebook-file (see --help)
StampOptionGivenTwice | 2 | mkrebrander --stamp <stamp.json> -o <out> --title a --title b | - | mkrebrander: --title given twice (see --help)
StampVersionNotAnInteger | 2 | mkrebrander --stamp <stamp.json> -o <out> --ebook-version 12x | - | mkrebrander: --ebook-version must be a 32-bit integer (see --help)
StampIdLongerThanItsBlockOnTheCommandLine | 2 | mkrebrander --stamp <stamp.json> -o <out> --ebook-id ééééééééééééééééééééééééééééééééé | - | mkrebrander: --ebook-id is 66 bytes long; at most 64 fit, or it matches no E-Book (see --help)
StampFileNameWithAFolderOnTheCommandLine | 2 | mkrebrander --stamp <stamp.json> -o <out> --ebook-file sub/book | - | mkrebrander: --ebook-file must be a file name without a folder (see --help)
StampAllowRepeatOnTheCommandLine | 2 | mkrebrander --stamp <stamp.json> -o <out> --allow-repeat 2 | - | mkrebrander: --allow-repeat must be 0 or 1 (see --help)
StampTitleTheCodePageCannotHold | 2 | mkrebrander --stamp <stamp.json> -o <out> --title Ω --encoding windows-1252 | - | mkrebrander: --title holds U+03A9 "Ω", which windows-1252 cannot hold (see --help)
StampForAnEBookWithItsId | 2 | mkrebrander --stamp <stamp.json> -o <out> --for-ebook <ebook> --ebook-id x | - | mkrebrander: --for-ebook takes --ebook-id from the E-Book; leave it out (see --help)
StampDumpWithATitle | 2 | mkrebrander dump --title x <ebook> | - | mkrebrander: dump takes no --title (see --help)
)";

class KitRefusalTest : public KitTest, public ::testing::WithParamInterface<ToolCase> {
 protected:
  const std::string out = dir.File("out"), readOnly = dir.File("read-only");

  void SetUp() override {
    KitTest::SetUp();
    const std::string packed = ReadFileBytes(ebook), plain = ReadFileBytes(program);
    WriteFileBytes(dir.File("bad"), std::string(packed).erase(plain.size(), 1));  // table cut
    WriteFileBytes(dir.File("cut"), packed.substr(0, packed.size() - 10));
    fs::create_directories(dir.File("folder/inside"));  // not to be replaced by a file
    WriteFileBytes(out, "previous");
    WriteFileBytes(out + ".partial", "mine");
    WriteFileBytes(readOnly, "keep");
    SetReadOnly(readOnly, true);
    if (!GetParam().json.empty()) WriteFileBytes(dir.File("case.json"), GetParam().json);
  }
  std::set<fs::path> Names() const {
    return std::set<fs::path>(fs::directory_iterator(dir.Path()), {});
  }
};

TEST_P(KitRefusalTest, SaysWhyInOneLineAndWritesNothing) {
  const std::set<fs::path> before = Names();
  const ProgramRun run = Run(GetParam().args);
  EXPECT_EQ(GetParam().status, run.exitCode);
  EXPECT_EQ(Expand(GetParam().err), run.err);
  EXPECT_EQ("", run.out);
  EXPECT_EQ(before, Names()) << "no file made or removed";
  EXPECT_EQ("previous", ReadFileBytes(out).substr(0, 40));
  EXPECT_EQ("keep", ReadFileBytes(readOnly));
}

INSTANTIATE_TEST_SUITE_P(Kit, KitRefusalTest, ::testing::ValuesIn(ToolCases(kRefusals)),
                         [](const auto& info) { return info.param.name; });

// Standard output is a file too: a full disk says so.
TEST_F(KitTest, DumpToAFullStandardOutputSaysSo) {
  const ProgramRun run =
      RunProgram({"/bin/sh", "-c", "'" MKEBOOK "' dump '" + ebook + "' >/dev/full"});
  EXPECT_EQ("mkebook: standard output: No space left on device\n", run.err);
  EXPECT_EQ(1, run.exitCode);
}

}  // namespace
}  // namespace kit_testing
