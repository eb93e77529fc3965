#include "desktop/options/OptionsTab.h"

#include "core/options/OptionsRules.h"
#include "core/plans/CleaningPlans.h"
#include "core/settings/CleaningSettings.h"
#include "core/settings/SpecialFolders.h"
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
    {CleaningFlag::InternetFiles, "Clean Internet Files", "Check To Enable Cleaning Internet Files"},
    {CleaningFlag::TempFiles, "Clean Temp Folder", "Check To Enable Cleaning Temp Files"},
    {CleaningFlag::AutoFunction, "Enable ViriRerer", "Check To Enable ViriRerer Function"},
    {CleaningFlag::CookieFiles, "Clean Cookie Folder", "Check To Enable Cleaning Cookie Files"},
    {CleaningFlag::UserFolder, "Clean Your Folder", "Check To Enable Cleaning Your Folders"},
    {CleaningFlag::Shutdown, "ViriRerer  && Shutdown", "Check To Enable Clean And ShutDown \"OS\""},
};

const QString kChoicesNormal = QStringLiteral("Select An Option Below For ViriRerer Function");
const QString kLocationsNormal = QStringLiteral("Locations of Folders To Be Cleaned");

QLabel* makeLabel(const QString& text, QWidget* parent, const QString& role = {}) {
    auto* label = new QLabel(text, parent);
    label->setAccessibleName(role.isEmpty() ? text : role);
    return label;
}

} // namespace

OptionsTab::OptionsTab(MessageBoxes& messages, QWidget* parent)
    : OptionsPage(messages, parent), hints_(new HoverHints(this)) {
    setObjectName(QStringLiteral("optionsPage"));
    makeLocations();
    makeChoices();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(locationsFrame);
    layout->addWidget(choicesFrame);

    connect(viriRererNowButton, &QPushButton::clicked, this, &OptionsTab::viriRererNow);
    connect(helpButton, &QPushButton::clicked, this, &OptionsPage::helpRequested);
    connect(closeButton, &QPushButton::clicked, this, &OptionsPage::closeRequested);
    addHints();
}

void OptionsTab::makeLocations() {
    locationsFrame = new QFrame(this);
    locationsFrame->setFrameShape(QFrame::StyledPanel);
    locationsHint = makeLabel(kLocationsNormal, locationsFrame, QStringLiteral("Locations hint"));
    internetPathLabel = makeLabel({}, locationsFrame, QStringLiteral("Internet files path"));
    tempPathLabel = makeLabel({}, locationsFrame, QStringLiteral("Temp path"));
    cookiesPathLabel = makeLabel({}, locationsFrame, QStringLiteral("Cookies path"));
    auto* locations = new QGridLayout(locationsFrame);
    locations->addWidget(locationsHint, 0, 0, 1, 2);
    locations->addWidget(makeLabel(QStringLiteral("Internet Files"), locationsFrame), 1, 0);
    locations->addWidget(internetPathLabel, 1, 1);
    locations->addWidget(makeLabel(QStringLiteral("Temp Files"), locationsFrame), 2, 0);
    locations->addWidget(tempPathLabel, 2, 1);
    locations->addWidget(makeLabel(QStringLiteral("Cookie Files"), locationsFrame), 3, 0);
    locations->addWidget(cookiesPathLabel, 3, 1);
}

void OptionsTab::makeChoices() {
    choicesFrame = new QFrame(this);
    choicesFrame->setFrameShape(QFrame::StyledPanel);
    choicesHint = makeLabel(kChoicesNormal, choicesFrame, QStringLiteral("Choices hint"));
    auto* choices = new QVBoxLayout(choicesFrame);
    choices->addWidget(choicesHint);
    for (int box = 0; box < ChoiceCount; ++box) {
        boxes[box] = new QCheckBox(QString::fromLatin1(kBoxes[box].caption), choicesFrame);
        boxes[box]->setAccessibleName(boxes[box]->text().replace(QStringLiteral("&&"), QStringLiteral("&")));
        choices->addWidget(boxes[box]);
        connect(boxes[box], &QCheckBox::clicked, this, [this, box] { storeBox(box); });
        connect(boxes[box], &QCheckBox::toggled, this, [this] { emit choicesChanged(this->choices()); });
        hints_->addHint(boxes[box], choicesHint, QString::fromLatin1(kBoxes[box].hint));
    }
    viriRererNowButton = MakeButton(QStringLiteral("ViriRerer Now"), choicesFrame);
    helpButton = MakeButton(QStringLiteral("Help"), choicesFrame);
    closeButton = MakeButton(QStringLiteral("Close Form"), choicesFrame);
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(viriRererNowButton);
    buttons->addWidget(helpButton);
    buttons->addWidget(closeButton);
    choices->addLayout(buttons);
}

void OptionsTab::addHints() {
    hints_->addArea(choicesFrame, choicesHint, [] { return kChoicesNormal; });
    hints_->addLine(choicesHint, {{choicesHint, [] { return kChoicesNormal; }}});
    hints_->addHint(internetPathLabel, locationsHint,
                    QStringLiteral("Path To Your \"Temporary Internet Files\""));
    hints_->addHint(tempPathLabel, locationsHint, QStringLiteral("Path To Your \"Temp\" File Location"));
    hints_->addHint(cookiesPathLabel, locationsHint, QStringLiteral("Path To Your \"Cookie\" File Location"));
    hints_->addArea(locationsFrame, locationsHint, [] { return kLocationsNormal; });
    hints_->addLine(locationsHint, {{locationsHint, [] { return kLocationsNormal; }}});
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
    std::string internet = SpecialFolderPath(CSIDL_INTERNET_CACHE);
    AddBackslashInPlace(internet);
    internetPathLabel->setText(QString::fromStdString(internet));
    tempPathLabel->setText(QString::fromStdString(TempFolderPath()));
    cookiesPathLabel->setText(QString::fromStdString(SpecialFolderPath(CSIDL_COOKIES)));
}

void OptionsTab::SetCheckBoxes() {
    std::array<bool, ChoiceCount> set{};
    for (int box = 0; box < ChoiceCount; ++box) {
        set[box] = IsFlagSet(kBoxes[box].flag);
    }
    for (const int box :
         {ShutdownChoice, UserFolderChoice, InternetChoice, TempChoice, AutoFunctionChoice, CookieChoice}) {
        if (boxes[box]->isChecked() != set[box]) {
            boxes[box]->setChecked(set[box]);
            storeBox(box);
        }
    }
}

void OptionsTab::storeBox(int box) {
    const bool checked = boxes[box]->isChecked();
    if (StoreFlag(kBoxes[box].flag, checked)) {
        return;
    }
    boxes[box]->setChecked(!checked);
    if (!writeFailureTold_) {
        writeFailureTold_ = true;
        messages().show("Your Choice Could Not Be Saved!\r\n\r\nThe Boxes Show What Is Stored.",
                        MessageKind::Critical);
    }
}

void OptionsTab::viriRererNow() {
    const bool internet = isChecked(InternetChoice);
    const bool temp = isChecked(TempChoice);
    const bool cookie = isChecked(CookieChoice);
    const bool folders = isChecked(UserFolderChoice);
    if (!internet && !temp && !cookie && !folders) {
        messages().show("You Have Not Selected Any Files To Be Cleaned!", MessageKind::Information);
        return;
    }
    if (!messages().ask(ViriRererQuestion(internet, temp, cookie, folders), MessageKind::Question)) {
        return;
    }
    // The boxes are read again: the question may have taken a while.
    emit viriRererRequested(choices());
}

} // namespace tidorax
