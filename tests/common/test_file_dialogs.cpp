#include "common/FileDialogs.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <functional>
#include <ostream>

QT_BEGIN_NAMESPACE
void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

const QString packageEntry = QStringLiteral("Slidewrightファイル    (*.sdw)");

// Runs step on the modal window of type T once it shows, from inside that
// window's own event loop, the way a user would meet it.
// The polls belong to scope, so that one still waiting when its test ends
// never reaches into the next test.
template <typename T>
void whenShown(QObject* scope, std::function<void(T*)> step) {
    auto* poll = new QTimer(scope);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, step] {
        if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            step(window);
        }
    });
    poll->start();
}

void typeName(QFileDialog* dialog, const QString& name) {
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    edit->setText(name);
}

// Presses Open or Save, as the user would.
void pressAccept(QFileDialog* dialog) {
    auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    ASSERT_NE(buttons, nullptr);
    QList<QAbstractButton*> accept = buttons->buttons();
    accept.removeIf(
        [&](QAbstractButton* b) { return buttons->buttonRole(b) != QDialogButtonBox::AcceptRole; });
    ASSERT_EQ(accept.size(), 1);
    ASSERT_TRUE(accept[0]->isEnabled());
    accept[0]->click();
}

class FileDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("start")));
        ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("elsewhere")));
        start = QDir(folder.filePath(QStringLiteral("start"))).canonicalPath();
        owner.show();
        FileDialogs::clearAskedDialogs();
        before = QDir::currentPath();
        // A failing test must not leave a dialog waiting for ever.
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] {
            while (QWidget* window = QApplication::activeModalWidget()) {
                window->close();
            }
        });
        guard.start(15000);
    }
    void TearDown() override {
        guard.stop();
        delete scope;
        EXPECT_EQ(QDir::currentPath(), before) << "the current folder is restored";
        QDir::setCurrent(before);
        FileDialogs::clearAskedDialogs();
    }

    QString makeFile(const QString& name) {
        QFile file(QDir(start).filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return file.fileName();
    }

    QTemporaryDir folder;
    QString start;
    QString before;
    QWidget owner;
    QTimer guard;
    QObject* scope = new QObject;
};

TEST_F(FileDialogTest, OpenDialogShowsTheFolderAndReturnsTheChoice) {
    const QString existing = makeFile(QStringLiteral("発表 資料.sdw"));
    const QString elsewhere = folder.filePath(QStringLiteral("elsewhere"));
    whenShown<QFileDialog>(scope, [&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->parentWidget(), &owner);
        EXPECT_EQ(dialog->selectedNameFilter(), packageEntry);
        EXPECT_EQ(dialog->directory().canonicalPath(), start);
        QDir::setCurrent(elsewhere);  // as a dialog that moved the process's folder
        typeName(dialog, QFileInfo(existing).fileName());
        pressAccept(dialog);
    });
    const QString chosen = FileDialogs::DialogRead(
        &owner, start,
        {FileDialogs::packageFilter()[0], {QStringLiteral("すべて"), QStringLiteral("*")}});
    EXPECT_EQ(chosen, existing);

    // A name that does not exist is returned for the caller to check.
    whenShown<QFileDialog>(scope, [](QFileDialog* dialog) {
        typeName(dialog, QStringLiteral("ない.sdw"));
        pressAccept(dialog);
    });
    EXPECT_EQ(FileDialogs::DialogRead(&owner, start, FileDialogs::packageFilter()),
              QDir(start).filePath(QStringLiteral("ない.sdw")));
}

TEST_F(FileDialogTest, CancelGivesAnEmptyPathInBothDialogs) {
    for (bool save : {false, true}) {
        whenShown<QFileDialog>(scope, [this](QFileDialog* dialog) {
            QDir::setCurrent(folder.filePath(QStringLiteral("elsewhere")));
            typeName(dialog, QStringLiteral("x.sdw"));
            dialog->reject();
        });
        const QString chosen =
            save ? FileDialogs::DialogSave(&owner, start, FileDialogs::packageFilter(),
                                           QStringLiteral("sdw"))
                 : FileDialogs::DialogRead(&owner, start, FileDialogs::packageFilter());
        EXPECT_EQ(chosen, QString()) << (save ? "save" : "open");
    }
}

