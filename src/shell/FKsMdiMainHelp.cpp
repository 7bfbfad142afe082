// The main window's Help menu: web help, the maker's home page and the
// about box.

#include "shell/FKsMdiMain.h"

#include "shell/DKsAboutKs.h"
#include "shell/KsMdiChild.h"
#include "shell/KsWebHelp.h"

#include <QLabel>

void TfrmKsMdiMain::miOnlineHelpClick()
{
    // A child's component name is its help context.
    const KsMdiChild *child = activeChild();
    ks::ShowWebHelp(child ? child->objectName() : QStringLiteral("main"));
}

void TfrmKsMdiMain::miHomepageClick()
{
    ks::ShowHomepage();
}

void TfrmKsMdiMain::miAboutClick()
{
    TdlgKsAboutKs dialog(this);
    dialog.lbUsage->setText(GetUsageText());
    dialog.exec();
}
