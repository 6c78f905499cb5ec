#pragma once
// The files made of a table of sessions, in one pass over their readings:
// the session file (".slr", all sessions) and the text export (sessions
// first … last). The readings are formed into records a piece of a few
// thousand pairs at a time by the calling thread and helper threads, each
// writing its piece once those before it are written, so that a full logger
// memory is written at about the speed of the disk; only one piece per
// thread is held at any time.

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

// Pairs written so far of all there are to write; called after each piece,
// one call at a time, from the thread that wrote it.
using SessionOutputProgress = std::function<void(std::size_t done, std::size_t total)>;

// Write the outputs (not committed). False when a write failed; what was
// written is then incomplete.
bool WriteSessionOutputs(const SessionTable& table, const SessionOutputFiles& outputs,
                         const SessionOutputProgress& progress = {});

} // namespace ostrel
