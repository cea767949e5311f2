#include "FileDialogs.h"

#include "common/DialogOwner.h"
#include "common/ScriptedAnswers.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLocale>
#include <QScreen>
#include <QSplitter>
#include <QTimer>
#include <QTreeView>

#include <algorithm>

namespace FileDialogs {
namespace {

ScriptedAnswers<Asked, QString>& scripted() {
    static ScriptedAnswers<Asked, QString> answers;
    return answers;
}

// Qt reads the patterns from the parenthesised end of each entry; an entry
// whose text already shows its pattern there is used as it stands.
QStringList nameFilters(const std::vector<FileFilter>& filter) {
    QStringList result;
    for (const FileFilter& entry : filter) {
        const QString shown = QLatin1Char('(') + entry.pattern + QLatin1Char(')');
        result << (entry.description.endsWith(shown)
                       ? entry.description
                       : entry.description + QLatin1Char(' ') + shown);
    }
    return result;
}

// QFileDialog collapses runs of blanks in the entries it lists; the type
// list shows the texts as given (the dialog filters by position, not text).
void showExactly(QFileDialog& dialog, const QStringList& filters) {
    auto* typeList = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    if (typeList == nullptr || typeList->count() != filters.size()) {
        return;
    }
    for (int i = 0; i < filters.size(); ++i) {
        typeList->setItemText(i, filters[i]);
    }
}

// The size the user last left a dialog at, for the next one.
QSize lastSize;

// Qt's own dialog opens small, with its sidebar and columns clipped: open
// it at a comfortable size within the screen, or as the user last left it.
QSize openingSize(const QWidget* owner) {
    if (lastSize.isValid()) {
        return lastSize;
    }
    const QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
    const QSize comfortable(900, 600);
    return screen != nullptr ? comfortable.boundedTo(screen->availableGeometry().size() * 0.9)
                             : comfortable;
}

void widenSection(QHeaderView* header, int section, int width) {
    if (section < header->count() && header->sectionSize(section) < width) {
        header->resizeSection(section, width);
    }
}

// Wide enough for a size, a file type ("StarWriter ドキュメント") and a
// date in the detail view, and for the places in the sidebar.
void makeReadable(QFileDialog& dialog) {
    const QFontMetrics metrics(dialog.font());
    const int padding = metrics.averageCharWidth() * 3;
    if (auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = view->header();
        widenSection(header, 1, metrics.horizontalAdvance(QStringLiteral("1023.9 KiB")) + padding);
        widenSection(header, 2, metrics.averageCharWidth() * 26 + padding);
        const QDateTime late(QDate(2000, 12, 28), QTime(23, 59, 59));
        widenSection(
            header, 3,
            metrics.horizontalAdvance(QLocale::system().toString(late, QLocale::ShortFormat)) +
                padding);
        // The name takes what the others leave.
        int others = 0;
        for (int section = 1; section < header->count(); ++section) {
            others += header->sectionSize(section);
        }
        widenSection(header, 0, view->viewport()->width() - others);
    }
    if (auto* splitter = dialog.findChild<QSplitter*>(QStringLiteral("splitter"))) {
        QList<int> sizes = splitter->sizes();
        const int sidebar = metrics.averageCharWidth() * 20;
        if (sizes.size() == 2 && sizes[0] < sidebar) {
            sizes[1] = std::max(0, sizes[1] - (sidebar - sizes[0]));
            sizes[0] = sidebar;
            splitter->setSizes(sizes);
        }
    }
}

QString ask(Asked request) {
    if (auto answer = scripted().take(request)) {
        return *answer;
    }
    scripted().record(request);

    // Whatever the dialog does to the current folder, the caller finds its own.
    const QString currentFolder = QDir::currentPath();
    QFileDialog dialog(DialogOwner::onScreen(request.owner), request.title, request.startFolder);
    dialog.setObjectName(request.kind == Asked::Kind::Save ? QStringLiteral("DialogSave")
                                                           : QStringLiteral("DialogRead"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(request.kind == Asked::Kind::Save ? QFileDialog::AcceptSave
                                                           : QFileDialog::AcceptOpen);
    const QStringList filters = nameFilters(request.filter);
    dialog.setNameFilters(filters);
    showExactly(dialog, filters);
    if (!filters.isEmpty()) {
        dialog.selectNameFilter(dialog.nameFilters().first());
    }
    dialog.setDefaultSuffix(request.defaultExtension);
    // With several types to choose from, a bare name takes the chosen type's
    // extension.
    if (request.filter.size() > 1) {
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, &request](const QString& chosen) {
                             const qsizetype i = dialog.nameFilters().indexOf(chosen);
                             const QString pattern =
                                 i >= 0 ? request.filter[static_cast<size_t>(i)].pattern
                                        : QString();
                             if (pattern.startsWith(QLatin1String("*."))) {
                                 dialog.setDefaultSuffix(pattern.mid(2));
                             }
                         });
    }
    dialog.resize(openingSize(request.owner));
    // Once shown, when the sidebar and the columns have their sizes.
    QTimer::singleShot(0, &dialog, [&dialog] { makeReadable(dialog); });
    QString chosen;
    const int result = dialog.exec();
    lastSize = dialog.size();
    if (result == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        chosen = dialog.selectedFiles().first();
    }
    QDir::setCurrent(currentFolder);
    return chosen;
}

}  // namespace

std::vector<FileFilter> packageFilter() {
    return {{QStringLiteral("Slidewrightファイル    (*.sdw)"), QStringLiteral("*.sdw")}};
}

QString DialogRead(QWidget* owner, const QString& startFolder,
                   const std::vector<FileFilter>& filter) {
    return ask({Asked::Kind::Read,
                owner,
                QStringLiteral("開くﾌｧｲﾙを指定してください。"),
                filter,
                startFolder,
                {}});
}

QString DialogSave(QWidget* owner, const QString& startFolder,
                   const std::vector<FileFilter>& filter, const QString& defaultExtension) {
    return ask({Asked::Kind::Save, owner, QStringLiteral("保存ﾌｧｲﾙを指定してください。"), filter,
                startFolder, defaultExtension});
}

void setNextFileName(const QString& path) {
    scripted().queue(path);
}

const std::vector<Asked>& askedDialogs() {
    return scripted().asked();
}

void clearAskedDialogs() {
    scripted().clear();
}

}  // namespace FileDialogs
