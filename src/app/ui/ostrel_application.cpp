#include "app/ui/ostrel_application.h"

#include "base/ui/message_box.h"
#include "base/window_thread.h"

#include <clocale>
#include <exception>

namespace ostrel {

OstrelApplication::OstrelApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // Numbers are written and read with "." whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale::c());
    SetWindowThread();
}

void ShowExceptionMessage(const QString& what) {
    MessageRequest request;
    request.caption = QApplication::applicationName();
    request.text = what.isEmpty() ? QStringLiteral("An unexpected error occurred.") : what;
    request.icon = MessageIcon::Stop;
    ShowMessage(request);
}

bool OstrelApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowExceptionMessage(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowExceptionMessage(QString());
    }
    return false;
}

} // namespace ostrel
