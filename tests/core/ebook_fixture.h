// E-Book files built with the record classes, a rebrander stamped for them
// that the process takes for itself, and a record of every change of a file:
// what the core tests share.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <tuple>

#include "ebook/ebook_file.h"
#include "ebook/store_journal.h"
#include "ebook/table_store.h"
#include "formats/ebook_trailer.h"
#include "formats/field_stream.h"
#include "formats/rebrand_info.h"
#include "formats/variable_table.h"
#include "platform/io_faults.h"
#include "platform/module_path.h"
#include "platform/sleep.h"
#include "tests/core/other_process.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"
#include "tools/mkrebrander/stamp.h"

namespace ebook_testing {

using namespace formats;
using namespace platform;
using namespace testing_support;
using ebook::CEBookFile;
namespace fs = std::filesystem;

inline constexpr char kEBookName[] = "book.exe";
inline constexpr char kEBookId[] = "Sample-Book-2024";
inline constexpr int32_t kVersion = 7;

// The texts the user must see, written out independently of the code that
// shows them, each paragraph on a line of its own.
inline const std::string kDownloadAgain =
    "If you downloaded the E-Book or this program from the Internet, you may need to download "
    "them again.";
inline std::string NotFoundText(const std::string& folder) {
  return R"(The E-Book, book.exe,  could not be found.

Please ensure that the E-Book is placed in the )" +
         folder + " folder.";
}
inline const std::string kCorrupt =
    R"(The E-Book, book.exe,  appears to be corrupt or possibly designed for a different version of this Rebrander program.

Please ensure that the E-Book and this program are versions created at the same time, and are both placed in the same directory.

)" + kDownloadAgain;
inline const std::string kDifferentEBook =
    "The E-Book, book.exe,  appears to be for a different E-Book than the one that this Rebrander "
    "program was created for.";
inline const std::string kDifferentVersion =
    R"(The E-Book, book.exe,  appears to be a different version than expected by this Rebrander program.

)" + kDownloadAgain +
    " In this case, please be sure to download the corresponding versions of both the E-Book and "
    "this program.";
inline const std::string kAlreadyRunning =
    "The E-Book is already running. Please close it down before try to customize it.";
inline const std::string kCantOpenForWriting =
    "Can't open E-Book for writing.\n\nIf it is running, please close it and try again.";
inline const std::string kErrorReading = "Error reading E-Book EXE.\n\n" + kDownloadAgain;
inline const std::string kErrorWriting = R"(Error writing E-Book EXE.

Sorry, as a result of this error, it is possible that the E-Book EXE may no longer function correctly.

Please check free disk space on your computer, and it may help to reboot.

)" + kDownloadAgain;
inline const std::string kInterruptedUndone =
    R"(The last customization of the E-Book was interrupted before it could finish. The E-Book is as it was before that customization.

You can simply customize it again.)";
inline const std::string kCouldNotCheck =
    "The E-Book could not be checked for an interrupted customization, since the journal beside "
    "it ";
inline const std::string kNewerJournalText =
    kCouldNotCheck + R"(was written by a newer version of this program.

The E-Book can still be viewed. To customize it, please use that newer version.)";
inline const std::string kUntrustedJournalText =
    kCouldNotCheck +
    R"(is not a plain file that only you or the E-Book's owner could have written. It was left as it is.

The E-Book can still be viewed, but not customized while that journal is there.)";

inline CVariable Variable(const std::string& ident, const std::string& prompt,
                          const std::string& value, int32_t editable = 1, int32_t type = 0) {
  CVariable v;
  std::tie(v.m_strIdent, v.m_strPrompt, v.m_strValue, v.m_bEditable, v.m_nType) =
      std::tie(ident, prompt, value, editable, type);
  return v;
}
inline CVariableTable SampleTable() {
  CVariableTable table;
  table.Add(Variable("TITLE", "Book title:", "A Short Book"));
  table.Add(Variable("NOTE", "Dedication:", "For everyone\r\nwho reads.", 1, 2));
  table.Add(Variable("BUILD", "", "fixed", 0, 9));
  return table;
}
// The sample table, rebranded, with the first value replaced.
inline CVariableTable Edited(const std::string& firstValue) {
  CVariableTable table = SampleTable();
  table[0].m_strValue = firstValue;
  table.m_bRebranded = 1;
  return table;
}
// Distinct opaque fields, so that a field moved or lost shows.
inline CEBookTrailer SampleTrailer(const std::string& id = kEBookId, int32_t version = kVersion) {
  CEBookTrailer trailer;
  std::tie(trailer.m_nVersion, trailer.m_nField2, trailer.m_nField3, trailer.m_nField4,
           trailer.m_nField5, trailer.m_nField7, trailer.m_nField8) =
      std::make_tuple(version, 2, -3, 0x4444, 5, 77, -8888);
  trailer.SetId(id);
  return trailer;
}
// An integer as the field stream stores it.
inline std::string Scrambled(int32_t value) {
  const uint32_t stored = static_cast<uint32_t>(value) ^ kIntMask;
  return {char(stored), char(stored >> 8), char(stored >> 16), char(stored >> 24)};
}

