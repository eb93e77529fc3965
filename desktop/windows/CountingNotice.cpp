#include "desktop/windows/CountingNotice.h"

#include "desktop/QtScreen.h"
#include "desktop/TrayIconImage.h"
#include "desktop/WindowPlacement.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QRegularExpression>

namespace tidorax {

namespace {

constexpr std::uint32_t kBackColour = 0x808080;

// The last value the counter shows.
constexpr int kLastCount = 5;

// The lines of a message: the runs of two or more blanks break it; blanks that open
// the message stay at the start of its first line.
QStringList linesOf(const QString& message) {
    static const QRegularExpression kBreak(QStringLiteral(" {2,}"));
    QStringList lines = message.split(kBreak, Qt::SkipEmptyParts);
    static const QRegularExpression kFirstMark(QStringLiteral("\\S"));
    const qsizetype leading = message.indexOf(kFirstMark);
    if (!lines.isEmpty() && leading > 0) {
        lines.first().prepend(QString(leading, QLatin1Char(' ')));
    }
    return lines;
}

// Narrows the font, a step at a time, until every line of the message fits the width:
// a wide face would otherwise break the lines elsewhere than the blanks do.
QFont narrowedToFit(QFont font, const QString& message, int width) {
    auto fits = [&message, width](const QFont& candidate) {
        const QFontMetrics metrics(candidate);
        for (const QString& line : linesOf(message)) {
            if (metrics.horizontalAdvance(line) > width) {
                return false;
            }
        }
        return true;
    };
    for (int stretch = 100; stretch >= 60 && !fits(font); stretch -= 5) {
        font.setStretch(stretch);
    }
    for (qreal spacing = 100; spacing >= 80 && !fits(font); spacing -= 2) {
        font.setLetterSpacing(QFont::PercentageSpacing, spacing);
    }
    return font;
}

} // namespace

CountingNotice::CountingNotice(const Design& design)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::CustomizeWindowHint),
      messageLabel(new QLabel(tr(design.message), this)),
      counterLabel(new QLabel(QStringLiteral("Label2"), this)), countTimer(new QTimer(this)),
      restTimer(new QTimer(this)) {
    setObjectName(QString::fromUtf8(design.objectName));
    setWindowTitle(tr(design.title));
    setWindowIcon(TrayIconImage());
    setAttribute(Qt::WA_DeleteOnClose);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, ColourFromBgr(kBackColour));
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);

    const double tppX = TwipsPerPixelX();
    const double tppY = TwipsPerPixelY();
    auto rect = [tppX, tppY](double left, double top, double width, double height) {
        return QRect(TwipsToPixels(left, tppX), TwipsToPixels(top, tppY), TwipsToPixels(width, tppX),
                     TwipsToPixels(height, tppY));
    };
    setFixedSize(TwipsToPixels(design.width, tppX), TwipsToPixels(design.height, tppY));

    // The runs of blanks in the message break it into its lines within the width.
    QFont messageFont = messageLabel->font();
    messageFont.setPointSize(18);
    messageFont.setBold(true);
    const QRect messageArea =
        rect(design.messageLeft, design.messageTop, design.messageWidth, design.messageHeight);
    messageLabel->setFont(narrowedToFit(messageFont, messageLabel->text(), messageArea.width()));
    messageLabel->setTextFormat(Qt::PlainText);
    messageLabel->setWordWrap(true);
    messageLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    messageLabel->setGeometry(messageArea);

    QFont counterFont = counterLabel->font();
    counterFont.setPointSize(24);
    counterFont.setBold(true);
    counterLabel->setFont(counterFont);
    counterLabel->setAlignment(Qt::AlignCenter);
    counterLabel->setGeometry(
        rect(design.counterLeft, design.counterTop, design.counterWidth, design.counterHeight));
    counterLabel->raise();

    for (QTimer* timer : {countTimer, restTimer}) {
        timer->setInterval(design.interval);
    }
    connect(countTimer, &QTimer::timeout, this, &CountingNotice::countTimerElapsed);
    connect(restTimer, &QTimer::timeout, this, &CountingNotice::restTimerElapsed);
}

void CountingNotice::load() {
    FitOnScreen(this, true);
    show();
    countTimer->start();
    counterLabel->setText(QStringLiteral("1"));
}

void CountingNotice::countTimerElapsed() {
    const int count = counterLabel->text().toInt();
    counterLabel->setText(QString::number(count + 1));
    if (count != kLastCount) {
        countTimer->stop();
        restTimer->start();
        return;
    }
    countTimer->stop();
    restTimer->stop();
    hide();
    countFinished();
}

void CountingNotice::restTimerElapsed() {
    restTimer->stop();
    countTimer->start();
}

void CountingNotice::closeEvent(QCloseEvent* event) {
    countTimer->stop();
    restTimer->stop();
    event->accept();
    emit closed();
}

} // namespace tidorax
