#include "desktop/Translation.h"

#include <QTranslator>

namespace tidorax {

bool LoadTranslation(QTranslator& translator, const QLocale& locale, const QString& folder) {
    return translator.load(locale, QStringLiteral("tidorax"), QStringLiteral("_"), folder);
}

} // namespace tidorax
