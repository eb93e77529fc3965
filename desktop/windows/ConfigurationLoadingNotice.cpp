#include "desktop/windows/ConfigurationLoadingNotice.h"

#include <QtGlobal>

namespace tidorax {

namespace {

const CountingNotice::Design kDesign = {
    "ConfigurationLoadingNotice",
    QT_TRANSLATE_NOOP("tidorax::CountingNotice", "Configuration File Loading"),
    QT_TRANSLATE_NOOP("tidorax::CountingNotice", "Configuration File          Loading!"),
    3405,
    1725,
    120,
    120,
    3255,
    1455,
    1080,
    1080,
    1215,
    735,
    250,
};

} // namespace

ConfigurationLoadingNotice::ConfigurationLoadingNotice() : CountingNotice(kDesign) {}

void ConfigurationLoadingNotice::countFinished() {
    emit optionsWanted();
    close();
}

} // namespace tidorax
