// The help window: the program's help document in a text browser with working
// links, Back, "Open in Browser" and Close. Every Help command of the program shows
// it; the first-run sequence waits until the user has closed it.
#pragma once

#include "desktop/DesktopServices.h"

#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QWidget>

namespace tidorax {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    // The window on the document, in the middle of the usable screen.
    HelpWindow(const QUrl& document, const DesktopServices& services);

    QTextBrowser* browser;
    QPushButton* backButton;
    QPushButton* openInBrowserButton;
    QPushButton* closeButton;

    // The help document shown.
    QUrl document() const { return document_; }

signals:
    // The window was closed (by the user, its Close button or the program's end).
    void closed();

public slots:
    // Follows a link: pages and anchors of the help inside the window, web and mail
    // addresses in the desktop's browser.
    void followLink(const QUrl& link);
    // Hands the help document to the desktop's browser; says so when none can take it.
    void openInBrowser();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QUrl document_;
    const DesktopServices& services_;
};

} // namespace tidorax
