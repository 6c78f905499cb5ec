#include "recorder/ui/record_panels.h"

#include "displays/panel_geometry.h"
#include "recorder/recorder_view.h"

#include <QLabel>

namespace ostrel {
namespace {

const char* const kArial = "Arial";
const char* const kSymbol = "Symbol";

// A text of a record field as the window shows it: 8-bit characters, in the
// "Symbol" typeface with the Greek letters in place of the Latin ones ("W" is
// the ohm sign); the other characters (such as the degree sign) are the same
// in both.
template <std::size_t N> QString FieldText(const std::array<char, N>& field, bool symbol) {
    const std::string_view text = FieldView(field);
    if (!symbol)
        return QString::fromLatin1(text);
    QString shown;
    for (const char c : text) {
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        shown += letter ? QString::fromStdString(SymbolTypefaceText(std::string(1, c)))
                        : QString(QChar(static_cast<unsigned char>(c)));
    }
    return shown;
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
