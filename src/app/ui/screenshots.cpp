#include "app/ui/screenshots.h"

#include "app/ui/about_dialog.h"
#include "app/ui/display_windows.h"
#include "app/ui/main_form.h"
#include "app/ui/start_up.h"
#include "base/busy_flag.h"
#include "base/string_table.h"
#include "base/ui/message_box.h"
#include "base/ui/message_dialogs.h"
#include "import/ui/import_form.h"
#include "recorder/ui/export_dialog.h"
#include "recorder/ui/graph_adapter.h"
#include "recorder/ui/graphical_form.h"
#include "recorder/ui/line_colour_dialog.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include <iostream>

namespace ostrel {

ScreenshotTaker::ScreenshotTaker(ShellSession& session, QString directory, int linkedDelayMs)
    : m_session(session), m_directory(std::move(directory)), m_delayMs(linkedDelayMs) {
    QDir().mkpath(m_directory);
    // Nobody is there to answer a message box: report it and go on (a
    // question is answered Yes).
    SetMessageAnswerer([](const MessageRequest& request) {
        std::cerr << request.caption.toStdString() << ": " << request.text.toStdString() << "\n";
        if (request.kind == MessageKind::AutoContinue)
            return 6;
        return int(request.buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok);
    });
    QTimer::singleShot(500, this, [this] { start(); });
}

void ScreenshotTaker::save(QWidget* window, const QString& name) {
    if (!window)
        return;
    const QString path = QDir(m_directory).filePath(name + QStringLiteral(".png"));
    if (window->grab().save(path))
        std::cout << path.toStdString() << "\n";
    else
        std::cerr << "ostrel: cannot write " << path.toStdString() << "\n";
}

// The whole screen as the user sees it: every visible window at its place
// (window frames are the window manager's and not drawn).
void ScreenshotTaker::saveDesktop(const QString& name) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QPixmap desktop(screen->geometry().size());
    desktop.fill(QColor(0x2f, 0x3b, 0x48));
    QPainter painter(&desktop);
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && !window->isMinimized())
            painter.drawPixmap(window->geometry().topLeft(), window->grab());
    painter.end();
    const QString path = QDir(m_directory).filePath(name + QStringLiteral(".png"));
    if (desktop.save(path))
        std::cout << path.toStdString() << "\n";
    else
        std::cerr << "ostrel: cannot write " << path.toStdString() << "\n";
}

void ScreenshotTaker::start() {
    const AppWindows& w = m_session.windows();
    w.about->show();
    w.about->Image1Click();
    QApplication::processEvents();
    save(w.about, QStringLiteral("about"));
    w.about->hide();

    w.comparator->show();
    w.main->sbtnLink->setChecked(true);
    w.main->sbtnLinkClick();
    // Wait for a reading worth showing (low battery with the sub display in
    // use), at most the given delay.
    auto* poll = new QTimer(this);
    auto* clock = new QElapsedTimer;
    clock->start();
    connect(poll, &QTimer::timeout, this, [this, poll, clock] {
        const MeterReading r = m_session.main().acquisitionState().copyReading();
        const bool worthShowing = r.lowBattery && r.sub.function != 0;
        if (!worthShowing && clock->elapsed() < m_delayMs)
            return;
        poll->stop();
        delete clock;
        QTimer::singleShot(300, this, [this] { grabAll(); });
    });
    poll->start(50);
}

void ScreenshotTaker::grabAll() {
    const AppWindows& w = m_session.windows();
    save(w.main, QStringLiteral("main"));
    save(w.digitalMeter, QStringLiteral("digital-meter"));
    save(w.analogMeter, QStringLiteral("analog-meter"));
    save(w.comparator, QStringLiteral("comparator"));
    save(w.graphical, QStringLiteral("graphical-recorder"));
    save(w.dataList, QStringLiteral("data-list"));
    saveDesktop(QStringLiteral("desktop"));

    w.autoMsg->setWindowTitle(QNumberedCaption(kWarningCaption, 8000));
    w.autoMsg->lbMsg1->setText(QStringLiteral("The battery power of the DMM is low."));
    w.autoMsg->lbMsg2->setText(QStringLiteral("(Will continue automatically in 3 seconds.)"));
    w.autoMsg->show();
    for (int i = 0; i < 12; ++i)
        w.autoMsg->Timer1Timer();
    save(w.autoMsg, QStringLiteral("auto-continue"));
    w.autoMsg->hide();

    // The export dialog as a user sets it up for a picture of the page.
    w.exportForm->prepareForPages(3);
    w.exportForm->choose(w.exportForm->rbtnMetaFile);
    w.exportForm->show();
    save(w.exportForm, QStringLiteral("export-dialog"));
    w.exportForm->hide();

    // Unlink, as the recorder's Import command does, then the import window.
    w.main->sbtnLink->setChecked(false);
    w.main->sbtnLinkClick();
    grabImport();
}

// The import window after a download of the simulated logger memory, showing
// its first session (two displays), and the line colour dialog; then close.
void ScreenshotTaker::grabImport() {
    const AppWindows& w = m_session.windows();
    w.import->show();
    w.import->sbtnImportClick();
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, [this, poll] {
        const AppWindows& w = m_session.windows();
        if (w.import->importRunning() || BusyFlag())
            return;
        poll->stop();
        w.import->sbtnFirstPageClick();
        QApplication::processEvents();
        w.import->PEGraph->replotNow();
        save(w.import, QStringLiteral("import"));
        w.lineColor->btnLineColor1->setText(QText(7150));
        w.lineColor->btnLineColor2->setText(QText(7151));
        w.lineColor->show();
        save(w.lineColor, QStringLiteral("line-colour"));
        w.lineColor->hide();
        w.import->hide();
        w.main->close();
    });
    poll->start(50);
}

} // namespace ostrel
