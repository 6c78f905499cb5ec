#pragma once
// One session of readings, held as the meter logged them: three bytes per
// display and reading (flags and range code, then the count), the session's
// interval and one record maker per display. Records, texts and numbers are
// formed from them when asked, so that a full logger memory (5.6 million
// readings) takes a few bytes a reading instead of a pair of 76-byte
// records.
//
// Pairs appended one by one (a session file being read) are turned into the
// same form where the records are exactly what the form makes of them again;
// any other pair is kept as it is, so that every record reads back byte for
// byte.

#include "import/session_record.h"
#include "import/session_record_maker.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace ostrel {

// The running sums t(k + 1) = t(k) + interval of a session's clock, each
// rounded as one addition of doubles, from t(0) = 0: t(0), t(every),
// t(2 × every), … for every k below n. interval is positive and finite.
std::vector<double> RunningSums(double interval, std::size_t n, std::size_t every);

class SessionList {
  public:
    // How the readings of a session become records.
    struct Form {
        bool dual = false;
        double interval = 0; // seconds between readings
        std::shared_ptr<SessionRecordMaker> main;
        std::shared_ptr<SessionRecordMaker> sub; // when dual
    };

    SessionList() = default;
    // n readings of 3 bytes (6 when dual: main, then sub) from codes on; owner
    // keeps the bytes alive (null when the caller does for the list's life).
    SessionList(const std::uint8_t* codes, std::size_t n, Form form,
                std::shared_ptr<const void> owner);

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }

    // Append a pair (a missing sub record of a pair that says it has one
    // counts as an empty record).
    void push_back(const SessionPair& pair);
    void append(const TRecord& main, const TRecord* sub);
    // Room for n pairs in all.
    void reserve(std::size_t n);

    bool hasSub(std::size_t i) const;
    // The number of the main or sub record of pair i; 0 for the sub of a pair
    // without one.
    float value(std::size_t i, bool sub) const;
    // The numbers of the chosen display of pairs from, from + 1, … into
    // out[0 … n - 1]: the sub record's when sub is chosen and the pair has
    // one, else the main record's.
    void chosenValues(std::size_t from, std::size_t n, bool sub, float* out) const;
    // The numbers of the counts of each range code of one display, as
    // SessionRecordMaker::countValues gives them: worked out once for a
    // scan of many readings.
    using CountValues = std::array<std::vector<float>, 16>;
    CountValues countValues(bool sub) const;
    // Among pairs from … from + n − 1 (n ≥ 1), the first smallest and the
    // first largest of the numbers chosenValues() gives: their positions from
    // `from` and their numbers. counts is countValues(sub).
    struct Extremes {
        std::size_t smallest = 0, largest = 0;
        float smallestValue = 0, largestValue = 0;
    };
    Extremes chosenExtremes(std::size_t from, std::size_t n, bool sub,
                            const CountValues& counts) const;
    // The time text of pair i.
    TimeField timeText(std::size_t i) const;
    // The main or sub record of pair i (an empty record for the sub of a
    // pair without one).
    void record(std::size_t i, bool sub, TRecord& out) const;
    // Pair i made whole.
    SessionPair operator[](std::size_t i) const;
    SessionPair at(std::size_t i) const; // throws std::out_of_range
    SessionPair front() const { return at(0); }
    SessionPair back() const { return at(m_size - 1); }

    // The pairs one after the other from a position on, each formed once.
    class Reader {
      public:
        explicit Reader(const SessionList& list, std::size_t from = 0);
        // The next pair; false after the last.
        bool next();
        // Make pair i (at or after the next one) the next pair.
        void skipTo(std::size_t i);
        std::size_t position() const { return m_position; } // of the pair next() gave
        const TRecord& main() const { return *m_mainRecord; }
        const TRecord* sub() const { return m_subRecord; } // null without a sub record
        // Whether the pair was formed from its codes (not kept as it came):
        // every text field of its records is then zero after its end, as
        // the file holds them.
        bool formed() const { return m_mainRecord == &m_main; }

      private:
        const SessionList& m_list;
        std::size_t m_next;
        std::size_t m_position = 0;
        std::size_t m_stored = 0; // the first kept pair at or after m_next
        double m_time = 0;        // of the pair at m_next
        SessionClock m_clock;
        TRecord m_main, m_sub;
        const TRecord* m_mainRecord = &m_main;
        const TRecord* m_subRecord = nullptr;
    };

    // Bytes this list holds for its pairs (shared codes counted too).
    std::size_t heldBytes() const;
    // Pairs kept as they came, not as readings.
    std::size_t keptPairs() const { return m_stored.size(); }

  private:
    // A pair kept as it came.
    struct StoredPair {
        std::size_t index;
        SessionPair pair;
    };
    // Running times are kept at every kCheckpoint-th pair (a sixteenth of
    // a byte a pair): the time of any pair is a few dozen additions away, so
    // the graph's thousands of time texts cost little.
    static constexpr std::size_t kCheckpoint = 128;

    std::size_t width() const { return m_form.dual ? 6 : 3; }
    const std::uint8_t* codes() const { return m_codes ? m_codes : m_own.data(); }
    LoggerValue code(std::size_t i, bool sub) const;
    const SessionPair* stored(std::size_t i) const;
    double timeAt(std::size_t i) const;
    // The values of a record of this form, or false when it has none.
    bool encode(const TRecord& record, SessionRecordMaker& maker, LoggerValue& value);
    void formFrom(const TRecord& main, const TRecord* sub);
    void store(const TRecord& main, const TRecord* sub);

    Form m_form;
    const std::uint8_t* m_codes = nullptr; // null: the codes are m_own
    std::shared_ptr<const void> m_owner;
    std::vector<std::uint8_t> m_own;
    std::size_t m_size = 0;
    std::vector<double> m_checkpoints; // time of pair k × kCheckpoint
    std::vector<StoredPair> m_stored;  // by index
    std::size_t m_reserved = 0;        // pairs room was asked for
    // While pairs are appended: whether the interval is known (from the
    // second pair's time), the time of the last pair and its clock.
    bool m_timed = false;
    double m_lastTime = 0;
    SessionClock m_appendClock;
};

} // namespace ostrel
