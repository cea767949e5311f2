// The editor's capture command on a real X server: the editor hides while
// the capture window is open, and comes back with the captured rows drawn.
// Where the capture window opens at the screen's edge is its own test's.
#include "EditorFixture.h"
#include "capture/window/frmCopy.h"
#include "editor/frames/FrameRows.h"
#include "editor/frames/PictureBox.h"
#include "tests/QtWait.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

namespace {

class EditorCaptureX11 : public EditorTest {
protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb")
            << "run under an X server (tests/with_x.sh)";
        EditorTest::SetUp();
        editor->move(120, 90);
        // Framed by the window manager, and where Qt thinks it is.
        ASSERT_TRUE(
            waitUntil([&] { return framed(editor) && framePosition(editor) == editor->pos(); }));
    }

    // The window manager's frame is round the window, as the window system
    // reports it now (a widget's own frame geometry may lag behind).
    static bool framed(QWidget* window) {
        return window->windowHandle() != nullptr &&
               !window->windowHandle()->frameMargins().isNull();
    }

    static QPoint framePosition(QWidget* window) { return window->windowHandle()->framePosition(); }

    // Runs `inside` once the capture window is up, while the editor's
    // capture command waits for it to close.
    void capture(const std::function<void(frmCopy&)>& inside) {
        QTimer::singleShot(0, editor, [this, inside] {
            frmCopy* window = nullptr;
            waitUntil([&] {
                window = editor->findChild<frmCopy*>();
                return window != nullptr && window->isVisible();
            });
            ASSERT_NE(window, nullptr) << "no capture window";
            editorHidden = !editor->isVisible();
            // A busy window manager may show the window before it frames it.
            waitUntil([&] { return framed(window) && framePosition(window) == expectedAt; });
            openedAt = framed(window) ? framePosition(window) : QPoint(-1, -1);
            inside(*window);
            if (window->isVisible()) {
                window->cmdEnd->click();
            }
        });
        editor->cmdCopy->click();
    }

    bool editorHidden = false;
    // Where the capture window's frame is to open, and where it did.
    QPoint expectedAt;
    QPoint openedAt;
};

TEST_F(EditorCaptureX11, TwoScreensCapturedIntoAnEmptyMovieAreRowsOneAndTwo) {
    const QPoint editorAt = framePosition(editor);
    expectedAt = editorAt;
    capture([](frmCopy& window) {
        window.txtTim->setText("0");
        for (int shot = 1; shot <= 2; ++shot) {
            window.cmdCopy->click();
            ASSERT_TRUE(waitUntil(
                [&] { return window.nextFrameNo == shot + 1 && window.cmdCopy->isEnabled(); },
                10000));
        }
    });
    EXPECT_TRUE(editorHidden);
    EXPECT_EQ(openedAt, editorAt) << "the capture window's frame opens where the editor's was";
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->findChild<frmCopy*>(), nullptr);
    EXPECT_TRUE(editor->state().modified);
    EXPECT_TRUE(MessageBox::shownBoxes().empty());

    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    for (int k : {1, 2}) {
        const QString name = QStringLiteral("SW%1.bmp").arg(k, 3, 10, QLatin1Char('0'));
        EXPECT_TRUE(movie.frames[k].inUse);
        EXPECT_EQ(movie.frames[k].pictureFile, name);
        EXPECT_EQ(QImage(workFile(name)).size(), screen) << name.toStdString();
        EXPECT_TRUE(rowColour(k - 1).isValid());
    }
    EXPECT_FALSE(movie.frames[3].inUse);
    EXPECT_FALSE(rowColour(2).isValid());
    EXPECT_EQ(settings.captureDelay, 0);
}

TEST_F(EditorCaptureX11, ClosingTheCaptureWindowAtOnceChangesNothingButCountsAsAChange) {
    addFrame(1, "one.bmp", Qt::red);
    editor->rows()->DrawFrameRows(1);
    editor->state().modified = false;
    const QImage thumbnail = editor->rows()->picDat[0]->picture();
    capture([](frmCopy&) {});
    EXPECT_TRUE(editorHidden);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_TRUE(editor->state().modified);
    EXPECT_EQ(movie.frames[1].pictureFile, "one.bmp");
    EXPECT_FALSE(movie.frames[2].inUse);
    EXPECT_EQ(editor->rows()->picDat[0]->picture(), thumbnail);
}

}  // namespace
