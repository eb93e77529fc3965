// The options window "Quillon Tidora Program": the cleaning choices and the contents
// of the folders it cleans, one tab each ("Options", "Internet", "Temp", "Cookies",
// "Your Folder"). Closing it hides it at once and unloads it 100 ms later; the tray
// controller then loads a fresh one on the "Options" tab at the next use.
#pragma once

#include "core/cleaning/CleaningReport.h"
#include "desktop/DesktopServices.h"

#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>

namespace tidorax {

class CookiesTab;
class FolderTab;
class OptionsTab;
class YourFolderTab;

class OptionsWindow : public QWidget {
    Q_OBJECT
public:
    enum Tab { OptionsPage, InternetPage, TempPage, CookiesPage, YourFolderPage };

    // The window on its "Options" tab, cleaning with the services' operations.
    explicit OptionsWindow(const DesktopServices& services);
    ~OptionsWindow() override;

    // Shows the window with the paths and the boxes read.
    void load();
    const DesktopServices& services() const { return services_; }
    // Asks for the count window to show what a clean of this window did.
    void showCount(const CleaningReport& report);

    // The cleaning folders' paths on the "Options" tab.
    void SetTabList3();
    // The check boxes from the stored flags.
    void SetCheckBoxes();
    // Close family: hides the window and unloads it 100 ms later.
    void closeForm();
    // Unloads the window now (hidden, and deleted once back in the event loop).
    void unload();

    QTabWidget* tabs;
    OptionsTab* optionsTab;
    FolderTab* internetTab;
    FolderTab* tempTab;
    CookiesTab* cookiesTab;
    YourFolderTab* yourFolderTab;
    QTimer* closeTimer;  // 100 ms after a Close button: unloads
    QTimer* reloadTimer; // 50 ms after it is started: unloads and loads afresh

signals:
    // A Help button was clicked.
    void helpRequested();
    // The window has unloaded itself to be loaded afresh.
    void reloadRequested();
    // A clean of this window removed filesBefore - filesAfter files.
    void countRequested(std::size_t filesBefore, std::size_t filesAfter);
    // The window was closed or unloaded.
    void closed();

public slots:
    void tabSelected(int index);
    void closeTimerElapsed();
    void reloadTimerElapsed();
    // Every Help button: the help window, as the tray's Help command.
    void showHelp();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    const DesktopServices& services_;
};

// A button with its caption and the same accessible name.
QPushButton* MakeButton(const QString& caption, QWidget* parent);

} // namespace tidorax
