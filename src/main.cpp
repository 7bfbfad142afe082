#include "shell/FMain.h"
#include "shell/KsApplication.h"

int main(int argc, char *argv[])
{
    ks::KsApplication app(argc, argv);
    TfrmMain mainWindow;
    mainWindow.show();
    return app.exec();
}
