// The tray menu: seven commands with separators between them, each a named action.
#pragma once

#include <QMenu>

namespace tidorax {

class TrayMenu : public QMenu {
    Q_OBJECT
public:
    explicit TrayMenu(QWidget* parent = nullptr);

    QAction* aboutAction = nullptr;
    QAction* removeAllPathsAction = nullptr;
    QAction* exitAction = nullptr;
    QAction* helpAction = nullptr;
    QAction* cleanAndShutdownAction = nullptr;
    QAction* configurationAction = nullptr;
    QAction* viriRererAction = nullptr;
};

} // namespace tidorax
