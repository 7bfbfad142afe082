#pragma once
// The about box: the program's description, version and legal notice read
// from its own file's version data, its icon, a usage panel the main window
// fills, and a link that opens web help.

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

class TdlgKsAboutKs : public QDialog {
    Q_OBJECT
public:
    explicit TdlgKsAboutKs(QWidget *owner);

    QFrame *Panel2 = nullptr;
    QLabel *lbVersion = nullptr;
    QLabel *Image1 = nullptr;
    QFrame *Panel1 = nullptr;
    QLabel *lbUsage = nullptr;
    QLabel *Label3 = nullptr; // the maker's address; a click opens web help
    QPushButton *btnOk = nullptr;

    void Label3Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormCreate();
};
