#pragma once
// Ostrel's own pictures, drawn as SVG in resources/ostrel.qrc: the
// application icon (resource 7), the logo (10) and the tool-button pictures
// of the main window. The live windows' icons are DisplayIcon's.

#include <QIcon>
#include <QPixmap>

class QToolButton;
class QWidget;

namespace ostrel {

QIcon ResourceIcon(int id);
QPixmap ResourcePixmap(int id, QSize size);
// A tool-button picture by name: "link", "graph", "tile", "port", "about".
QIcon ButtonPicture(const char* name);
// A flat tool button with a picture and, as its hint, the numbered text hintId.
QToolButton* MakeToolButton(QWidget* parent, const char* name, const QIcon& icon, int hintId);

} // namespace ostrel
