#pragma once
// The find-and-replace dialog of TTolmFindReplace: modeless and always on
// top, in two layouts, find only ("Find") and find and replace ("Find &
// Replace"). It only lays out its controls; the component behind it reacts
// to them.

#include "text/KsSearchText.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

class TdlgFindReplace : public QDialog {
    Q_OBJECT
public:
    // Index of the direction group's buttons.
    enum Direction { Up = 0, Down = 1 };

    explicit TdlgFindReplace(QWidget *owner);
    ~TdlgFindReplace() override;

    // Caption, default button, the replace controls shown or hidden, and the
    // lower controls and the dialog's height following.
    void setLayoutStyle(ks::TFindReplaceStyle style);
    ks::TFindReplaceStyle layoutStyle() const { return m_style; }

    int direction() const;
    void setDirection(int direction);

    // Whether the dialog has been shown in its component's life.
    bool shownBefore() const { return m_shownBefore; }
    void setShownBefore() { m_shownBefore = true; }

    QLabel *lbFind;
    QComboBox *cbFind;
    QLabel *lbReplace;
    QComboBox *cbReplace;
    QPushButton *btFind;
    QPushButton *btReplace;
    QPushButton *btReplaceAll;
    QPushButton *btHelp;
    QPushButton *btCancel;
    QCheckBox *cbWholeWord;
    QCheckBox *cbMatchCase;
    QGroupBox *rgUpDown;
    QRadioButton *rbUp;
    QRadioButton *rbDown;
    QButtonGroup *directionGroup;

Q_SIGNALS:
    // The dialog was hidden by the program or the user (not by the desktop,
    // as when its owner is minimized).
    void hidden();

protected:
    bool event(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    // Every row as tall as its tallest control, so that the rows of the
    // replace controls are as tall as the rows they leave out.
    void equalizeRows();

    QGridLayout *m_grid;
    ks::TFindReplaceStyle m_style = ks::frFindReplace;
    int m_rowHeight = 0;
    bool m_equalizing = false;
    bool m_shownBefore = false;
};
