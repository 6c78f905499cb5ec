#pragma once
// Ostrel's own pictures, drawn as SVG in resources/ostrel.qrc: the window
// icons by their resource number (1 analog meter, 2 and 8 digital meter,
// 4 data list, 5 comparator, 7 application, 10 logo) and the tool-button
// pictures of the main window.

#include <QIcon>
#include <QPixmap>

namespace ostrel {

QIcon ResourceIcon(int id);
QPixmap ResourcePixmap(int id, QSize size);
// A tool-button picture by name: "link", "graph", "tile", "port", "about".
QIcon ButtonPicture(const char* name);

} // namespace ostrel
