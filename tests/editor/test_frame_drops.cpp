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
#include <QPainter>
#include <QToolButton>
#include <QUrl>

#include <memory>

namespace {

const Qt::DropActions kCopyOrMove = Qt::CopyAction | Qt::MoveAction;

class FrameDropTest : public EditorTest {
protected:
    FrameRows& rows() { return *editor->rows(); }

    static std::unique_ptr<QMimeData> uriList(const QStringList& paths) {
        auto data = std::make_unique<QMimeData>();
        QList<QUrl> urls;
        for (const QString& path : paths) {
            urls << (path.contains(u"://") ? QUrl(path) : QUrl::fromLocalFile(path));
        }
        data->setUrls(urls);
        return data;
    }

    // Enter and move at the middle of `target`, as a file manager's drag
    // arrives there: whether the drag was taken, and as what.
    static std::pair<bool, Qt::DropAction> enter(QWidget* target, const QMimeData* data,
                                                 Qt::DropActions actions = kCopyOrMove) {
        const QPoint middle = target->rect().center();
        QDragEnterEvent enter(middle, actions, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QDragMoveEvent move(middle, actions, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &move);
        return {enter.isAccepted(), enter.dropAction()};
    }

    // Then released there: whether the drop was taken.
    static bool drop(QWidget* target, const QStringList& paths) {
        const auto data = uriList(paths);
        enter(target, data.get());
        QDropEvent drop(QPointF(target->rect().center()), kCopyOrMove, data.get(), Qt::LeftButton,
                        Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        return drop.isAccepted();
    }

    bool dropOnPicture(int r, const QStringList& paths) { return drop(rows().picDat[r], paths); }
    bool dropOnSound(int r, const QStringList& paths) { return drop(rows().txtSound[r], paths); }

    // The work folder's files besides the editor's lock and record, and
    // whatever a drop left in its scratch folder.
    QStringList workFiles() {
        QStringList names = entriesOf(workFolder());
        names.removeIf([](const QString& name) { return name.startsWith(u".slidewright"); });
        return names + entriesOf(editor->workFiles().scratchFolder());
    }

    const FrameEntry& frame(int k) { return movie.frames[k]; }
};

// Only a copy of local files is taken: a move would take the user's file
// from its folder.
TEST_F(FrameDropTest, DragOverOffersCopyOnlyForLocalFiles) {
    const auto a = uriList({scratchPicture("a.bmp", Qt::red)});
    const auto web = uriList({"https://example.org/a.bmp"});
    QMimeData text;
    text.setText("a.bmp");
    for (QWidget* target : std::initializer_list<QWidget*>{rows().picDat[0], rows().txtSound[0]}) {
        EXPECT_TRUE(target->acceptDrops());
        EXPECT_EQ(enter(target, a.get()), std::pair(true, Qt::CopyAction));
        EXPECT_EQ(enter(target, &text), std::pair(false, Qt::IgnoreAction));
        EXPECT_FALSE(enter(target, web.get(), Qt::CopyAction).first);
        EXPECT_FALSE(enter(target, a.get(), Qt::MoveAction).first);
    }
    EXPECT_TRUE(movie.frames[1].pictureFile.isEmpty());
    EXPECT_FALSE(editor->state().modified);
}

// A dropped link is copied as what it points at, under the link's name; a
// sound on a row without a picture stays with the row, unused.
TEST_F(FrameDropTest, PictureAndSoundOnTheSecondPageBecomeFrames13And15) {
    editor->rows()->cmdNext_Click();
    ASSERT_EQ(editor->state().pageBase, 10);
    editor->state().modified = false;
    const QString real = scratchPicture("pics/real.bmp", QColor(0, 0, 255));
    const QString a = scratch.filePath("a.bmp");
    ASSERT_TRUE(QFile::link(real, a));

    EXPECT_TRUE(dropOnPicture(2, {a}));
    EXPECT_EQ(frameAt(13), fields({true, "a.bmp", 0, {}}));
    EXPECT_FALSE(QFileInfo(workFile("a.bmp")).isSymLink());
    EXPECT_EQ(readFile(workFile("a.bmp")), readFile(real));
    EXPECT_EQ(rowColour(2), QColor(Qt::blue));
    EXPECT_TRUE(editor->state().modified);

    const QString x = scratchFile("x.wav", "RIFF....WAVE");
    EXPECT_TRUE(dropOnSound(4, {x}));
    EXPECT_EQ(rows().txtSound[4]->text(), "x.wav");
    EXPECT_EQ(frameAt(15), fields({false, {}, 0, "x.wav"}));
    EXPECT_TRUE(rows().picDat[4]->picture().isNull());
    EXPECT_EQ(readFile(workFile("x.wav")), readFile(x));
    EXPECT_EQ(workFiles(), (QStringList{"a.bmp", "x.wav"}));
    EXPECT_TRUE(MessageBox::shownBoxes().empty());
}

// Endings are compared upper-cased. Shortcuts (the NT family's layout, one
// cut short, one with no target) name Windows targets, which do not exist
// here.
TEST_F(FrameDropTest, OnlyPicturesAndSoundsByTheirEndingsComeIn) {
    const QString upper = scratchPicture("A.BMP", Qt::green);
    const QString midi = scratchFile("SONG.MID", "MThd");
    const QString shortcuts =
        QStringLiteral(SLIDEWRIGHT_SOURCE_DIR "/tests/data/dropped-shortcuts/");
    const QStringList shortcutFiles = {shortcuts + "pic.lnk", shortcuts + "broken.lnk",
                                       shortcuts + "plain.lnk"};
    for (const QString& ignored : QStringList{scratchFile("a.jpg", "not looked at"), midi,
                                              scratchFile("pic.LNK", "C:\\pics\\a.bmp\r\n")} +
                                      shortcutFiles) {
        EXPECT_FALSE(dropOnPicture(0, {ignored})) << ignored.toStdString();
    }
    for (const QString& ignored : shortcutFiles) {
        EXPECT_FALSE(dropOnSound(0, {ignored})) << ignored.toStdString();
    }
    EXPECT_EQ(frameAt(1), fields({}));
    EXPECT_FALSE(editor->state().modified);
    EXPECT_TRUE(workFiles().isEmpty());

    EXPECT_TRUE(dropOnPicture(0, {upper}));
    EXPECT_TRUE(dropOnSound(0, {midi}));
    EXPECT_EQ(rows().txtSound[0]->text(), "SONG.MID");
    EXPECT_FALSE(dropOnSound(0, {upper}));
    EXPECT_EQ(frameAt(1), fields({true, "A.BMP", 0, "SONG.MID"}));
}

TEST_F(FrameDropTest, SeveralFilesEndWithTheLastAcceptedOne) {
    addFrame(1, "old.bmp", Qt::black);
    const QString one = scratchPicture("one.bmp", Qt::red);
    const QString two = scratchPicture("two.bmp", Qt::green);
    const QString three = scratchPicture("three.bmp", Qt::blue);
    const QString text = scratchFile("notes.txt", "x");

    EXPECT_TRUE(dropOnPicture(0, {one, two, three, text}));
    EXPECT_EQ(frame(1).pictureFile, "three.bmp");
    EXPECT_EQ(workFiles(), QStringList{"three.bmp"});
    EXPECT_EQ(rowColour(0), QColor(Qt::blue));

    const QString x = scratchFile("x.wav", "RIFF1");
    const QString y = scratchFile("y.wav", "RIFF2");
    EXPECT_TRUE(dropOnSound(0, {x, y}));
    EXPECT_EQ(frame(1).soundFile, "y.wav");
    EXPECT_EQ(workFiles(), (QStringList{"three.bmp", "y.wav"}));
}

TEST_F(FrameDropTest, NothingHappensDuringAnExternalEdit) {
    const QString a = scratchPicture("a.bmp", Qt::red);
    editor->cmdNew->setEnabled(false);
    // The drag is left as the system proposed it, even for data that is no
    // file; the drop does nothing.
    QMimeData text;
    text.setText("a.bmp");
    const auto plain = enter(rows().picDat[0], &text);
    EXPECT_TRUE(plain.first);
    EXPECT_NE(plain.second, Qt::IgnoreAction);
    EXPECT_FALSE(dropOnPicture(0, {a}));
    EXPECT_FALSE(dropOnSound(0, {scratchFile("x.wav", "RIFF")}));
    EXPECT_EQ(frameAt(1), fields({}));
    EXPECT_FALSE(editor->state().modified);
    EXPECT_TRUE(workFiles().isEmpty());

    editor->cmdNew->setEnabled(true);
    EXPECT_TRUE(dropOnPicture(0, {a}));
}

// A file named as another frame's gets its own copy; named as the frame's
// own, it replaces the picture and its thumbnail.
TEST_F(FrameDropTest, SameNameFromAnotherFileGetsItsOwnCopyUnlessItIsTheFramesOwn) {
    addFrame(1, "a.bmp", Qt::red);
    rows().DrawFrameRows(1);
    EXPECT_EQ(rowColour(0), QColor(Qt::red));
    const QByteArray first = readFile(workFile("a.bmp"));
    const QString other = scratchPicture("elsewhere/a.bmp", Qt::green);

    EXPECT_TRUE(dropOnPicture(1, {other}));
    EXPECT_EQ(frame(2).pictureFile, "a_2.bmp");
    EXPECT_EQ(frame(1).pictureFile, "a.bmp");
    EXPECT_EQ(readFile(workFile("a.bmp")), first);
    EXPECT_EQ(readFile(workFile("a_2.bmp")), readFile(other));

    // Same size, same name: only the content tells the pictures apart.
    const QString replacement = scratchPicture("b/a.bmp", Qt::blue);
    EXPECT_TRUE(dropOnPicture(0, {replacement}));
    EXPECT_EQ(frame(1).pictureFile, "a.bmp");
    EXPECT_EQ(readFile(workFile("a.bmp")), readFile(replacement));
    EXPECT_EQ(rowColour(0), QColor(Qt::blue));

    // A sound named like another frame's sound, too.
    movie.frames[1].soundFile = QStringLiteral("s.wav");
    addWorkFile("s.wav", "first");
    const QString second = scratchFile("v/s.wav", "second");
    EXPECT_TRUE(dropOnSound(1, {second}));
    EXPECT_EQ(frame(2).soundFile, "s_2.wav");
    EXPECT_EQ(readFile(workFile("s.wav")), QByteArray("first"));
    EXPECT_EQ(workFiles(), (QStringList{"a.bmp", "a_2.bmp", "s.wav", "s_2.wav"}));
}

TEST_F(FrameDropTest, ReplacingKeepsAFileAnotherFrameNames) {
    addFrame(1, "shared.bmp", Qt::red, 0, "shared.wav");
    addFrame(2, "shared.bmp", Qt::red, 0, "shared.wav", "RIFF");
    const QByteArray red = readFile(workFile("shared.bmp"));

    EXPECT_TRUE(dropOnSound(0, {scratchFile("t.mid", "MThd")}));
    EXPECT_EQ(frame(1).soundFile, "t.mid");
    EXPECT_TRUE(QFile::exists(workFile("shared.wav")));

    // A file named as the frame's own, while another frame shares that
    // name: the other frame's picture stays as it was.
    const QString again = scratchPicture("new/shared.bmp", Qt::green);
    EXPECT_TRUE(dropOnPicture(1, {again}));
    EXPECT_EQ(frame(2).pictureFile, "shared_2.bmp");
    EXPECT_EQ(readFile(workFile("shared.bmp")), red);
    EXPECT_EQ(rowColour(1), QColor(Qt::green));

    // Once no frame names it, a replaced file goes.
    EXPECT_TRUE(dropOnPicture(0, {scratchPicture("b.bmp", Qt::blue)}));
    EXPECT_EQ(frame(1).pictureFile, "b.bmp");
    EXPECT_FALSE(QFile::exists(workFile("shared.bmp")));
    EXPECT_EQ(workFiles(), (QStringList{"b.bmp", "shared.wav", "shared_2.bmp", "t.mid"}));
}

TEST_F(FrameDropTest, UnreadablePicturesAndFilesChangeNothing) {
    addFrame(1, "a.bmp", Qt::red, 2000);
    const QByteArray before = readFile(workFile("a.bmp"));
    editor->state().modified = false;

    const QString garbage = scratchFile("bad.bmp", "this is no picture");
    // Cut inside its header: Qt reads a picture cut in its pixels, and so
    // does the player.
    const QString truncated = scratchFile("cut.bmp", bmpOf(Qt::green).left(30));
    const QString empty = scratchFile("empty.bmp", QByteArray());
    ASSERT_TRUE(QDir(scratch.path()).mkdir("folder.bmp"));
    const QString folder = scratch.filePath("folder.bmp");
    const QString dangling = scratch.filePath("dangling.bmp");
    ASSERT_TRUE(QFile::link(scratch.filePath("gone.bmp"), dangling));
    const QString missing = scratch.filePath("missing.bmp");

    for (const QString& bad : {garbage, truncated, empty, folder, dangling, missing}) {
        EXPECT_FALSE(dropOnPicture(0, {bad})) << bad.toStdString();
    }
    EXPECT_EQ(frameAt(1), fields({true, "a.bmp", 2000, {}}));
    EXPECT_EQ(readFile(workFile("a.bmp")), before);
    EXPECT_EQ(workFiles(), QStringList{"a.bmp"});
    EXPECT_FALSE(editor->state().modified);
    EXPECT_TRUE(MessageBox::shownBoxes().empty());
    EXPECT_TRUE(endCodes.empty());

    // A work folder the editor could not take: nothing can enter it.
    editor->workFiles().close();
    const QString good = scratchPicture("good.bmp", Qt::blue);
    EXPECT_FALSE(dropOnPicture(0, {good}));
    EXPECT_FALSE(dropOnSound(0, {scratchFile("x.wav", "RIFF")}));
    ASSERT_EQ(editor->workFiles().open(workFolder()), WorkFolderSession::OpenResult::Opened);
    EXPECT_EQ(frameAt(1), fields({true, "a.bmp", 2000, {}}));
    EXPECT_FALSE(editor->state().modified);

    // A bad file among good ones is passed over.
    EXPECT_TRUE(dropOnPicture(0, {good, garbage}));
    EXPECT_EQ(frame(1).pictureFile, "good.bmp");
}

TEST_F(FrameDropTest, PngAndJpegComeInAsBmpPicturesNamedAfterThem) {
    addFrame(1, "photo.bmp", Qt::red);
    // Half transparent: what shows through is white.
    QImage see(30, 20, QImage::Format_ARGB32);
    see.fill(Qt::transparent);
    QPainter(&see).fillRect(0, 0, 15, 20, QColor(0, 200, 0));
    const QString png = scratch.filePath("photo.png");
    ASSERT_TRUE(see.save(png, "PNG"));
    // From a camera held on its side: upright it is 20x40, blue on top.
    const QString jpeg =
        QStringLiteral(SLIDEWRIGHT_SOURCE_DIR "/tests/data/photo_drops/sideways.jpg");
    // A PNG behind a BMP's name is a PNG all the same.
    const QString disguised = scratch.filePath("disguised.bmp");
    ASSERT_TRUE(QImage::fromData(bmpOf(Qt::blue, {16, 16})).save(disguised, "PNG"));

    EXPECT_TRUE(dropOnPicture(1, {png}));
    EXPECT_TRUE(dropOnPicture(2, {jpeg}));
    EXPECT_TRUE(dropOnPicture(3, {disguised}));
    EXPECT_FALSE(dropOnPicture(4, {scratchFile("junk.png", "no picture")}));
    EXPECT_EQ(frame(2).pictureFile, "photo_2.bmp");
    EXPECT_EQ(frame(3).pictureFile, "sideways.bmp");
    EXPECT_EQ(frame(4).pictureFile, "disguised.bmp");
    EXPECT_FALSE(frame(5).inUse);
    EXPECT_EQ(workFiles(),
              (QStringList{"disguised.bmp", "photo.bmp", "photo_2.bmp", "sideways.bmp"}));

    for (const char* name : {"photo_2.bmp", "sideways.bmp", "disguised.bmp"}) {
        EXPECT_EQ(bmpBits(readFile(workFile(QString::fromLatin1(name)))), 24) << name;
    }
    const QImage seen(workFile("photo_2.bmp"));
    EXPECT_EQ(seen.size(), QSize(30, 20));
    EXPECT_EQ(seen.pixel(2, 10) & 0xffffff, 0x00c800u);
    EXPECT_EQ(seen.pixel(27, 10) & 0xffffff, 0xffffffu);
    const QImage upright(workFile("sideways.bmp"));
    EXPECT_EQ(upright.size(), QSize(20, 40));
    EXPECT_GT(qBlue(upright.pixel(10, 3)), 180);
    EXPECT_GT(qRed(upright.pixel(10, 36)), 180);
    EXPECT_EQ(rowColour(3), QColor(Qt::blue));
}

}  // namespace
