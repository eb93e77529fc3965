#include "desktop/windows/ConfigurationLoadingNotice.h"

namespace tidorax {

namespace {

const CountingNotice::Design kDesign = {
    "ConfigurationLoadingNotice",
    "Configuration File Loading",
    "Configuration File          Loading!",
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
