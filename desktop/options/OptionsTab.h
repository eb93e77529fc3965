// The "Options" page: where the three folders lie, the six cleaning choices (each
// stored at once as a flag of "CleanPath"), "ViriRerer Now", Help and Close. The
// boxes are the window's cleaning choices, told as data whenever one changes.
#pragma once

#include "desktop/PathLabel.h"
#include "desktop/options/CleaningChoices.h"
#include "desktop/options/OptionsPage.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include <array>

namespace tidorax {

class HoverHints;

class OptionsTab : public OptionsPage {
    Q_OBJECT
public:
    OptionsTab(MessageBoxes& messages, QWidget* parent);

    QString title() const override { return tr("Options"); }
    // The folder paths and the boxes read afresh.
    void enter() override;

    // The folder paths: the web cache with a trailing "/", Temp and Cookies as found.
    void showFolderPaths();
    // Each box checked exactly when its flag reads "Yes"; a box this changes writes
    // its state back.
    void SetCheckBoxes();
    bool isChecked(CleaningChoice box) const { return boxes[box]->isChecked(); }
    // The boxes as they are checked now.
    CleaningChoices choices() const;

    QFrame* locationsFrame;
    QLabel* locationsHint;
    PathLabel* internetPathLabel;
    PathLabel* tempPathLabel;
    PathLabel* cookiesPathLabel;
    QFrame* choicesFrame;
    QLabel* choicesHint;
    std::array<QCheckBox*, ChoiceCount> boxes;
    QPushButton* viriRererNowButton;
    QPushButton* helpButton;
    QPushButton* closeButton;

signals:
    // A box was checked or cleared.
    void choicesChanged(const tidorax::CleaningChoices& choices);
    // "ViriRerer Now" was agreed to: the pages of the checked folders are to clean.
    void viriRererRequested(const tidorax::CleaningChoices& choices);

public slots:
    void viriRererNow();

private:
    void makeLocations();
    void makeChoices();
    void addHints();
    // Stores the box's state however it changed (mouse, keyboard, accessibility);
    // when the store does not take it, shows what it holds and says so (once per window).
    void storeBox(int box);
    HoverHints* hints_;
    bool writeFailureTold_ = false;
    bool restoring_ = false; // a box is being put back to what is stored
};

} // namespace tidorax
