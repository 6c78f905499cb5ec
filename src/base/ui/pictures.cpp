#include "base/ui/pictures.h"

#include "base/ui/message_box.h"

#include <QPainter>
#include <QSvgRenderer>
#include <QToolButton>

static void InitOstrelResources() {
    Q_INIT_RESOURCE(ostrel);
}

namespace ostrel {
namespace {

QString Path(const QString& name) {
    static const bool initialised = (InitOstrelResources(), true);
    (void)initialised;
    return QStringLiteral(":/icons/") + name + QStringLiteral(".svg");
}

QIcon IconFromSvg(const QString& path) {
    QSvgRenderer renderer(path);
    QIcon icon;
    for (int side : {16, 22, 32, 48, 64}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

QIcon ResourceIcon(int id) {
    return IconFromSvg(Path(QString::number(id)));
}

QPixmap ResourcePixmap(int id, QSize size) {
    QSvgRenderer renderer(Path(QString::number(id)));
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

QIcon ButtonPicture(const char* name) {
    return IconFromSvg(Path(QString::fromLatin1(name)));
}

QToolButton* MakeToolButton(QWidget* parent, const char* name, const QIcon& icon, int hintId) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoRaise(true);
    button->setIcon(icon);
    button->setToolTip(QText(hintId));
    return button;
}

} // namespace ostrel
