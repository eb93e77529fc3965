#include "desktop/TrayMenu.h"

namespace tidorax {

TrayMenu::TrayMenu(QWidget* parent) : QMenu(QStringLiteral("PopUp_Menu"), parent) {
    setObjectName(QStringLiteral("trayMenu"));
    aboutAction = addAction(tr("About---Version 3.0"));
    addSeparator();
    removeAllPathsAction = addAction(tr("Remove All Paths"));
    addSeparator();
    exitAction = addAction(tr("Exit"));
    addSeparator();
    helpAction = addAction(tr("Help"));
    addSeparator();
    cleanAndShutdownAction = addAction(tr("Clean And Shutdown"));
    addSeparator();
    configurationAction = addAction(tr("Configuration"));
    addSeparator();
    viriRererAction = addAction(tr("ViriRerer"));
}

} // namespace tidorax
