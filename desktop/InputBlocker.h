// While an InputBlocker lives, no window of the program receives user input: mouse,
// keyboard, wheel and touch events are dropped, and closing a window by hand is
// refused. Painting, timers and sockets go on, and a modal message box that the
// work asks for still takes its answer. Blockers nest.
#pragma once

#include <QObject>

namespace tidorax {

class InputBlocker : public QObject {
    Q_OBJECT
public:
    InputBlocker();
    ~InputBlocker() override;
    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

    // True while any blocker lives.
    static bool active();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace tidorax
