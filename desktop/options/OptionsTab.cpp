#include "desktop/options/OptionsTab.h"

#include "core/options/OptionsRules.h"
#include "core/plans/CleaningPlans.h"
#include "core/settings/CleaningSettings.h"
#include "core/settings/SpecialFolders.h"
#include "desktop/options/ClearedFlag.h"
#include "desktop/options/HoverHints.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tidorax {

namespace {

struct BoxRules {
    CleaningFlag flag;
    const char* caption;
    const char* hint;
};

// In the order of the CleaningChoice enumeration.
const BoxRules kBoxes[ChoiceCount] = {
    {CleaningFlag::InternetFiles, QT_TRANSLATE_NOOP("tidorax::OptionsTab", "Clean Internet Files"),
     QT_TRANSLATE_NOOP("tidorax::OptionsTab", "Check To Enable Cleaning Internet Files")},
    {CleaningFlag::TempFiles, QT_TRANSLATE_NOOP("tidorax::OptionsTab", "Clean Temp Folder"),
     QT_TRANSLATE_NOOP("tidorax::OptionsTab", "Check To Enable Cleaning Temp Files")},
    {CleaningFlag::AutoFunction, QT_TRANSLATE_NOOP("tidorax::OptionsTab", "Enable ViriRerer"),
     QT_TRANSLATE_NOOP("tidorax::OptionsTab", "Check To Enable ViriRerer Function")},
    {CleaningFlag::CookieFiles, QT_TRANSLATE_NOOP("tidorax::OptionsTab", "Clean Cookie Folder"),
     QT_TRANSLATE_NOOP("tidorax::OptionsTab", "Check To Enable Cleaning Cookie Files")},
    {CleaningFlag::UserFolder, QT_TRANSLATE_NOOP("tidorax::OptionsTab", "Clean Your Folder"),
     QT_TRANSLATE_NOOP("tidorax::OptionsTab", "Check To Enable Cleaning Your Folders")},
    {CleaningFlag::Shutdown, QT_TRANSLATE_NOOP("tidorax::OptionsTab", "ViriRerer  && Shutdown"),
     QT_TRANSLATE_NOOP("tidorax::OptionsTab", "Check To Enable Clean And ShutDown \"OS\"")},
};

QString choicesNormal() {
    return OptionsTab::tr("Select An Option Below For ViriRerer Function");
}
QString locationsNormal() {
    return OptionsTab::tr("Locations of Folders To Be Cleaned");
}

// A label speaks its text; role says what the line is for.
QLabel* makeLabel(const QString& text, QWidget* parent, const QString& role = {}) {
    auto* label = new QLabel(text, parent);
    label->setAccessibleDescription(role);
    return label;
}

PathLabel* makePathLabel(QWidget* parent) {
    auto* label = new PathLabel(parent);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

OptionsTab::OptionsTab(MessageBoxes& messages, QWidget* parent)
    : OptionsPage(messages, parent), hints_(new HoverHints(this)) {
    setObjectName(QStringLiteral("optionsPage"));
    makeLocations();
    makeChoices();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(locationsFrame, 1, Qt::AlignTop);
    layout->addWidget(choicesFrame, 0, Qt::AlignTop);

    connect(viriRererNowButton, &QPushButton::clicked, this, &OptionsTab::viriRererNow);
    connect(helpButton, &QPushButton::clicked, this, &OptionsPage::helpRequested);
    connect(closeButton, &QPushButton::clicked, this, &OptionsPage::closeRequested);
    addHints();
}

void OptionsTab::makeLocations() {
    locationsFrame = new QFrame(this);
    locationsFrame->setFrameShape(QFrame::StyledPanel);
    locationsHint = makeLabel(locationsNormal(), locationsFrame, tr("Hint"));
    internetPathLabel = makePathLabel(locationsFrame);
    tempPathLabel = makePathLabel(locationsFrame);
    cookiesPathLabel = makePathLabel(locationsFrame);
    auto* locations = new QGridLayout(locationsFrame);
    locations->addWidget(locationsHint, 0, 0, 1, 2);
    locations->addWidget(makeLabel(tr("Internet Files"), locationsFrame), 1, 0);
    locations->addWidget(internetPathLabel, 1, 1);
    locations->addWidget(makeLabel(tr("Temp Files"), locationsFrame), 2, 0);
    locations->addWidget(tempPathLabel, 2, 1);
    locations->addWidget(makeLabel(tr("Cookie Files"), locationsFrame), 3, 0);
    locations->addWidget(cookiesPathLabel, 3, 1);
    locations->setColumnStretch(1, 1);
}

void OptionsTab::makeChoices() {
    choicesFrame = new QFrame(this);
    choicesFrame->setFrameShape(QFrame::StyledPanel);
    choicesHint = makeLabel(choicesNormal(), choicesFrame, tr("Hint"));
    auto* choices = new QVBoxLayout(choicesFrame);
    choices->addWidget(choicesHint);
    for (int box = 0; box < ChoiceCount; ++box) {
        boxes[box] = new QCheckBox(tr(kBoxes[box].caption), choicesFrame);
        boxes[box]->setAccessibleName(boxes[box]->text().replace(QStringLiteral("&&"), QStringLiteral("&")));
        choices->addWidget(boxes[box]);
        // However the box changes (mouse, keyboard, an accessibility action), the store follows.
        connect(boxes[box], &QCheckBox::toggled, this, [this, box] {
            storeBox(box);
            emit choicesChanged(this->choices());
        });
        hints_->addHint(boxes[box], choicesHint, tr(kBoxes[box].hint));
    }
    viriRererNowButton = MakeButton(tr("ViriRerer Now"), choicesFrame);
    helpButton = MakeButton(tr("Help"), choicesFrame);
    closeButton = MakeButton(tr("Close Form"), choicesFrame);
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(viriRererNowButton);
    buttons->addWidget(helpButton);
    buttons->addWidget(closeButton);
    choices->addLayout(buttons);
}

void OptionsTab::addHints() {
    hints_->addArea(choicesFrame, choicesHint, choicesNormal);
    hints_->addLine(choicesHint, {{choicesHint, choicesNormal}});
    hints_->addHint(internetPathLabel, locationsHint, tr("Path To Your \"Temporary Internet Files\""));
    hints_->addHint(tempPathLabel, locationsHint, tr("Path To Your \"Temp\" File Location"));
    hints_->addHint(cookiesPathLabel, locationsHint, tr("Path To Your \"Cookie\" File Location"));
    hints_->addArea(locationsFrame, locationsHint, locationsNormal);
    hints_->addLine(locationsHint, {{locationsHint, locationsNormal}});
}

void OptionsTab::enter() {
    showFolderPaths();
    SetCheckBoxes();
}

CleaningChoices OptionsTab::choices() const {
    CleaningChoices checked;
    for (int box = 0; box < ChoiceCount; ++box) {
        checked.checked[box] = boxes[box]->isChecked();
    }
    return checked;
}

void OptionsTab::showFolderPaths() {
    // Without a "Cache" value the web cache is every browser's cache, found when the
    // Internet page lists them (finding them reads the browsers' files).
    if (SpecialFolderChosen(CSIDL_INTERNET_CACHE)) {
        std::string internet = SpecialFolderPath(CSIDL_INTERNET_CACHE);
        AddTrailingSlashInPlace(internet);
        internetPathLabel->setPath(QString::fromStdString(internet));
    } else {
        internetPathLabel->setPath(tr("The Caches Of Your Browsers"));
    }
    tempPathLabel->setPath(QString::fromStdString(TempFolderPath()));
    cookiesPathLabel->setPath(QString::fromStdString(SpecialFolderPath(CSIDL_COOKIES)));
}

void OptionsTab::SetCheckBoxes() {
    std::array<bool, ChoiceCount> set{};
    for (int box = 0; box < ChoiceCount; ++box) {
        set[box] = IsFlagSet(kBoxes[box].flag);
    }
    for (const int box :
         {ShutdownChoice, UserFolderChoice, InternetChoice, TempChoice, AutoFunctionChoice, CookieChoice}) {
        // A box this changes writes its state back.
        boxes[box]->setChecked(set[box]);
    }
}

void OptionsTab::storeBox(int box) {
    const bool checked = boxes[box]->isChecked();
    // A clear counts once the store says the flag is gone: a store another program holds
    // may have kept it without being able to say so.
    if (restoring_ ||
        (StoreFlag(kBoxes[box].flag, checked) && (checked || FlagKnownCleared(kBoxes[box].flag)))) {
        return;
    }
    restoring_ = true;
    boxes[box]->setChecked(!checked);
    restoring_ = false;
    if (!writeFailureTold_) {
        writeFailureTold_ = true;
        messages().show(
            tr("Your Choice Could Not Be Saved!\r\n\r\nThe Boxes Show What Is Stored.").toStdString(),
            MessageKind::Critical);
    }
}

void OptionsTab::viriRererNow() {
    const bool internet = isChecked(InternetChoice);
    const bool temp = isChecked(TempChoice);
    const bool cookie = isChecked(CookieChoice);
    const bool folders = isChecked(UserFolderChoice);
    if (!internet && !temp && !cookie && !folders) {
        messages().show(tr("You Have Not Selected Any Files To Be Cleaned!").toStdString(),
                        MessageKind::Information);
        return;
    }
    if (!messages().ask(ViriRererQuestion(internet, temp, cookie, folders), MessageKind::Question)) {
        return;
    }
    // The boxes are read again: the question may have taken a while.
    emit viriRererRequested(choices());
}

} // namespace tidorax
