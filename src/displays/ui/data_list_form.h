#pragma once
// The data list window: one line per recorded sample, newest at the bottom,
// in tabbed pages of at most 32000 lines ("Sheet1", "Sheet2", …). The
// recorder posts 1034 with the sample's buffer position and sends 1032 when
// its buffer is emptied.

#include <QEvent>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QListWidget;
class QTabWidget;

namespace ostrel {

inline constexpr int kDataListPageLines = 32000;

// The data list's message 1034: wParam is the sample's buffer position.
class AppendSampleEvent : public QEvent {
  public:
    explicit AppendSampleEvent(int position);
    int position() const { return m_position; }

  private:
    int m_position;
};

class TDataStringGridForm : public QWidget {
    Q_OBJECT
  public:
    explicit TDataStringGridForm(QWidget* parent = nullptr);

    // Where the lines come from: the line of the sample at a buffer position,
    // or nothing when there is no such sample. Set by the recorder.
    using LineSource = std::function<std::optional<std::string>(int position)>;
    void setLineSource(LineSource source) { m_lineSource = std::move(source); }

    // Append the line of the sample at position (1034).
    void appendLine(int position);
    // Drop every page and start again with an empty Sheet1 (1032).
    void clearList();

    int pageCount() const { return static_cast<int>(m_pages.size()); }
    QListWidget* list(int page) const { return m_lists.at(static_cast<std::size_t>(page)); }
    int iconResource() const { return 4; }

    QTabWidget* PageControl = nullptr;

  protected:
    bool event(QEvent* event) override;

  private:
    bool addPage();

    LineSource m_lineSource;
    std::vector<QWidget*> m_pages;
    std::vector<QListWidget*> m_lists;
};

} // namespace ostrel
