#include "app/ui/start_up.h"

#include "app/ui/about_dialog.h"
#include "app/ui/display_windows.h"
#include "app/ui/main_form.h"
#include "base/ui/message_dialogs.h"
#include "displays/ui/live_windows.h"
#include "graph/ui/export_dialog.h"
#include "graph/ui/line_colour_dialog.h"
#include "import/ui/import_form.h"
#include "recorder/ui/graphical_form.h"
#include "recorder/ui/graphical_viewer.h"
#include "recorder/ui/interval_dialog.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>

#include <vector>

namespace ostrel {
namespace {

// Under a window manager a window gets its frame (title bar, borders) only
// after it shows, so the start's placement by frames can be right only then.
// For the first moments after start-up this follows the frames of the start
// windows and has them placed again whenever one changes, until the user
// first presses a key or a mouse button, or kFollowFor has passed. Without a
// window manager no frame ever changes and nothing is placed again.
class StartFrameFollower : public QObject {
  public:
    static constexpr int kFollowForMs = 10000;

    StartFrameFollower(QObject* owner, std::vector<QWidget*> windows, std::function<void()> arrange)
        : QObject(owner), m_arrange(std::move(arrange)) {
        for (QWidget* w : windows) {
            m_windows.emplace_back(w);
            m_seen.push_back(WindowFrame(w));
        }
        qApp->installEventFilter(this);
        QTimer::singleShot(kFollowForMs, this, [this] { deleteLater(); });
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::KeyPress:
            // From now on the windows are the user's to move.
            if (event->spontaneous()) {
                qApp->removeEventFilter(this);
                deleteLater();
            }
            break;
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Expose:
            if (!m_checkPending && isWatched(watched)) {
                m_checkPending = true;
                QTimer::singleShot(0, this, [this] { check(); });
            }
            break;
        default:
            break;
        }
        return false;
    }

  private:
    bool isWatched(const QObject* o) const {
        for (const auto& w : m_windows)
            if (w == o)
                return true;
        return false;
    }
    void check() {
        m_checkPending = false;
        bool changed = false;
        for (std::size_t i = 0; i < m_windows.size(); ++i) {
            const QMargins now = WindowFrame(m_windows[i]);
            if (now != m_seen[i]) {
                m_seen[i] = now;
                changed = true;
            }
        }
        if (changed)
            m_arrange();
    }

    std::vector<QPointer<QWidget>> m_windows;
    std::vector<QMargins> m_seen;
    std::function<void()> m_arrange;
    bool m_checkPending = false;
};

} // namespace

ShellSession::ShellSession(MeterAccess& access, const QString& startupDirectory) {
    AppWindows& w = m_windows;
    w.main = new TFormMain(access, startupDirectory);
    // Shown at once, so that the windows placing themselves below it see its
    // height with the frame the window system gave it.
    w.main->show();
    w.main->adoptFrameHeight();
    LiveState& state = w.main->acquisitionState();
    w.about = new TDlgAboutForm(access, w.main);
    w.autoMsg = new TAutoMsgForm(w.main);
    // Each live window places itself below those created before it.
    LiveWindows above;
    above.mainWindow = w.main;
    w.digitalMeter = new TDigitalMeterForm(state, w.main);
    above.digitalMeter = w.digitalMeter;
    w.analogMeter = new TAnalogMeterForm(state, nullptr, above);
    above.analogMeter = w.analogMeter;
    w.hiLow = new TDlgHiLowForm(w.main);
    w.comparator = new TComparatorForm(state, w.main->configuration().fHiLimit,
                                       w.main->configuration().fLowLimit, nullptr, above);
    w.comparator->setLimitDialog(w.hiLow);
    w.graphical = new TGraphicalForm(state, w.main->startupDirectory());
    w.option = new TDialogOption(w.main);
    w.viewGraphic = new TFormViewGraphic(w.main);
    w.fitExport = new TDlgFitExportForm(w.main);
    w.msg = new TMsgForm(w.main);
    w.msg->setBusyFlag(&w.main->busyFlag());
    w.exportForm = new TDlgExportForm(w.main);
    w.lineColor = new TdlgGraphLineColor(w.main);
    w.dataList = new TDataStringGridForm(nullptr, above);
    ImportWindowServices import;
    import.backend = access.backend();
    import.progress = w.msg;
    import.exportDialog = w.exportForm;
    import.lineColour = w.lineColor;
    import.busy = &w.main->busyFlag();
    w.import = new TFormImport(import, w.main);
    w.main->setWindows(w);
    w.viewGraphic->setExportDialog(w.fitExport);

    TGraphicalForm::Collaborators with;
    with.mainWindow = w.main;
    with.autoMsg = w.autoMsg;
    with.progress = w.msg;
    with.dataList = w.dataList;
    with.option = w.option;
    with.importWindow = w.import;
    with.viewer = w.viewGraphic;
    with.exportDialog = w.exportForm;
    with.busy = &w.main->busyFlag();
    w.graphical->setCollaborators(with);
    QObject::connect(w.graphical, &TGraphicalForm::busyChanged, w.main,
                     &TFormMain::refreshLinkControls);
}

void ShellSession::showWindows() {
    m_windows.main->show();
    m_windows.digitalMeter->show();
    m_windows.analogMeter->show();
    m_windows.graphical->show();
    m_windows.dataList->show();
    TFormMain* main = m_windows.main;
    new StartFrameFollower(main,
                           {main, m_windows.digitalMeter, m_windows.analogMeter,
                            m_windows.graphical, m_windows.dataList},
                           [main] { main->arrangeStartWindows(); });
    // Recordings an earlier run left behind are offered once the windows show.
    QTimer::singleShot(0, m_windows.graphical, &TGraphicalForm::offerLeftoverFiles);
}

bool ShellSession::shutdown() {
    if (!m_windows.main)
        return false;
    m_windows.main->shutdown();
    return m_windows.main->leftThreadRunning();
}

ShellSession::~ShellSession() {
    shutdown();
    AppWindows& w = m_windows;
    // Top-level windows without a parent go first, the main window (which owns
    // the dialogs) last.
    delete w.dataList;
    delete w.graphical;
    delete w.comparator;
    delete w.analogMeter;
    delete w.digitalMeter;
    TFormMain* main = w.main;
    w = AppWindows{}; // the main window sees no other window while it goes
    delete main;
}

} // namespace ostrel
