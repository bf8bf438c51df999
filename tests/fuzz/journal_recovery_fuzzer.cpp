// Recovery from a journal made of the input, beside a sound E-Book; a journal
// of a newer version must stay, with the E-Book as it was. The first
// byte chooses how: the rest as the journal itself, or as the offset, length
// and saved bytes of a journal that carries the E-Book's true identity and a
// valid checksum (so that the roll-back itself is reached), or the same with
// the length made to agree.
#include "ebook/store_journal.h"
#include "ebook/store_recovery.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using ebook::RecoveryOutcome;

int32_t TakeInt(const uint8_t*& data, size_t& size) {
  uint32_t value = 0;
  for (int i = 0; i < 4 && size > 0; ++i, ++data, --size) value |= uint32_t{*data} << (8 * i);
  return static_cast<int32_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t mode = *data++ % 3;
  --size;
  static const std::string ebookBytes = fuzzing::ReadFile(SAMPLE_EBOOK);
  const std::string ebookPath = fuzzing::EBookPath();
  const std::string journalPath = ebook::JournalPathFor(ebookPath);
  fuzzing::WriteFile(ebookPath, ebookBytes);
  std::string journal(reinterpret_cast<const char*>(data), size);
  if (mode != 0) {
    const int32_t offset = TakeInt(data, size);
    int32_t length = mode == 1 ? TakeInt(data, size) : 0;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (mode == 2) length = static_cast<int32_t>(uint32_t(offset) + uint32_t(bytes.size()));
    const platform::HFILE file = platform::_lopen(ebookPath, platform::OF_SHARED_READ);
    ebook::CStoreJournal made;
    const bool identified = ebook::IdentifyEBook(file, offset, made.m_identity);
    platform::_lclose(file);
    if (!identified) return 0;  // the offset does not fit in the E-Book
    made.m_backup.Assign(offset, length, std::move(bytes));
    journal = ebook::EncodeJournal(made);
  }
  fuzzing::WriteFile(journalPath, journal);
  RecoveryOutcome outcome;
  {
    fuzzing::AllocationGuard guard(journal.size() + ebookBytes.size());
    outcome = ebook::RecoverStore(ebookPath);
  }
  const std::string after = fuzzing::ReadFile(ebookPath);
  ebook::CStoreJournal decoded;
  const ebook::JournalRead read = ebook::DecodeJournal(journal, decoded);
  const ebook::CStoreBackup& saved = decoded.m_backup;
  const bool journalLeft = fuzzing::FileExists(journalPath);
  switch (outcome) {
    case RecoveryOutcome::kNewerJournal:
      if (read != ebook::JournalRead::kNewer) fuzzing::Fail("a journal taken for a newer one");
      if (!journalLeft || after != ebookBytes) fuzzing::Fail("a newer journal or its E-Book moved");
      return 0;
    case RecoveryOutcome::kRolledBack:
      if (read != ebook::JournalRead::kWhole) fuzzing::Fail("rolled back from a bad journal");
      if (after != ebookBytes.substr(0, saved.Offset()) + saved.Bytes() ||
          after.size() != static_cast<size_t>(saved.Length())) {
        fuzzing::Fail("the roll-back did not restore what the journal saved");
      }
      break;
    case RecoveryOutcome::kDiscarded:
    case RecoveryOutcome::kStale:
      if (after != ebookBytes) fuzzing::Fail("a journal that was not used changed the E-Book");
      break;
    default:
      fuzzing::Fail("a sound E-Book on a sound disk was not recovered");
  }
  if (journalLeft) fuzzing::Fail("the journal was left behind");
  return 0;
}
