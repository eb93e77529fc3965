// The program's texts in the user's language. The texts are written in English, which
// needs no catalog; a catalog tidorax_<language>.qm, compiled from
// resources/translations/ into the program (":/i18n"), translates them.
#pragma once

#include <QLocale>
#include <QString>

class QTranslator;

namespace tidorax {

// Loads into the translator the catalog in the folder that best fits the locale's
// languages (e.g. tidorax_fr_CA.qm, else tidorax_fr.qm); false when none fits.
bool LoadTranslation(QTranslator& translator, const QLocale& locale = QLocale(),
                     const QString& folder = QStringLiteral(":/i18n"));

} // namespace tidorax
