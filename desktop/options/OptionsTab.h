// The "Options" tab: where the three folders lie, the six cleaning choices (each
// stored at once as a flag of "CleanPath"), "ViriRerer Now", Help and Close.
#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <array>

namespace tidorax {

class HoverHints;
class OptionsWindow;

class OptionsTab : public QWidget {
    Q_OBJECT
public:
    enum Box { InternetBox, TempBox, AutoFunctionBox, CookieBox, UserFolderBox, ShutdownBox, BoxCount };

    explicit OptionsTab(OptionsWindow* window);

    // The folder paths: the web cache with a trailing "/", Temp and Cookies as found.
    void showFolderPaths();
    // Each box checked exactly when its flag reads "Yes"; a box this changes writes
    // its state back.
    void SetCheckBoxes();
    bool isChecked(Box box) const { return boxes[box]->isChecked(); }

    QFrame* locationsFrame;
    QLabel* locationsHint;
    QLabel* internetPathLabel;
    QLabel* tempPathLabel;
    QLabel* cookiesPathLabel;
    QFrame* choicesFrame;
    QLabel* choicesHint;
    std::array<QCheckBox*, BoxCount> boxes;
    QPushButton* viriRererNowButton;
    QPushButton* helpButton;
    QPushButton* closeButton;

public slots:
    void viriRererNow();

private:
    // Stores the box's state; when the store does not take it, shows what it holds
    // and says so (once per window).
    void storeBox(int box);
    OptionsWindow* window_;
    HoverHints* hints_;
    bool writeFailureTold_ = false;
};

} // namespace tidorax
