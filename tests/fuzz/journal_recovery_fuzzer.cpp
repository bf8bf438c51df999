// Recovery from a journal made of the input, beside a sound E-Book. The first
// byte chooses how: the rest as the journal itself, or as the offset, length
// and saved bytes of a journal that carries the E-Book's true identity and a
// valid checksum (so that the roll-back itself is reached), or the same with
// the length made to agree.
#include <cstring>

#include "ebook/store_journal.h"
#include "ebook/store_recovery.h"
#include "platform/file_io.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using ebook::RecoveryOutcome;

int32_t TakeInt(const uint8_t*& data, size_t& size) {
  uint32_t value = 0;
  for (int i = 0; i < 4 && size > 0; ++i, ++data, --size) value |= uint32_t{*data} << (8 * i);
  return static_cast<int32_t>(value);
}

// A journal for the E-Book as it is now, or an empty string when the offset
// does not fit in it.
std::string JournalWithTrueIdentity(int32_t offset, int32_t length, std::string bytes) {
  const platform::HFILE file = platform::_lopen(fuzzing::EBookPath(), platform::OF_SHARED_READ);
  ebook::CStoreJournal journal;
  const bool identified =
      file != platform::HFILE_ERROR && ebook::IdentifyEBook(file, offset, journal.m_identity);
  if (file != platform::HFILE_ERROR) platform::_lclose(file);
  if (!identified) return {};
  journal.m_backup.Assign(offset, length, std::move(bytes));
  return ebook::EncodeJournal(journal);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::SetUp();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t mode = *data++ % 3;
  --size;
  static const std::string ebookBytes = fuzzing::SampleEBook(fuzzing::SampleTable());
  const std::string ebookPath = fuzzing::EBookPath();
  const std::string journalPath = ebook::JournalPathFor(ebookPath);
  fuzzing::WriteFile(ebookPath, ebookBytes);

  std::string journal;
  if (mode == 0) {
    journal.assign(reinterpret_cast<const char*>(data), size);
  } else {
    const int32_t offset = TakeInt(data, size);
    int32_t length = mode == 1 ? TakeInt(data, size) : 0;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (mode == 2) length = static_cast<int32_t>(uint32_t(offset) + uint32_t(bytes.size()));
    journal = JournalWithTrueIdentity(offset, length, std::move(bytes));
    if (journal.empty()) return 0;
  }
  fuzzing::WriteFile(journalPath, journal);

  RecoveryOutcome outcome;
  {
    fuzzing::AllocationGuard guard(journal.size() + ebookBytes.size());
    outcome = ebook::RecoverStore(ebookPath);
  }
  if (fuzzing::FileExists(journalPath)) fuzzing::Fail("the journal was left behind");
  const std::string after = fuzzing::ReadFile(ebookPath);
  if (outcome == RecoveryOutcome::kRolledBack) {
    ebook::CStoreJournal decoded;
    if (!ebook::DecodeJournal(journal, decoded)) fuzzing::Fail("rolled back from a bad journal");
    const ebook::CStoreBackup& saved = decoded.m_backup;
    if (after.size() != static_cast<size_t>(saved.Length()) ||
        after.compare(0, saved.Offset(), ebookBytes, 0, saved.Offset()) != 0 ||
        after.compare(saved.Offset(), std::string::npos, saved.Bytes()) != 0) {
      fuzzing::Fail("the roll-back did not restore what the journal saved");
    }
  } else if (outcome == RecoveryOutcome::kDiscarded || outcome == RecoveryOutcome::kStale) {
    if (after != ebookBytes) fuzzing::Fail("a journal that was not used changed the E-Book");
  } else {
    fuzzing::Fail("a sound E-Book on a sound disk was not recovered");
  }
  return 0;
}
