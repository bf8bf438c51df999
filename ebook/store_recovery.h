// Rolling back a store that was interrupted (the process killed, the machine
// losing power) from the journal it left beside the E-Book.
#pragma once

#include "platform/path.h"

namespace ebook {

enum class RecoveryOutcome {
  kNoJournal,   // nothing was interrupted
  kRolledBack,  // the E-Book is back as it was before the store; journal removed
  kDiscarded,   // the journal was never completed, so the E-Book was never touched;
                // journal removed
  kStale,       // the journal belongs to a file that is no longer there; journal
                // removed, E-Book left alone
  kLeft,        // the E-Book is in use: journal left for a later try
  kFailed,      // the roll-back failed; journal left for a later try
  // Journal and E-Book left alone: it may be the only copy of the E-Book's old
  // bytes, but not one this program can read...
  kNewerJournal,  // ...written by a newer version of it
  // ...or one it may not trust: not a regular file of its own name, or one that
  // someone other than the E-Book's owner or the running user can have written.
  kUntrusted,
};

// Holds the E-Book exclusively while it looks at the journal, so that a store
// in progress elsewhere is never disturbed. Shows nothing.
RecoveryOutcome RecoverStore(const platform::Path& ebookPath);

}  // namespace ebook
