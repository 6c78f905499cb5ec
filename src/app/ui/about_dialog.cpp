#include "app/ui/about_dialog.h"

#include "app/ui/app_texts.h"

#include "app/ui/meter_access.h"
#include "base/build_info.h"
#include "base/ui/message_box.h"
#include "base/ui/message_dialogs.h"
#include "base/ui/pictures.h"
#include "link/hid_transport.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTextBlock>
#include <QVBoxLayout>

#include <sys/utsname.h>

namespace ostrel {
namespace {

constexpr int kCopyrightText = 4; // "Copyright (C) the Ostrel developers."
constexpr int kWarrantyText = 5;  // "Ostrel comes with no warranty; use it at your own risk."

} // namespace

QString PlatformLine(const QString& kernelName, const QString& kernelRelease) {
    static const QRegularExpression version(QStringLiteral("^(\\d+)(?:\\.(\\d+))?"));
    const auto match = version.match(kernelRelease);
    const QString major = match.hasMatch() ? match.captured(1) : QStringLiteral("0");
    const QString minor =
        match.hasMatch() && !match.captured(2).isEmpty() ? match.captured(2) : QStringLiteral("0");
    const QString name = kernelName.isEmpty() ? QStringLiteral("Unknown") : kernelName;
    return QStringLiteral("System: %1 %2.%3")
        .arg(name, QString::number(major.toInt()), QString::number(minor.toInt()));
}

TDlgAboutForm::TDlgAboutForm(MeterAccess& access, QWidget* parent)
    : QDialog(parent), m_access(access) {
    setObjectName("DlgAboutForm");
    setWindowTitle(QText(kAboutText));
    setWindowIcon(ResourceIcon(7));

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Sunken);

    Image1 = new QLabel(Panel1);
    Image1->setObjectName("Image1");
    Image1->setPixmap(ResourcePixmap(7, QSize(48, 48)));
    Image1->setFixedSize(48, 48);
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->installEventFilter(this);

    ImageLogo = new QLabel(Panel1);
    ImageLogo->setObjectName("ImageLogo");
    ImageLogo->setPixmap(ResourcePixmap(10, QSize(64, 64)));
    ImageLogo->setFixedSize(64, 64);

    Memo1 = new QPlainTextEdit(Panel1);
    Memo1->setObjectName("Memo1");
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setMinimumSize(400, 170);
    Memo1->setGeometry(96, 8, 400, 170);
    Panel1->setFixedSize(96 + 400 + 8, 170 + 16);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Panel1);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // The pictures sit centred in the strip left of the memo.
    const int memoLeft = Memo1->geometry().left();
    ImageLogo->move((memoLeft - ImageLogo->width()) / 2, Memo1->geometry().top());
    Image1->move((memoLeft - Image1->width()) / 2, Panel1->height() / 2 - Image1->height() / 2);

    struct utsname names {};
    QString kernel, release;
    if (uname(&names) == 0) {
        kernel = QString::fromLocal8Bit(names.sysname);
        release = QString::fromLocal8Bit(names.release);
    }
    QStringList lines = {QText(kMakerNameText),
                         QText(kProgramNameText),
                         QString::fromStdString(VersionLine()),
                         QString::fromStdString(ReleaseDateLine()),
                         QText(kCopyrightText),
                         QText(kWarrantyText),
                         PlatformLine(kernel, release),
                         QString(),
                         QString()};
    Memo1->setPlainText(lines.join('\n'));
    Memo1->setReadOnly(true);
    ImageLogo->hide();
}

QString TDlgAboutForm::line(int index) const {
    return Memo1->document()->findBlockByNumber(index).text();
}

void TDlgAboutForm::setLine(int index, const QString& text) {
    QStringList lines = Memo1->toPlainText().split('\n');
    while (lines.size() < kLines)
        lines.append(QString());
    lines[index] = text;
    Memo1->setPlainText(lines.join('\n'));
}

void TDlgAboutForm::showEvent(QShowEvent* event) {
    setLine(7, QString());
    setLine(8, QString());
    CentreOnScreen(this);
    QDialog::showEvent(event);
}

bool TDlgAboutForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease) {
        Image1Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TDlgAboutForm::Image1Click() {
    std::unique_ptr<HidDevice> cable = m_access.openCable();
    if (!cable) {
        setLine(7, QString());
        setLine(8, QString());
        return;
    }
    setLine(7, QString::fromStdString(CableFirmwareLine(cable->attributes().releaseNumber)));
    const std::string serial = cable->serialNumber();
    cable.reset();
    setLine(8, serial.empty() ? QString()
                              : QString::fromStdString(CableSerialLine(SerialNumberBytes(serial))));
}

} // namespace ostrel
