#pragma once

#include <QMainWindow>
#include <QTimer>

// The editor window.
class frmMaker : public QMainWindow {
    Q_OBJECT

public:
    explicit frmMaker(QWidget* parent = nullptr);

    // Creates the editor, runs its load and shows it, as the launcher's
    // button does.
    static frmMaker* Open();

    void Form_Load();
    void tmrEnd_Timer();

    QTimer* tmrEnd;

protected:
    void closeEvent(QCloseEvent* event) override;
};
