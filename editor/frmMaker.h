// frmMaker (maker form): the editor window.
#pragma once

#include "editor/EditorContext.h"
#include "editor/frames/EditorState.h"
#include "moviefile/MovieMessages.h"

#include <QMainWindow>
#include <QTimer>

class FrameRows;
class QAction;
class QMenu;
class QToolButton;

// The editor window: the toolbar and menus, the document's life from load
// to close, and the file commands.
class frmMaker : public QMainWindow {
    Q_OBJECT

public:
    explicit frmMaker(const EditorContext& context, QWidget* parent = nullptr);
    ~frmMaker() override;

    // Creates the editor, runs its load and shows it, as the launcher's
    // button does.
    static frmMaker* Open(const EditorContext& context);

    void Form_Load();
    void tmrEnd_Timer();

    // File commands. The saves report whether the movie was saved.
    void mnuNew_Click();
    void mnuFOpen_Click();
    bool mnuFUwaSave_Click();
    bool mnuFBetuSave_Click();
    // Exports the movie to MP4, WebM or an animated GIF.
    void mnuExport_Click();
    void mnuEnd_Click();
    void mnuOpenHozon_Click();
    void mnuCopy_Click();
    void mnuPreview_Click();
    void mnuOption_Click();
    void mnuHelp_Click();
    void mnuVer_Click();

    // The row menu's commands on the selected frame, and the rows' sound
    // buttons.
    void mnuBmpAdd_Click();
    void mnuBmpDel_Click();
    void mnuBmpEdit_Click();
    void SetEditControlsEnabled(bool enabled);
    void cmdSound_Click(int index);
    void tmrMidPlay_Timer();

    // Loads a package into the movie, the work folder and the rows. False
    // when it could not (its message has been shown; the editor then holds
    // a new, empty movie).
    bool OpenPackageInEditor(const QString& path);
    // Saves the movie to path; false when it did not (its message has been
    // shown).
    bool SavePackage(const QString& path);

    EditorState& state() { return state_; }
    FrameRows* rows() { return rows_; }
    // The files this editor has put into its work folder.
    WorkFolderSession& workFiles() { return workFiles_; }
    // The work folder, also when it could not be opened.
    QString workFolder() const;

    QToolButton* cmdNew = nullptr;
    QToolButton* cmdFOpen = nullptr;
    QToolButton* cmdFUwaSave = nullptr;
    QToolButton* cmdFBetuSave = nullptr;
    QToolButton* cmdOpenHozon = nullptr;
    QToolButton* cmdCopy = nullptr;
    QToolButton* cmdPreview = nullptr;
    QToolButton* cmdOption = nullptr;

    QMenu* mnuFMain = nullptr;
    QMenu* mnuPMain = nullptr;
    QMenu* mnuSMain = nullptr;
    QMenu* mnuHMain = nullptr;
    QMenu* mnuMClick = nullptr;
    QAction* mnuNew = nullptr;
    QAction* mnuFOpen = nullptr;
    QAction* mnuFUwaSave = nullptr;
    QAction* mnuFBetuSave = nullptr;
    QAction* mnuExport = nullptr;
    QAction* mnuOpenHozon = nullptr;
    QAction* mnuEnd = nullptr;
    QAction* mnuCopy = nullptr;
    QAction* mnuPreview = nullptr;
    QAction* mnuOption = nullptr;
    QAction* mnuHelp = nullptr;
    QAction* mnuVer = nullptr;
    QAction* mnuBmpEdit = nullptr;
    QAction* mnuBmpAdd = nullptr;
    QAction* mnuBmpDel = nullptr;

    QTimer* tmrEnd = nullptr;
    QTimer* tmrMidPlay = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenus();
    void createToolbar(QWidget* area);
    void showCaption();
    void placeWindow();
    void stopSound();
    void startNewMovie();
    void clearWorkFolder();
    void showMovieMessage(MovieMessage message, const QString& detail = {});
    // Stores the typed fields and counts the frames a movie would hold;
    // 0, after telling the user why, when they make no movie.
    int storedFrameCount();
    // Takes the work folder named in the settings; false when the program
    // has ended because another editor works there.
    bool takeWorkFolder();
    // Where the script and unpacked members wait: inside the work folder,
    // or the run's private folder when the work folder cannot be used.
    QString scratchFolder();
    void connectFrameCommands();
    void connectSoundButtons();
    void setSoundIcons(bool playing);
    int selectedFrame() const;

    MovieDoc& doc_;
    AppSettings& settings_;
    WorkFolderSession& workFiles_;
    EditorState state_;
    FrameRows* rows_ = nullptr;
    bool closing_ = false;
};
