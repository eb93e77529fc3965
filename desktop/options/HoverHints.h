// The hint lines of the options window: moving the pointer over a control writes its
// hint into the hint line of its area; moving over the area itself (not one of its
// controls) or over the line writes the line's normal text back. A hint stays until
// another move in the same area replaces it.
#pragma once

#include <QLabel>
#include <QObject>

#include <functional>
#include <map>
#include <vector>

namespace tidorax {

class HoverHints : public QObject {
    Q_OBJECT
public:
    using Text = std::function<QString()>;

    explicit HoverHints(QObject* parent);

    // A move over the control writes text into line.
    void addHint(QWidget* control, QLabel* line, const QString& text);
    // A move over the area itself (not over a control in it) writes the line's
    // normal text.
    void addArea(QWidget* area, QLabel* line, Text normal);
    // A move over the line writes the normal texts of each (the line first).
    void addLine(QLabel* line, std::vector<std::pair<QLabel*, Text>> normals);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watch(QWidget* widget);
    std::map<QObject*, std::function<void(QWidget*, QEvent*)>> actions_;
};

} // namespace tidorax
