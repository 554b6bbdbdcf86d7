#pragma once

#include <QUrl>
#include <QWidget>

// "About Zelvora": a new small window each time, owned by nobody, deleted when closed; at least
// kWidth × kHeight, taller when its texts need it.
class AboutWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 260;

    explicit AboutWindow(const QUrl& homepage, QWidget* parent = nullptr);

    static QString versionLine();
};
