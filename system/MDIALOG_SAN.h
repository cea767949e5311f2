// MDIALOG_SAN (dialog, browse): the folder picker, with answers tests can script.
#pragma once

#include <QString>

#include <optional>
#include <vector>

class QWidget;

namespace MDIALOG_SAN {

// The folder picker: the chosen folder, or an empty text when the user
// cancels. Qt's own dialog, so it speaks Japanese on every desktop.
QString BrowseForFolder(QWidget* owner, const QString& title, const QString& startFolder = {});

inline const QString kWorkFolderTitle = QStringLiteral("作業フォルダを指定して下さい");
inline const QString kSaveFolderTitle = QStringLiteral("デフォルトの保存フォルダを指定して下さい");

// A picker shown, as tests see it.
struct Shown {
    QString title;
    QString startFolder;
};

// Queue the answer of the next picker (an empty text cancels): that picker
// is recorded, not shown.
void setNextFolder(const QString& folder);
const std::vector<Shown>& shownDialogs();
void clearShownDialogs();

}  // namespace MDIALOG_SAN