// The bytes a table or trailer is stored as, written through `scratch`.
template <class Record>
std::string Encoded(const Path& scratch, Record record) {
  const HFILE file = _lcreat(scratch);
  if constexpr (std::is_same_v<Record, CVariableTable>) {
    EXPECT_TRUE(record.Write(file));
  } else {
    CFieldStream stream(CFieldStream::kWrite, file);
    EXPECT_TRUE(record.Transfer(stream));
  }
  _lclose(file);
  return ReadFileBytes(scratch);
}
// Writes `program`, the table, `gap` filler bytes and the trailer, pointed at
// the table. Returns the file's bytes.
inline std::string WriteEBook(const Path& path, const std::string& program,
                              const CVariableTable& table, CEBookTrailer trailer, int32_t gap = 0) {
  trailer.m_nTableOffset = static_cast<int32_t>(program.size());
  const std::string bytes =
      program + Encoded(path, table) + std::string(gap, 'g') + Encoded(path, trailer);
  WriteFileBytes(path, bytes);
  return bytes;
}

// Starts with the sample E-Book in place, its bytes in `original`, beside a
// rebrander stamped for it that the process takes for itself.
class EBookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CInfoBlock info;
    std::tie(info.m_strEBookFile, info.m_strEBookId) = std::make_tuple(kEBookName, kEBookId);
    WriteFileBytes(dir.File("bare"), "\177ELF rebrander program");
    std::string error;
    ASSERT_TRUE(stamping::StampRebrander(platform::Utf8FromPath(dir.File("bare")),
                                         platform::Utf8FromPath(dir.File("rebrander")), info,
                                         kVersion, error))
        << error;
    OverrideModuleFileName(dir.File("rebrander"));
    ResetRebrandInfoForTesting();
    // Every store of the tests checks its order, as in a debug build.
    ebook::SetStoreOrderCheck(true);
    WriteSampleEBook();
  }
  void TearDown() override {
    OverrideModuleFileName(std::nullopt);
    ResetRebrandInfoForTesting();
    SetSleeper({});
    SetIoFaultHook({});
  }

  Path EBookPath() const { return dir.File(kEBookName); }
  Path JournalPath() const { return ebook::JournalPathFor(EBookPath()); }
  bool JournalExists() const { return fs::exists(fs::symlink_status(JournalPath())); }
  std::string Encode(const auto& record) { return Encoded(dir.File("scratch"), record); }
  void WriteSampleEBook(int32_t gap = 0) {
    original = WriteEBook(EBookPath(), program, SampleTable(), SampleTrailer(), gap);
  }
  CVariableTable Load() {
    CVariableTable table;
    EXPECT_TRUE(CEBookFile().LoadTable(table));
    return table;
  }
  // Exactly one message was shown, with this text and icon, captioned with
  // the rebrander's file name and not under the wait cursor; forgets it.
  void ExpectOnlyMessage(const std::string& text, MessageIcon icon = MessageIcon::Exclamation) {
    ASSERT_EQ(ui.messages.size(), 1u);
    const ShownMessage& m = ui.messages[0];
    EXPECT_EQ(std::tie(m.text, m.icon, m.caption, m.underWaitCursor),
              std::make_tuple(text, icon, "rebrander", false));
    ui.messages.clear();
  }
  TempDir dir;
  RecordingUserInterface ui;
  std::string program = "\177ELF" + std::string(3000, 'p');
  int32_t tableOffset = static_cast<int32_t>(program.size());
  std::string original;
};

}  // namespace ebook_testing
