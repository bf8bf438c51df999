// The two readers of a variable table, the E-Book library and the rebrander's
// LoadTable, over the same E-Books: both read the same variables, or both
// refuse. (mkebook reads with the rebrander's own table reader and rules.)
#include <gtest/gtest.h>

#include <functional>

#include "tests/core/ebook_fixture.h"
#include "tests/support/run_program.h"
#include "tools/ebookvars/ebookvars.h"

namespace {

using namespace ebook_testing;

// What a reader made of a file: nothing, or the rebranded flag and each
// variable (ident, prompt, value, editable, type). Flags are compared as
// flags: the library gives them as 0 or 1.
struct Reading {
  bool ok = false, rebranded = false;
  std::vector<std::tuple<std::string, std::string, std::string, bool, int32_t>> variables;
  bool operator==(const Reading&) const = default;
  friend void PrintTo(const Reading& r, std::ostream* out) {
    *out << (r.ok ? "read" : "refused") << ", rebranded " << r.rebranded << ": "
         << testing::PrintToString(r.variables);
  }
};

Reading ByLibrary(const std::string& path, ebv_error& error) {
  Reading reading;
  ebv_book* book = nullptr;
  if ((error = ebv_open(path.c_str(), &book)) != EBV_OK) return reading;
  reading = {true, ebv_rebranded(book) != 0, {}};
  for (size_t i = 0; i < ebv_count(book); ++i) {
    const ebv_variable* v = ebv_variable_at(book, i);
    reading.variables.emplace_back(
        std::string(v->ident, v->ident_length), std::string(v->prompt, v->prompt_length),
        std::string(v->value, v->value_length), v->editable != 0, v->type);
  }
  ebv_close(book);
  return reading;
}

Reading ByRebrander() {
  CVariableTable table;
  if (!CEBookFile().LoadTable(table)) return {};
  Reading reading{true, table.m_bRebranded != 0, {}};
  for (int i = 0; i < table.GetSize(); ++i) {
    const CVariable& v = table[i];
    reading.variables.emplace_back(v.m_strIdent, v.m_strPrompt, v.m_strValue, v.m_bEditable != 0,
                                   v.m_nType);
  }
  return reading;
}

class AgreementTest;
struct AgreementCase {
  const char* name;
  // Lays out the E-Book at EBookPath(); starts with the sample E-Book there.
  std::function<void(AgreementTest&)> make;
  ebv_error expected;  // EBV_OK: both read it
  friend void PrintTo(const AgreementCase& c, std::ostream* out) { *out << c.name; }
};

class AgreementTest : public EBookTest, public ::testing::WithParamInterface<AgreementCase> {
 public:
  using EBookTest::program, EBookTest::original, EBookTest::tableOffset, EBookTest::Encode,
      EBookTest::EBookPath;
  void Write(const std::string& bytes) { WriteFileBytes(EBookPath(), bytes); }
  // Puts a stored integer at a position; negative positions count from the end.
  void Patch(int64_t at, int32_t value) {
    std::string bytes = ReadFileBytes(EBookPath());
    bytes.replace(static_cast<size_t>(at < 0 ? static_cast<int64_t>(bytes.size()) + at : at), 4,
                  Scrambled(value));
    Write(bytes);
  }
  void MakeWith(const CVariableTable& table) {
    WriteEBook(EBookPath(), program, table, SampleTrailer());
  }
  void Store(const CVariableTable& table) { ASSERT_TRUE(CEBookFile().StoreTable(table)); }
  void PackSample() {
    WriteFileBytes(dir.File("program"), program);
    const ProgramRun pack = RunProgram({MKEBOOK, "pack", "--program", dir.File("program"),
                                        "--table", SAMPLE_TABLE, "--output", EBookPath()});
    ASSERT_EQ(pack.exitCode, 0) << pack.err;
  }

