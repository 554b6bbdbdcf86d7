#pragma once

#include <QLocale>
#include <QString>
#include <QTranslator>

// Puts an interface language into effect for the running program: Zelvora's and Qt's own
// translations, the layout direction (right to left for Arabic: menus, windows and their bars
// mirror) and the locale dates are written in. Undone when it goes.
class InterfaceTranslation
{
public:
    InterfaceTranslation(const QString& language, const QLocale& locale);
    ~InterfaceTranslation();
    InterfaceTranslation(const InterfaceTranslation&) = delete;
    InterfaceTranslation& operator=(const InterfaceTranslation&) = delete;

    // Zelvora's translation into the language; false for English, whose texts are the sources.
    bool hasTranslation() const { return m_zelvoraInstalled; }

private:
    QTranslator m_zelvora;
    QTranslator m_qt;
    bool m_zelvoraInstalled = false;
    bool m_qtInstalled = false;
    QLocale m_previousLocale;
    Qt::LayoutDirection m_previousDirection;
};
