#pragma once

#include "editor/frames/EditorState.h"

#include <QObject>
#include <QPoint>

#include <array>
#include <functional>

class PictureBox;
class ProgressBox;
class QButtonGroup;
class QCheckBox;
class QDragMoveEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMimeData;
class QPushButton;
class QRadioButton;
class QToolButton;
class QWidget;
class WorkFolderSession;

// The editor's ten frame rows, the page controls and the playback options:
// the view of the movie's frame table, ten frames a page. The controls are
// children of the editor's client area, named as the editor's controls.
class FrameRows : public QObject {
    Q_OBJECT

public:
    static constexpr int kRows = 10;

    // Files dropped on the rows enter the work folder through `files`.
    FrameRows(QWidget* area, EditorState& state, WorkFolderSession& files);

    std::array<PictureBox*, kRows> picDat{};
    std::array<QLabel*, kRows> lblNo{};
    std::array<QLineEdit*, kRows> txtWait{};
    std::array<QLineEdit*, kRows> txtSound{};
    std::array<QToolButton*, kRows> cmdSound{};
    QPushButton* cmdBack = nullptr;
    QPushButton* cmdNext = nullptr;
    QLabel* lblList = nullptr;
    ProgressBox* picBar = nullptr;
    QGroupBox* Frame1 = nullptr;
    std::array<QRadioButton*, 3> optJidou{};
    QCheckBox* chkLoop = nullptr;
    QLineEdit* txtLoop = nullptr;
    QLabel* lblLoop = nullptr;

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
    void createRows(QWidget* area);
    void createPageControls(QWidget* area);
    void createOptions(QWidget* area);
    void enableDrops();
    bool routeDropEvent(QObject* watched, QEvent* event);
    bool selectsAllOnClick(QObject* watched, QEvent* event);
    void setModified();

    EditorState& state_;
    WorkFolderSession& files_;
    QWidget* area_;
    QButtonGroup* jidouGroup_ = nullptr;
};
