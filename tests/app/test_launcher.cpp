#include "app/frmMain.h"
#include "player/frmMovie.h"
#include "tests/QtWait.h"
#include "tests/WindowChecks.h"
#include "tests/editor/EditorFixture.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

namespace {

class Launcher : public ::testing::Test {
protected:
    void SetUp() override {
        ProgramEnd::resetForTests();
        ProgramEnd::setHandler([this](int code) { endCodes.push_back(code); });
        launcher = new frmMain({movie, settings, workFiles});
        launcher->setAttribute(Qt::WA_DeleteOnClose);
        launcher->show();
    }
    void TearDown() override {
        deleteTopLevelWindows();
        ProgramEnd::setHandler(nullptr);
        ProgramEnd::resetForTests();
    }

    // The one window of type T the launcher opened.
    template <typename T>
    static QPointer<T> opened() {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* found = qobject_cast<T*>(window)) {
                return found;
            }
        }
        return nullptr;
    }

    MovieDoc movie;
    AppSettings settings;
    WorkFolderSession workFiles;
    QPointer<frmMain> launcher;
    std::vector<int> endCodes;
};

// The launcher's texts are its own; what matters is that they show whole
// and that Tab goes down the buttons as they stand.
TEST_F(Launcher, ButtonsShowWholeAndTabDownwards) {
    WindowChecks::expectWellFormed(launcher);
    EXPECT_LT(launcher->cmdMovie->y(), launcher->cmdMaker->y());
    EXPECT_LT(launcher->cmdMaker->y(), launcher->cmdEnd->y());
    EXPECT_EQ(launcher->cmdMovie->nextInFocusChain(), launcher->cmdMaker);
    EXPECT_EQ(launcher->cmdMaker->nextInFocusChain(), launcher->cmdEnd);
}

TEST_F(Launcher, EndButtonOrClosingEndsTheProgram) {
    QTest::mouseClick(launcher->cmdEnd, Qt::LeftButton);
    EXPECT_EQ(endCodes, std::vector<int>{0});
    launcher->close();
    EXPECT_EQ(endCodes.size(), 2u);
}

TEST_F(Launcher, EditorClosesTheLauncherThenItsCloseEndsTheProgram) {
    QTest::mouseClick(launcher->cmdMaker, Qt::LeftButton);
    const QPointer<frmMaker> editor = opened<frmMaker>();
    ASSERT_TRUE(editor);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_FALSE(editor->isModal());
    // The launcher goes at the editor's first 5 ms tick, without ending.
    ASSERT_TRUE(waitUntil([&] { return launcher.isNull(); }));
    EXPECT_TRUE(endCodes.empty());
    EXPECT_FALSE(editor->tmrEnd->isActive());

    editor->close();
    EXPECT_EQ(endCodes.size(), 1u);
}

TEST_F(Launcher, PlayerClosesTheLauncherThenItsCloseEndsTheProgram) {
    // A one-frame package made through the program's archiver.
    QTemporaryDir folder;
    const QString package = folder.filePath("one.sdw");
    if (ArchiverLibrary::instance() == nullptr) {
        ASSERT_TRUE(ArchiverLibrary::load(SLIDEWRIGHT_BINARY_DIR "/bin/libunlha32.so"));
    }
    writePicture(folder.filePath("a.bmp"), Qt::darkCyan);
    makePackage(package, folder.path(),
                readFile(SLIDEWRIGHT_SOURCE_DIR "/tests/data/launcher-one-frame/Slidewright.ini"),
                {"a.bmp"});
    CommandLine::set(package);
    QTest::mouseClick(launcher->cmdMovie, Qt::LeftButton);
    CommandLine::set(QString());
    const QPointer<frmMovie> player = opened<frmMovie>();
    ASSERT_TRUE(player) << "boxes: " << MessageBox::shownBoxes().size();
    EXPECT_EQ(player->Pic1->pixmap().size(), QSize(64, 48));
    // Shorter than the three buttons stacked: the window keeps room for them.
    EXPECT_EQ(player->size(), QSize(64, 73));
    ASSERT_TRUE(waitUntil([&] { return launcher.isNull(); }));
    EXPECT_TRUE(endCodes.empty());
    player->close();
    EXPECT_EQ(endCodes.size(), 1u);
}

TEST(ProgramEndHooks, RunOnceNewestFirst) {
    ProgramEnd::resetForTests();
    std::vector<int> order;
    int ends = 0;
    ProgramEnd::setHandler([&](int) { ++ends; });
    ProgramEnd::addHook([&] { order.push_back(1); });
    ProgramEnd::addHook([&] { order.push_back(2); });
    ProgramEnd::endProgram(3);
    ProgramEnd::endProgram(4);
    EXPECT_EQ(order, (std::vector<int>{2, 1}));
    EXPECT_EQ(ends, 2);
    EXPECT_EQ(ProgramEnd::exitCode(), 3);
    ProgramEnd::setHandler(nullptr);
    ProgramEnd::resetForTests();
}

}  // namespace
