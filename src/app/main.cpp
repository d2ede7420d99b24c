#include <QApplication>

#include "app/client_application.h"

int main(int, char** argv)
{
    // The client reads nothing from its command line.
    int qtArgc = 1;
    char* qtArgv[] = { argv[0], nullptr };
    QApplication app(qtArgc, qtArgv);
    return runClient();
}
