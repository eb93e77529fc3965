#include "desktop/options/TabCaptions.h"

#include <QCoreApplication>

namespace tidorax {

namespace {

// The line in the user's language with the number in place of "%1".
std::string caption(const char* text, std::size_t number) {
    return QCoreApplication::translate("tidorax::TabCaptions", text).arg(number).toStdString();
}

} // namespace

std::string InternetFolderCaption(std::size_t files) {
    return caption(QT_TRANSLATE_NOOP("tidorax::TabCaptions", "Temporary Internet Folder Contains %1 Files"),
                   files);
}

std::string TempFolderCaption(std::size_t files) {
    return caption(QT_TRANSLATE_NOOP("tidorax::TabCaptions", "Temp Folder Contains %1 Files"), files);
}

std::string TempInUseCaption(std::size_t files) {
    return caption(QT_TRANSLATE_NOOP("tidorax::TabCaptions", "The %1 Files Remaining Are In Use"), files);
}

std::string CookieFolderCaption(std::size_t files) {
    return caption(QT_TRANSLATE_NOOP("tidorax::TabCaptions", "Cookie Folder Contains %1 Cookies"),
                   files == 0 ? 0 : files - 1);
}

std::string SavedCookiesCaption(std::size_t saved) {
    return caption(QT_TRANSLATE_NOOP("tidorax::TabCaptions", "You Have %1 Cookies Saved"), saved);
}

} // namespace tidorax
