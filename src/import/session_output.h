#pragma once
// The files made of a table of sessions, in one pass over their readings:
// the session file (".slr", all sessions) and the text export (sessions
// first … last). The readings are formed into records a piece of a few
// thousand pairs at a time on helper threads, and the pieces written in
// order by the calling thread, so that a full logger memory is written at
// about the speed of the disk; only a few pieces are held at any time.

#include "base/atomic_file.h"
#include "import/session_table.h"

#include <cstddef>
#include <functional>

namespace ostrel {

struct SessionOutputFiles {
    AtomicFile* sessionFile = nullptr; // open; receives the session file
    AtomicFile* text = nullptr;        // open; receives the text export
    // Sessions of the text export, 1-based and inclusive (clamped to the
    // table; an empty range gives the header line alone).
    long first = 1;
    long last = 0;
};

// Pairs written so far of all there are to write.
using SessionOutputProgress = std::function<void(std::size_t done, std::size_t total)>;

// Write the outputs (not committed). False when a write failed; what was
// written is then incomplete.
bool WriteSessionOutputs(const SessionTable& table, const SessionOutputFiles& outputs,
                         const SessionOutputProgress& progress = {});

} // namespace ostrel
