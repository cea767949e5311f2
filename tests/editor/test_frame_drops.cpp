// Files dropped from a file manager onto the editor's rows, through real
// drag events carrying a text/uri-list.
#include "EditorFixture.h"
#include "editor/frames/FrameRows.h"
#include "editor/frames/PictureBox.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QToolButton>
#include <QUrl>

#include <memory>

namespace {

class FrameDropTest : public EditorTest {
protected:
    FrameRows& rows() { return *editor->rows(); }

    // A picture file in the test's own folder (not the work folder).
    QString picture(const QString& relative, QColor colour, QSize size = {64, 48}) {
        const QString path = scratch.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QImage image(size, QImage::Format_RGB888);
        image.fill(colour);
        EXPECT_TRUE(image.save(path, "BMP"));
        return path;
    }

    QString file(const QString& relative, const QByteArray& bytes) {
        writeFile(scratch.filePath(relative), bytes);
        return scratch.filePath(relative);
    }

    static std::unique_ptr<QMimeData> uriList(const QStringList& paths) {
        auto data = std::make_unique<QMimeData>();
        QList<QUrl> urls;
        for (const QString& path : paths) {
            urls << (path.contains(u"://") ? QUrl(path) : QUrl::fromLocalFile(path));
        }
        data->setUrls(urls);
        return data;
    }

    struct DragResult {
        bool enterAccepted = false;
        Qt::DropAction enterAction = Qt::IgnoreAction;
        bool dropAccepted = false;
    };

