// frmVersion (version form): the about box.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

// Who we are, in one place: the about box shows these.
namespace AboutInfo {

inline const QString kProductName = QStringLiteral("Slidewright");
inline const QString kHomePage = QStringLiteral("https://slidewright.github.io/");
inline const QString kAuthor = QStringLiteral("Slidewright developers");
inline const QString kContact = QStringLiteral("https://github.com/slidewright/slidewright/issues");
inline const QString kClosingLine =
    QStringLiteral("\u3000\u3000ご意見や不具合のご報告をお待ちしています。");

// "3.01": the minor version always takes two digits.
QString versionText();
// The title label's lines, each ending with a line break.
QString titleText();

}  // namespace AboutInfo

// The modal about box. OK closes it; a close button the window manager
// shows anyway, and Escape, do the same.
class frmVersion : public QDialog {
    Q_OBJECT

public:
    explicit frmVersion(QWidget* parent = nullptr);

    QLabel* lblTitle = nullptr;
    QLabel* lblHttp = nullptr;
    QPushButton* cmdEnd = nullptr;

    void lblHttp_Click();
    void cmdEnd_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void placeLink();
    void setLinkColour(const QColor& colour);
    bool closing_ = false;
};
