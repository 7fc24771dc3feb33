// The program's entry: the toolkit, then the one application object and its run.
#include "Tavo.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(true);
    CTavoApp app;
    return app.Run();
}
