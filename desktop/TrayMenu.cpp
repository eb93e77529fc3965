#include "desktop/TrayMenu.h"

namespace tidorax {

namespace {

const char* const kCaptions[TrayMenu::ItemCount] = {
    "About---Version 3.0", "-", "Remove All Paths", "-", "Exit",     "-", "Help", "-",
    "Clean And Shutdown",  "-", "Configuration",    "-", "ViriRerer"};

} // namespace

TrayMenu::TrayMenu(QWidget* parent) : QMenu(QStringLiteral("PopUp_Menu"), parent) {
    setObjectName(QStringLiteral("trayMenu"));
    for (int index = 0; index < ItemCount; ++index) {
        const QString caption = QString::fromLatin1(kCaptions[index]);
        QAction* item = caption == QStringLiteral("-") ? addSeparator() : addAction(caption);
        connect(item, &QAction::triggered, this, [this, index] { emit mnuShowClicked(index); });
        items_.append(item);
    }
}

QAction* TrayMenu::mnuShow(int index) const {
    if (index < 0 || index >= items_.size()) {
        return nullptr;
    }
    return items_.at(index);
}

} // namespace tidorax
