#include "windows/AboutWindow.h"

#include "model/AppConstants.h"
#include "windows/WindowStyle.h"

#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

namespace {
QLabel* addLabel(QVBoxLayout* layout, const QString& text, const QFont& font, const QColor& color)
{
    auto* label = new QLabel(text);
    label->setFont(font);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    WindowStyle::setColor(label, QPalette::WindowText, color);
    layout->addWidget(label);
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
    setWindowFlag(Qt::WindowMinimizeButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(30, 10, 30, 18);
    layout->setSpacing(4);
    const QPalette pal = palette();
    addLabel(layout, QStringLiteral("\U0001F514"), WindowStyle::emojiFont(48), WindowStyle::windowText(pal));
    addLabel(layout, AppConstants::appName, WindowStyle::generalFont(18, QFont::Bold),
             WindowStyle::windowText(pal));
    addLabel(layout, versionLine(), WindowStyle::generalFont(11), WindowStyle::secondaryText(pal));
    layout->addSpacing(6);
    addLabel(layout,
             tr("Tadawul announcements \u2014 company disclosures and market news from the Saudi Exchange."),
             WindowStyle::generalFont(12), WindowStyle::secondaryText(pal))
        ->setWordWrap(true);
    layout->addSpacing(6);
    addLabel(layout, tr("Made by the Zelvora developers"), WindowStyle::generalFont(12, QFont::Medium),
             WindowStyle::tertiaryText(pal));

    QLabel* link = addLabel(layout, QString(), WindowStyle::generalFont(12), pal.color(QPalette::Link));
    link->setObjectName(QStringLiteral("homepageLink"));
    link->setTextFormat(Qt::RichText);
    link->setText(
        QStringLiteral("<a href=\"%1\">%2</a>")
            .arg(homepage.toString(QUrl::FullyEncoded).toHtmlEscaped(),
                 (homepage.host().isEmpty() ? homepage.toString() : homepage.host()).toHtmlEscaped()));
    link->setTextInteractionFlags(Qt::TextBrowserInteraction);
    link->setOpenExternalLinks(true);

    layout->addStretch();
    QColor quaternary = WindowStyle::tertiaryText(pal);
    quaternary.setAlphaF(0.7);
    addLabel(layout, tr("\u00A9 2026 The Zelvora developers"), WindowStyle::generalFont(10), quaternary);
    // As wide as drawn; as tall as the texts need (the blurb wraps to more lines in some languages).
    setFixedSize(kWidth, std::max(kHeight, layout->totalHeightForWidth(kWidth)));
}
