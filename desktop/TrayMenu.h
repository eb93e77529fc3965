// The tray menu "PopUp_Menu": the item array mnuShow with its thirteen items, the
// odd ones separators. Choosing an item reports its index.
#pragma once

#include <QMenu>

namespace tidorax {

class TrayMenu : public QMenu {
    Q_OBJECT
public:
    static constexpr int ItemCount = 13;

    explicit TrayMenu(QWidget* parent = nullptr);

    // The item of the given index, or nullptr outside 0 to 12.
    QAction* mnuShow(int index) const;

signals:
    void mnuShowClicked(int index);

private:
    QList<QAction*> items_;
};

} // namespace tidorax
