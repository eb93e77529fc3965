// The options window "Quillon Tidora Program": the cleaning choices and the contents
// of the folders it cleans, one tab each ("Options", "Internet", "Temp", "Cookies",
// "Your Folder"). There is at most one; closing it hides it at once and unloads it
// 100 ms later, and the next use loads a fresh one on the "Options" tab.
#pragma once

#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>

namespace tidorax {

class CleaningOperations;
class CookiesTab;
class DesktopActions;
class FolderTab;
class OptionsTab;
class YourFolderTab;

class OptionsWindow : public QWidget {
    Q_OBJECT
public:
    enum Tab { OptionsPage, InternetPage, TempPage, CookiesPage, YourFolderPage };

    // The one options window, loaded (shown) when none exists.
    static OptionsWindow* instance();
    // The options window when one is loaded, else nullptr.
    static OptionsWindow* loaded();
    // Shows the window modeless (loading it first when none exists) and brings it
    // forward.
    static void showWindow();
    // What the window cleans with and where its long work runs.
    static void setServices(CleaningOperations* operations, DesktopActions* actions);
    static CleaningOperations& operations();
    static DesktopActions& actions();

    // The cleaning folders' paths on the "Options" tab.
    void SetTabList3();
    // The check boxes from the stored flags.
    void SetCheckBoxes();
    // Close family: hides the window and unloads it 100 ms later.
    void closeForm();
    // Unloads the window now; the next use loads a fresh one.
    void unload();

    QTabWidget* tabs;
    OptionsTab* optionsTab;
    FolderTab* internetTab;
    FolderTab* tempTab;
    CookiesTab* cookiesTab;
    YourFolderTab* yourFolderTab;
    QTimer* closeTimer;  // 100 ms after a Close button: unloads
    QTimer* reloadTimer; // 50 ms after it is started: unloads and loads afresh

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
    OptionsWindow();
    ~OptionsWindow() override;
};

// A button with its caption and the same accessible name.
QPushButton* MakeButton(const QString& caption, QWidget* parent);

} // namespace tidorax
