#include "tests/core/ebook_fixture.h"

#include <filesystem>

#include "ebook/ebook_file.h"
#include "ebook/store_journal.h"
#include "formats/rebrand_info.h"
#include "platform/module_path.h"
#include "platform/sleep.h"
#include "tests/core/other_process.h"
#include "tools/mkrebrander/stamp.h"

namespace ebook_testing {

using namespace formats;
using namespace platform;

CVariable Variable(const std::string& ident, const std::string& prompt, const std::string& value,
                   int32_t editable, int32_t type) {
  CVariable variable;
  variable.m_strIdent = ident;
  variable.m_strPrompt = prompt;
  variable.m_strValue = value;
  variable.m_bEditable = editable;
  variable.m_nType = type;
  return variable;
}

CVariableTable SampleTable() {
  CVariableTable table;
  table.Add(Variable("TITLE", "Book title:", "A Short Book"));
  table.Add(Variable("NOTE", "Dedication:", "For everyone\r\nwho reads.", 1, 2));
  table.Add(Variable("BUILD", "", "fixed", 0, 9));
  return table;
}

CVariableTable Edited(const std::string& firstValue) {
  CVariableTable table = SampleTable();
  table[0].m_strValue = firstValue;
  table.m_bRebranded = 1;
  return table;
}

CEBookTrailer SampleTrailer(const std::string& id, int32_t version) {
  CEBookTrailer trailer;
  trailer.m_nVersion = version;
  trailer.m_nField2 = 2;
  trailer.m_nField3 = -3;
  trailer.m_nField4 = 0x4444;
  trailer.m_nField5 = 5;
  trailer.m_nField7 = 77;
  trailer.m_nField8 = -8888;
  trailer.SetId(id);
  return trailer;
}

std::string Scrambled(int32_t value) {
  const uint32_t stored = static_cast<uint32_t>(value) ^ kIntMask;
  std::string bytes;
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(stored >> (8 * i)));
  return bytes;
}

std::string WriteEBook(const std::string& path, const std::string& program,
                       const CVariableTable& table, CEBookTrailer trailer, int32_t gap) {
  trailer.m_nTableOffset = static_cast<int32_t>(program.size());
  const std::string bytes =
      program + EncodedTable(path, table) + std::string(gap, 'g') + EncodedTrailer(path, trailer);
  WriteFileBytes(path, bytes);
  return bytes;
}

// Writes the record with `write` to `scratch`; its bytes.
template <class Write>
std::string Encoded(const std::string& scratch, const Write& write) {
  const HFILE file = _lcreat(scratch);
  EXPECT_NE(file, HFILE_ERROR) << scratch;
  EXPECT_TRUE(write(file));
  _lclose(file);
  return ReadFileBytes(scratch);
}

std::string EncodedTable(const std::string& scratch, const CVariableTable& table) {
  return Encoded(scratch, [&](HFILE file) { return table.Write(file); });
}

std::string EncodedTrailer(const std::string& scratch, CEBookTrailer trailer) {
  return Encoded(scratch, [&](HFILE file) {
    CFieldStream stream(CFieldStream::kWrite, file);
    return trailer.Transfer(stream);
  });
}

IoRecorder::IoRecorder(int failAt) {
  SetIoFaultHook([=, this](IoOperation operation) {
    operations.push_back(operation);
    return static_cast<int>(operations.size()) != failAt;
  });
}

std::string IoRecorder::Pattern() const {
  std::string pattern;
  for (IoOperation operation : operations) {
    const char letter = "WFTR"[static_cast<int>(operation)];
    if (letter != 'W' || pattern.empty() || pattern.back() != 'W') pattern += letter;
  }
  return pattern;
}

void EBookTest::SetUp() {
  const std::string bare = dir.File("bare");
  WriteFileBytes(bare, "\177ELF rebrander program");
  CInfoBlock info;
  info.m_strEBookFile = kEBookName;
  info.m_strEBookId = kEBookId;
  info.m_strTitle = "Sample Book";
  const std::string rebrander = dir.File("rebrander");
  std::string error;
  ASSERT_TRUE(stamping::StampRebrander(bare, rebrander, info, kVersion, error)) << error;
  OverrideModuleFileName(rebrander);
  ResetRebrandInfoForTesting();
  ASSERT_FALSE(GetRebrandInfo().HasError()) << GetRebrandInfo().GetError();
  WriteSampleEBook();
}

void EBookTest::TearDown() {
  OverrideModuleFileName(std::nullopt);
  ResetRebrandInfoForTesting();
  SetSleeper({});
  SetIoFaultHook({});
}

std::string EBookTest::JournalPath() const {
  return ebook::JournalPathFor(EBookPath());
}

bool EBookTest::JournalExists() const {
  return std::filesystem::exists(std::filesystem::symlink_status(JournalPath()));
}

void EBookTest::WriteRunnableEBook() {
  WriteEBook(EBookPath(), ReadFileBytes(testing_support::ChildProgramPath()), SampleTable(),
             SampleTrailer());
  std::filesystem::permissions(EBookPath(), std::filesystem::perms::owner_exec,
                               std::filesystem::perm_options::add);
}

CVariableTable EBookTest::Load() {
  CVariableTable table;
  EXPECT_TRUE(ebook::CEBookFile().LoadTable(table));
  return table;
}

void EBookTest::ExpectOnlyMessage(const std::string& text) {
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, text);
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::Exclamation);
  EXPECT_FALSE(ui.cursorOnAtMessage.back());
  EXPECT_EQ(ui.messages[0].caption, "rebrander") << "the rebrander's file name until renamed";
  ui.messages.clear();
}

void EBookTest::LeaveJournal() {
  int flushes = 0;  // the journal's and its folder's
  SetIoFaultHook([&flushes](IoOperation operation) {
    if (flushes == 2) return false;
    flushes += operation == IoOperation::Flush;
    return true;
  });
  EXPECT_FALSE(ebook::CEBookFile().StoreTable(Edited("Never stored")));
  SetIoFaultHook({});
  ui.messages.clear();
  ASSERT_TRUE(JournalExists());
  ASSERT_EQ(ReadFileBytes(EBookPath()), original);
}

}  // namespace ebook_testing