    // Enter, move and drop at the middle of `target`, as a file manager's
    // drag arrives there.
    static DragResult drag(QWidget* target, const QMimeData* data,
                           Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction,
                           bool release = true) {
        const QPoint middle = target->rect().center();
        DragResult result;
        QDragEnterEvent enter(middle, actions, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        result.enterAccepted = enter.isAccepted();
        result.enterAction = enter.dropAction();
        QDragMoveEvent move(middle, actions, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &move);
        if (!release) {
            return result;
        }
        QDropEvent drop(QPointF(middle), actions, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        result.dropAccepted = drop.isAccepted();
        return result;
    }

    DragResult dropOnPicture(int row, const QStringList& paths) {
        return drag(rows().picDat[row], uriList(paths).get());
    }
    DragResult dropOnSound(int row, const QStringList& paths) {
        return drag(rows().txtSound[row], uriList(paths).get());
    }

    // The work folder's files besides the editor's lock and record, and
    // whatever a drop left in its scratch folder.
    QStringList workFiles() {
        QStringList names =
            QDir(workFolder())
                .entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
        names.removeIf([](const QString& name) { return name.startsWith(u".slidewright"); });
        return names + QDir(editor->workFiles().scratchFolder())
                           .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QRgb thumbnailMiddle(int row) {
        const QImage& shown = rows().picDat[row]->picture();
        EXPECT_FALSE(shown.isNull());
        return shown.isNull() ? 0 : shown.pixel(shown.rect().center()) & 0xffffff;
    }

    const FrameEntry& frame(int k) { return movie.frames[k]; }
};

TEST_F(FrameDropTest, DragOverOffersCopyOnlyForLocalFiles) {
    const QString a = picture(QStringLiteral("a.bmp"), Qt::red);
    auto hover = [](QWidget* target, const QMimeData* data,
                    Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction) {
        return drag(target, data, actions, false);
    };
    for (QWidget* target :
         {static_cast<QWidget*>(rows().picDat[0]), static_cast<QWidget*>(rows().txtSound[0])}) {
        EXPECT_TRUE(target->acceptDrops());
        const DragResult files = hover(target, uriList({a}).get());
        EXPECT_TRUE(files.enterAccepted);
        EXPECT_EQ(files.enterAction, Qt::CopyAction);

        QMimeData text;
        text.setText(QStringLiteral("a.bmp"));
        const DragResult plain = hover(target, &text);
        EXPECT_FALSE(plain.enterAccepted);
        EXPECT_EQ(plain.enterAction, Qt::IgnoreAction);

        EXPECT_FALSE(hover(target, uriList({QStringLiteral("https://example.org/a.bmp")}).get())
                         .enterAccepted);
        // A source that can only move its files gets no copy.
        EXPECT_FALSE(hover(target, uriList({a}).get(), Qt::MoveAction).enterAccepted);
    }
    EXPECT_TRUE(movie.frames[1].pictureFile.isEmpty());
    EXPECT_FALSE(editor->state().modified);
}

TEST_F(FrameDropTest, PictureOnSecondPageBecomesFrame13) {
    editor->rows()->cmdNext_Click();
    ASSERT_EQ(editor->state().pageBase, 10);
    editor->state().modified = false;
    const QString a = picture(QStringLiteral("pics/a.bmp"), QColor(0, 0, 255));

    EXPECT_TRUE(dropOnPicture(2, {a}).dropAccepted);
    EXPECT_TRUE(frame(13).inUse);
    EXPECT_EQ(frame(13).pictureFile, QStringLiteral("a.bmp"));
    EXPECT_EQ(frame(13).waitMs, 0);
    EXPECT_TRUE(frame(13).soundFile.isEmpty());
    EXPECT_EQ(readFile(workFile(QStringLiteral("a.bmp"))), readFile(a));
    EXPECT_EQ(thumbnailMiddle(2), 0x0000ffu);
    EXPECT_TRUE(editor->state().modified);
    EXPECT_EQ(workFiles(), QStringList{QStringLiteral("a.bmp")});
    EXPECT_TRUE(MessageBox::shownBoxes().empty());
}

TEST_F(FrameDropTest, EndingsAreComparedUpperCased) {
    const QString upper = picture(QStringLiteral("A.BMP"), Qt::green);
    const QString jpeg = file(QStringLiteral("a.jpg"), "not looked at");
    const QString midi = file(QStringLiteral("SONG.MID"), "MThd");
    const QString shortcut = file(QStringLiteral("pic.LNK"), "C:\\pics\\a.bmp\r\n");

    for (const QString& ignored : {jpeg, midi, shortcut}) {
        EXPECT_FALSE(dropOnPicture(0, {ignored}).dropAccepted) << ignored.toStdString();
    }
    EXPECT_FALSE(frame(1).inUse);
    EXPECT_FALSE(editor->state().modified);
    EXPECT_TRUE(workFiles().isEmpty());

    EXPECT_TRUE(dropOnPicture(0, {upper}).dropAccepted);
    EXPECT_EQ(frame(1).pictureFile, QStringLiteral("A.BMP"));
    EXPECT_TRUE(dropOnSound(0, {midi}).dropAccepted);
    EXPECT_EQ(frame(1).soundFile, QStringLiteral("SONG.MID"));
    EXPECT_EQ(rows().txtSound[0]->text(), QStringLiteral("SONG.MID"));
    EXPECT_FALSE(dropOnSound(0, {upper}).dropAccepted);
    EXPECT_EQ(frame(1).soundFile, QStringLiteral("SONG.MID"));
}

TEST_F(FrameDropTest, SeveralFilesEndWithTheLastAcceptedOne) {
    addFrame(1, QStringLiteral("old.bmp"), Qt::black);
    const QString one = picture(QStringLiteral("one.bmp"), Qt::red);
    const QString two = picture(QStringLiteral("two.bmp"), Qt::green);
    const QString three = picture(QStringLiteral("three.bmp"), Qt::blue);
    const QString text = file(QStringLiteral("notes.txt"), "x");

    EXPECT_TRUE(dropOnPicture(0, {one, two, three, text}).dropAccepted);
    EXPECT_EQ(frame(1).pictureFile, QStringLiteral("three.bmp"));
    EXPECT_EQ(workFiles(), QStringList{QStringLiteral("three.bmp")});
    EXPECT_EQ(thumbnailMiddle(0), 0x0000ffu);

    const QString x = file(QStringLiteral("x.wav"), "RIFF1");
    const QString y = file(QStringLiteral("y.wav"), "RIFF2");
    EXPECT_TRUE(dropOnSound(0, {x, y}).dropAccepted);
    EXPECT_EQ(frame(1).soundFile, QStringLiteral("y.wav"));
    EXPECT_EQ(workFiles(), (QStringList{QStringLiteral("three.bmp"), QStringLiteral("y.wav")}));
}

TEST_F(FrameDropTest, SoundOnAnEmptyRowLeavesItUnused) {
    const QString x = file(QStringLiteral("x.wav"), "RIFF....WAVE");
    EXPECT_TRUE(dropOnSound(4, {x}).dropAccepted);
    EXPECT_EQ(rows().txtSound[4]->text(), QStringLiteral("x.wav"));
    EXPECT_EQ(frame(5).soundFile, QStringLiteral("x.wav"));
    EXPECT_FALSE(frame(5).inUse);
    EXPECT_TRUE(frame(5).pictureFile.isEmpty());
    EXPECT_EQ(readFile(workFile(QStringLiteral("x.wav"))), readFile(x));
    EXPECT_TRUE(editor->state().modified);
    EXPECT_TRUE(rows().picDat[4]->picture().isNull());
}

TEST_F(FrameDropTest, ShortcutsAreFollowedButWindowsTargetsDoNotExistHere) {
    // The NT family's layout (folder up to a group separator, "$" line,
    // name, three lines), one cut short, and one with no target.
    const QString shortcuts =
        QStringLiteral(SLIDEWRIGHT_SOURCE_DIR "/tests/data/dropped-shortcuts/");
    const QString good = shortcuts + QStringLiteral("pic.lnk");
    const QString broken = shortcuts + QStringLiteral("broken.lnk");
    const QString noTarget = shortcuts + QStringLiteral("plain.lnk");
    for (const QString& dropped : {good, broken, noTarget}) {
        EXPECT_FALSE(dropOnPicture(0, {dropped}).dropAccepted) << dropped.toStdString();
        EXPECT_FALSE(dropOnSound(0, {dropped}).dropAccepted) << dropped.toStdString();
    }
    EXPECT_FALSE(frame(1).inUse);
    EXPECT_TRUE(frame(1).soundFile.isEmpty());
    EXPECT_FALSE(editor->state().modified);
    EXPECT_TRUE(workFiles().isEmpty());
}

TEST_F(FrameDropTest, NothingHappensDuringAnExternalEdit) {
    const QString a = picture(QStringLiteral("a.bmp"), Qt::red);
    const QString x = file(QStringLiteral("x.wav"), "RIFF");
    editor->cmdNew->setEnabled(false);
    // The drag is left as the system proposed it, even for data that is no
    // file; the drop does nothing.
    QMimeData text;
    text.setText(QStringLiteral("a.bmp"));
    const DragResult plain = drag(rows().picDat[0], &text, Qt::CopyAction | Qt::MoveAction, false);
    EXPECT_TRUE(plain.enterAccepted);
    EXPECT_NE(plain.enterAction, Qt::IgnoreAction);
    const DragResult result = dropOnPicture(0, {a});
    EXPECT_TRUE(result.enterAccepted);
    EXPECT_FALSE(result.dropAccepted);
    EXPECT_FALSE(dropOnSound(0, {x}).dropAccepted);
    EXPECT_FALSE(frame(1).inUse);
    EXPECT_TRUE(frame(1).soundFile.isEmpty());
    EXPECT_FALSE(editor->state().modified);
    EXPECT_TRUE(workFiles().isEmpty());

    editor->cmdNew->setEnabled(true);
    EXPECT_TRUE(dropOnPicture(0, {a}).dropAccepted);
}

TEST_F(FrameDropTest, SameNameFromAnotherFileGetsItsOwnCopy) {
    addFrame(1, QStringLiteral("a.bmp"), Qt::red);
    const QByteArray first = readFile(workFile(QStringLiteral("a.bmp")));
    const QString other = picture(QStringLiteral("elsewhere/a.bmp"), Qt::green);

    EXPECT_TRUE(dropOnPicture(1, {other}).dropAccepted);
    EXPECT_EQ(frame(2).pictureFile, QStringLiteral("a_2.bmp"));
    EXPECT_EQ(frame(1).pictureFile, QStringLiteral("a.bmp"));
    EXPECT_EQ(readFile(workFile(QStringLiteral("a.bmp"))), first);
    EXPECT_EQ(readFile(workFile(QStringLiteral("a_2.bmp"))), readFile(other));

    // A sound named like another frame's sound, too.
    movie.frames[1].soundFile = QStringLiteral("s.wav");
    addWorkFile(QStringLiteral("s.wav"), "first");
    const QString second = file(QStringLiteral("v/s.wav"), "second");
    EXPECT_TRUE(dropOnSound(1, {second}).dropAccepted);
    EXPECT_EQ(frame(2).soundFile, QStringLiteral("s_2.wav"));
    EXPECT_EQ(readFile(workFile(QStringLiteral("s.wav"))), QByteArray("first"));
}

TEST_F(FrameDropTest, ReplacingKeepsAFileAnotherFrameNames) {
    addFrame(1, QStringLiteral("shared.bmp"), Qt::red, 0, QStringLiteral("shared.wav"));
    addFrame(2, QStringLiteral("shared.bmp"), Qt::red, 0, QStringLiteral("shared.wav"));
    const QByteArray red = readFile(workFile(QStringLiteral("shared.bmp")));
    file(QStringLiteral("src/shared.wav"), "RIFF");
    QFile::copy(scratch.filePath(QStringLiteral("src/shared.wav")),
                workFile(QStringLiteral("shared.wav")));

    EXPECT_TRUE(dropOnSound(0, {file(QStringLiteral("t.mid"), "MThd")}).dropAccepted);
    EXPECT_EQ(frame(1).soundFile, QStringLiteral("t.mid"));
    EXPECT_TRUE(QFile::exists(workFile(QStringLiteral("shared.wav"))));

    // A file named as the frame's own, while another frame shares that
    // name: the other frame's picture stays as it was.
    const QString again = picture(QStringLiteral("new/shared.bmp"), Qt::green);
    EXPECT_TRUE(dropOnPicture(1, {again}).dropAccepted);
    EXPECT_EQ(frame(2).pictureFile, QStringLiteral("shared_2.bmp"));
    EXPECT_EQ(readFile(workFile(QStringLiteral("shared.bmp"))), red);
    EXPECT_EQ(thumbnailMiddle(1), 0x00ff00u);

    // Once no frame names it, a replaced file goes.
    EXPECT_TRUE(dropOnPicture(0, {picture(QStringLiteral("b.bmp"), Qt::blue)}).dropAccepted);
    EXPECT_EQ(frame(1).pictureFile, QStringLiteral("b.bmp"));
    EXPECT_FALSE(QFile::exists(workFile(QStringLiteral("shared.bmp"))));
    EXPECT_EQ(workFiles(), (QStringList{QStringLiteral("b.bmp"), QStringLiteral("shared.wav"),
                                        QStringLiteral("shared_2.bmp"), QStringLiteral("t.mid")}));
}

TEST_F(FrameDropTest, OwnNameAgainReplacesThePictureAndItsThumbnail) {
    addFrame(1, QStringLiteral("a.bmp"), Qt::red);
    rows().DrawFrameRows(1);
    EXPECT_EQ(thumbnailMiddle(0), 0xff0000u);
    // Same size, same name: only the content tells the pictures apart.
    const QString replacement = picture(QStringLiteral("b/a.bmp"), Qt::green);
    EXPECT_TRUE(dropOnPicture(0, {replacement}).dropAccepted);
    EXPECT_EQ(frame(1).pictureFile, QStringLiteral("a.bmp"));
    EXPECT_EQ(readFile(workFile(QStringLiteral("a.bmp"))), readFile(replacement));
    EXPECT_EQ(thumbnailMiddle(0), 0x00ff00u);
    EXPECT_EQ(workFiles(), QStringList{QStringLiteral("a.bmp")});
}

TEST_F(FrameDropTest, UnreadablePicturesAndFilesChangeNothing) {
    addFrame(1, QStringLiteral("a.bmp"), Qt::red, 2000);
    const QByteArray before = readFile(workFile(QStringLiteral("a.bmp")));
    editor->state().modified = false;
    QImage image(64, 48, QImage::Format_RGB888);
    image.fill(Qt::green);
    image.save(scratch.filePath(QStringLiteral("whole.bmp")), "BMP");
    const QByteArray whole = readFile(scratch.filePath(QStringLiteral("whole.bmp")));

    const QString garbage = file(QStringLiteral("bad.bmp"), "this is no picture");
    // Cut inside its header: Qt reads a picture cut in its pixels, and so
    // does the player.
    const QString truncated = file(QStringLiteral("cut.bmp"), whole.left(30));
    const QString empty = file(QStringLiteral("empty.bmp"), QByteArray());
    ASSERT_TRUE(QDir(scratch.path()).mkdir(QStringLiteral("folder.bmp")));
    const QString folder = scratch.filePath(QStringLiteral("folder.bmp"));
    const QString dangling = scratch.filePath(QStringLiteral("dangling.bmp"));
    ASSERT_TRUE(QFile::link(scratch.filePath(QStringLiteral("gone.bmp")), dangling));
    const QString missing = scratch.filePath(QStringLiteral("missing.bmp"));

    for (const QString& bad : {garbage, truncated, empty, folder, dangling, missing}) {
        EXPECT_FALSE(dropOnPicture(0, {bad}).dropAccepted) << bad.toStdString();
    }
    EXPECT_EQ(frame(1).pictureFile, QStringLiteral("a.bmp"));
    EXPECT_EQ(frame(1).waitMs, 2000);
    EXPECT_EQ(readFile(workFile(QStringLiteral("a.bmp"))), before);
    EXPECT_EQ(workFiles(), QStringList{QStringLiteral("a.bmp")});
    EXPECT_FALSE(editor->state().modified);
    EXPECT_TRUE(MessageBox::shownBoxes().empty());
    EXPECT_TRUE(endCodes.empty());

    // A work folder the editor could not take: nothing can enter it.
    editor->workFiles().close();
    const QString good = picture(QStringLiteral("good.bmp"), Qt::blue);
    EXPECT_FALSE(dropOnPicture(0, {good}).dropAccepted);
    EXPECT_FALSE(dropOnSound(0, {file(QStringLiteral("x.wav"), "RIFF")}).dropAccepted);
    ASSERT_EQ(editor->workFiles().open(workFolder()), WorkFolderSession::OpenResult::Opened);
    EXPECT_EQ(frame(1).pictureFile, QStringLiteral("a.bmp"));
    EXPECT_TRUE(frame(1).soundFile.isEmpty());
    EXPECT_FALSE(editor->state().modified);

    // A bad file among good ones is passed over.
    EXPECT_TRUE(dropOnPicture(0, {good, garbage}).dropAccepted);
    EXPECT_EQ(frame(1).pictureFile, QStringLiteral("good.bmp"));
}

TEST_F(FrameDropTest, PngAndJpegComeInAsBmpPicturesNamedAfterThem) {
    addFrame(1, QStringLiteral("photo.bmp"), Qt::red);
    // Half transparent: what shows through is white.
    QImage see(30, 20, QImage::Format_ARGB32);
    see.fill(Qt::transparent);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 15; ++x) {
            see.setPixel(x, y, qRgb(0, 200, 0));
        }
    }
    const QString png = scratch.filePath(QStringLiteral("photo.png"));
    ASSERT_TRUE(see.save(png, "PNG"));
    // From a camera held on its side: upright it is 20x40, blue on top.
    const QString jpeg =
        QStringLiteral(SLIDEWRIGHT_SOURCE_DIR "/tests/data/photo_drops/sideways.jpg");
    // A PNG behind a BMP's name is a PNG all the same.
    QImage blue(16, 16, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    const QString disguised = scratch.filePath(QStringLiteral("disguised.bmp"));
    ASSERT_TRUE(blue.save(disguised, "PNG"));
    const QString junk = file(QStringLiteral("junk.png"), "no picture at all");

    EXPECT_TRUE(dropOnPicture(1, {png}).dropAccepted);
    EXPECT_TRUE(dropOnPicture(2, {jpeg}).dropAccepted);
    EXPECT_TRUE(dropOnPicture(3, {disguised}).dropAccepted);
    EXPECT_FALSE(dropOnPicture(4, {junk}).dropAccepted);
    EXPECT_EQ(frame(2).pictureFile, QStringLiteral("photo_2.bmp"));
    EXPECT_EQ(frame(3).pictureFile, QStringLiteral("sideways.bmp"));
    EXPECT_EQ(frame(4).pictureFile, QStringLiteral("disguised.bmp"));
    EXPECT_FALSE(frame(5).inUse);
    EXPECT_EQ(workFiles(),
              (QStringList{"disguised.bmp", "photo.bmp", "photo_2.bmp", "sideways.bmp"}));

    for (const char* name : {"photo_2.bmp", "sideways.bmp", "disguised.bmp"}) {
        const QByteArray bytes = readFile(workFile(QString::fromLatin1(name)));
        ASSERT_GT(bytes.size(), 30) << name;
        EXPECT_TRUE(bytes.startsWith("BM")) << name;
        EXPECT_EQ(uchar(bytes[28]) | uchar(bytes[29]) << 8, 24) << name;
    }
    const QImage seen(workFile(QStringLiteral("photo_2.bmp")));
    EXPECT_EQ(seen.size(), QSize(30, 20));
    EXPECT_EQ(seen.pixel(2, 10) & 0xffffff, 0x00c800u);
    EXPECT_EQ(seen.pixel(27, 10) & 0xffffff, 0xffffffu);
    const QImage upright(workFile(QStringLiteral("sideways.bmp")));
    EXPECT_EQ(upright.size(), QSize(20, 40));
    EXPECT_GT(qBlue(upright.pixel(10, 3)), 180);
    EXPECT_GT(qRed(upright.pixel(10, 36)), 180);
    EXPECT_EQ(thumbnailMiddle(3), 0x0000ffu);
}

TEST_F(FrameDropTest, SymbolicLinksCopyWhatTheyPointAt) {
    const QString real = picture(QStringLiteral("real/photo.bmp"), Qt::yellow);
    const QString link = scratch.filePath(QStringLiteral("link.bmp"));
    ASSERT_TRUE(QFile::link(real, link));
    EXPECT_TRUE(dropOnPicture(0, {link}).dropAccepted);
    EXPECT_EQ(frame(1).pictureFile, QStringLiteral("link.bmp"));
    const QFileInfo copied(workFile(QStringLiteral("link.bmp")));
    EXPECT_FALSE(copied.isSymLink());
    EXPECT_EQ(readFile(copied.filePath()), readFile(real));
}

}  // namespace
