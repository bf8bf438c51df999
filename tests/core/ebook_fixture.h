// E-Book files built with the record classes, a rebrander stamped for them
// that the process takes for itself, and a record of every change of a file:
// what the core tests share.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "ebook/ebook_file.h"
#include "formats/ebook_trailer.h"
#include "formats/field_stream.h"
#include "formats/variable_table.h"
#include "platform/durable_files.h"
#include "platform/io_faults.h"
#include "tests/core/other_process.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace ebook_testing {

using namespace formats;
using namespace platform;
using namespace testing_support;
using ebook::CEBookFile;
namespace fs = std::filesystem;

inline constexpr char kEBookName[] = "book.exe";
inline constexpr char kEBookId[] = "Sample-Book-2024";
inline constexpr int32_t kVersion = 7;
inline constexpr int32_t kTrailerSize = CEBookTrailer::kSize;

// The texts the user must see, written out independently of the code that
// shows them.
inline const std::string kStart = "The E-Book, book.exe";
inline std::string NotFoundText(const std::string& folder) {
  return kStart + ",  could not be found.\n\nPlease ensure that the E-Book is placed in the " +
         folder + " folder.";
}
inline const std::string kCorrupt =
    kStart +
    ",  appears to be corrupt or possibly designed for a different version of this Rebrander "
    "program.\n\nPlease ensure that the E-Book and this program are versions created at the same "
    "time, and are both placed in the same directory.\n\nIf you downloaded the E-Book or this "
    "program from the Internet, you may need to download them again.";
inline const std::string kDifferentEBook =
    kStart +
    ",  appears to be for a different E-Book than the one that this Rebrander program was created "
    "for.";
inline const std::string kDifferentVersion =
    kStart +
    ",  appears to be a different version than expected by this Rebrander program.\n\nIf you "
    "downloaded the E-Book or this program from the Internet, you may need to download them "
    "again. In this case, please be sure to download the corresponding versions of both the "
    "E-Book and this program.";
inline const std::string kAlreadyRunning =
    "The E-Book is already running. Please close it down before try to customize it.";
inline const std::string kErrorReading =
    "Error reading E-Book EXE.\n\nIf you downloaded the E-Book or this program from the Internet, "
    "you may need to download them again.";
inline const std::string kCantOpenForWriting =
    "Can't open E-Book for writing.\n\nIf it is running, please close it and try again.";
inline const std::string kErrorWriting =
    "Error writing E-Book EXE.\n\nSorry, as a result of this error, it is possible that the E-Book "
    "EXE may no longer function correctly.\n\nPlease check free disk space on your computer, and "
    "it may help to reboot.\n\nIf you downloaded the E-Book or this program from the Internet, you "
    "may need to download them again.";
inline const std::string kInterruptedUndone =
    "The last customization of the E-Book was interrupted before it could finish. The E-Book is "
    "as it was before that customization.\n\nYou can simply customize it again.";
inline const std::string kCouldNotCheck =
    "The E-Book could not be checked for an interrupted customization, since the journal beside "
    "it ";
inline const std::string kNewerJournalText =
    kCouldNotCheck +
    "was written by a newer version of this program.\n\nThe E-Book can still be viewed. To "
    "customize it, please use that newer version.";
inline const std::string kUntrustedJournalText =
    kCouldNotCheck +
    "is not a plain file that only you or the E-Book's owner could have written. It was left as "
    "it is.\n\nThe E-Book can still be viewed, but not customized while that journal is there.";

CVariable Variable(const std::string& ident, const std::string& prompt, const std::string& value,
                   int32_t editable = 1, int32_t type = 0);
CVariableTable SampleTable();
// The sample table, rebranded, with the first value replaced.
CVariableTable Edited(const std::string& firstValue);
// Distinct opaque fields, so that a field moved or lost shows.
CEBookTrailer SampleTrailer(const std::string& id = kEBookId, int32_t version = kVersion);
// An integer as the field stream stores it.
std::string Scrambled(int32_t value);

// Writes `program`, the table, `gap` filler bytes and the trailer, pointed at
// the table. Returns the file's bytes.
std::string WriteEBook(const std::string& path, const std::string& program,
                       const CVariableTable& table, CEBookTrailer trailer, int32_t gap = 0);
// The bytes a table or trailer is stored as; `scratch` is a file to use.
std::string EncodedTable(const std::string& scratch, const CVariableTable& table);
std::string EncodedTrailer(const std::string& scratch, CEBookTrailer trailer);

// Every change the file services are asked for, in order; the `failAt`-th
// (from 1) is refused.
class IoRecorder {
 public:
  explicit IoRecorder(int failAt = 0);
  ~IoRecorder() { SetIoFaultHook({}); }
  // One letter a change, a run of writes as one: "WFFWFRF".
  std::string Pattern() const;
  std::vector<IoOperation> operations;
};

// Also notes whether the wait cursor was showing when each message came.
class EBookUi : public RecordingUserInterface {
 public:
  void ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon) override {
    cursorOnAtMessage.push_back(!waitCursor.empty() && waitCursor.back());
    RecordingUserInterface::ShowMessage(caption, text, icon);
  }
  std::vector<bool> cursorOnAtMessage;
};

// Starts with the sample E-Book in place, its bytes in `original`.
class EBookTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string EBookPath() const { return dir.File(kEBookName); }
  std::string JournalPath() const;
  bool JournalExists() const;
  void WriteSampleEBook(int32_t gap = 0) {
    original = WriteEBook(EBookPath(), program, SampleTable(), SampleTrailer(), gap);
  }
  // The sample table behind a copy of the test child program, ready to run.
  void WriteRunnableEBook();
  CVariableTable Load();
  // Exactly one message was shown, with this text and the exclamation icon,
  // not under the wait cursor; forgets it.
  void ExpectOnlyMessage(const std::string& text);
  // Leaves the journal of a store that stopped dead once it was on the disk,
  // before the E-Book changed.
  void LeaveJournal();

  TempDir dir;
  EBookUi ui;
  std::string program = "\177ELF" + std::string(3000, 'p');
  int32_t tableOffset = static_cast<int32_t>(program.size());
  std::string original;
};

}  // namespace ebook_testing
