#pragma once
// Standard output of ostrel-cli. Every write is checked: the first failure is
// told once on standard error and the program ends with a non-zero status;
// later writes are dropped. A reader that went away (a closed pipe) is not
// an error to tell: the command finishes its own work (files it writes are
// still written) and the program then ends quietly by SIGPIPE, the usual
// status of a broken pipe. SIGPIPE is ignored while the program runs, so that
// a closed pipe shows as a failed write instead of ending it at once. The
// same holds for an output file written straight into a pipe whose reader
// went away (NoteReaderGone).
//
// When a command writes one of its output files to standard output
// (-o /dev/stdout), what it would print there (a listing, the samples) goes
// to standard error instead, so that the file's bytes stay alone.

#include <string_view>

namespace ostrel::cli {

// Buffered write; false once standard output has failed.
bool Print(std::string_view text);
// Hand what is buffered to the system; false once standard output has failed.
bool FlushOutput();
// True once a write failed or the reader went away.
bool OutputFailed();

// What Print writes goes to standard error from now on (see above).
void ListingToStandardError();
// The reader of an output written straight went away: the program ends as it
// does when standard output's reader goes away, without a message.
void NoteReaderGone();

// For main(): ignore SIGPIPE (see above).
void PrepareOutput();
// For main(): flush and close standard output. Returns status, or the failure
// status when standard output failed; ends the program by SIGPIPE when the
// reader went away.
int FinishOutput(int status);

} // namespace ostrel::cli
