#include "displays/ui/data_list_form.h"

#include "base/string_table.h"
#include "base/ui/message_box.h"
#include "base/ui/window_messages.h"
#include "displays/ui/live_windows.h"

#include <QListView>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>
#include <new>

namespace ostrel {
namespace {

// The window's caption, "Data list".
constexpr int kDataListCaptionText = 103;

constexpr int kOutOfMemoryText = 9006;

} // namespace

AppendSampleEvent::AppendSampleEvent(std::int64_t position)
    : QEvent(EventType(kMsgAppendSample)), m_position(position) {}

DataSheetModel::DataSheetModel(const DataLineSource& source, std::int64_t first, QObject* parent)
    : QAbstractListModel(parent), m_source(source), m_first(first) {}

int DataSheetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_count;
}

QVariant DataSheetModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_count || !m_source)
        return QVariant();
    const std::optional<std::string> line = m_source(m_first + index.row());
    return line ? QVariant(QString::fromLatin1(*line)) : QVariant();
}

void DataSheetModel::grow(int n) {
    if (n <= 0)
        return;
    beginInsertRows(QModelIndex(), m_count, m_count + n - 1);
    m_count += n;
    endInsertRows();
}

TDataStringGridForm::TDataStringGridForm(QWidget* parent, const LiveWindows& placeBelow)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("DataStringGridForm"));
    setWindowTitle(QText(kDataListCaptionText));
    setWindowIcon(DisplayIcon(4));

    const ScreenMetrics metrics = CurrentScreenMetrics(this, placeBelow.mainWindow);
    const PixelSize smallest = DataListMinimumSize(metrics);
    const PixelRect largest = DataListMaximised(metrics);
    if (smallest.width > 0 && smallest.height > 0)
        SetFrameSizeLimits(this,
                           {smallest.width, std::min(smallest.height, std::max(1, largest.height))},
                           {largest.width, largest.height});
    PlaceWindow(this, DataListPlacement(metrics, OuterHeight(placeBelow.digitalMeter),
                                        OuterHeight(placeBelow.analogMeter)));

    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PageControl);
    addPage();
}

bool TDataStringGridForm::addPage() {
    try {
        const QString caption = QStringLiteral("Sheet%1").arg(m_pages.size() + 1);
        auto page = std::make_unique<QWidget>();
        page->setObjectName(QStringLiteral("ts") + caption);
        auto* list = new QListView(page.get());
        list->setObjectName(QStringLiteral("DataList"));
        list->setUniformItemSizes(true);
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        const std::int64_t first =
            m_models.empty() ? 0 : m_models.back()->first() + m_models.back()->count();
        auto* model = new DataSheetModel(m_lineSource, first, list);
        list->setModel(model);
        auto* layout = new QVBoxLayout(page.get());
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(list);
        // Room first, so that the page joins all three lists or none.
        m_pages.reserve(m_pages.size() + 1);
        m_lists.reserve(m_lists.size() + 1);
        m_models.reserve(m_models.size() + 1);
        PageControl->addTab(page.get(), caption);
        m_pages.push_back(page.release());
        m_lists.push_back(list);
        m_models.push_back(model);
        PageControl->setCurrentWidget(m_pages.back());
        return true;
    } catch (const std::bad_alloc&) {
        ShowNumberedMessage(this, kErrorCaption, kOutOfMemoryText);
        return false;
    }
}

std::int64_t TDataStringGridForm::nextPosition() const {
    if (m_models.empty())
        return 0;
    return m_models.back()->first() + m_models.back()->count();
}

void TDataStringGridForm::appendLine(std::int64_t position) {
    const std::int64_t next = nextPosition();
    if (position >= next) // a position listed already (a message from before a clear) is dropped
        appendLines(next, position);
}

void TDataStringGridForm::appendLines(std::int64_t first, std::int64_t last) {
    if (!m_lineSource || m_models.empty() || last < first || first != nextPosition())
        return;
    try {
        // The newest line must exist in the buffer (a message may arrive after
        // the buffer it was meant for was emptied).
        if (!m_lineSource(last))
            return;
        std::int64_t position = first;
        int linePage = -1;
        while (position <= last) {
            DataSheetModel* model = m_models.back();
            std::int64_t room = kDataListPageLines - model->count();
            if (room <= 0) // a page could not be added: the lines stay on the last one
                room = kDataListPageLines;
            const int n = static_cast<int>(std::min<std::int64_t>(room, last - position + 1));
            model->grow(n);
            linePage = pageCount() - 1;
            position += n;
            if (model->count() >= kDataListPageLines && !addPage())
                break;
        }
        // Only the newest line is selected (and shown); the pages filled on
        // the way lay themselves out when they are looked at.
        if (linePage >= 0)
            showLast(linePage);
    } catch (const std::bad_alloc&) {
        for (QListView* list : m_lists)
            list->setUpdatesEnabled(true);
        ShowNumberedMessage(this, kErrorCaption, kOutOfMemoryText);
    }
}

void TDataStringGridForm::showLast(int page) {
    QListView* list = m_lists[static_cast<std::size_t>(page)];
    DataSheetModel* model = m_models[static_cast<std::size_t>(page)];
    list->setUpdatesEnabled(false);
    if (model->count() > 0)
        list->setCurrentIndex(model->index(model->count() - 1));
    list->setUpdatesEnabled(true);
    // New lines go to the last page, which is the one shown.
    PageControl->setCurrentIndex(pageCount() - 1);
}

QString TDataStringGridForm::lineText(int page, int row) const {
    const DataSheetModel* model = sheet(page);
    return model->data(model->index(row)).toString();
}

void TDataStringGridForm::clearList() {
    for (auto it = m_pages.rbegin(); it != m_pages.rend(); ++it) {
        PageControl->removeTab(PageControl->indexOf(*it));
        delete *it; // its list and model go with it
    }
    m_pages.clear();
    m_lists.clear();
    m_models.clear();
    addPage();
}

bool TDataStringGridForm::event(QEvent* event) {
    if (event->type() == EventType(kMsgClearList)) {
        clearList();
        return true;
    }
    if (event->type() == EventType(kMsgAppendSample)) {
        if (auto* append = dynamic_cast<AppendSampleEvent*>(event))
            appendLine(append->position());
        return true;
    }
    return QWidget::event(event);
}

} // namespace ostrel
