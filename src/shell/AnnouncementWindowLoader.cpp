#include "shell/AnnouncementWindowLoader.h"

#include "infra/LogCategories.h"
#include "windows/module/WebModuleInterface.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QOpenGLContext>
#include <unistd.h>

// Exported by QtGui (its private header is not installed): the context QtWebEngine shares its
// textures with. A program that links QtWebEngine gets it made at start-up; loaded later, it is
// made here, when the first announcement window needs it.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

namespace {
using Factory = QWidget* (*)(const Announcement&, const AnnouncementWindow::Services&);
using Version = int (*)();

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
            const auto version =
                reinterpret_cast<Version>(library.resolve(WebModuleInterface::kVersionSymbol));
            if (!version) {
                errors.append(library.errorString());
                continue;
            }
            if (version() != WebModuleInterface::kVersion) {
                errors.append(QStringLiteral("%1 has version %2, not %3")
                                  .arg(path)
                                  .arg(version())
                                  .arg(WebModuleInterface::kVersion));
                library.unload();
                continue;
            }
            if (auto symbol = reinterpret_cast<Factory>(library.resolve(WebModuleInterface::kFactorySymbol)))
                return symbol; // the library stays loaded for the life of the process
            errors.append(library.errorString());
        }
        qCInfo(lcAnnouncementWindowLoader, "Could not load the announcement window module: %s",
               errors.isEmpty() ? "libzelvora-web.so not found"
                                : qUtf8Printable(errors.join(QStringLiteral("; "))));
        return Factory(nullptr);
    }();
    return factory;
}
} // namespace

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

QString AnnouncementWindowLoader::webEngineRefusal(bool runAsRoot, const QProcessEnvironment& environment)
{
    const QString disabled = environment.value(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"));
    const bool sandboxOff = (!disabled.isEmpty() && disabled != QLatin1String("0")) ||
                            environment.value(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"))
                                .split(QLatin1Char(' '))
                                .contains(QLatin1String("--no-sandbox"));
    if (!runAsRoot || sandboxOff)
        return {};
    return QCoreApplication::translate("AnnouncementWindowLoader",
                                       "Zelvora cannot show announcements itself while it runs as the root "
                                       "user: its web engine refuses to start. The announcement opens in "
                                       "your browser instead.");
}

QString AnnouncementWindowLoader::webEngineRefusal()
{
    return webEngineRefusal(::geteuid() == 0, QProcessEnvironment::systemEnvironment());
}

QWidget* AnnouncementWindowLoader::create(const Announcement& announcement,
                                          const AnnouncementWindow::Services& services)
{
    const Factory factory = loadFactory();
    return factory ? factory(announcement, services) : nullptr;
}
