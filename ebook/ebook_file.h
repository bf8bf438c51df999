// The E-Book beside the rebrander: its path and every operation on its file,
// all of them in ebook_file.cpp: each opens by path, calls the machinery,
// tells the user what went wrong and closes before it returns (no handle is
// held). The machinery: the table's load and store in table_store.h, undoing
// an interrupted store in store_recovery.h, the texts in ebook_messages.h.
#pragma once

#include <cstdint>
#include <string>

#include "formats/variable_table.h"
#include "platform/path.h"

namespace ebook {

// What the user is about to do with the E-Book.
enum class EBookUse { kView, kCustomize };

class CEBookFile {
 public:
  // The path is the rebrander's folder followed by the E-Book's file name.
  CEBookFile();
  // An E-Book at a path of its own: for the tools that customize without the wizard.
  explicit CEBookFile(platform::Path path) : m_strPath(std::move(path)) {}
  virtual ~CEBookFile() = default;

  const platform::Path& GetPath() const { return m_strPath; }

  // True when the file opens for shared reading. Shows nothing.
  bool Exists() const;
  // Reads the trailer; on success sets the identity text and version, on
  // failure leaves both alone. Shows nothing.
  bool ReadIdentity(std::string& id, int32_t& version) const;

  // The E-Book exists, its trailer reads, and it is the one this rebrander
  // was made for. Tells the user the first thing that is wrong.
  bool Validate() const;
  // No other process holds the E-Book: up to five exclusive opens, a second
  // apart, under the wait cursor. Tells the user when all of them fail.
  bool ProbeNotInUse() const;

  // Reads the variable table the trailer points at. Tells the user on failure;
  // the table is then not to be used.
  bool LoadTable(formats::CVariableTable& table) const;
  // Writes the table in place and the trailer behind it. A failed store puts
  // the file back as it was and tells the user. A journal beside the E-Book
  // lets RecoverInterruptedStore undo a store that never got to finish.
  bool StoreTable(const formats::CVariableTable& table) const;

  // Rolls back a store that the process or the machine died in, and tells the
  // user that the customization was undone. False, after telling the user,
  // when the E-Book needed rolling back and could not be, or, for
  // customizing, when a journal is there that may not be applied.
  bool RecoverInterruptedStore(EBookUse use) const;

 private:
  platform::Path m_strPath;
};

}  // namespace ebook
