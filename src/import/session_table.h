#pragma once
// The imported sessions: an ordered table of session lists, each the readings
// of one logging session in the order the meter took them.

#include "import/session_list.h"

#include <cstddef>
#include <vector>

namespace ostrel {

// The table has room for this many sessions; downloads and files that
// announce more are cut to it.
inline constexpr std::size_t kMaxSessions = 999;

class SessionTable {
  public:
    std::size_t sessionCount() const { return m_sessions.size(); }
    bool empty() const { return m_sessions.empty(); }
    const SessionList& session(std::size_t index) const { return m_sessions.at(index); }
    SessionList& session(std::size_t index) { return m_sessions.at(index); }

    // Append an empty session list and return it; false-like nullptr when the
    // table is full.
    SessionList* addSession() {
        if (m_sessions.size() >= kMaxSessions)
            return nullptr;
        return &m_sessions.emplace_back();
    }

    // Total number of pairs in all sessions.
    std::size_t pairCount() const {
        std::size_t n = 0;
        for (const auto& s : m_sessions)
            n += s.size();
        return n;
    }

    // Bytes the sessions hold for their pairs.
    std::size_t heldBytes() const {
        std::size_t n = 0;
        for (const auto& s : m_sessions)
            n += s.heldBytes();
        return n;
    }

    void clear() { m_sessions.clear(); }

    const std::vector<SessionList>& sessions() const { return m_sessions; }

  private:
    std::vector<SessionList> m_sessions;
};

} // namespace ostrel
