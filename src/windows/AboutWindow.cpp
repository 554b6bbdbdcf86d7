#include "windows/AboutWindow.h"

#include "model/AppConstants.h"
#include "windows/WindowStyle.h"

#include <QLabel>

namespace {
// Frames are given with the origin at the lower left, as the layout was drawn.
QRect frameFromBottom(int x, int y, int width, int height)
{
    return {x, AboutWindow::kHeight - y - height, width, height};
}

QLabel* addLabel(QWidget* parent, const QString& text, const QFont& font, const QColor& color,
                 const QRect& frame)
{
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    label->setGeometry(frame);
    return label;
}
} // namespace

QString AboutWindow::versionLine()
{
    return tr("Version %1 (%2)").arg(AppConstants::appVersion, AppConstants::buildNumber);
}

AboutWindow::AboutWindow(const QUrl& homepage, QWidget* parent) : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("About Zelvora"));
    setFixedSize(kWidth, kHeight);
    setWindowFlag(Qt::WindowMinimizeButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);

    const QPalette pal = palette();
    QFont bell(QStringLiteral("Noto Color Emoji"));
    bell.setPixelSize(48);
    addLabel(this, QStringLiteral("\U0001F514"), bell, WindowStyle::labelColor(pal),
             frameFromBottom(0, 195, 320, 55));
    addLabel(this, AppConstants::appName, WindowStyle::systemFont(18, QFont::Bold),
             WindowStyle::labelColor(pal), frameFromBottom(0, 168, 320, 24));
    addLabel(this, versionLine(), WindowStyle::systemFont(11), WindowStyle::secondaryLabelColor(pal),
             frameFromBottom(0, 150, 320, 16));
    QLabel* blurb = addLabel(this,
                             tr("Tadawul announcements \u2014 company disclosures and market news from "
                                "the Saudi Exchange."),
                             WindowStyle::systemFont(12), WindowStyle::secondaryLabelColor(pal),
                             frameFromBottom(30, 100, 260, 44));
    blurb->setWordWrap(true);
    addLabel(this, tr("Made by the Zelvora developers"), WindowStyle::systemFont(12, QFont::Medium),
             WindowStyle::tertiaryLabelColor(pal), frameFromBottom(0, 74, 320, 18));

    QLabel* link = addLabel(this, QString(), WindowStyle::systemFont(12), pal.color(QPalette::Link),
                            frameFromBottom(0, 48, 320, 18));
    link->setObjectName(QStringLiteral("homepageLink"));
    link->setTextFormat(Qt::RichText);
    link->setText(
        QStringLiteral("<a href=\"%1\">%2</a>")
            .arg(homepage.toString(QUrl::FullyEncoded).toHtmlEscaped(),
                 (homepage.host().isEmpty() ? homepage.toString() : homepage.host()).toHtmlEscaped()));
    link->setTextInteractionFlags(Qt::TextBrowserInteraction);
    link->setOpenExternalLinks(true);

    QColor quaternary = WindowStyle::tertiaryLabelColor(pal);
    quaternary.setAlphaF(0.7);
    addLabel(this, tr("\u00A9 2026 The Zelvora developers"), WindowStyle::systemFont(10), quaternary,
             frameFromBottom(0, 20, 320, 14));
}
