// The three readers of a variable table, the E-Book library, the rebrander's
// LoadTable and `mkebook dump` (run as a process), over the same E-Books: all
// read the same variables, or all refuse.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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
  bool ok = false;
  bool rebranded = false;
  std::vector<std::tuple<std::string, std::string, std::string, bool, int32_t>> variables;
  bool operator==(const Reading&) const = default;
};
void PrintTo(const Reading& r, std::ostream* out) {
  *out << (r.ok ? "read" : "refused") << ", rebranded " << r.rebranded << ":";
  for (const auto& [ident, prompt, value, editable, type] : r.variables) {
    *out << " {" << testing::PrintToString(ident) << " " << testing::PrintToString(prompt) << " "
         << testing::PrintToString(value) << " " << editable << " " << type << "}";
  }
}

Reading ByLibrary(const std::string& path, ebv_error& error) {
  Reading reading;
  ebv_book* book = nullptr;
  error = ebv_open(path.c_str(), &book);
  if (error != EBV_OK) return reading;
  reading.ok = true;
  reading.rebranded = ebv_rebranded(book) != 0;
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
  Reading reading;
  CVariableTable table;
  if (!CEBookFile().LoadTable(table)) return reading;
  reading.ok = true;
  reading.rebranded = table.m_bRebranded != 0;
  for (int i = 0; i < table.GetSize(); ++i) {
    const CVariable& v = table[i];
    reading.variables.emplace_back(v.m_strIdent, v.m_strPrompt, v.m_strValue, v.m_bEditable != 0,
                                   v.m_nType);
  }
  return reading;
}

// A dumped text is a JSON string, or {"base64": ...} for bytes that are no UTF-8.
std::string DumpedText(const QJsonValue& value) {
  if (value.isObject()) {
    return QByteArray::fromBase64(value.toObject().value("base64").toString().toLatin1())
        .toStdString();
  }
  return value.toString().toStdString();
}

Reading ByMkebook(const std::string& path) {
  Reading reading;
  const ProgramRun dump = RunProgram({MKEBOOK, "dump", path});
  if (dump.exitCode != 0) return reading;
  const QJsonObject root = QJsonDocument::fromJson(QByteArray::fromStdString(dump.out)).object();
  reading.ok = true;
  reading.rebranded = root.value("rebranded").toInt() != 0;
  for (const QJsonValue& item : root.value("variables").toArray()) {
    const QJsonObject v = item.toObject();
    reading.variables.emplace_back(DumpedText(v.value("ident")), DumpedText(v.value("prompt")),
                                   DumpedText(v.value("value")), v.value("editable").toInt() != 0,
                                   v.value("type").toInt());
  }
  return reading;
}

class AgreementTest;
struct AgreementCase {
  const char* name;
  // Lays out the E-Book at EBookPath(); starts with the sample E-Book there.
  std::function<void(AgreementTest&)> make;
  ebv_error expected;  // EBV_OK: all read it
};
void PrintTo(const AgreementCase& c, std::ostream* out) {
  *out << c.name;
}

class AgreementTest : public EBookTest, public ::testing::WithParamInterface<AgreementCase> {
 public:
  using EBookTest::dir, EBookTest::program, EBookTest::original, EBookTest::tableOffset,
      EBookTest::EBookPath, EBookTest::Encode;
  std::string Bytes() { return ReadFileBytes(EBookPath()); }
  void Write(const std::string& bytes) { WriteFileBytes(EBookPath(), bytes); }
  // Puts a stored integer at a position; negative positions count from the end.
  void Patch(int64_t at, int32_t value) {
    std::string bytes = Bytes();
    bytes.replace(static_cast<size_t>(at < 0 ? static_cast<int64_t>(bytes.size()) + at : at), 4,
                  Scrambled(value));
    Write(bytes);
  }
  void MakeWith(const CVariableTable& table) {
    WriteEBook(EBookPath(), program, table, SampleTrailer());
  }
  void Store(const CVariableTable& table) { ASSERT_TRUE(CEBookFile().StoreTable(table)); }

  // Where the sample table's fields are: the count ends the table's header,
  // the first ident's length follows the first record's marker.
  int64_t CountAt() const { return tableOffset + EBV_TABLE_HEADER_SIZE - 4; }
  int64_t FirstIdentLengthAt() const { return tableOffset + EBV_TABLE_HEADER_SIZE + 4; }
  static constexpr int64_t kTrailerOffsetAt = -EBV_TRAILER_SIZE + EBV_TRAILER_TABLE_OFFSET_AT;
};

