#pragma once
// The data list window: one line per recorded sample, newest at the bottom,
// in tabbed pages of at most 32000 lines ("Sheet1", "Sheet2", …). The
// recorder posts 1034 with the sample's buffer position and sends 1032 when
// its buffer is emptied.
//
// A page is a list view over a model that holds only the range of buffer
// positions it shows; each line's text is made from the sample buffer when it
// is drawn. A million lines therefore cost no memory beyond the buffer, and an
// append costs the same at the first line and at the millionth.

#include "displays/ui/live_windows.h"

#include <QAbstractListModel>
#include <QEvent>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QListView;
class QTabWidget;

namespace ostrel {

inline constexpr int kDataListPageLines = 32000;

// The data list's message 1034: wParam is the sample's buffer position.
class AppendSampleEvent : public QEvent {
  public:
    explicit AppendSampleEvent(std::int64_t position);
    std::int64_t position() const { return m_position; }

  private:
    std::int64_t m_position;
};

// Where the lines come from: the line of the sample at a buffer position, or
// nothing when there is no such sample. Set by the recorder.
using DataLineSource = std::function<std::optional<std::string>(std::int64_t position)>;

// The lines of one page: buffer positions first … first + count - 1.
class DataSheetModel : public QAbstractListModel {
    Q_OBJECT
  public:
    DataSheetModel(const DataLineSource& source, std::int64_t first, QObject* parent);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    std::int64_t first() const { return m_first; }
    int count() const { return m_count; }
    // Add n lines at the end.
    void grow(int n);

  private:
    const DataLineSource& m_source;
    std::int64_t m_first;
    int m_count = 0;
};

class TDataStringGridForm : public QWidget {
    Q_OBJECT
  public:
    explicit TDataStringGridForm(QWidget* parent = nullptr, const LiveWindows& placeBelow = {});

    void setLineSource(DataLineSource source) { m_lineSource = std::move(source); }

    // Append the line of the sample at position (1034). Positions already
    // listed are ignored; positions skipped since the last line are listed
    // with it, so that the pages always show the buffer from its start.
    void appendLine(std::int64_t position);
    // Append the lines of positions first … last at once (a loaded file).
    void appendLines(std::int64_t first, std::int64_t last);
    // Drop every page and start again with an empty Sheet1 (1032).
    void clearList();

    int pageCount() const { return static_cast<int>(m_pages.size()); }
    QListView* list(int page) const { return m_lists.at(static_cast<std::size_t>(page)); }
    DataSheetModel* sheet(int page) const { return m_models.at(static_cast<std::size_t>(page)); }
    // The text of a line as shown (page and row from 0).
    QString lineText(int page, int row) const;
    // Buffer position the next line will show.
    std::int64_t nextPosition() const;
    int iconResource() const { return 4; }

  protected:
    bool event(QEvent* event) override;

  private:
    QTabWidget* PageControl = nullptr;

    bool addPage();
    void showLast(int page);

    DataLineSource m_lineSource;
    std::vector<QWidget*> m_pages;
    std::vector<QListView*> m_lists;
    std::vector<DataSheetModel*> m_models;
};

} // namespace ostrel
