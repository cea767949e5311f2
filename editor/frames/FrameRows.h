#pragma once

#include "editor/frames/EditorState.h"
#include "editor/frames/FrameRowControls.h"

#include <QPoint>

#include <functional>

class QDragMoveEvent;
class QMimeData;
class WorkFolderSession;
struct MovieDoc;

// The view of the movie's frame table, ten frames a page: draws the rows
// from the movie, turns the pages, takes what is typed and dropped on them
// back into the movie, and asks for the row menu.
class FrameRows : public FrameRowControls {
    Q_OBJECT

public:
    // Files dropped on the rows enter the work folder through `files`.
    FrameRows(QWidget* area, MovieDoc& doc, EditorState& state, WorkFolderSession& files);

    void DrawFrameRows(int firstRow);
    void StorePageFields();
    void ShowRowLabels(int mode);
    void ShowPageLabel();

    void cmdBack_Click();
    void cmdNext_Click();
    void optJidou_Click(int index);
    void txtWait_GotFocus(int index);
    void txtWait_LostFocus(int index);
    void txtLoop_GotFocus();
    void picDat_MouseUp(int index, Qt::MouseButton button, QPoint globalPosition);

    // Files dragged from a file manager: pictures onto thumbnails, sounds
    // onto sound boxes. A drop answers whether a file was taken.
    void picDat_OLEDragOver(int index, QDragMoveEvent* event);
    void txtSound_OLEDragOver(int index, QDragMoveEvent* event);
    bool picDat_OLEDragDrop(int index, const QMimeData* data);
    bool txtSound_OLEDragDrop(int index, const QMimeData* data);

    // Selects the advance-mode option as a command does, running its click.
    void selectAdvanceMode(int index);
    // Shows the movie's loop fields and advance mode in the options group.
    void showMovieSettings();
    // Empties every thumbnail (the rows' pictures only).
    void clearPictures();
    // The frame number row `index` shows.
    int frameOf(int index) const { return state_.pageBase + index + 1; }
    // Draws frame `frame`'s picture as row `index`'s thumbnail; a picture
    // that cannot be read leaves the row empty after its message.
    void showThumbnail(int index, int frame);

    // While this answers true (an external edit runs), mouse and drop input
    // on the rows is ignored.
    std::function<bool()> isBusy;

signals:
    // Every change that makes the document modified.
    void modifiedSet();
    // A right-click on a row: the editor shows its row menu there.
    void rowMenuRequested(int row, QPoint globalPosition, bool hasPicture);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void enableDrops();
    bool routeDropEvent(QObject* watched, QEvent* event);
    void setModified();
    // The path of a bare name in the work folder.
    QString workFile(const QString& name) const;

    MovieDoc& doc_;
    EditorState& state_;
    WorkFolderSession& files_;
};
