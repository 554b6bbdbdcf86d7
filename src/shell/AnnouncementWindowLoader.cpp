#include "shell/AnnouncementWindowLoader.h"

#include "infra/LogCategories.h"
#include "windows/module/AnnouncementWindowFactory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QOpenGLContext>
#include <QPluginLoader>

// Exported by QtGui, but only declared in its private header (not installed): the context QtWebEngine
// shares its textures with. Qt makes it at start-up when asked to, which would map the OpenGL driver
// for the whole life of an idle tray icon; it is made here instead, when the first announcement window
// needs it.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

namespace {
void prepareSharedOpenGLContext()
{
    if (QOpenGLContext::globalShareContext())
        return;
    auto* context = new QOpenGLContext(QCoreApplication::instance());
    context->create();
    qt_gl_set_global_share_context(context);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

// The factory of the first candidate that loads, or nullptr with the reasons in `errors`.
AnnouncementWindowFactory* loadFactory(const QString& chosenModule, QStringList& errors)
{
    for (const QString& path : AnnouncementWindowLoader::moduleCandidates(chosenModule)) {
        if (!QFileInfo::exists(path))
            continue;
        if (const QString refusal = AnnouncementWindowLoader::refusal(path); !refusal.isEmpty()) {
            errors.append(refusal);
            continue;
        }
        QPluginLoader loader(path);
        // Read from the file without loading it: a stale module is never mapped.
        const QString iid = loader.metaData().value(QLatin1String("IID")).toString();
        if (iid != QLatin1String(ZELVORA_ANNOUNCEMENT_WINDOW_FACTORY_IID)) {
            errors.append(QStringLiteral("%1 is not this version's module (%2)")
                              .arg(path, iid.isEmpty() ? QStringLiteral("no plugin data") : iid));
            continue;
        }
        prepareSharedOpenGLContext();
        // The module stays loaded for the life of the process.
        if (auto* factory = qobject_cast<AnnouncementWindowFactory*>(loader.instance()))
            return factory;
        errors.append(loader.errorString());
    }
    return nullptr;
}

bool writableByOthers(const QFileInfo& info)
{
    return info.permissions() & (QFile::WriteGroup | QFile::WriteOther);
}
} // namespace

QString AnnouncementWindowLoader::refusal(const QString& path)
{
    // Code that anyone else may write runs as the user once loaded: the file and its folder, as named
    // and where a symbolic link leads, must be writable by the owner alone.
    const QFileInfo named(path);
    const QString target = named.canonicalFilePath();
    for (const QFileInfo& file : {named, QFileInfo(target)}) {
        if (writableByOthers(file))
            return QStringLiteral("%1 is writable by other users").arg(file.filePath());
        const QFileInfo folder(file.absolutePath());
        if (writableByOthers(folder))
            return QStringLiteral("%1 is in a folder writable by other users").arg(file.filePath());
    }
    return {};
}

QStringList AnnouncementWindowLoader::moduleCandidates(const QString& chosenModule)
{
    QStringList candidates;
    if (!chosenModule.isEmpty())
        candidates.append(chosenModule);
    candidates.append(QCoreApplication::applicationDirPath() + QStringLiteral("/libzelvora-web.so"));
#ifdef ZELVORA_WEB_MODULE_RELATIVE
    // Installed under another prefix than the one configured (a package, a DESTDIR).
    candidates.append(QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                      QStringLiteral(ZELVORA_WEB_MODULE_RELATIVE));
#endif
#ifdef ZELVORA_WEB_MODULE_INSTALLED
    candidates.append(QStringLiteral(ZELVORA_WEB_MODULE_INSTALLED));
#endif
    return candidates;
}

QString AnnouncementWindowLoader::webEngineRefusal(bool runAsRoot, bool sandboxOff)
{
    if (!runAsRoot || sandboxOff)
        return {};
    return QCoreApplication::translate("AnnouncementWindowLoader",
                                       "Zelvora cannot show announcements itself while it runs as the root "
                                       "user: its web engine refuses to start. The announcement opens in "
                                       "your browser instead.");
}

QWidget* AnnouncementWindowLoader::create(const Announcement& announcement,
                                          const AnnouncementWindow::Services& services,
                                          const QString& chosenModule)
{
    static AnnouncementWindowFactory* const factory = [&chosenModule] {
        QStringList errors;
        AnnouncementWindowFactory* loaded = loadFactory(chosenModule, errors);
        if (!loaded)
            qCInfo(lcAnnouncementWindowLoader, "Could not load the announcement window module: %s",
                   errors.isEmpty() ? "libzelvora-web.so not found"
                                    : qUtf8Printable(errors.join(QStringLiteral("; "))));
        return loaded;
    }();
    return factory ? factory->createAnnouncementWindow(announcement, services) : nullptr;
}
