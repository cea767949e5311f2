// A file manager's part in the journeys: a small window that, when the
// mouse is pressed on it, drags the files named on its command line as a
// text/uri-list, through the X server's real drag-and-drop protocol. It
// ends with 0 when the drop was taken as a copy, 1 otherwise.
// The drop's target asks for the data only after the drop: like a real
// file manager, the source stays a while to answer.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace {

class DragSource : public QWidget {
public:
    explicit DragSource(QList<QUrl> urls) : urls_(std::move(urls)) {
        setWindowTitle(QStringLiteral("xdnd-source"));
        setFixedSize(160, 100);
    }

protected:
    void mousePressEvent(QMouseEvent*) override {
        auto* drag = new QDrag(this);
        auto* data = new QMimeData;
        data->setUrls(urls_);
        drag->setMimeData(data);
        const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction);
        std::printf("xdnd-source: drop action %d\n", static_cast<int>(action));
        std::fflush(stdout);
        const int code = action == Qt::CopyAction ? 0 : 1;
        QTimer::singleShot(1500, qApp, [code] { QApplication::exit(code); });
    }

private:
    QList<QUrl> urls_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QList<QUrl> urls;
    for (int i = 1; i < argc; ++i) {
        urls << QUrl::fromLocalFile(QString::fromLocal8Bit(argv[i]));
    }
    DragSource source(urls);
    source.move(0, 0);
    source.show();
    return application.exec();
}
