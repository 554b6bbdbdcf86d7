#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

// The language menus, windows and alerts are shown in. It is separate from the feed language: a
// reader may want Arabic announcements under an English interface, or the other way round.
class InterfaceLanguage
{
public:
    enum class Choice { System, English, Arabic };

    // Stored as "system", "en" or "ar"; anything else (an older file has no value) reads as System.
    static Choice fromSetting(const QString& value);
    static QString settingFor(Choice choice);

    // "ar" or "en". System takes the first of the user's preferred languages (LANGUAGE, then
    // LC_ALL, LC_MESSAGES and LANG, as QLocale::system().uiLanguages() lists them) that Zelvora
    // speaks, and English when none is.
    static QString resolve(Choice choice, const QStringList& preferredLanguages);

    // The locale dates and numbers follow: the system's when it is of the same language, else the
    // language's Saudi or US default.
    static QLocale localeFor(const QString& language, const QLocale& system);
};
