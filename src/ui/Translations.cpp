#include "ui/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

#include <cmath>

namespace {

class PseudoTranslator : public QTranslator {
public:
    using QTranslator::QTranslator;
    QString translate(const char*, const char* source, const char*, int) const override {
        return Translations::pseudo(QString::fromUtf8(source));
    }
    bool isEmpty() const override { return false; }
};

QList<QPointer<QTranslator>>& installed() {
    static QList<QPointer<QTranslator>> translators;
    return translators;
}

void removeInstalled() {
    for (const QPointer<QTranslator>& translator : std::as_const(installed())) {
        if (!translator)
            continue;
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    installed().clear();
}

void add(QTranslator* translator) {
    QCoreApplication::installTranslator(translator);
    installed().append(translator);
}

} // namespace

namespace Translations {

bool install(const QLocale& locale) {
    removeInstalled();
    QCoreApplication* app = QCoreApplication::instance();
    auto* qt = new QTranslator(app);
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        add(qt);
    else
        delete qt;
    auto* own = new QTranslator(app);
    if (own->load(locale, QStringLiteral("tavrin"), QStringLiteral("_"),
                  QStringLiteral(":/i18n"))) {
        add(own);
        return true;
    }
    delete own;
    return false;
}

void installPseudo() {
    removeInstalled();
    add(new PseudoTranslator(QCoreApplication::instance()));
}

QString pseudo(const QString& source) {
    if (source.isEmpty())
        return source;
    // Two brackets and a run of dots make the text 40 % longer, at least by the brackets.
    const auto extra = qsizetype(std::ceil(source.size() * 0.4));
    return QLatin1Char('[') + source + QString(std::max<qsizetype>(0, extra - 2), QChar(0x00B7)) +
           QLatin1Char(']');
}

bool isPseudo(const QString& text) {
    return text.startsWith(QLatin1Char('[')) && text.endsWith(QLatin1Char(']'));
}

} // namespace Translations
