#include "desktop/WindowPlacement.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace tidorax {

void FitOnScreen(QWidget* window, bool centred) {
    const QScreen* screen = window->screen() != nullptr ? window->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    if (window->layout() != nullptr) {
        window->layout()->activate();
    }
    const QRect area = screen->availableGeometry();
    const QSize size = window->size().boundedTo(area.size());
    if (size != window->size()) {
        // The layouts give way: the lists and the long lines are the parts that shrink.
        window->setMinimumSize(window->minimumSize().boundedTo(size));
        window->resize(size);
    }
    QPoint place =
        centred ? area.center() - QPoint(window->width() / 2, window->height() / 2) : window->pos();
    place.setX(std::clamp(place.x(), area.left(), std::max(area.left(), area.right() + 1 - window->width())));
    place.setY(std::clamp(place.y(), area.top(), std::max(area.top(), area.bottom() + 1 - window->height())));
    window->move(place);
}

} // namespace tidorax
