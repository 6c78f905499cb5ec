#pragma once
// The number of pages of a PDF file as its page objects say (-1 when it
// cannot be read).

#include <QFile>
#include <QRegularExpression>
#include <QString>

namespace ostrel::testing {

inline int PdfPages(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page[^s]"));
    return static_cast<int>(QString::fromLatin1(file.readAll()).count(page));
}

} // namespace ostrel::testing
