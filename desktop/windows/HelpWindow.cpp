#include "desktop/windows/HelpWindow.h"

#include "desktop/ReturnKeyFilter.h"
#include "desktop/TrayIconImage.h"
#include "desktop/WindowPlacement.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QKeySequence>
#include <QShortcut>

namespace tidorax {

namespace {

const char* const kNoBrowser =
    QT_TRANSLATE_NOOP("tidorax::HelpWindow", "No Web Browser Could Be Started To Open The Help File");

} // namespace

HelpWindow::HelpWindow(const QUrl& document, const DesktopServices& services)
    : QWidget(nullptr, Qt::Window), browser(new QTextBrowser(this)),
      backButton(new QPushButton(tr("Back"), this)),
      openInBrowserButton(new QPushButton(tr("Open in Browser"), this)),
      closeButton(new QPushButton(tr("Close"), this)), document_(document), services_(services) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(tr("Quillon Tidorax Help"));
    setWindowIcon(TrayIconImage());
    setAttribute(Qt::WA_DeleteOnClose);
    resize(760, 600);

    browser->setObjectName(QStringLiteral("helpBrowser"));
    browser->setOpenLinks(false);
    browser->setSource(document_);
    backButton->setEnabled(false);
    // The buttons keep fixed sizes and margins, so that they sit where a script
    // driving the window expects them: Close 90 x 28 pixels, 8 pixels in from the
    // bottom right corner.
    for (QPushButton* button : {backButton, openInBrowserButton, closeButton}) {
        button->setFixedHeight(28);
        button->setAutoDefault(false);
        ReturnKeyFilter::PressOnReturn(button);
    }
    closeButton->setFixedWidth(90);

    auto* buttons = new QHBoxLayout();
    buttons->setSpacing(8);
    buttons->addWidget(backButton);
    buttons->addWidget(openInBrowserButton);
    buttons->addStretch(1);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(8);
    layout->addWidget(browser, 1);
    layout->addLayout(buttons);

    connect(browser, &QTextBrowser::anchorClicked, this, &HelpWindow::followLink);
    connect(browser, &QTextBrowser::backwardAvailable, backButton, &QPushButton::setEnabled);
    connect(backButton, &QPushButton::clicked, browser, &QTextBrowser::backward);
    connect(openInBrowserButton, &QPushButton::clicked, this, &HelpWindow::openInBrowser);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    FitOnScreen(this, true);
}

void HelpWindow::followLink(const QUrl& link) {
    const QUrl target = browser->source().resolved(link);
    if (target.isLocalFile() || target.scheme() == QStringLiteral("qrc")) {
        browser->setSource(target);
        return;
    }
    services_.openInBrowser(target);
}

void HelpWindow::openInBrowser() {
    if (!services_.openInBrowser(document_)) {
        services_.messages.show(tr(kNoBrowser).toStdString(), MessageKind::Information);
    }
}

void HelpWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closed();
}

} // namespace tidorax
