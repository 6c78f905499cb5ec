#pragma once
// Session files (".slr"): a 32-bit session count, then per session its pair
// count and the pairs (has-sub byte, 76-byte main record, 76-byte sub record
// when the byte is not 0). Integers are 32-bit signed little-endian.

#include "import/session_table.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ostrel {

// A name ending in ".slr", in any case.
bool IsSessionFileName(const std::string& path);

// The file's bytes for a table.
std::vector<std::uint8_t> SessionFileBytes(const SessionTable& table);

// The size in the file of each pair of a session when it is known without
// forming them (no pair is kept as it came, so all are of one size: with a
// sub record or without); nothing otherwise.
std::optional<std::size_t> SessionPairSize(const SessionList& list);

// The size of the file of a table when every session's pair size is known;
// nothing otherwise.
std::optional<std::size_t> KnownSessionFileSize(const SessionTable& table);

// One pair as the file holds it, at out (room for kSessionPairMaxBytes);
// returns its size: the has-sub byte, the main record and the sub record
// when there is one.
inline constexpr std::size_t kSessionPairMaxBytes = 1 + 2 * kTRecordSize;
std::size_t StoreSessionPair(std::uint8_t* out, const TRecord& main, const TRecord* sub);

// Write the table to path through a temporary file in the same folder that
// replaces path only when it is complete. False (and path untouched) on
// failure. durable: flushed to the disk before it replaces path (a copy that
// can be made again from its source may skip it).
bool SaveSessionFile(const std::string& path, const SessionTable& table, bool durable = true);

enum class SessionFileStatus {
    Ok,
    CannotOpen,      // nothing read; the caller's data stays as it was
    Damaged,         // cut short, a negative count or bytes after the last session;
                     // the sessions and pairs read up to that point are kept
    TooManySessions, // more than the table holds; the first kMaxSessions are kept
    Cancelled        // stopped by the caller; the pairs read up to then are kept
};

struct SessionFileResult {
    SessionFileStatus status = SessionFileStatus::Ok;
    SessionTable table;
    std::int32_t announcedSessions = 0; // S as stored
    // Numbered texts for the user: 0 when all went well, else the message
    // (9004) and a line that says what was kept (7130 / 7131).
    int messageId = 0;
    int detailId = 0;
};

// Called after each pair: session index (from 0), pair position (from 1), n.
// False stops the reading (status Cancelled).
using SessionFileProgress = std::function<bool(std::size_t, std::size_t, std::size_t)>;

// Read a session file. Counts from the file are never trusted for allocation;
// reading stops at the end of the file.
SessionFileResult OpenSessionFile(const std::string& path,
                                  const SessionFileProgress& progress = {});

// The same from bytes in memory.
SessionFileResult ParseSessionFile(const std::uint8_t* data, std::size_t size,
                                   const SessionFileProgress& progress = {});

// Read a session file pair by pair without keeping it: session(k, n) when
// session k (from 0) begins with n pairs as stored, then pair(k, pair) for
// each of its pairs as read (false stops the reading). The result's table
// stays empty; its status says what was cut, as for OpenSessionFile.
struct SessionFileSink {
    std::function<void(std::size_t session, std::size_t count)> session;
    std::function<bool(std::size_t session, SessionPair& pair)> pair;
};
SessionFileResult StreamSessionFile(const std::string& path, const SessionFileSink& sink);

} // namespace ostrel
