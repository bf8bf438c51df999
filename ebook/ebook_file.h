// The E-Book beside the rebrander: its path and every operation on its file.
// Holds no handle; each operation opens by path and closes before it returns.
#pragma once

#include <cstdint>
#include <string>

#include "formats/variable_table.h"

namespace ebook {

class CEBookFile {
 public:
  // The path is the rebrander's folder followed by the E-Book's file name.
  CEBookFile();
  virtual ~CEBookFile() = default;

  const std::string& GetPath() const { return m_strPath; }

 private:
  std::string m_strPath;
};

}  // namespace ebook
