// The options dialog over real folders and the real association, in the
// throw-away HOME and XDG folders this test runs in; boxes and folder
// pickers are answered through their test hooks.
#include "system/frmOption.h"

#include "FolderFixture.h"
#include "common/MessageBox.h"
#include "editor/AppSettings.h"
#include "moviefile/WorkFolder.h"
#include "system/BrowseForFolder.h"
#include "system/MKakucyoSet.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

namespace {

using namespace FolderFixture;
using MessageBox::Answer;

class OptionsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch.isValid());
        oldWork = scratch.filePath(QStringLiteral("BMP"));
        newWork = scratch.filePath(QStringLiteral("作業 新"));
        saveFolder = scratch.filePath(QStringLiteral("movies"));
        for (const QString& folder : {oldWork, newWork, saveFolder}) {
            ASSERT_TRUE(QDir().mkpath(folder));
        }
        files = fillWorkFolder(oldWork);
        appSettings() = AppSettings{};
        appSettings().workFolder = oldWork;
        appSettings().saveFolder = saveFolder;
        appSettings().captureDelay = 3;
        before = appSettings();
        WorkFolder::setPath(oldWork);
        MessageBox::clearShownBoxes();
        MDIALOG_SAN::clearShownDialogs();
    }

    void TearDown() override {
        MessageBox::clearShownBoxes();
        MDIALOG_SAN::clearShownDialogs();
    }

    QTemporaryDir scratch;
    QString oldWork;
    QString newWork;
    QString saveFolder;
    QMap<QString, QByteArray> files;
    AppSettings before;
};

TEST_F(OptionsDialog, ShowsTheFoldersAndItsControls) {
    frmOption dialog;
    EXPECT_EQ(dialog.windowTitle(), OptionTexts::kCaption);
    EXPECT_TRUE(dialog.isModal());
    EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("txtSagyou"))->text(), oldWork);
    EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("txtHozon"))->text(), saveFolder);

    const QMap<QString, QString> frames{{QStringLiteral("Frame1"), OptionTexts::kSaveFolderFrame},
                                        {QStringLiteral("Frame2"), OptionTexts::kWorkFolderFrame},
                                        {QStringLiteral("Frame3"), OptionTexts::kAssociationFrame}};
    for (auto it = frames.begin(); it != frames.end(); ++it) {
        ASSERT_NE(dialog.findChild<QGroupBox*>(it.key()), nullptr) << it.key().toStdString();
        EXPECT_EQ(dialog.findChild<QGroupBox*>(it.key())->title(), it.value());
    }
    const auto button = [&](const char* name) {
        return dialog.findChild<QPushButton*>(QString::fromLatin1(name));
    };
    EXPECT_EQ(button("cmdSagyou")->text(), QStringLiteral("..."));
    EXPECT_EQ(button("cmdHozon")->text(), QStringLiteral("..."));
    EXPECT_EQ(button("cmdSet")->text(), OptionTexts::kRegisterCaption);
    EXPECT_EQ(button("cmdSet")->toolTip(), OptionTexts::kRegisterTip);
    EXPECT_EQ(button("cmdDel")->text(), OptionTexts::kUnregisterCaption);
    EXPECT_EQ(button("cmdDel")->toolTip(), OptionTexts::kUnregisterTip);
    EXPECT_EQ(button("OKButton")->text(), QStringLiteral("OK"));
    EXPECT_TRUE(button("OKButton")->isDefault());
    EXPECT_EQ(button("CancelButton")->text(), QStringLiteral("ｷｬﾝｾﾙ"));
    EXPECT_FALSE(button("CancelButton")->isDefault());

    const QLabel* warning = dialog.findChild<QLabel*>(QStringLiteral("lbl1"));
    EXPECT_EQ(warning->text(), OptionTexts::kWarning);
    EXPECT_EQ(warning->palette().color(QPalette::WindowText), QColor(Qt::red));

    // A fixed-size dialog wide enough for its longest caption.
    dialog.show();
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_GE(dialog.findChild<QGroupBox*>(QStringLiteral("Frame2"))->width(),
              warning->sizeHint().width());
}