TEST_F(FileDialogTest, SaveDialogNamesTheFileAfterTheChosenType) {
    const std::vector<FileDialogs::FileFilter> types{
        {QStringLiteral("MP4"), QStringLiteral("*.mp4")},
        {QStringLiteral("WebM"), QStringLiteral("*.webm")}};
    whenShown<QFileDialog>(scope, [](QFileDialog* dialog) {
        auto* list = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(list, nullptr);
        // The second type, chosen from the keyboard as a user would.
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        ASSERT_EQ(list->currentIndex(), 1);
        typeName(dialog, QStringLiteral("clip"));
        pressAccept(dialog);
    });
    EXPECT_EQ(FileDialogs::DialogSave(&owner, start, types, QStringLiteral("mp4")),
              QDir(start).filePath(QStringLiteral("clip.webm")));

    // With one type, a typed name gets the default extension.
    whenShown<QFileDialog>(scope, [](QFileDialog* dialog) {
        typeName(dialog, QStringLiteral("新しい 動画"));
        pressAccept(dialog);
    });
    EXPECT_EQ(
        FileDialogs::DialogSave(&owner, start, FileDialogs::packageFilter(), QStringLiteral("sdw")),
        QDir(start).filePath(QStringLiteral("新しい 動画.sdw")));
}

TEST_F(FileDialogTest, SaveDialogAsksBeforeReplacingAFileAndNoKeepsItOpen) {
    const QString existing = makeFile(QStringLiteral("movie.sdw"));
    QStringList questions;
    // The first question is declined: the dialog stays. The second is accepted.
    std::function<void(QMessageBox*)> answer = [&](QMessageBox* box) {
        questions << box->text();
        if (questions.size() == 1) {
            box->button(QMessageBox::No)->click();
            whenShown<QMessageBox>(scope, answer);
            // Once the question has gone, the dialog is still there.
            whenShown<QFileDialog>(scope, [](QFileDialog* dialog) {
                typeName(dialog, QStringLiteral("movie"));
                pressAccept(dialog);
            });
        } else {
            box->button(QMessageBox::Yes)->click();
        }
    };
    whenShown<QFileDialog>(scope, [&](QFileDialog* dialog) {
        whenShown<QMessageBox>(scope, answer);
        typeName(dialog, QStringLiteral("movie.sdw"));
        pressAccept(dialog);
    });
    EXPECT_EQ(
        FileDialogs::DialogSave(&owner, start, FileDialogs::packageFilter(), QStringLiteral("sdw")),
        existing);
    ASSERT_EQ(questions.size(), 2);
    EXPECT_TRUE(questions[0].contains(QStringLiteral("movie.sdw"))) << qPrintable(questions[0]);
    EXPECT_FALSE(questions[0].contains(QStringLiteral("already exists")))
        << "Qt's Japanese translation asks: " << qPrintable(questions[0]);
}

// Before its owner is on screen (the player while it loads) a dialog centres
// on the screen, not in its corner. It opens with the file type readable,
// and the next one opens at the size the user left this one at.
TEST_F(FileDialogTest, DialogsCentreOnTheScreenAndKeepTheirSize) {
    const QString movie = makeFile(QStringLiteral("発表.sdw"));
    const QString type = QMimeDatabase().mimeTypeForFile(movie).comment();
    QWidget notShown;
    QSize first;
    QSize second;
    whenShown<QFileDialog>(scope, [&](QFileDialog* dialog) {
        QCoreApplication::processEvents();
        EXPECT_EQ(dialog->parentWidget(), nullptr);
        const QPoint off =
            dialog->frameGeometry().center() - dialog->screen()->availableGeometry().center();
        EXPECT_LE(off.manhattanLength(), 4) << off.x() << "," << off.y();
        first = dialog->size();
        auto* view = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
        EXPECT_GE(view->header()->sectionSize(2),
                  QFontMetrics(view->font()).horizontalAdvance(type) + 8)
            << type.toStdString();
        dialog->resize(first + QSize(40, 30));
        dialog->reject();
    });
    FileDialogs::DialogRead(&notShown, start, FileDialogs::packageFilter());
    EXPECT_EQ(FileDialogs::askedDialogs().back().owner, &notShown);

    whenShown<QFileDialog>(scope, [&](QFileDialog* dialog) {
        second = dialog->size();
        EXPECT_EQ(dialog->parentWidget(), &owner);
        dialog->reject();
    });
    FileDialogs::DialogSave(&owner, start, FileDialogs::packageFilter(), QStringLiteral("sdw"));
    EXPECT_EQ(second, first + QSize(40, 30));
}

}  // namespace