TEST_P(AgreementTest, AllThreeReadTheSameOrAllRefuse) {
  GetParam().make(*this);
  ui.messages.clear();

  ebv_error error = EBV_OK;
  const Reading library = ByLibrary(EBookPath(), error);
  const Reading rebrander = ByRebrander();
  const Reading mkebook = ByMkebook(EBookPath());

  EXPECT_EQ(error, GetParam().expected) << ebv_error_message(error);
  EXPECT_EQ(library.ok, GetParam().expected == EBV_OK);
  EXPECT_EQ(rebrander, library);
  EXPECT_EQ(mkebook, library);
  // The rebrander tells its user once, in its own words.
  if (!rebrander.ok) ExpectOnlyMessage(kErrorReading);
  EXPECT_EQ(ui.messages.size(), 0u);
}

const AgreementCase kCases[] = {
    {"PackedSample",
     [](AgreementTest& t) {
       WriteFileBytes(t.dir.File("program"), t.program);
       const ProgramRun pack = RunProgram({MKEBOOK, "pack", "--program", t.dir.File("program"),
                                           "--table", SAMPLE_TABLE, "--output", t.EBookPath()});
       ASSERT_EQ(pack.exitCode, 0) << pack.err;
     },
     EBV_OK},
    {"GrownByAStore", [](AgreementTest& t) { t.Store(Edited(std::string(700, 'G'))); }, EBV_OK},
    {"ShrunkByAStoreWithTheOldBytesBeforeTheTrailer",
     [](AgreementTest& t) { t.Store(Edited("s")); }, EBV_OK},
    {"ZeroByteInsideAValue",
     [](AgreementTest& t) {
       CVariableTable table = SampleTable();
       table[1].m_strValue = std::string("before\0after", 12);
       t.MakeWith(table);
     },
     EBV_OK},
    {"NegativeCountIsAnEmptyTable", [](AgreementTest& t) { t.Patch(t.CountAt(), -3); }, EBV_OK},
    {"EmptyTableRightBeforeTheTrailer", [](AgreementTest& t) { t.MakeWith(CVariableTable()); },
     EBV_OK},
    {"TableRunningIntoTheTrailer",
     [](AgreementTest& t) {
       // The last record's two integers would be read from the trailer.
       const std::string table = t.Encode(SampleTable());
       CEBookTrailer trailer = SampleTrailer();
       trailer.m_nTableOffset = t.tableOffset;
       WriteFileBytes(t.EBookPath(),
                      t.program + table.substr(0, table.size() - 8) + t.Encode(trailer));
     },
     EBV_ERROR_BAD_TABLE},
    {"CountBeyondTheRecords", [](AgreementTest& t) { t.Patch(t.CountAt(), 4); },
     EBV_ERROR_BAD_TABLE},
    {"NegativeStringLength", [](AgreementTest& t) { t.Patch(t.FirstIdentLengthAt(), -1); },
     EBV_ERROR_BAD_TABLE},
    {"StringRunningPastTheTrailer",
     [](AgreementTest& t) {
       const int64_t toTrailer =
           static_cast<int64_t>(t.original.size()) - CEBookTrailer::kSize - t.FirstIdentLengthAt();
       t.Patch(t.FirstIdentLengthAt(), static_cast<int32_t>(toTrailer + 10));
     },
     EBV_ERROR_BAD_TABLE},
    {"WrongRecordMarker", [](AgreementTest& t) { t.Patch(t.FirstIdentLengthAt() - 4, 0x1234); },
     EBV_ERROR_BAD_TABLE},
    {"OffsetPastTheEnd",
     [](AgreementTest& t) {
       t.Patch(AgreementTest::kTrailerOffsetAt, static_cast<int32_t>(t.original.size() + 10));
     },
     EBV_ERROR_BAD_TABLE},
    {"OffsetIntoTheTrailer",
     [](AgreementTest& t) {
       t.Patch(AgreementTest::kTrailerOffsetAt,
               static_cast<int32_t>(t.original.size()) - CEBookTrailer::kSize - 8);
     },
     EBV_ERROR_BAD_TABLE},
    {"NegativeOffset", [](AgreementTest& t) { t.Patch(AgreementTest::kTrailerOffsetAt, -4); },
     EBV_ERROR_BAD_TABLE},
    {"TruncatedFile",
     [](AgreementTest& t) {
       WriteFileBytes(t.EBookPath(), t.original.substr(0, t.original.size() - 30));
     },
     EBV_ERROR_NO_TRAILER},
    {"ShorterThanATrailer",
     [](AgreementTest& t) {
       WriteFileBytes(t.EBookPath(), t.original.substr(t.original.size() - 103));
     },
     EBV_ERROR_NO_TRAILER},
    {"NeverPacked", [](AgreementTest& t) { WriteFileBytes(t.EBookPath(), t.program); },
     EBV_ERROR_NO_TRAILER},
    {"TwoGiB", [](AgreementTest& t) { fs::resize_file(t.EBookPath(), uintmax_t{1} << 31); },
     EBV_ERROR_TOO_LARGE},
};

INSTANTIATE_TEST_SUITE_P(Readers, AgreementTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
