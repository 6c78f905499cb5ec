#pragma once
// Ostrel's own pictures, drawn as SVG in resources/ostrel.qrc: the
// application icon (resource 7), the logo (10) and the tool-button pictures
// of the main window. The live windows' icons are DisplayIcon's.

#include <QIcon>
#include <QPixmap>

namespace ostrel {

QIcon ResourceIcon(int id);
QPixmap ResourcePixmap(int id, QSize size);
// A tool-button picture by name: "link", "graph", "tile", "port", "about".
QIcon ButtonPicture(const char* name);

} // namespace ostrel
