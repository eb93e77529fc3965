#include "desktop/TrayMenu.h"

namespace tidorax {

TrayMenu::TrayMenu(QWidget* parent) : QMenu(QStringLiteral("PopUp_Menu"), parent) {
    setObjectName(QStringLiteral("trayMenu"));
    aboutAction = addAction(QStringLiteral("About---Version 3.0"));
    addSeparator();
    removeAllPathsAction = addAction(QStringLiteral("Remove All Paths"));
    addSeparator();
    exitAction = addAction(QStringLiteral("Exit"));
    addSeparator();
    helpAction = addAction(QStringLiteral("Help"));
    addSeparator();
    cleanAndShutdownAction = addAction(QStringLiteral("Clean And Shutdown"));
    addSeparator();
    configurationAction = addAction(QStringLiteral("Configuration"));
    addSeparator();
    viriRererAction = addAction(QStringLiteral("ViriRerer"));
}

} // namespace tidorax
