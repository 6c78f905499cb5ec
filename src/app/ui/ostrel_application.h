#pragma once
// The application object: an exception escaping an event handler is shown in
// a message box and the program goes on.

#include <QApplication>

namespace ostrel {

class OstrelApplication : public QApplication {
  public:
    OstrelApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Shows the message of an exception that escaped (through the message helper).
void ShowExceptionMessage(const QString& what);

} // namespace ostrel
