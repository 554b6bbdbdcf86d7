#include "shell/InterfaceTranslation.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLibraryInfo>

InterfaceTranslation::InterfaceTranslation(const QString& language, const QLocale& locale)
    : m_previousLocale(QLocale()), m_previousDirection(QGuiApplication::layoutDirection())
{
    if (m_zelvora.load(QStringLiteral(":/zelvora/i18n/zelvora_") + language))
        m_zelvoraInstalled = QCoreApplication::installTranslator(&m_zelvora);
    // Qt's own texts: standard buttons ("OK"), context menus of text fields.
    if (m_zelvoraInstalled &&
        m_qt.load(QStringLiteral("qtbase_") + language, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        m_qtInstalled = QCoreApplication::installTranslator(&m_qt);
    QLocale::setDefault(locale);
    QGuiApplication::setLayoutDirection(locale.textDirection());
}

InterfaceTranslation::~InterfaceTranslation()
{
    if (m_qtInstalled)
        QCoreApplication::removeTranslator(&m_qt);
    if (m_zelvoraInstalled)
        QCoreApplication::removeTranslator(&m_zelvora);
    QLocale::setDefault(m_previousLocale);
    QGuiApplication::setLayoutDirection(m_previousDirection);
}
