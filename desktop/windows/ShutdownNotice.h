// The shutdown notice: "Windows will now" above a second line the shutdown fills in,
// on a blue gradient painted into the window's image when it loads.
#pragma once

#include "core/geometry/Gradient.h"

#include <QImage>
#include <QLabel>
#include <QWidget>

namespace tidorax {

class ShutdownNotice : public QWidget {
    Q_OBJECT
public:
    // The notice window, its gradient painted.
    ShutdownNotice();

    // Paints the gradient of the given direction into the window's image
    // (0 corner, 1 horizontal, 3 plain back colour, other values vertical).
    void PaintGradient(int direction);

    // The back colour, &HBBGGRR, that shows where the image is not painted.
    std::uint32_t BackColor() const { return backColour_; }

    QLabel* titleLabel;
    QLabel* actionLabel;
    // Colour depth and number of bands, kept between paintings.
    GradientState Gradient;

signals:
    void closed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QImage image_;
    std::uint32_t backColour_;
};

} // namespace tidorax
