#include "shell/AnnouncementWindowLoader.h"

#include "model/Log.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QOpenGLContext>

// Exported by QtGui (its private header is not installed): the context QtWebEngine shares its
// textures with. A program that links QtWebEngine gets it made at start-up; loaded later, it is
// made here, when the first announcement window needs it.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

namespace {
AnnouncementWindowLoader::Creator& installedCreator()
{
    static AnnouncementWindowLoader::Creator creator;
    return creator;
}

using Factory = QWidget* (*)(const Announcement&, UrlOpener*);

void prepareSharedOpenGLContext()
{
    if (QOpenGLContext::globalShareContext())
        return;
    auto* context = new QOpenGLContext(QCoreApplication::instance());
    context->create();
    qt_gl_set_global_share_context(context);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

Factory loadFactory()
{
    static Factory factory = [] {
        prepareSharedOpenGLContext();
        QStringList errors;
        for (const QString& path : AnnouncementWindowLoader::moduleCandidates()) {
            if (!QFileInfo::exists(path))
                continue;
            QLibrary library(path);
            if (auto symbol = reinterpret_cast<Factory>(library.resolve("zelvora_createAnnouncementWindow")))
                return symbol; // the library stays loaded for the life of the process
            errors.append(library.errorString());
        }
        Log::line(QStringLiteral("AppDelegate"),
                  QStringLiteral("Could not load the announcement window module: %1")
                      .arg(errors.isEmpty() ? QStringLiteral("libzelvora-web.so not found")
                                            : errors.join(QStringLiteral("; "))));
        return Factory(nullptr);
    }();
    return factory;
}
} // namespace

void AnnouncementWindowLoader::setCreator(Creator creator)
{
    installedCreator() = std::move(creator);
}

QStringList AnnouncementWindowLoader::moduleCandidates()
{
    QStringList candidates;
    const QString fromEnvironment = qEnvironmentVariable("ZELVORA_WEB_MODULE");
    if (!fromEnvironment.isEmpty())
        candidates.append(fromEnvironment);
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

QWidget* AnnouncementWindowLoader::create(const Announcement& announcement, UrlOpener* opener)
{
    if (installedCreator())
        return installedCreator()(announcement, opener);
    const Factory factory = loadFactory();
    return factory ? factory(announcement, opener) : nullptr;
}
