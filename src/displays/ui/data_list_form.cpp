#include "displays/ui/data_list_form.h"

#include "base/string_table.h"
#include "base/ui/window_messages.h"
#include "displays/ui/live_windows.h"

#include <QListWidget>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace ostrel {

AppendSampleEvent::AppendSampleEvent(int position)
    : QEvent(EventType(kMsgAppendSample)), m_position(position) {}

TDataStringGridForm::TDataStringGridForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("DataStringGridForm"));
    setWindowTitle(QString::fromUtf8(Text(103).data(), static_cast<int>(Text(103).size())));
    setWindowIcon(DisplayIcon(4));

    const ScreenMetrics metrics = CurrentScreenMetrics(this);
    const LiveWindows& windows = TheLiveWindows();
    const PixelSize smallest = DataListMinimumSize(metrics);
    const PixelRect largest = DataListMaximised(metrics);
    if (smallest.width > 0 && smallest.height > 0) {
        setMinimumSize(smallest.width, std::min(smallest.height, std::max(1, largest.height)));
        setMaximumSize(std::max(smallest.width, largest.width),
                       std::max(smallest.height, largest.height));
    }
    PlaceWindow(this, DataListPlacement(metrics, OuterHeight(windows.digitalMeter),
                                        OuterHeight(windows.analogMeter)));

    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PageControl);
    addPage();
}

bool TDataStringGridForm::addPage() {
    const QString caption = QStringLiteral("Sheet%1").arg(m_pages.size() + 1);
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("ts") + caption);
    auto* list = new QListWidget(page);
    list->setObjectName(QStringLiteral("DataList"));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list);
    PageControl->addTab(page, caption);
    m_pages.push_back(page);
    m_lists.push_back(list);
    PageControl->setCurrentWidget(page);
    return true;
}

void TDataStringGridForm::appendLine(int position) {
    if (!m_lineSource || m_lists.empty())
        return;
    const std::optional<std::string> line = m_lineSource(position);
    if (!line)
        return;
    PageControl->setCurrentWidget(m_pages.back());
    QListWidget* list = m_lists.back();
    list->setUpdatesEnabled(false);
    list->addItem(QString::fromLatin1(*line));
    list->setCurrentRow(list->count() - 1);
    list->setUpdatesEnabled(true);
    if (list->count() >= kDataListPageLines)
        addPage();
}

void TDataStringGridForm::clearList() {
    for (QListWidget* list : m_lists)
        list->clear();
    for (auto it = m_pages.rbegin(); it != m_pages.rend(); ++it) {
        PageControl->removeTab(PageControl->indexOf(*it));
        delete *it; // its list goes with it
    }
    m_pages.clear();
    m_lists.clear();
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
