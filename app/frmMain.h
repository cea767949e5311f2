// frmMain (main form): the launcher that opens the player or the editor.
#pragma once

#include "editor/EditorContext.h"

#include <QWidget>

class QPushButton;

// The launcher: opens the player or the editor, then is closed by it.
class frmMain : public QWidget {
    Q_OBJECT

public:
    // The editor, when chosen, works on `editor`.
    explicit frmMain(const EditorContext& editor, QWidget* parent = nullptr);
    ~frmMain() override;

    QPushButton* cmdMovie;
    QPushButton* cmdMaker;
    QPushButton* cmdEnd;

    void cmdMovie_Click();
    void cmdMaker_Click();
    void cmdEnd_Click();

    // Closes the launcher without ending the program: the player or the
    // editor has taken over.
    void unloadQuietly();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    EditorContext editor_;
    bool unloading_ = false;
};