  // Where the sample table's fields are: the count ends the table's header,
  // the first ident's length follows the first record's marker.
  int64_t CountAt() const { return tableOffset + EBV_TABLE_HEADER_SIZE - 4; }
  int64_t IdentAt() const { return tableOffset + EBV_TABLE_HEADER_SIZE + 4; }
  int64_t TrailerAt() const { return static_cast<int64_t>(original.size()) - CEBookTrailer::kSize; }
};

TEST_P(AgreementTest, BothReadTheSameOrBothRefuse) {
  GetParam().make(*this);
  ui.messages.clear();
  ebv_error error = EBV_OK;
  const Reading library = ByLibrary(EBookPath(), error), rebrander = ByRebrander();
  EXPECT_EQ(error, GetParam().expected) << ebv_error_message(error);
  EXPECT_EQ(rebrander, library);
  // The rebrander tells its user once, in its own words.
  if (!rebrander.ok) ExpectOnlyMessage(kErrorReading);
  EXPECT_EQ(ui.messages.size(), 0u);
}

// The last record's two integers would be read from the trailer.
void TableRunningIntoTheTrailer(AgreementTest& t) {
  const std::string table = t.Encode(SampleTable());
  CEBookTrailer trailer = SampleTrailer();
  trailer.m_nTableOffset = t.tableOffset;
  t.Write(t.program + table.substr(0, table.size() - 8) + t.Encode(trailer));
}

CVariableTable WithAZeroByteInAValue() {
  CVariableTable table = SampleTable();
  table[1].m_strValue = std::string("before\0after", 12);
  return table;
}

using T = AgreementTest&;
constexpr int64_t kOffsetAt = -EBV_TRAILER_SIZE + EBV_TRAILER_TABLE_OFFSET_AT;  // from the end
// clang-format off
const AgreementCase kCases[] = {
    {"PackedSample", [](T t) { t.PackSample(); }, EBV_OK},
    {"ShrunkByAStoreWithTheOldBytesBeforeTheTrailer", [](T t) { t.Store(Edited("s")); }, EBV_OK},
    {"ZeroByteInsideAValue", [](T t) { t.MakeWith(WithAZeroByteInAValue()); }, EBV_OK},
    {"NegativeCountIsAnEmptyTable", [](T t) { t.Patch(t.CountAt(), -3); }, EBV_OK},
    {"EmptyTableRightBeforeTheTrailer", [](T t) { t.MakeWith(CVariableTable()); }, EBV_OK},
    {"TableRunningIntoTheTrailer", TableRunningIntoTheTrailer, EBV_ERROR_BAD_TABLE},
    {"CountBeyondTheRecords", [](T t) { t.Patch(t.CountAt(), 4); }, EBV_ERROR_BAD_TABLE},
    {"StringRunningPastTheTrailer", [](T t) { t.Patch(t.IdentAt(), static_cast<int32_t>(t.TrailerAt() - t.IdentAt() + 10)); }, EBV_ERROR_BAD_TABLE},
    {"WrongRecordMarker", [](T t) { t.Patch(t.IdentAt() - 4, 0x1234); }, EBV_ERROR_BAD_TABLE},
    {"OffsetIntoTheTrailer", [](T t) { t.Patch(kOffsetAt, static_cast<int32_t>(t.TrailerAt() - 8)); }, EBV_ERROR_BAD_TABLE},
    {"NegativeOffset", [](T t) { t.Patch(kOffsetAt, -4); }, EBV_ERROR_BAD_TABLE},
    {"TruncatedFile", [](T t) { t.Write(t.original.substr(0, t.original.size() - 30)); }, EBV_ERROR_NO_TRAILER},
    {"ShorterThanATrailer", [](T t) { t.Write(t.original.substr(t.original.size() - 103)); }, EBV_ERROR_NO_TRAILER},
    {"TwoGiB", [](T t) { fs::resize_file(t.EBookPath(), uintmax_t{1} << 31); }, EBV_ERROR_TOO_LARGE},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Readers, AgreementTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
