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
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <functional>
#include <ostream>

using namespace Qt::StringLiterals;

QT_BEGIN_NAMESPACE
void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

const QString packageEntry = u"Slidewrightファイル    (*.sdw)"_s;

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
    auto* edit = dialog->findChild<QLineEdit*>(u"fileNameEdit"_s);
    ASSERT_NE(edit, nullptr);
    edit->setText(name);
}

// Types the name and presses Open or Save, as the user would.
void pressAccept(QFileDialog* dialog, const QString& name) {
    typeName(dialog, name);
    auto* buttons = dialog->findChild<QDialogButtonBox*>(u"buttonBox"_s);
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
        ASSERT_TRUE(QDir(folder.path()).mkpath(u"start"_s));
        ASSERT_TRUE(QDir(folder.path()).mkpath(u"elsewhere"_s));
        start = QDir(folder.filePath(u"start"_s)).canonicalPath();
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

    // The next file dialog is given this name and accepted.
    void acceptAs(const QString& name) {
        whenShown<QFileDialog>(scope, [name](QFileDialog* d) { pressAccept(d, name); });
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
    const QString existing = makeFile(u"発表 資料.sdw"_s);
    const QString elsewhere = folder.filePath(u"elsewhere"_s);
    whenShown<QFileDialog>(scope, [&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->parentWidget(), &owner);
        EXPECT_EQ(dialog->selectedNameFilter(), packageEntry);
        EXPECT_EQ(dialog->directory().canonicalPath(), start);
        QDir::setCurrent(elsewhere);  // as a dialog that moved the process's folder
        pressAccept(dialog, QFileInfo(existing).fileName());
    });
    const QString chosen = FileDialogs::DialogRead(
        &owner, start, {FileDialogs::packageFilter()[0], {u"すべて"_s, u"*"_s}});
    EXPECT_EQ(chosen, existing);

    // A name that does not exist is returned for the caller to check.
    acceptAs(u"ない.sdw"_s);
    EXPECT_EQ(FileDialogs::DialogRead(&owner, start, FileDialogs::packageFilter()),
              QDir(start).filePath(u"ない.sdw"_s));
}

TEST_F(FileDialogTest, CancelGivesAnEmptyPathInBothDialogs) {
    for (bool save : {false, true}) {
        whenShown<QFileDialog>(scope, [this](QFileDialog* dialog) {
            QDir::setCurrent(folder.filePath(u"elsewhere"_s));
            typeName(dialog, u"x.sdw"_s);
            dialog->reject();
        });
        const QString chosen =
            save ? FileDialogs::DialogSave(&owner, start, FileDialogs::packageFilter(), u"sdw"_s)
                 : FileDialogs::DialogRead(&owner, start, FileDialogs::packageFilter());
        EXPECT_EQ(chosen, QString()) << (save ? "save" : "open");
    }
}

TEST_F(FileDialogTest, SaveDialogNamesTheFileAfterTheChosenType) {
    const std::vector<FileDialogs::FileFilter> types{{u"MP4"_s, u"*.mp4"_s},
                                                     {u"WebM"_s, u"*.webm"_s}};
    whenShown<QFileDialog>(scope, [](QFileDialog* dialog) {
        auto* list = dialog->findChild<QComboBox*>(u"fileTypeCombo"_s);
        ASSERT_NE(list, nullptr);
        // The second type, chosen from the keyboard as a user would.
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        ASSERT_EQ(list->currentIndex(), 1);
        pressAccept(dialog, u"clip"_s);
    });
    EXPECT_EQ(FileDialogs::DialogSave(&owner, start, types, u"mp4"_s),
              QDir(start).filePath(u"clip.webm"_s));

    // With one type, a typed name gets the default extension.
    acceptAs(u"新しい 動画"_s);
    EXPECT_EQ(FileDialogs::DialogSave(&owner, start, FileDialogs::packageFilter(), u"sdw"_s),
              QDir(start).filePath(u"新しい 動画.sdw"_s));
}

TEST_F(FileDialogTest, SaveDialogAsksBeforeReplacingAFileAndNoKeepsItOpen) {
    const QString existing = makeFile(u"movie.sdw"_s);
    QStringList questions;
    // The first question is declined: the dialog stays. The second is accepted.
    std::function<void(QMessageBox*)> answer = [&](QMessageBox* box) {
        questions << box->text();
        if (questions.size() == 1) {
            box->button(QMessageBox::No)->click();
            whenShown<QMessageBox>(scope, answer);
            // Once the question has gone, the dialog is still there.
            acceptAs(u"movie"_s);
        } else {
            box->button(QMessageBox::Yes)->click();
        }
    };
    whenShown<QFileDialog>(scope, [&](QFileDialog* dialog) {
        whenShown<QMessageBox>(scope, answer);
        pressAccept(dialog, u"movie.sdw"_s);
    });
    EXPECT_EQ(FileDialogs::DialogSave(&owner, start, FileDialogs::packageFilter(), u"sdw"_s),
              existing);
    ASSERT_EQ(questions.size(), 2);
    EXPECT_TRUE(questions[0].contains(u"movie.sdw"_s)) << qPrintable(questions[0]);
    EXPECT_FALSE(questions[0].contains(u"already exists"_s))
        << "Qt's Japanese translation asks: " << qPrintable(questions[0]);
}

// Before its owner is on screen (the player while it loads) a dialog centres
// on the screen, not in its corner. It opens with the file type readable,
// and the next one opens at the size the user left this one at.
TEST_F(FileDialogTest, DialogsCentreOnTheScreenAndKeepTheirSize) {
    const QString movie = makeFile(u"発表.sdw"_s);
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
        auto* view = dialog->findChild<QTreeView*>(u"treeView"_s);
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
    FileDialogs::DialogSave(&owner, start, FileDialogs::packageFilter(), u"sdw"_s);
    EXPECT_EQ(second, first + QSize(40, 30));
}

}  // namespace
