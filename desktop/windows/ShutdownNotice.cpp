#include "desktop/windows/ShutdownNotice.h"

#include "desktop/QtScreen.h"
#include "desktop/TrayIconImage.h"
#include "desktop/WindowPlacement.h"

#include <QCloseEvent>
#include <QPainter>

namespace tidorax {

namespace {

constexpr double kClientWidth = 6300;
constexpr double kClientHeight = 2145;
// The back colour before any gradient: the system's dark grey of a dialog.
constexpr std::uint32_t kDesignBackColour = 0x8F8F8F;

QFont noticeFont() {
    QFont font(QStringLiteral("Comic Sans MS"));
    font.setPointSize(36);
    font.setBold(true);
    font.setItalic(true);
    return font;
}

QLabel* noticeLabel(const QString& caption, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setFont(noticeFont());
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(colours);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    return label;
}

} // namespace

ShutdownNotice::ShutdownNotice()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      titleLabel(noticeLabel(tr("Windows will now"), this)), actionLabel(noticeLabel(QString(), this)),
      backColour_(kDesignBackColour) {
    setObjectName(QStringLiteral("ShutdownNotice"));
    setWindowIcon(TrayIconImage());
    setAttribute(Qt::WA_DeleteOnClose);
    const double tppX = TwipsPerPixelX();
    const double tppY = TwipsPerPixelY();
    const int width = TwipsToPixels(kClientWidth, tppX);
    const int height = TwipsToPixels(kClientHeight, tppY);
    setFixedSize(width, height);
    titleLabel->setGeometry(TwipsToPixels(120, tppX), TwipsToPixels(60, tppY),
                            width - 2 * TwipsToPixels(120, tppX), TwipsToPixels(960, tppY));
    actionLabel->setGeometry(TwipsToPixels(120, tppX), TwipsToPixels(1080, tppY),
                             width - 2 * TwipsToPixels(120, tppX), TwipsToPixels(960, tppY));
    PaintGradient(GRADIENT_CORNER);
}

void ShutdownNotice::PaintGradient(int direction) {
    const GradientPlan plan = tidorax::PaintGradient(Gradient, depth(), 1, width(), height(), direction);
    if (plan.plainBackColour) {
        backColour_ = GRADIENT_PLAIN_BACK_COLOUR;
        image_ = QImage();
        update();
        return;
    }
    image_ = QImage(size(), QImage::Format_RGB32);
    image_.fill(ColourFromBgr(backColour_));
    QPainter painter(&image_);
    for (const GradientFill& fill : plan.fills) {
        if (!fill.empty()) {
            painter.fillRect(QRect(fill.left, fill.top, fill.right - fill.left, fill.bottom - fill.top),
                             QColor(0, 0, fill.blue));
        }
    }
    painter.end();
    update();
}

void ShutdownNotice::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), ColourFromBgr(backColour_));
    if (!image_.isNull()) {
        painter.drawImage(0, 0, image_);
    }
}

void ShutdownNotice::showEvent(QShowEvent* event) {
    FitOnScreen(this, true);
    QWidget::showEvent(event);
}

void ShutdownNotice::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closed();
}

} // namespace tidorax
