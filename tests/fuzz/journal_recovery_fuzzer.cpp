// Recovery from a journal made of the input, beside a sound E-Book; a journal
// of a newer version must stay, with the E-Book as it was. The first
// byte chooses how: the rest as the journal itself, or as the offset, length
// and saved bytes of a journal that carries the E-Book's true identity and a
// valid checksum (so that the roll-back itself is reached), or the same with
// the length made to agree.
#include "ebook/store_journal.h"
#include "ebook/store_recovery.h"
#include "platform/file_io.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t mode = *data % 3;
  std::string input(reinterpret_cast<const char*>(data) + 1, size - 1), journal = input;
  const auto takeInt = [&input] {
    uint32_t value = 0;
    for (int i = 0; i < 4 && !input.empty(); ++i, input.erase(0, 1)) {
      value |= uint32_t(uint8_t(input[0])) << (8 * i);
    }
    return static_cast<int32_t>(value);
  };
  static const std::string ebookBytes = fuzzing::ReadFile(SAMPLE_EBOOK);
  const std::string ebookPath = fuzzing::ScratchFile("book");
  const std::string journalPath = ebook::JournalPathFor(ebookPath);
  fuzzing::WriteFile(ebookPath, ebookBytes);
  if (mode != 0) {
    const int32_t offset = takeInt();
    int32_t length = mode == 1 ? takeInt() : 0;
    if (mode == 2) length = static_cast<int32_t>(uint32_t(offset) + uint32_t(input.size()));
    const platform::HFILE file = platform::_lopen(ebookPath, platform::OF_SHARED_READ);
    ebook::CStoreJournal made;
    const bool identified = ebook::IdentifyEBook(file, offset, made.m_identity);
    platform::_lclose(file);
    if (!identified) return 0;  // the offset does not fit in the E-Book
    made.m_backup.Assign(offset, length, std::move(input));
    journal = ebook::EncodeJournal(made);
  }
  fuzzing::WriteFile(journalPath, journal);
  ebook::RecoveryOutcome outcome;
  {
    fuzzing::AllocationGuard guard(journal.size() + ebookBytes.size());
    outcome = ebook::RecoverStore(ebookPath);
  }
  const std::string after = fuzzing::ReadFile(ebookPath);
  ebook::CStoreJournal decoded;
  const ebook::JournalRead read = ebook::DecodeJournal(journal, decoded);
  const ebook::CStoreBackup& saved = decoded.m_backup;
  const bool newer = outcome == ebook::RecoveryOutcome::kNewerJournal;
  if (newer != (read == ebook::JournalRead::kNewer)) fuzzing::Fail("newer journal mistaken");
  if (newer != fuzzing::FileExists(journalPath)) fuzzing::Fail("a journal left or removed wrongly");
  using Outcome = ebook::RecoveryOutcome;
  if (outcome == Outcome::kRolledBack) {
    if (read != ebook::JournalRead::kWhole) fuzzing::Fail("rolled back from a bad journal");
    if (after != ebookBytes.substr(0, saved.Offset()) + saved.Bytes() ||
        after.size() != static_cast<size_t>(saved.Length()))
      fuzzing::Fail("the roll-back did not restore what the journal saved");
  } else if (outcome != Outcome::kDiscarded && outcome != Outcome::kStale && !newer) {
    fuzzing::Fail("a sound E-Book on a sound disk was not recovered");
  } else if (after != ebookBytes) {
    fuzzing::Fail("a journal that was not used changed the E-Book");
  }
  return 0;
}
