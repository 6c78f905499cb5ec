#include "recorder/ui/record_panels.h"

#include "displays/panel_geometry.h"
#include "recorder/recorder_view.h"

#include <QLabel>

namespace ostrel {
namespace {

const char* const kArial = "Arial";
const char* const kSymbol = "Symbol";

// A text of a record field as the window shows it; in the "Symbol" typeface
// the letters are the Greek ones ("W" is the ohm sign).
template <std::size_t N> QString FieldText(const std::array<char, N>& field, bool symbol) {
    const std::string text(FieldView(field));
    return symbol ? QString::fromStdString(SymbolTypefaceText(text)) : QString::fromLatin1(text);
}

void SetLook(QLabel* panel, bool symbol, Qt::Alignment alignment) {
    QFont font = panel->font();
    font.setFamily(QString::fromLatin1(symbol ? kSymbol : kArial));
    panel->setFont(font);
    panel->setAlignment(alignment | Qt::AlignVCenter);
}

} // namespace

void ShowRecordPanels(const TBRecord& record, QLabel* data, QLabel* unit, QLabel* function) {
    const PanelLook look = ReadoutLook(record.function);
    data->setText(QString::fromLatin1(FieldView(record.dataText)));
    SetLook(unit, look.unitSymbol, look.unitRight ? Qt::AlignRight : Qt::AlignHCenter);
    unit->setText(FieldText(record.unitText, look.unitSymbol));
    SetLook(function, look.functionSymbol, look.functionLeft ? Qt::AlignLeft : Qt::AlignHCenter);
    function->setText(FieldText(record.functionText, look.functionSymbol));
}

} // namespace ostrel