TEST_F(OptionsDialog, AFolderThatDoesNotExistIsRefused) {
    const QStringList wrongTexts{
        QString(), scratch.filePath(QStringLiteral("gone")),
        oldWork + QStringLiteral("/SW001.bmp"),  // a file is no folder
    };
    for (const QString& wrong : wrongTexts) {
        for (QLineEdit* frmOption::*box : {&frmOption::txtSagyou, &frmOption::txtHozon}) {
            SCOPED_TRACE(wrong.toStdString());
            frmOption dialog;
            dialog.show();
            MessageBox::clearShownBoxes();
            (dialog.*box)->setText(wrong);
            MessageBox::setNextAnswer(Answer::Ok);
            QTest::mouseClick(dialog.OKButton, Qt::LeftButton);

            ASSERT_EQ(MessageBox::shownBoxes().size(), 1u);
            const MessageBox::Shown& shown = MessageBox::shownBoxes()[0];
            EXPECT_EQ(shown.text,
                      QStringLiteral("フォルダ指定が異常です\n存在するフォルダを指定して下さい"));
            EXPECT_EQ(shown.title, QStringLiteral("設定エラー"));
            EXPECT_EQ(shown.icon, MessageBox::Icon::Exclamation);
            EXPECT_EQ(shown.buttons, MessageBox::Buttons::Ok);
            EXPECT_TRUE(dialog.isVisible()) << "the dialog stays open";
            EXPECT_EQ(dialog.result(), 0);
            EXPECT_EQ(appSettings(), before);
            EXPECT_EQ(WorkFolder::path(), oldWork);
            EXPECT_EQ(contents(oldWork), files);
        }
    }
}

TEST_F(OptionsDialog, OkWithANewWorkFolderTakesThePicturesAlong) {
    frmOption dialog;
    dialog.show();
    dialog.txtSagyou->setText(newWork + u'/');
    QTest::mouseClick(dialog.OKButton, Qt::LeftButton);

    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(MessageBox::shownBoxes().empty());
    EXPECT_EQ(appSettings().workFolder, newWork + u'/') << "taken exactly as typed";
    EXPECT_EQ(appSettings().saveFolder, saveFolder);
    EXPECT_EQ(appSettings().captureDelay, 3);
    EXPECT_EQ(WorkFolder::path(), newWork) << "the editor's files are looked for there now";

    for (auto it = files.begin(); it != files.end(); ++it) {
        SCOPED_TRACE(it.key().toStdString());
        const QString moved = newWork + u'/' + it.key();
        const QString stayed = oldWork + u'/' + it.key();
        if (isPicture(it.key())) {
            EXPECT_EQ(readFile(moved), it.value());
            EXPECT_FALSE(QFileInfo::exists(stayed));
        } else {
            EXPECT_EQ(readFile(stayed), it.value()) << "sounds and other files stay";
            EXPECT_FALSE(QFileInfo::exists(moved));
        }
    }
}

TEST_F(OptionsDialog, ChangingOnlyTheSaveFolderMovesNothing) {
    const QString otherSave = scratch.filePath(QStringLiteral("elsewhere/"));
    ASSERT_TRUE(QDir().mkpath(otherSave));
    frmOption dialog;
    dialog.txtHozon->setText(otherSave);
    dialog.OKButton_Click();

    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(appSettings().saveFolder, otherSave) << "taken exactly as typed";
    EXPECT_EQ(appSettings().workFolder, oldWork);
    EXPECT_EQ(contents(oldWork), files);
    EXPECT_TRUE(contents(newWork).isEmpty());
    EXPECT_EQ(WorkFolder::path(), oldWork);
}

TEST_F(OptionsDialog, TheSameWorkFolderSpelledOtherwiseMovesNothing) {
    const QString link = scratch.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(oldWork, link));
    for (const QString& spelling :
         {oldWork + u'/', newWork + QStringLiteral("/../BMP"), link, link + u'/'}) {
        SCOPED_TRACE(spelling.toStdString());
        appSettings() = before;
        frmOption dialog;
        dialog.txtSagyou->setText(spelling);
        dialog.OKButton_Click();

        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(appSettings().workFolder, spelling);
        EXPECT_EQ(contents(oldWork), files) << "not one picture lost";
        EXPECT_TRUE(dialog.lastMove().moved.isEmpty());
    }
}

TEST_F(OptionsDialog, APictureThatCannotBeMovedStaysAndIsNamed) {
    // Tests run as root, who may write anywhere: a folder where the picture
    // should go makes its copy fail.
    ASSERT_TRUE(QDir().mkpath(newWork + QStringLiteral("/SW001.bmp")));
    frmOption dialog;
    dialog.txtSagyou->setText(newWork);
    MessageBox::setNextAnswer(Answer::Ok);
    dialog.OKButton_Click();

    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(appSettings().workFolder, newWork);
    EXPECT_EQ(readFile(oldWork + QStringLiteral("/SW001.bmp")), files[QStringLiteral("SW001.bmp")]);
    EXPECT_EQ(readFile(newWork + QStringLiteral("/PHOTO.BMP")), files[QStringLiteral("PHOTO.BMP")]);
    EXPECT_FALSE(QFileInfo::exists(oldWork + QStringLiteral("/PHOTO.BMP")));
    EXPECT_EQ(dialog.lastMove().kept, QStringList{QStringLiteral("SW001.bmp")});
    ASSERT_EQ(MessageBox::shownBoxes().size(), 1u);
    EXPECT_EQ(MessageBox::shownBoxes()[0].text,
              OptionTexts::kPicturesKept + QStringLiteral("\nSW001.bmp"));
    EXPECT_EQ(MessageBox::shownBoxes()[0].icon, MessageBox::Icon::Exclamation);
}

