#include "base/ui/message_dialogs.h"

#include "base/busy_flag.h"
#include "base/string_table.h"
#include "base/ui/message_box.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <string>

namespace ostrel {
namespace {

constexpr int kReadCounterText = 7122; // "Reading Data : %d of %d"

} // namespace

void CentreOnScreen(QWidget* window) {
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    window->adjustSize();
    const QRect area = screen->geometry();
    const QSize size = window->frameGeometry().size();
    window->move(area.x() + (area.width() - size.width()) / 2,
                 area.y() + (area.height() - size.height()) / 2);
}

// ---------------------------------------------------------------------------

TAutoMsgForm::TAutoMsgForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowStaysOnTopHint) {
    setObjectName("AutoMsgForm");
    setModal(true);

    auto* picture = new QLabel(this);
    picture->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    lbMsg1 = new QLabel(this);
    lbMsg2 = new QLabel(this);
    lbMsg3 = new QLabel(this);
    lbMsg1->setObjectName("lbMsg1");
    lbMsg2->setObjectName("lbMsg2");
    lbMsg3->setObjectName("lbMsg3");
    QPalette black = lbMsg1->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    lbMsg1->setPalette(black);

    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName("ProgressBar");
    ProgressBar->setRange(0, kTicks);
    ProgressBar->setTextVisible(false);

    bbtnAbort = new QPushButton(tr("Abort"), this);
    bbtnAbort->setObjectName("bbtnAbort");
    bbtnYes = new QPushButton(QStringLiteral("&Continue"), this);
    bbtnYes->setObjectName("bbtnYes");
    bbtnYes->setDefault(true);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(kTickMs);

    auto* texts = new QVBoxLayout;
    texts->addWidget(lbMsg1);
    texts->addWidget(lbMsg2);
    texts->addWidget(lbMsg3);
    texts->addWidget(ProgressBar);
    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bbtnAbort);
    buttons->addWidget(bbtnYes);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    setMinimumWidth(340);

    connect(Timer1, &QTimer::timeout, this, &TAutoMsgForm::Timer1Timer);
    connect(bbtnAbort, &QPushButton::clicked, this, &TAutoMsgForm::bbtnAbortClick);
    connect(bbtnYes, &QPushButton::clicked, this, &TAutoMsgForm::bbtnYesClick);
    resetCountdown();
}

void TAutoMsgForm::resetCountdown() {
    ProgressBar->setValue(0);
}

void TAutoMsgForm::showEvent(QShowEvent* event) {
    resetCountdown();
    CentreOnScreen(this);
    QDialog::showEvent(event);
}

void TAutoMsgForm::reject() {}

void TAutoMsgForm::setMessage(const QString& caption, const QString& line1, const QString& line2,
                              const QString& line3) {
    lbMsg1->setText(line1);
    lbMsg2->setText(line2);
    lbMsg3->setText(line3);
    setWindowTitle(caption);
}

int TAutoMsgForm::showModal() {
    Timer1->start();
    resetCountdown();
    if (HasMessageAnswerer()) {
        MessageRequest request;
        request.owner = parentWidget();
        request.caption = windowTitle();
        request.text = lbMsg1->text();
        for (QLabel* line : {lbMsg2, lbMsg3})
            if (!line->text().isEmpty())
                request.text += '\n' + line->text();
        request.icon = MessageIcon::Warning;
        request.kind = MessageKind::AutoContinue;
        Timer1->stop();
        return ShowMessage(request);
    }
    return exec();
}

void TAutoMsgForm::Timer1Timer() {
    ProgressBar->setValue(ProgressBar->value() + 1);
    if (ProgressBar->value() >= ProgressBar->maximum()) {
        Timer1->stop();
        done(ResultTimeOut);
    }
}

void TAutoMsgForm::bbtnAbortClick() {
    Timer1->stop();
    done(ResultAbort);
}

void TAutoMsgForm::bbtnYesClick() {
    Timer1->stop();
    done(ResultContinue);
}

// ---------------------------------------------------------------------------

TMsgForm::TMsgForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_home(parent) {
    setObjectName("MsgForm");

    MsgPanel = new QLabel(this);
    MsgPanel->setObjectName("MsgPanel");
    MsgPanel->setAlignment(Qt::AlignCenter);
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setAlignment(Qt::AlignCenter);
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName("ProgressBar");
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    bbtnAbort = new QPushButton(tr("Abort"), this);
    bbtnAbort->setObjectName("bbtnAbort");

    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Raised);
    auto* inner = new QVBoxLayout(frame);
    inner->addWidget(MsgPanel);
    inner->addWidget(Label1);
    inner->addWidget(ProgressBar);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bbtnAbort);
    buttons->addStretch();
    inner->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame);
    setMinimumWidth(380);

    connect(bbtnAbort, &QPushButton::clicked, this, &TMsgForm::bbtnAbortClick);
}

void TMsgForm::bbtnAbortClick() {
    if (m_busy)
        m_busy->set(false);
    emit aborted();
}

void TMsgForm::showEvent(QShowEvent* event) {
    CentreOnScreen(this);
    QDialog::showEvent(event);
}

void TMsgForm::showOver(QWidget* owner) {
    if (owner && parentWidget() != owner)
        setParent(owner, windowFlags());
    show();
    raise();
    activateWindow();
}

void TMsgForm::setVisible(bool visible) {
    QDialog::setVisible(visible);
    if (!visible && parentWidget() != m_home)
        setParent(m_home, windowFlags());
}

void TMsgForm::setMessage(const QString& text) {
    MsgPanel->setText(text);
}

void TMsgForm::setRichMessage(const QString& html) {
    MsgPanel->setTextFormat(Qt::RichText);
    MsgPanel->setText(html);
}

void TMsgForm::setMessageColour(const QString& colour) {
    MsgPanel->setStyleSheet(colour.isEmpty() ? QString()
                                             : QStringLiteral("color: %1;").arg(colour));
}

void TMsgForm::setCounter(const QString& text) {
    Label1->setText(text);
}

void TMsgForm::setReadCounter(std::int64_t done, std::int64_t total) {
    const auto shown = [](std::int64_t n) {
        return std::to_string(std::clamp<std::int64_t>(n, 0, INT32_MAX));
    };
    Label1->setText(
        QString::fromStdString(FormatText(kReadCounterText, {shown(done), shown(total)})));
}

void TMsgForm::setBar(int done, int total) {
    ProgressBar->setRange(0, total);
    ProgressBar->setValue(done);
}

void TMsgForm::setBarValue(int done) {
    ProgressBar->setValue(done);
}

void TMsgForm::fillBar() {
    ProgressBar->setValue(ProgressBar->maximum());
}

void TMsgForm::setAbortEnabled(bool enabled) {
    bbtnAbort->setEnabled(enabled);
}

void TMsgForm::startProgress(QWidget* owner, int steps) {
    Label1->clear();
    setBar(0, steps);
    bbtnAbort->setEnabled(true);
    showOver(owner);
}

void TMsgForm::finishProgress() {
    bbtnAbort->setEnabled(true);
    hide();
}

void TMsgForm::reject() {
    // Escape acts like Abort; the caller hides the dialog when it has stopped.
    bbtnAbortClick();
}

} // namespace ostrel
