// E-Book files built with the record classes, and a rebrander stamped for
// them that the process takes for itself.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "formats/ebook_trailer.h"
#include "formats/variable_table.h"
#include "platform/io_faults.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace ebook_testing {

inline constexpr char kEBookName[] = "book.exe";
inline constexpr char kEBookId[] = "Sample-Book-2024";
inline constexpr int32_t kVersion = 7;

formats::CVariable Variable(const std::string& ident, const std::string& prompt,
                            const std::string& value, int32_t editable = 1, int32_t type = 0);
formats::CVariableTable SampleTable();
// Bytes the table takes in a file, counted from the format.
int32_t TableSize(const formats::CVariableTable& table);
// Distinct opaque fields, so that a field moved or lost shows.
formats::CEBookTrailer SampleTrailer(const std::string& id = kEBookId, int32_t version = kVersion);

// Writes `program`, the table, `gap` filler bytes and the trailer, pointed at
// the table. Returns the table offset.
int32_t WriteEBook(const std::string& path, const std::string& program,
                   const formats::CVariableTable& table, formats::CEBookTrailer trailer,
                   int32_t gap = 0);

// The 104 bytes the trailer is stored as; `scratch` is a file to use.
std::string EncodedTrailer(const std::string& scratch, formats::CEBookTrailer trailer);

// Every change the file services are asked for, in order and by kind; the
// `failWrite`-th write and the `failChange`-th change of any kind (both from 1;
// 0 for none) are refused.
class IoRecorder {
 public:
  IoRecorder();
  ~IoRecorder();
  int Changes() const { return static_cast<int>(operations.size()); }
  std::vector<platform::IoOperation> operations;
  int writes = 0;
  int truncations = 0;
  int failWrite = 0;
  int failChange = 0;
};

// Also notes whether the wait cursor was showing when each message came.
class EBookUi : public testing_support::RecordingUserInterface {
 public:
  void ShowMessage(const std::string& caption, const std::string& text,
                   platform::MessageIcon icon) override;
  std::vector<bool> cursorOnAtMessage;
};

class EBookTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string EBookPath() const { return dir.File(kEBookName); }
  // A small E-Book with the sample table, as the rebrander expects it.
  void WriteSampleEBook(int32_t gap = 0);
  // Exactly one message was shown, with this text and the exclamation icon,
  // and not under the wait cursor.
  void ExpectOnlyMessage(const std::string& text) const;
  std::string JournalPath() const;
  bool JournalExists() const;
  // Writes the journal a store writes before it touches the E-Book.
  void WriteJournalForEBook();

  testing_support::TempDir dir;
  EBookUi ui;
  std::string program = std::string(
                            "\x7f"
                            "ELF",
                            4) +
                        std::string(3000, 'p');
};

}  // namespace ebook_testing
