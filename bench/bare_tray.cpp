// The yardsticks for the tray program's footprint: a bare Qt tray icon with a 20-item menu, and (built
// as bare_tray_https) the same icon that first makes one HTTPS request through libcurl, verified
// against the CA bundle given (bare_tray_https URL CA_FILE).
#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>

#ifdef BARE_TRAY_HTTPS
#include <curl/curl.h>

namespace {
bool fetchOnce(const char* url, const char* caFile)
{
    CURL* curl = curl_easy_init();
    if (!curl)
        return false;
    curl_easy_setopt(curl, CURLOPT_URL, url);
    curl_easy_setopt(curl, CURLOPT_CAINFO, caFile);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 30L);
    curl_easy_setopt(
        curl, CURLOPT_WRITEFUNCTION, +[](char*, size_t size, size_t count, void*) { return size * count; });
    const CURLcode result = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    return result == CURLE_OK;
}
} // namespace
#endif

int main(int argc, char** argv)
{
#ifdef BARE_TRAY_HTTPS
    if (argc < 3 || !fetchOnce(argv[1], argv[2]))
        return 1;
#endif
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QMenu menu;
    for (int i = 0; i < 20; ++i)
        menu.addAction(QStringLiteral("Announcement number %1 with a title of ordinary length").arg(i));
    QPixmap bell(22, 22);
    bell.fill(Qt::darkYellow);
    QSystemTrayIcon icon{QIcon(bell)};
    icon.setContextMenu(&menu);
    icon.setToolTip(QStringLiteral("Bare tray"));
    icon.show();
    return QApplication::exec();
}
