// A Qt file dialog on a real folder, for the benchmark's screen captures.
#include <QApplication>
#include <QFileDialog>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QFileDialog dialog(nullptr, QStringLiteral("Open Picture"),
                       argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/usr/share"),
                       QStringLiteral("Pictures (*.bmp *.png *.jpg);;All files (*)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setViewMode(QFileDialog::Detail);
    dialog.resize(900, 600);
    dialog.show();
    return app.exec();
}
