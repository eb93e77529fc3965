#include "desktop/options/HoverHints.h"

#include <QAbstractScrollArea>
#include <QMouseEvent>

namespace tidorax {

HoverHints::HoverHints(QObject* parent) : QObject(parent) {}

void HoverHints::watch(QWidget* widget) {
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
}

void HoverHints::addHint(QWidget* control, QLabel* line, const QString& text) {
    // A list's moves reach its viewport.
    if (auto* scrolled = qobject_cast<QAbstractScrollArea*>(control)) {
        control = scrolled->viewport();
    }
    watch(control);
    actions_[control] = [line, text](QWidget*, QEvent*) { line->setText(text); };
}

void HoverHints::addArea(QWidget* area, QLabel* line, Text normal) {
    watch(area);
    actions_[area] = [line, normal = std::move(normal)](QWidget* watched, QEvent* event) {
        // Moves over a control of the area come here too when the control ignores
        // them: only a move over the area's own ground counts.
        const auto* move = static_cast<QMouseEvent*>(event);
        if (watched->childAt(move->position().toPoint()) == nullptr) {
            line->setText(normal());
        }
    };
}

void HoverHints::addLine(QLabel* line, std::vector<std::pair<QLabel*, Text>> normals) {
    watch(line);
    actions_[line] = [normals = std::move(normals)](QWidget*, QEvent*) {
        for (const auto& [target, normal] : normals) {
            target->setText(normal());
        }
    };
}

bool HoverHints::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        const auto action = actions_.find(watched);
        if (action != actions_.end()) {
            action->second(static_cast<QWidget*>(watched), event);
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tidorax
