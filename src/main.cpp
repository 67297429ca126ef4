// ZAM: the player against the computer on a board of random move values.

#include <QApplication>
#include <cstdlib>

#include "platform/forms.h"
#include "platform/media_folder.h"
#include "screens/module1.h"

int main(int argc, char** argv) {
    platform::PrepareWindowSystem();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zam"));
    QApplication::setQuitOnLastWindowClosed(false);
    platform::EnterMediaFolder();
    screens::Main();
    return EXIT_SUCCESS;
}
