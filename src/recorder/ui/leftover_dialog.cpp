#include "recorder/ui/leftover_dialog.h"

#include "base/string_table.h"
#include "base/ui/message_box.h"
#include "base/ui/pictures.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace ostrel {
namespace {

constexpr int kLeftoverCaptionText = 8040;
constexpr int kExplanationText = 8041;
constexpr int kFileColumnText = 8042;        // "File"
constexpr int kSamplesColumnText = 8043;     // "Samples"
constexpr int kFirstSampleColumnText = 8044; // "First sample"
constexpr int kLastSampleColumnText = 8045;  // "Last sample"
constexpr int kColumnTexts[] = {kFileColumnText, kSamplesColumnText, kFirstSampleColumnText,
                                kLastSampleColumnText};
constexpr int kOpenText = 8046;
constexpr int kKeepText = 8047;
constexpr int kDeleteText = 8048;

QPushButton* MakeButton(int textId, const char* name, QWidget* parent) {
    auto* button = new QPushButton(QText(textId), parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

} // namespace

TLeftoverDialog::TLeftoverDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("LeftoverDialog");
    setWindowTitle(QText(kLeftoverCaptionText));
    setWindowIcon(ResourceIcon(7));
    setModal(true);

    auto* explanation = new QLabel(QText(kExplanationText), this);
    explanation->setObjectName("lbExplanation");
    explanation->setWordWrap(true);

    lvFiles = new QTreeWidget(this);
    lvFiles->setObjectName("lvFiles");
    lvFiles->setRootIsDecorated(false);
    lvFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    QStringList headers;
    for (int id : kColumnTexts)
        headers << QText(id);
    lvFiles->setHeaderLabels(headers);
    lvFiles->header()->setStretchLastSection(true);
    lvFiles->setMinimumWidth(520);

    bbtnOpen = MakeButton(kOpenText, "bbtnOpen", this);
    bbtnKeep = MakeButton(kKeepText, "bbtnKeep", this);
    bbtnDelete = MakeButton(kDeleteText, "bbtnDelete", this);
    bbtnKeep->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(bbtnOpen);
    buttons->addWidget(bbtnDelete);
    buttons->addStretch();
    buttons->addWidget(bbtnKeep);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addWidget(lvFiles, 1);
    layout->addLayout(buttons);

    connect(bbtnOpen, &QPushButton::clicked, this, &TLeftoverDialog::bbtnOpenClick);
    connect(bbtnKeep, &QPushButton::clicked, this, &TLeftoverDialog::bbtnKeepClick);
    connect(bbtnDelete, &QPushButton::clicked, this, &TLeftoverDialog::bbtnDeleteClick);
    connect(lvFiles, &QTreeWidget::itemSelectionChanged, this, &TLeftoverDialog::refreshButtons);
    connect(lvFiles, &QTreeWidget::itemActivated, this, [this] {
        if (bbtnOpen->isEnabled())
            bbtnOpenClick();
    });
}

void TLeftoverDialog::setFiles(const std::vector<LeftoverFile>& files) {
    m_files = files;
    m_choice = Choice::Keep;
    lvFiles->clear();
    for (const LeftoverFile& file : files) {
        const LeftoverSummary summary = SummariseLeftover(file);
        auto* item = new QTreeWidgetItem(lvFiles);
        item->setText(0, QString::fromLocal8Bit(file.name));
        item->setText(1, QString::number(std::min<std::int64_t>(file.entries, INT_MAX)));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setText(2, QString::fromLatin1(summary.firstTime).trimmed());
        item->setText(3, (QString::fromLatin1(summary.date) + ' ' +
                          QString::fromLatin1(summary.lastTime).trimmed())
                             .trimmed());
    }
    for (int column = 0; column < lvFiles->columnCount(); ++column)
        lvFiles->resizeColumnToContents(column);
    choose({0});
    lvFiles->setFocus();
}

void TLeftoverDialog::choose(const std::vector<int>& rows) {
    lvFiles->clearSelection();
    for (int row : rows)
        if (QTreeWidgetItem* item = lvFiles->topLevelItem(row)) {
            item->setSelected(true);
            lvFiles->setCurrentItem(item, 0, QItemSelectionModel::Select);
        }
    refreshButtons();
}

std::vector<LeftoverFile> TLeftoverDialog::chosen() const {
    std::vector<LeftoverFile> out;
    for (int row = 0; row < lvFiles->topLevelItemCount(); ++row)
        if (lvFiles->topLevelItem(row)->isSelected() && row < static_cast<int>(m_files.size()))
            out.push_back(m_files[static_cast<std::size_t>(row)]);
    return out;
}

void TLeftoverDialog::refreshButtons() {
    const std::size_t n = chosen().size();
    bbtnOpen->setEnabled(n == 1); // the recorder holds one recording at a time
    bbtnDelete->setEnabled(n >= 1);
}

void TLeftoverDialog::bbtnOpenClick() {
    m_choice = Choice::Open;
    accept();
}

void TLeftoverDialog::bbtnKeepClick() {
    m_choice = Choice::Keep;
    QDialog::reject();
}

void TLeftoverDialog::bbtnDeleteClick() {
    m_choice = Choice::Delete;
    accept();
}

void TLeftoverDialog::reject() {
    bbtnKeepClick();
}

} // namespace ostrel
