// TFormMain's link control: link and unlink, the acquisition thread's
// notices, the cable's loss (told by the off-line watcher) and, with "Link
// again when the cable returns", its return.
#include "app/ui/main_form.h"

#include "app/ui/display_windows.h"
#include "app/ui/wait_offline_thread.h"
#include "base/string_table.h"
#include "base/ui/app_windows.h"
#include "base/ui/message_box.h"
#include "base/ui/window_messages.h"
#include "base/ui/window_thread_hand_over.h"
#include "link/cable_return_watch.h"
#include "link/link_notifier.h"
#include "recorder/ui/graphical_form.h"

#include <QPointer>
#include <QToolButton>

namespace ostrel {
namespace {

constexpr int kCableNotFound = kCableNotFoundText;
constexpr int kPermissionHint = 9101; // the udev rule that opens the cable to its user
constexpr const char* kNoDataReceived = kNoDataReceivedText;
constexpr int kDigitalMeterCaption = 100; // "Digital Meter"

bool ShownAndNotMinimised(const QWidget* w) {
    return w && w->isVisible() && !w->isMinimized();
}

// The acquisition thread's messages, queued to the window thread; the thread
// never waits for this one.
class QueuedNotices : public AcquisitionNotices {
  public:
    // quiet (window thread): the loss this notice belongs to was told already.
    QueuedNotices(QWidget* owner, std::function<bool()> quiet)
        : m_owner(owner), m_quiet(std::move(quiet)) {}
    void showNoDataReceived(std::function<void()> closed) override {
        QWidget* owner = m_owner.data();
        if (!owner) { // the window has gone: nothing shows, nothing waits
            if (closed)
                closed();
            return;
        }
        WindowThreadPoster(owner)([owner = m_owner, closed, quiet = m_quiet] {
            if (!(quiet && quiet())) {
                MessageRequest request;
                request.owner = owner.data();
                request.caption = QNumberedCaption(kErrorCaption, kCableNotFound);
                request.text = QString::fromLatin1(kNoDataReceived);
                request.icon = MessageIcon::Stop;
                ShowMessage(request);
            }
            if (closed)
                closed();
        });
    }

  private:
    QPointer<QWidget> m_owner;
    std::function<bool()> m_quiet;
};

} // namespace

void TFormMain::startOffLineWatch() {
    m_state = std::make_unique<LiveState>();
    m_handOver = std::make_unique<HandOver>(WindowThreadPoster(this), OnThreadOf(this));
    m_notices = std::make_unique<QueuedNotices>(
        this, [this] { return m_lossOpen && m_state->publishedCount() == m_publishedAtLoss; });
    m_offLine = std::make_unique<TWaitOffLineThread>(m_state->cableLostEvent, *m_handOver,
                                                     [this] { cableLost(); });
}

void TFormMain::sbtnLinkClick() {
    if (m_changingLink || m_shutDown)
        return; // a message shown during a change re-enters here
    // The link controls take no click until the change is done (its message
    // box runs an event loop of its own).
    m_changingLink = true;
    sbtnLink->setEnabled(false);
    miLink->setEnabled(false);
    if (sbtnLink->isChecked())
        link();
    else
        unlink();
    m_changingLink = false;
    refreshLinkControls();
}

void TFormMain::link() {
    bool permissionDenied = false;
    std::unique_ptr<HidDevice> probe = m_access.openCable(&permissionDenied);
    if (!probe) {
        sbtnLink->setChecked(false);
        MessageRequest request;
        request.owner = this;
        request.caption = QNumberedCaption(kErrorCaption, kCableNotFound);
        request.text = QText(kCableNotFound);
        // On Linux a cable may be present but closed to this user: say how to
        // open it up rather than only that it is missing.
        if (permissionDenied && HasText(kPermissionHint))
            request.text += '\n' + QText(kPermissionHint);
        request.icon = MessageIcon::Stop;
        ShowMessage(request);
        refreshLinkControls();
        return;
    }
    probe.reset();
    m_acquisition = m_access.startAcquisition(*m_state, *m_notices);
    m_state->setLinked(true);
    if (m_windows && m_windows->digitalMeter)
        m_windows->digitalMeter->setWindowTitle(QText(kDigitalMeterCaption) +
                                                QStringLiteral(" : USB Device"));
    refreshLinkControls();
}

void TFormMain::stopAcquisition() {
    if (!m_acquisition)
        return;
    // A thread that ended by itself has already signalled its end. Waiting
    // for one is safe: the acquisition thread never waits for this thread
    // (its messages are queued, and the stop request releases a pending one).
    if (!m_state->acquisitionEndedEvent.tryWait()) {
        m_acquisition->requestStop();
        m_state->acquisitionEndedEvent.wait();
    }
    m_acquisition.reset();
}

void TFormMain::unlink() {
    m_cableWatch.reset();
    m_lossOpen = false;
    stopAcquisition();
    m_state->setLinked(false);

    if (m_windows) {
        if (auto* digital = m_windows->digitalMeter) {
            digital->setWindowTitle(QText(kDigitalMeterCaption) + QStringLiteral(" : No Device"));
            digital->clearDisplay();
        }
        // The stored values are reset in any case; the redraw message goes
        // only to a window that shows.
        if (m_windows->analogMeter)
            m_windows->analogMeter->resetValues();
        if (m_windows->comparator)
            m_windows->comparator->resetValue();
        if (ShownAndNotMinimised(m_windows->analogMeter))
            PostWindowMessage(m_windows->analogMeter, kMsgReset);
        if (ShownAndNotMinimised(m_windows->comparator))
            PostWindowMessage(m_windows->comparator, kMsgReset);
        SendWindowMessage(m_windows->graphical, kMsgStopRecording);
    }
    refreshLinkControls();
}

void TFormMain::cableLost() {
    if (waitForCableReturn())
        return;
    ShowNumberedMessage(this, kErrorCaption, kCableNotFound);
    sbtnLink->setChecked(false);
    sbtnLinkClick();
}

bool TFormMain::waitForCableReturn() {
    HidBackend* backend = m_access.backend();
    if (!miLinkAgain->isChecked() || !backend || !isLinked() || m_shutDown)
        return false;
    const std::uint64_t published = m_state->publishedCount();
    const bool tell = !m_lossOpen || published != m_publishedAtLoss;
    m_lossOpen = true;
    m_publishedAtLoss = published;
    // The acquisition thread has ended after the loss (or ends now); the
    // link button stays down and a recording keeps running, taking no
    // samples until the link is back.
    stopAcquisition();
    // The watch calls back on its own thread: the return is queued to this one.
    m_cableWatch = std::make_unique<CableReturnWatch>(
        *backend, [post = WindowThreadPoster(this), this] { post([this] { cableReturned(); }); });
    if (tell)
        ShowNumberedMessage(this, kErrorCaption, kCableNotFound);
    return true;
}

void TFormMain::cableReturned() {
    m_cableWatch.reset();
    if (!isLinked() || m_shutDown || m_acquisition)
        return; // unlinked meanwhile
    m_acquisition = m_access.startAcquisition(*m_state, *m_notices);
}

bool TFormMain::event(QEvent* event) {
    if (event->type() == EventType(kMsgUnlinkRequest)) {
        sbtnLink->setChecked(false);
        sbtnLinkClick();
        return true;
    }
    return QMainWindow::event(event);
}

} // namespace ostrel
