// Rolling back a store that was interrupted (the process killed, the machine
// losing power) from the journal it left beside the E-Book.
#pragma once

#include <string>

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
};

// Holds the E-Book exclusively while it looks at the journal, so that a store
// in progress elsewhere is never disturbed. Shows nothing.
RecoveryOutcome RecoverStore(const std::string& ebookPath);

}  // namespace ebook
