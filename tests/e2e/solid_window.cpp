// A user's window of one known colour for the capture journeys:
//   solid_window TITLE #RRGGBB [WIDTH HEIGHT]
// Runs on whichever display plugin QT_QPA_PLATFORM names, so on a Wayland
// desktop it can be a native Wayland window that no X server sees.
#include <QApplication>
#include <QColor>
#include <QWidget>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 3 && arguments.size() != 5) {
        std::fputs("usage: solid_window TITLE #RRGGBB [WIDTH HEIGHT]\n", stderr);
        return 2;
    }
    QWidget window;
    window.setWindowTitle(arguments.at(1));
    window.setAutoFillBackground(true);
    QPalette colours = window.palette();
    colours.setColor(QPalette::Window, QColor(arguments.at(2)));
    window.setPalette(colours);
    if (arguments.size() == 5) {
        window.resize(arguments.at(3).toInt(), arguments.at(4).toInt());
    }
    window.show();
    return QApplication::exec();
}
