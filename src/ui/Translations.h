#pragma once

#include <QLocale>
#include <QString>

// The window's language: Tavrin's own texts and Qt's (standard buttons, dialogs) in the
// user's language where there is a translation, English otherwise.
namespace Translations {

// Replaces the installed translations by those for the locale (the system's by default).
// Returns whether Tavrin has a translation for it.
bool install(const QLocale& locale = QLocale::system());
// Every text of Tavrin bracketed and lengthened by 40 %, to find texts that are cut off
// or not translated.
void installPseudo();
// The pseudo-translation of one text.
QString pseudo(const QString& source);
// Whether a text shown went through the pseudo-translation.
bool isPseudo(const QString& text);

} // namespace Translations
