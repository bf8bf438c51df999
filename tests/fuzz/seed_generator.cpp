// Writes the seed corpora: a few sound files per fuzz target, made with the
// project's own writers. Usage: fuzz_seed_generator OUTPUT_FOLDER
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "ebook/store_journal.h"
#include "formats/rebrand_info.h"
#include "platform/file_io.h"
#include "tests/fuzz/fuzz_support.h"
#include "tools/mkebook/ebook_package.h"
#include "tools/mkrebrander/stamp.h"

namespace {

using namespace fuzzing;

std::string g_output;

void Seed(const std::string& target, const std::string& name, const std::string& bytes) {
  const std::string folder = g_output + "/" + target;
  mkdir(folder.c_str(), 0755);
  WriteFile(folder + "/" + name, bytes);
}

std::string Stamped(const formats::CInfoBlock& info) {
  WriteFile(ScratchFile("bare"),
            "\x7f"
            "ELF a program");
  std::string error;
  if (!stamping::StampRebrander(ScratchFile("bare"), ScratchFile("seed"), info, kVersion, error)) {
    Fail("cannot stamp");
  }
  return ReadFile(ScratchFile("seed"));
}

std::string Int(int32_t value) {
  std::string bytes;
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(uint32_t(value) >> (8 * i)));
  return bytes;
}

int32_t TableOffset(const std::string& ebook) {
  WriteFile(ScratchFile("seed"), ebook);
  const platform::HFILE file = platform::_lopen(ScratchFile("seed"), platform::OF_SHARED_READ);
  packing::EBookPackage package;
  const bool read = packing::ReadPackage(file, package) == packing::PackageStatus::kOk;
  platform::_lclose(file);
  if (!read) Fail("cannot read a packed seed");
  return package.trailer.m_nTableOffset;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  g_output = argv[1];
  SetUp();

  formats::CInfoBlock info;
  info.m_strEBookFile = "book.exe";
  info.m_strEBookId = "Some-Book-1.0";
  info.m_strText3 = "carried";
  info.m_strTitle = "Some Book";
  info.m_strStatusBefore = "Press Customize.";
  info.m_strStatusAfter = "Customized.";
  Seed("rebrand_info", "stamped", Stamped(info));
  info.m_bAllowRepeat = 1;
  info.m_strText3.clear();
  Seed("rebrand_info", "repeat-allowed", Stamped(info));
  Seed("rebrand_info", "empty-texts", Stamped(formats::CInfoBlock()));

  const formats::CVariableTable sample = SampleTable();
  formats::CVariableTable rebranded = sample;
  rebranded.m_bRebranded = 1;
  rebranded[1].m_strValue = std::string(200, 'v');
  const std::string ebooks[][2] = {{"sample", SampleEBook(sample)},
                                   {"empty-table", SampleEBook(formats::CVariableTable())},
                                   {"rebranded", SampleEBook(rebranded)}};
  for (const auto& [name, bytes] : ebooks) {
    Seed("load_table", name, bytes);
    Seed("store_table", name, bytes);
  }

  const std::string ebook = SampleEBook(sample);
  const int32_t offset = TableOffset(ebook);
  const std::string tail = ebook.substr(offset);
  ebook::CStoreJournal journal;
  journal.m_backup.Assign(offset, static_cast<int32_t>(ebook.size()), tail);
  Seed("journal_recovery", "whole-journal", std::string(1, '\0') + ebook::EncodeJournal(journal));
  Seed("journal_recovery", "saved-bytes",
       std::string(1, '\1') + Int(offset) + Int(static_cast<int32_t>(ebook.size())) + tail);
  Seed("journal_recovery", "grown-and-cut",
       std::string(1, '\2') + Int(offset) + tail + std::string(40, 'g'));
  return 0;
}
