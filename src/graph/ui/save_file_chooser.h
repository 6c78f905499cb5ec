#pragma once
// The save dialog of the exports, behind one function that tests can answer
// instead of a user (as the message boxes are answered).

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace ostrel {

struct SaveFileRequest {
    QWidget* owner = nullptr;
    QStringList filters;  // "CSV files (*.csv)", …; the first is selected
    QStringList suffixes; // the default extension of each filter, without the dot
    QString fileName;     // proposed name
};

// Answers a request instead of the user: the chosen path, empty for Cancel.
using SaveFileAnswerer = std::function<QString(const SaveFileRequest&)>;

// Install an answerer (nullptr: the real dialog again). Returns the previous one.
SaveFileAnswerer SetSaveFileAnswerer(SaveFileAnswerer answerer);

// A modal save dialog that asks before it overwrites a file and adds the
// selected filter's extension to a name without one. The chosen path, or an
// empty text when the user cancelled. Window thread only.
QString ChooseSaveFile(const SaveFileRequest& request);

} // namespace ostrel
