#pragma once
// Every message box of Ostrel goes through ShowMessage: one place that builds
// the modal box, and one place a test can answer instead of a user. The
// numbered message helper forms its caption from a caption format and the
// message's own number ("Error[E9015]").

#include <QMessageBox>
#include <QString>

#include <functional>
#include <vector>

class QWidget;

namespace ostrel {

enum class MessageIcon { None, Information, Warning, Question, Stop };

// What kind of window asks: a plain message box, or the auto-continuing
// dialog (whose answers are 3 Abort, 4 Continue, 6 time ran out).
enum class MessageKind { Box, AutoContinue };

struct MessageRequest {
    QWidget* owner = nullptr;
    QString caption;
    QString text;
    MessageIcon icon = MessageIcon::Stop;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    MessageKind kind = MessageKind::Box;
};

// Answers a request instead of the user; returns what the box would return
// (a QMessageBox::StandardButton for boxes, the modal result for the
// auto-continuing dialog).
using MessageAnswerer = std::function<int(const MessageRequest&)>;

// Install an answerer (nullptr: the real boxes again). Returns the previous one.
MessageAnswerer SetMessageAnswerer(MessageAnswerer answerer);
bool HasMessageAnswerer();

// Show a modal message box (or hand it to the installed answerer). Window
// thread only.
int ShowMessage(const MessageRequest& request);

// The numbered message: text textId, caption formatId filled with textId, one
// OK button and the stop icon, owned by owner.
int ShowNumberedMessage(QWidget* owner, int formatId, int textId);

// The text of the string table as a QString.
QString QText(int id);
QString QNumberedCaption(int formatId, int textId);
// The caption and the text on one line ("Warning[W8012]: Acquiring …"), as
// the progress dialog's message line shows a numbered text.
QString QNumberedLine(int formatId, int textId);

// Test helper: answers every request with a fixed result (or a function) and
// remembers the requests; restores the previous answerer when it goes.
class ScopedMessageAnswerer {
  public:
    explicit ScopedMessageAnswerer(int answer = QMessageBox::Ok);
    explicit ScopedMessageAnswerer(std::function<int(const MessageRequest&)> answer);
    ~ScopedMessageAnswerer();
    ScopedMessageAnswerer(const ScopedMessageAnswerer&) = delete;
    ScopedMessageAnswerer& operator=(const ScopedMessageAnswerer&) = delete;

    const std::vector<MessageRequest>& requests() const { return m_requests; }
    int count() const { return static_cast<int>(m_requests.size()); }
    // How many requests carried this text.
    int countText(const QString& text) const;

  private:
    std::vector<MessageRequest> m_requests;
    MessageAnswerer m_previous;
};

} // namespace ostrel
