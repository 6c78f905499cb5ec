#include "base/ui/message_box.h"

#include "base/string_table.h"
#include "base/window_thread.h"

#include <mutex>

namespace ostrel {
namespace {

std::mutex& AnswererLock() {
    static std::mutex lock;
    return lock;
}

MessageAnswerer& Answerer() {
    static MessageAnswerer answerer;
    return answerer;
}

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Stop:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MessageAnswerer SetMessageAnswerer(MessageAnswerer answerer) {
    std::lock_guard lock(AnswererLock());
    MessageAnswerer previous = std::move(Answerer());
    Answerer() = std::move(answerer);
    return previous;
}

bool HasMessageAnswerer() {
    std::lock_guard lock(AnswererLock());
    return static_cast<bool>(Answerer());
}

int ShowMessage(const MessageRequest& request) {
    CheckWindowThread("the message helper");
    MessageAnswerer answerer;
    {
        std::lock_guard lock(AnswererLock());
        answerer = Answerer();
    }
    if (answerer)
        return answerer(request);

    QMessageBox box(BoxIcon(request.icon), request.caption, request.text, request.buttons,
                    request.owner);
    if (request.defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(request.defaultButton);
    box.setWindowModality(request.owner ? Qt::WindowModal : Qt::ApplicationModal);
    return box.exec();
}

int ShowNumberedMessage(QWidget* owner, int formatId, int textId) {
    MessageRequest request;
    request.owner = owner;
    request.caption = QNumberedCaption(formatId, textId);
    request.text = QText(textId);
    request.icon = MessageIcon::Stop;
    request.buttons = QMessageBox::Ok;
    return ShowMessage(request);
}

QString QText(int id) {
    const std::string_view text = Text(id);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString QNumberedCaption(int formatId, int textId) {
    return QString::fromStdString(NumberedCaption(formatId, textId));
}

QString QNumberedLine(int formatId, int textId) {
    return QString::fromStdString(NumberedLine(formatId, textId));
}

ScopedMessageAnswerer::ScopedMessageAnswerer(int answer)
    : ScopedMessageAnswerer([answer](const MessageRequest&) { return answer; }) {}

ScopedMessageAnswerer::ScopedMessageAnswerer(std::function<int(const MessageRequest&)> answer) {
    m_previous = SetMessageAnswerer([this, answer](const MessageRequest& request) {
        m_requests.push_back(request);
        return answer(request);
    });
}

ScopedMessageAnswerer::~ScopedMessageAnswerer() {
    SetMessageAnswerer(std::move(m_previous));
}

int ScopedMessageAnswerer::countText(const QString& text) const {
    int n = 0;
    for (const auto& r : m_requests)
        if (r.text == text)
            ++n;
    return n;
}

} // namespace ostrel
