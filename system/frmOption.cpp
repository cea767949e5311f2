#include "system/frmOption.h"

#include "common/MessageBox.h"
#include "moviefile/WorkFolderSession.h"
#include "settings/AppSettings.h"
#include "settings/WorkFolderChoice.h"
#include "system/MDIALOG_SAN.h"
#include "system/MKakucyoSet.h"

#include <QApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kFolderBoxWidth = 400;

// The warning is red, as a warning about deleted files should be.
const QColor kWarningColour(0xFF, 0x00, 0x00);

QPushButton* browseButton(const QString& name, QWidget* parent) {
    auto* button = new QPushButton(OptionTexts::kBrowseCaption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    button->setFixedWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
    return button;
}

QLineEdit* folderBox(const QString& name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setMinimumWidth(kFolderBoxWidth);
    return box;
}

// Only an existing folder will do: a file of that name would leave the
// editor unpacking into something that is not a folder.
bool isFolder(const QString& text) {
    return !text.isEmpty() && QFileInfo(text).isDir();
}

QString executablePath() {
    return QApplication::applicationFilePath();
}

}  // namespace

frmOption::frmOption(AppSettings& settings, WorkFolderSession& files, QWidget* parent)
    : QDialog(parent), settings_(settings), files_(files) {
    using namespace OptionTexts;
    setObjectName(QStringLiteral("frmOption"));
    setWindowTitle(kCaption);
    setModal(true);

    Frame2 = new QGroupBox(kWorkFolderFrame, this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    txtSagyou = folderBox(QStringLiteral("txtSagyou"), Frame2);
    cmdSagyou = browseButton(QStringLiteral("cmdSagyou"), Frame2);
    lbl1 = new QLabel(kWarning, Frame2);
    lbl1->setObjectName(QStringLiteral("lbl1"));
    lbl1->setTextFormat(Qt::PlainText);
    QPalette warning = lbl1->palette();
    warning.setColor(QPalette::WindowText, kWarningColour);
    lbl1->setPalette(warning);
    auto* workLayout = new QGridLayout(Frame2);
    workLayout->addWidget(txtSagyou, 0, 0);
    workLayout->addWidget(cmdSagyou, 0, 1);
    workLayout->addWidget(lbl1, 1, 0, 1, 2);

    Frame1 = new QGroupBox(kSaveFolderFrame, this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    txtHozon = folderBox(QStringLiteral("txtHozon"), Frame1);
    cmdHozon = browseButton(QStringLiteral("cmdHozon"), Frame1);
    auto* saveLayout = new QHBoxLayout(Frame1);
    saveLayout->addWidget(txtHozon);
    saveLayout->addWidget(cmdHozon);

    Frame3 = new QGroupBox(kAssociationFrame, this);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    cmdSet = new QPushButton(kRegisterCaption, Frame3);
    cmdSet->setObjectName(QStringLiteral("cmdSet"));
    cmdSet->setToolTip(kRegisterTip);
    cmdSet->setAutoDefault(false);
    cmdDel = new QPushButton(kUnregisterCaption, Frame3);
    cmdDel->setObjectName(QStringLiteral("cmdDel"));
    cmdDel->setToolTip(kUnregisterTip);
    cmdDel->setAutoDefault(false);
    auto* associationLayout = new QHBoxLayout(Frame3);
    associationLayout->addWidget(cmdSet);
    associationLayout->addWidget(cmdDel);
    associationLayout->addStretch();

    OKButton = new QPushButton(kOkCaption, this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(kCancelCaption, this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setAutoDefault(false);
    // Both closing buttons the same width, as a pair.
    const int buttonWidth =
        std::max({OKButton->sizeHint().width(), CancelButton->sizeHint().width(), 88});
    OKButton->setFixedWidth(buttonWidth);
    CancelButton->setFixedWidth(buttonWidth);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame2);
    layout->addWidget(Frame1);
    layout->addWidget(Frame3);
    layout->addSpacing(4);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdSagyou, &QPushButton::clicked, this, &frmOption::cmdSagyou_Click);
    connect(cmdHozon, &QPushButton::clicked, this, &frmOption::cmdHozon_Click);
    connect(cmdSet, &QPushButton::clicked, this, &frmOption::cmdSet_Click);
    connect(cmdDel, &QPushButton::clicked, this, &frmOption::cmdDel_Click);
    connect(OKButton, &QPushButton::clicked, this, &frmOption::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &frmOption::CancelButton_Click);

    Form_Load();
}

void frmOption::Form_Load() {
    // Paths read from their start, as in any folder box.
    txtSagyou->setText(settings_.workFolder);
    txtSagyou->setCursorPosition(0);
    txtHozon->setText(settings_.saveFolder);
    txtHozon->setCursorPosition(0);
}

void frmOption::cmdSagyou_Click() {
    const QString folder =
        MDIALOG_SAN::BrowseForFolder(this, MDIALOG_SAN::kWorkFolderTitle, txtSagyou->text());
    if (!folder.isEmpty()) {
        txtSagyou->setText(folder);
    }
}

void frmOption::cmdHozon_Click() {
    const QString folder =
        MDIALOG_SAN::BrowseForFolder(this, MDIALOG_SAN::kSaveFolderTitle, txtHozon->text());
    if (!folder.isEmpty()) {
        txtHozon->setText(folder);
    }
}

void frmOption::cmdSet_Click() {
    using namespace MKakucyoSet;
    if (MessageBox::show(this, kAskRegister, kAskRegisterTitle, MessageBox::Icon::Question,
                         MessageBox::Buttons::YesNo) != MessageBox::Answer::Yes) {
        return;
    }
    if (RegisterFileType(kExtension, kTypeName, kDescription, executablePath(), 0,
                         executablePath())) {
        MessageBox::show(this, kRegistered, kSuccessTitle, MessageBox::Icon::Information);
    } else {
        MessageBox::show(this, kRegisterFailed, kFailureTitle, MessageBox::Icon::Critical);
    }
}

void frmOption::cmdDel_Click() {
    using namespace MKakucyoSet;
    if (MessageBox::show(this, kAskUnregister, kAskUnregisterTitle, MessageBox::Icon::Question,
                         MessageBox::Buttons::YesNo) != MessageBox::Answer::Yes) {
        return;
    }
    if (UnregisterFileType(kExtension, kTypeName, kDescription, executablePath(), 0,
                           executablePath())) {
        MessageBox::show(this, kUnregistered, kSuccessTitle, MessageBox::Icon::Information);
    } else {
        MessageBox::show(this, kUnregisterFailed, kFailureTitle, MessageBox::Icon::Critical);
    }
}

void frmOption::refuse(const QString& text) {
    MessageBox::show(this, text, OptionTexts::kBadFolderTitle, MessageBox::Icon::Exclamation);
    txtSagyou->setFocus();
    txtSagyou->selectAll();
}

bool frmOption::acceptWorkFolder(const QString& work, const QString& save) {
    using namespace OptionTexts;
    switch (WorkFolderChoice::Check(work, save)) {
        case WorkFolderChoice::Refusal::Home:
            refuse(kHomeRefused);
            return false;
        case WorkFolderChoice::Refusal::Root:
            refuse(kRootRefused);
            return false;
        case WorkFolderChoice::Refusal::SettingsFolder:
            refuse(kSettingsFolderRefused);
            return false;
        case WorkFolderChoice::Refusal::SaveFolder:
            refuse(kSaveFolderRefused);
            return false;
        case WorkFolderChoice::Refusal::None:
            break;
    }
    if (WorkFolderChoice::SameFolder(work, files_.folder())) {
        return true;
    }
    // Only a folder of the program's own: its files there are removed at
    // the end, and nothing of the user's may stand beside them.
    const QStringList others = WorkFolderSession::othersEntries(work);
    if (!others.isEmpty()) {
        constexpr qsizetype kShown = 5;
        QString names = others.mid(0, kShown).join(u'\n');
        if (others.size() > kShown) {
            names += QStringLiteral("\n…");
        }
        refuse(kOthersFilesRefused + names);
        return false;
    }
    QStringList failed;
    // A hundred large pictures take a moment to copy and sync.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const WorkFolderSession::MoveResult moved = files_.moveTo(work, &failed);
    QApplication::restoreOverrideCursor();
    switch (moved) {
        case WorkFolderSession::MoveResult::Moved:
            return true;
        case WorkFolderSession::MoveResult::InUse:
            refuse(kInUseRefused);
            return false;
        case WorkFolderSession::MoveResult::Unusable:
            refuse(kUnusableRefused);
            return false;
        case WorkFolderSession::MoveResult::Failed:
            refuse(kPicturesNotMoved + failed.join(u'\n'));
            return false;
    }
    return false;
}

void frmOption::OKButton_Click() {
    const QString work = txtSagyou->text();
    const QString save = txtHozon->text();
    if (!isFolder(work) || !isFolder(save)) {
        MessageBox::show(this, OptionTexts::kBadFolder, OptionTexts::kBadFolderTitle,
                         MessageBox::Icon::Exclamation);
        QLineEdit* wrong = isFolder(work) ? txtHozon : txtSagyou;
        wrong->setFocus();
        wrong->selectAll();
        return;
    }
    if (!acceptWorkFolder(work, save)) {
        return;
    }
    settings_.workFolder = work;
    settings_.saveFolder = save;
    accept();
}

void frmOption::CancelButton_Click() {
    reject();
}
