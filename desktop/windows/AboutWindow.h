// The About window: the program's name, version and story, and a button that opens
// the donation page in the desktop's browser when the system reports a connection.
#pragma once

#include "desktop/DesktopServices.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <string>

namespace tidorax {

class AboutWindow : public QWidget {
    Q_OBJECT
public:
    // The window in its design state.
    explicit AboutWindow(const DesktopServices& services);

    // Shows the window modeless.
    void load();

    // The address the donation button opens.
    static std::string donationAddress();

    QLabel* nameLabel;
    QLabel* versionLabel;
    QLabel* contactLabel;
    QFrame* aboutFrame;
    QLabel* aboutLabel;
    QLabel* connectingLabel;
    QLabel* pictureLabel;
    QPushButton* donateButton;
    // The half second the window stays after the browser took the page.
    QTimer* closeTimer;

signals:
    void closed();

public slots:
    void donateClicked();
    void closeTimerElapsed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Puts the about text and the button back as designed.
    void showAboutText();

    const DesktopServices& services_;
};

} // namespace tidorax
