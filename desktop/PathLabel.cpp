#include "desktop/PathLabel.h"

#include <QFontMetrics>

#include <algorithm>

namespace tidorax {

namespace {

// The widest a path line asks to be; a longer path is shortened.
constexpr int kWidestHint = 360;

} // namespace

PathLabel::PathLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void PathLabel::setPath(const QString& path) {
    path_ = path;
    setToolTip(path);
    setAccessibleDescription(path);
    showPath();
    updateGeometry();
}

QSize PathLabel::sizeHint() const {
    const int width = fontMetrics().horizontalAdvance(path_) + 2 * margin() + 4;
    return {std::min(width, kWidestHint), QLabel::minimumSizeHint().height()};
}

QSize PathLabel::minimumSizeHint() const {
    return {fontMetrics().averageCharWidth() * 8, QLabel::minimumSizeHint().height()};
}

void PathLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    showPath();
}

void PathLabel::showPath() {
    const QString shown =
        fontMetrics().elidedText(path_, Qt::ElideMiddle, std::max(0, contentsRect().width()));
    if (shown != text()) {
        setText(shown);
    }
}

} // namespace tidorax