TEST_F(OptionsDialog, CancelAndEscapeChangeNothing) {
    for (const bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "Cancel");
        frmOption dialog;
        int result = -1;
        QTimer::singleShot(0, &dialog, [&] {
            dialog.txtSagyou->setText(newWork);
            dialog.txtHozon->setText(newWork);
            if (escape) {
                QTest::keyClick(&dialog, Qt::Key_Escape);
            } else {
                QTest::mouseClick(dialog.CancelButton, Qt::LeftButton);
            }
        });
        QTimer::singleShot(5000, &dialog, [&] { dialog.done(-2); });
        result = dialog.exec();
        EXPECT_EQ(result, QDialog::Rejected);
        EXPECT_EQ(appSettings(), before);
        EXPECT_EQ(WorkFolder::path(), oldWork);
        EXPECT_EQ(contents(oldWork), files);
        EXPECT_TRUE(contents(newWork).isEmpty());
    }
}

TEST_F(OptionsDialog, EnterIsOk) {
    frmOption dialog;
    QTimer::singleShot(0, &dialog, [&] {
        dialog.txtSagyou->setText(newWork);
        dialog.txtSagyou->setFocus();
        QTest::keyClick(dialog.txtSagyou, Qt::Key_Return);
    });
    QTimer::singleShot(5000, &dialog, [&] { dialog.done(-2); });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(appSettings().workFolder, newWork);
}

TEST_F(OptionsDialog, BrowseButtonsFillTheirBoxesUnlessCancelled) {
    frmOption dialog;
    dialog.show();
    MDIALOG_SAN::setNextFolder(newWork);
    QTest::mouseClick(dialog.cmdSagyou, Qt::LeftButton);
    MDIALOG_SAN::setNextFolder(QString());
    QTest::mouseClick(dialog.cmdSagyou, Qt::LeftButton);
    dialog.txtHozon->setText(QStringLiteral("typed by hand"));
    MDIALOG_SAN::setNextFolder(QString());
    QTest::mouseClick(dialog.cmdHozon, Qt::LeftButton);
    EXPECT_EQ(dialog.txtHozon->text(), QStringLiteral("typed by hand"));
    MDIALOG_SAN::setNextFolder(oldWork);
    QTest::mouseClick(dialog.cmdHozon, Qt::LeftButton);

    EXPECT_EQ(dialog.txtSagyou->text(), newWork);
    EXPECT_EQ(dialog.txtHozon->text(), oldWork);
    const std::vector<MDIALOG_SAN::Shown>& shown = MDIALOG_SAN::shownDialogs();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].title, QStringLiteral("作業フォルダを指定して下さい"));
    EXPECT_EQ(shown[0].startFolder, oldWork);
    EXPECT_EQ(shown[1].title, QStringLiteral("作業フォルダを指定して下さい"));
    EXPECT_EQ(shown[2].title, QStringLiteral("デフォルトの保存フォルダを指定して下さい"));
    EXPECT_EQ(shown[2].startFolder, QStringLiteral("typed by hand"));
    EXPECT_EQ(shown[3].title, QStringLiteral("デフォルトの保存フォルダを指定して下さい"));
    EXPECT_EQ(appSettings(), before) << "browsing alone changes no setting";
}

TEST_F(OptionsDialog, LaysOutEveryControlInsideTheWindow) {
    frmOption dialog;
    dialog.show();
    QApplication::processEvents();
    const QRect window = dialog.rect();
    for (QWidget* child : dialog.findChildren<QWidget*>()) {
        if (!child->isVisible() || child->objectName().isEmpty()) {
            continue;
        }
        SCOPED_TRACE(child->objectName().toStdString());
        const QRect place(child->mapTo(&dialog, QPoint(0, 0)), child->size());
        EXPECT_TRUE(window.contains(place));
        if (const auto* button = qobject_cast<QPushButton*>(child)) {
            EXPECT_GT(button->width(), button->fontMetrics().horizontalAdvance(button->text()))
                << "the caption fits";
        } else {
            EXPECT_GE(child->width(), child->minimumSizeHint().width()) << "nothing is cut short";
        }
    }
    // The warning is drawn in red.
    const QImage warning = dialog.lbl1->grab().toImage();
    bool red = false;
    for (int y = 0; y < warning.height() && !red; ++y) {
        for (int x = 0; x < warning.width() && !red; ++x) {
            const QColor pixel = warning.pixelColor(x, y);
            red = pixel.red() > 200 && pixel.green() < 80 && pixel.blue() < 80;
        }
    }
    EXPECT_TRUE(red);

    // A picture of the dialog for a person to look at.
    const QString folder = QStringLiteral(SLIDEWRIGHT_BINARY_DIR "/screenshots");
    QDir().mkpath(folder);
    dialog.grab().save(folder + QStringLiteral("/frmOption.png"));
}

}  // namespace
