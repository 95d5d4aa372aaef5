#include "resources/translations.h"

#include <QCoreApplication>
#include <QTranslator>

void installTranslations()
{
    auto *english = new QTranslator(QCoreApplication::instance());
    if (english->load(QStringLiteral(":/translations/smeltwork_en.qm")))
        QCoreApplication::installTranslator(english);
}
