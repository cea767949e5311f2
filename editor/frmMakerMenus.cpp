// The editor's menus and toolbar; each toolbar button runs its menu item.
#include "frmMaker.h"

#include "common/Twips.h"
#include "editor/frames/EditorIcons.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

void frmMaker::createMenus() {
    auto action = [this](QMenu* menu, const char* name, const QString& text,
                         void (frmMaker::*handler)()) {
        QAction* item = menu->addAction(text);
        item->setObjectName(QString::fromLatin1(name));
        if (handler != nullptr) {
            connect(item, &QAction::triggered, this, handler);
        }
        return item;
    };
    auto menu = [this](const char* name, const QString& title) {
        QMenu* result = menuBar()->addMenu(title);
        result->setObjectName(QString::fromLatin1(name));
        return result;
    };

    mnuFMain = menu("mnuFMain", QStringLiteral("ファイル(&F)"));
    mnuNew = action(mnuFMain, "mnuNew", QStringLiteral("新規作成"), &frmMaker::mnuNew_Click);
    mnuFOpen = action(mnuFMain, "mnuFOpen", QStringLiteral("開く"), &frmMaker::mnuFOpen_Click);
    mnuFUwaSave = action(mnuFMain, "mnuFUwaSave", QStringLiteral("上書き保存"), nullptr);
    connect(mnuFUwaSave, &QAction::triggered, this, [this] { mnuFUwaSave_Click(); });
    mnuFBetuSave = action(mnuFMain, "mnuFBetuSave", QStringLiteral("名前を付けて保存"), nullptr);
    connect(mnuFBetuSave, &QAction::triggered, this, [this] { mnuFBetuSave_Click(); });
    mnuExport = action(mnuFMain, "mnuExport", QStringLiteral("書き出し(&E)..."),
                       &frmMaker::mnuExport_Click);
    mnuExport->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    mnuFMain->addSeparator();
    mnuOpenHozon = action(mnuFMain, "mnuOpenHozon", QStringLiteral("デフォルトフォルダを開く"),
                          &frmMaker::mnuOpenHozon_Click);
    mnuFMain->addSeparator();
    mnuEnd = action(mnuFMain, "mnuEnd", QStringLiteral("終了"), &frmMaker::mnuEnd_Click);

    mnuPMain = menu("mnuPMain", QStringLiteral("記録・再生(&R)"));
    mnuCopy = action(mnuPMain, "mnuCopy", QStringLiteral("記録"), &frmMaker::mnuCopy_Click);
    mnuPreview =
        action(mnuPMain, "mnuPreview", QStringLiteral("再生"), &frmMaker::mnuPreview_Click);

    mnuSMain = menu("mnuSMain", QStringLiteral("設定(&S)"));
    mnuOption =
        action(mnuSMain, "mnuOption", QStringLiteral("環境設定"), &frmMaker::mnuOption_Click);

    mnuHMain = menu("mnuHMain", QStringLiteral("ヘルプ(&H)"));
    mnuHelp = action(mnuHMain, "mnuHelp", QStringLiteral("ヘルプ"), &frmMaker::mnuHelp_Click);
    mnuHMain->addSeparator();
    mnuVer = action(mnuHMain, "mnuVer", QStringLiteral("バージョン情報"), &frmMaker::mnuVer_Click);

    // The desktop's usual keys; the menus show them beside their items.
    mnuNew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    mnuFOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuFUwaSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuFBetuSave->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    mnuEnd->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    mnuCopy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    mnuPreview->setShortcut(QKeySequence(Qt::Key_F5));
    mnuHelp->setShortcut(QKeySequence(Qt::Key_F1));

    // The row menu is never on the menu bar; a right-click on a row shows it.
    mnuMClick = new QMenu(QStringLiteral("右クリック"), this);
    mnuMClick->setObjectName(QStringLiteral("mnuMClick"));
    mnuBmpEdit = action(mnuMClick, "mnuBmpEdit", QStringLiteral("編集"), nullptr);
    mnuBmpAdd = action(mnuMClick, "mnuBmpAdd", QStringLiteral("挿入"), nullptr);
    mnuBmpDel = action(mnuMClick, "mnuBmpDel", QStringLiteral("削除"), nullptr);
}

void frmMaker::createToolbar(QWidget* area) {
    struct Button {
        QToolButton** control;
        const char* name;
        QString tip;
        EditorIcons::Kind icon;
        QAction* item;
        int leftTwips;
    };
    // Gaps after the folder button and after the preview button group the
    // file, recording and settings commands.
    const Button buttons[] = {
        {&cmdNew, "cmdNew", QStringLiteral("新規作成"), EditorIcons::Kind::New, mnuNew, 0},
        {&cmdFOpen, "cmdFOpen", QStringLiteral("開く"), EditorIcons::Kind::Open, mnuFOpen, 375},
        {&cmdFUwaSave, "cmdFUwaSave", QStringLiteral("上書き保存"), EditorIcons::Kind::Save,
         mnuFUwaSave, 750},
        {&cmdFBetuSave, "cmdFBetuSave", QStringLiteral("名前を付けて保存"),
         EditorIcons::Kind::SaveAs, mnuFBetuSave, 1125},
        {&cmdOpenHozon, "cmdOpenHozon", QStringLiteral("デフォルトフォルダを開く"),
         EditorIcons::Kind::OpenFolder, mnuOpenHozon, 1500},
        {&cmdCopy, "cmdCopy", QStringLiteral("スクリーン記録画面を表示"),
         EditorIcons::Kind::Capture, mnuCopy, 1995},
        {&cmdPreview, "cmdPreview", QStringLiteral("作成中データを再生"),
         EditorIcons::Kind::Preview, mnuPreview, 2370},
        {&cmdOption, "cmdOption", QStringLiteral("環境設定"), EditorIcons::Kind::Options, mnuOption,
         2865},
    };
    for (const Button& button : buttons) {
        auto* control = new QToolButton(area);
        control->setObjectName(QString::fromLatin1(button.name));
        control->setToolTip(button.tip);
        control->setIcon(EditorIcons::icon(button.icon));
        control->setIconSize(QSize(20, 20));
        control->setGeometry(button.leftTwips / Twips::kPerPixel, 0, 25, 25);
        // A button runs exactly what its menu item runs.
        QAction* item = button.item;
        connect(control, &QToolButton::clicked, item, &QAction::trigger);
        *button.control = control;
    }
}
