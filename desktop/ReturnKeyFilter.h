// Return and Enter press the focused button, as Space does, in windows that are not
// dialogs.
#pragma once

#include <QObject>

class QAbstractButton;

namespace tidorax {

class ReturnKeyFilter : public QObject {
    Q_OBJECT
public:
    // The button is pressed by Return and Enter while it has the focus.
    static void PressOnReturn(QAbstractButton* button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit ReturnKeyFilter(QObject* parent);
};

} // namespace tidorax
