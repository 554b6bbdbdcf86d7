#include "model/InterfaceLanguage.h"

#include "infra/SettingsStore.h"
#include "model/SettingsKeys.h"

namespace {
const QString kSystem = QStringLiteral("system");
const QString kEnglish = QStringLiteral("en");
const QString kArabic = QStringLiteral("ar");

// "ar-SA", "ar_SA.UTF-8" and "ar" all name Arabic.
QString primaryLanguage(const QString& tag)
{
    return tag.section(QLatin1Char('-'), 0, 0)
        .section(QLatin1Char('_'), 0, 0)
        .section(QLatin1Char('.'), 0, 0)
        .toLower();
}
} // namespace

InterfaceLanguage::Choice InterfaceLanguage::fromSetting(const QString& value)
{
    if (value == kEnglish)
        return Choice::English;
    if (value == kArabic)
        return Choice::Arabic;
    return Choice::System;
}

QString InterfaceLanguage::settingFor(Choice choice)
{
    switch (choice) {
    case Choice::English:
        return kEnglish;
    case Choice::Arabic:
        return kArabic;
    case Choice::System:
        break;
    }
    return kSystem;
}

QString InterfaceLanguage::resolve(Choice choice, const QStringList& preferredLanguages)
{
    if (choice == Choice::English)
        return kEnglish;
    if (choice == Choice::Arabic)
        return kArabic;
    for (const QString& tag : preferredLanguages) {
        const QString language = primaryLanguage(tag);
        if (language == kArabic || language == kEnglish)
            return language;
    }
    return kEnglish;
}

QLocale InterfaceLanguage::localeFor(const QString& language, const QLocale& system)
{
    if (primaryLanguage(system.name()) == language)
        return system;
    return QLocale(language == kArabic ? QStringLiteral("ar_SA") : QStringLiteral("en_US"));
}
