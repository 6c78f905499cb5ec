#include "link/tarvix_thread.h"

#include "link/frame_codec.h"

#include "fake_hid.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace ostrel {
namespace {

using namespace std::chrono_literals;
using test::FakeAnswer;
using test::FakeBackend;

template <class Pred> bool WaitUntil(Pred pred) {
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

RawFrame Frame(int k) {
    FrameContent c;
    c.main.chars = {static_cast<char>('0' + k % 10), '1', '2', '3'};
    c.main.pointAfter = 1;
    c.main.function = nFunc_DcV;
    c.status = 0x52;
    return EncodeFrame(c);
}

FakeAnswer Full(int k) {
    const RawFrame raw = Frame(k);
    return {FakeAnswer::Full, {raw.begin(), raw.end()}};
}
const FakeAnswer kSilent{FakeAnswer::Silent, {}};
const FakeAnswer kHold{FakeAnswer::Hold, {}};

// Records the messages; closes them at once unless told to keep them open,
// as a window does while its message box is on the screen.
class RecordingNotifier final : public LinkNotifier {
  public:
    explicit RecordingNotifier(AcquisitionState& state, bool keepOpen = false)
        : m_state(state), m_keepOpen(keepOpen) {}
    void showNoDataReceived(std::shared_ptr<NoticeReply> reply) override {
        std::lock_guard lock(m_mutex);
        ++m_count;
        m_cableLostBefore = m_cableLostBefore || m_state.cableLostEvent.tryWait();
        if (m_keepOpen)
            m_reply = std::move(reply);
        else
            reply->close();
    }
    int count() {
        std::lock_guard lock(m_mutex);
        return m_count;
    }
    bool cableLostBefore() {
        std::lock_guard lock(m_mutex);
        return m_cableLostBefore;
    }
    std::shared_ptr<NoticeReply> reply() {
        std::lock_guard lock(m_mutex);
        return m_reply;
    }

  private:
    AcquisitionState& m_state;
    const bool m_keepOpen;
    std::mutex m_mutex;
    int m_count = 0;
    bool m_cableLostBefore = false;
    std::shared_ptr<NoticeReply> m_reply;
};

std::string MainText(AcquisitionState& state) {
    return state.copyReading().main.valueText;
}
std::string DecodedText(int k) {
    return DecodeFrame(Frame(k)).main.valueText;
}

struct TarvixThreadTest : ::testing::Test {
    AcquisitionState state;
    FakeBackend backend;
    std::shared_ptr<test::FakeCable> cable = backend.addCable();
    RecordingNotifier notifier{state};

    // The owner's unlink: ask to stop, wait for the end event, release.
    void Unlink(std::unique_ptr<TTarvixThread>& thread) {
        thread->terminate();
        EXPECT_TRUE(state.acquisitionEndedEvent.waitFor(10s));
        thread.reset();
    }
};

TEST_F(TarvixThreadTest, AnsweringMeterPublishesEachAnswerAndStopsWhileWaiting) {
    cable->script({Full(1), Full(2), Full(3), kHold});
    auto thread = std::make_unique<TTarvixThread>(state, backend, &notifier);
    ASSERT_TRUE(WaitUntil([&] { return cable->heldReads() == 1; }));
    EXPECT_EQ(cable->requests(), 4);
    EXPECT_EQ(MainText(state), DecodedText(3));
    EXPECT_TRUE(state.isLinkAlive());
    EXPECT_TRUE(state.newReadingEvent.tryWait());
    for (const auto& w : cable->writes())
        EXPECT_EQ(w, (std::vector<std::uint8_t>{0x00, 0x00, 0x82, 0x66}));

    // Stop while the read waits: the device is woken, nothing is reported.
    Unlink(thread);
    EXPECT_FALSE(state.cableLostEvent.tryWait());
    EXPECT_EQ(notifier.count(), 0);
    EXPECT_EQ(backend.openedPaths().size(), 1u); // never re-opened, never probed
}

TEST_F(TarvixThreadTest, GoodPollResetsTheRetryCount) {
    cable->script({kSilent, kSilent, Full(4), kSilent, kSilent, Full(5), kHold});
    auto thread = std::make_unique<TTarvixThread>(state, backend, &notifier);
    ASSERT_TRUE(WaitUntil([&] { return cable->heldReads() == 1; }));
    EXPECT_EQ(notifier.count(), 0);
    EXPECT_FALSE(state.cableLostEvent.tryWait());
    EXPECT_EQ(MainText(state), DecodedText(5));
    // The first open, then a probe and a re-open after each of the four failures.
    EXPECT_EQ(backend.openedPaths().size(), 9u);
    Unlink(thread);
}

TEST_F(TarvixThreadTest, ThreeFailuresShowOneMessageThenCableLostThenEnd) {
    cable->script(
        {Full(7), FakeAnswer{FakeAnswer::FirstReportOnly, Full(8).frame}, kSilent, kSilent});
    auto thread = std::make_unique<TTarvixThread>(state, backend, &notifier);
    ASSERT_TRUE(state.acquisitionEndedEvent.waitFor(10s));
    EXPECT_EQ(notifier.count(), 1);
    EXPECT_FALSE(notifier.cableLostBefore());
    EXPECT_TRUE(state.cableLostEvent.tryWait());
    EXPECT_FALSE(state.isLinkAlive());
    // The partial answer and the silences left the last complete reading in place.
    EXPECT_EQ(MainText(state), DecodedText(7));
    EXPECT_EQ(cable->requests(), 4);
    thread.reset();
}

TEST_F(TarvixThreadTest, PulledCableEndsWithoutTheMessage) {
    cable->script({Full(1), FakeAnswer{FakeAnswer::Unplug, {}}});
    auto thread = std::make_unique<TTarvixThread>(state, backend, &notifier);
    ASSERT_TRUE(state.acquisitionEndedEvent.waitFor(10s));
    EXPECT_TRUE(state.cableLostEvent.tryWait());
    EXPECT_EQ(notifier.count(), 0);
    EXPECT_EQ(MainText(state), DecodedText(1));
    thread.reset();
}

TEST_F(TarvixThreadTest, AbsentCableEndsAtOnce) {
    FakeBackend empty;
    auto thread = std::make_unique<TTarvixThread>(state, empty, &notifier);
    ASSERT_TRUE(state.acquisitionEndedEvent.waitFor(10s));
    EXPECT_TRUE(state.cableLostEvent.tryWait());
    EXPECT_EQ(notifier.count(), 0);
    EXPECT_FALSE(state.newReadingEvent.tryWait());
    thread.reset();
}

TEST_F(TarvixThreadTest, StopWhileTheMessageIsPendingDoesNotDeadlock) {
    RecordingNotifier window(state, /*keepOpen=*/true);
    cable->script({kSilent, kSilent, kSilent});
    auto thread = std::make_unique<TTarvixThread>(state, backend, &window);
    ASSERT_TRUE(WaitUntil([&] { return window.count() == 1; }));
    EXPECT_FALSE(state.acquisitionEndedEvent.waitFor(20ms)); // waits for the user
    // The window thread unlinks while its message box is still open.
    Unlink(thread);
    EXPECT_TRUE(state.cableLostEvent.tryWait());
    // The box is closed later; the reply outlives the thread.
    window.reply()->close();
}

TEST_F(TarvixThreadTest, ClosingTheMessageLetsTheThreadEnd) {
    RecordingNotifier window(state, /*keepOpen=*/true);
    cable->script({kSilent, kSilent, kSilent});
    auto thread = std::make_unique<TTarvixThread>(state, backend, &window);
    ASSERT_TRUE(WaitUntil([&] { return window.reply() != nullptr; }));
    EXPECT_FALSE(state.cableLostEvent.waitFor(20ms));
    window.reply()->close();
    EXPECT_TRUE(state.cableLostEvent.waitFor(10s));
    EXPECT_TRUE(state.acquisitionEndedEvent.waitFor(10s));
    EXPECT_FALSE(thread->isTerminated());
    thread.reset();
}

TEST_F(TarvixThreadTest, DeviceThatCannotBeWokenStopsAfterItsPoll) {
    cable->deaf = true;
    cable->script({kHold});
    auto thread = std::make_unique<TTarvixThread>(state, backend, &notifier);
    ASSERT_TRUE(WaitUntil([&] { return cable->heldReads() == 1; }));
    thread->terminate();
    EXPECT_FALSE(state.acquisitionEndedEvent.waitFor(20ms));
    // The meter answers after all: that poll publishes, then the thread ends.
    const RawFrame raw = Frame(6);
    for (int r = 0; r < 3; ++r)
        cable->queueRead({kWaitCompleted, {raw.begin() + r * 9, raw.begin() + r * 9 + 9}});
    EXPECT_TRUE(state.acquisitionEndedEvent.waitFor(10s));
    EXPECT_EQ(MainText(state), DecodedText(6));
    EXPECT_EQ(cable->requests(), 1);
    thread.reset();
}

TEST_F(TarvixThreadTest, AnswerInPiecesIsGatheredByWhatWasTransferred) {
    cable->script({kHold, kHold});
    auto thread = std::make_unique<TTarvixThread>(state, backend, &notifier);
    ASSERT_TRUE(WaitUntil([&] { return cable->heldReads() == 1; }));
    const RawFrame raw = Frame(9);
    const std::size_t cuts[] = {0, 5, 9, 13, 18, 27};
    for (std::size_t i = 0; i + 1 < std::size(cuts); ++i)
        cable->queueRead({kWaitCompleted, {raw.begin() + cuts[i], raw.begin() + cuts[i + 1]}});
    ASSERT_TRUE(state.newReadingEvent.waitFor(10s));
    EXPECT_EQ(MainText(state), DecodedText(9));
    EXPECT_EQ(state.copyReading().main.unitText, "V");
    Unlink(thread);
}

TEST_F(TarvixThreadTest, DestroyingARunningThreadStopsIt) {
    cable->whenScriptEnds = kHold;
    {
        TTarvixThread thread(state, backend, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return cable->heldReads() == 1; }));
    }
    EXPECT_TRUE(state.acquisitionEndedEvent.tryWait());
}

} // namespace
} // namespace ostrel
