// A user's window of one known colour for the capture journeys:
//   solid_window TITLE #RRGGBB
// Runs on whichever display plugin QT_QPA_PLATFORM names, so on a Wayland
// desktop it can be a native Wayland window that no X server sees.
#include <QApplication>
#include <QColor>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 3) {
        return 2;
    }
    QWidget window;
    window.setWindowTitle(arguments.at(1));
    window.setAutoFillBackground(true);
    QPalette colours = window.palette();
    colours.setColor(QPalette::Window, QColor(arguments.at(2)));
    window.setPalette(colours);
    window.show();
    return QApplication::exec();
}
