// ostrel: the desktop companion of the Tarvix multimeters.
#include <QApplication>
#include <QMainWindow>

#include <clocale>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale::c());
    QMainWindow window;
    window.setWindowTitle("Ostrel");
    window.show();
    return app.exec();
}
