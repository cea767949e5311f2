#pragma once

#include <QTimer>
#include <QWidget>

class QPushButton;

// The player window: a borderless window the size of the frame's picture.
class frmMovie : public QWidget {
    Q_OBJECT

public:
    explicit frmMovie(QWidget* parent = nullptr);

    // Creates the player, runs its load and shows it, as the launcher's
    // button does.
    static frmMovie* Open();

    void Form_Load();
    void tmrEnd_Timer();
    void cmdEnd_Click();

    QPushButton* cmdEnd;
    QTimer* tmrEnd;

protected:
    void closeEvent(QCloseEvent* event) override;
};
