#pragma once
// A live window whose update thread must know, without touching the widget,
// whether the window is on screen (visible and not minimised).

#include <QEvent>
#include <QWidget>

#include <atomic>

namespace ostrel {

class ShowingWidget : public QWidget {
  public:
    using QWidget::QWidget;

    // Safe to call from any thread.
    bool isShowing() const { return m_showing.load(); }

  protected:
    void changeEvent(QEvent* event) override {
        QWidget::changeEvent(event);
        if (event->type() == QEvent::WindowStateChange)
            noteShowing();
    }
    void showEvent(QShowEvent* event) override {
        QWidget::showEvent(event);
        noteShowing();
    }
    void hideEvent(QHideEvent* event) override {
        QWidget::hideEvent(event);
        m_showing.store(false);
    }

  private:
    void noteShowing() { m_showing.store(isVisible() && !isMinimized()); }

    std::atomic<bool> m_showing{false};
};

} // namespace ostrel
