#include "windows/QuietHoursEditor.h"

#include "model/DisplayTime.h"
#include "model/Preferences.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>
#include <algorithm>

namespace {
const QString kTimeFormat = QStringLiteral("HH:mm");
}

QuietHoursEditor::QuietHoursEditor(Preferences& preferences, QWidget* parent)
    : QWidget(parent), m_preferences(preferences)
{
    m_mode = new QComboBox;
    m_mode->addItems({tr("Off"), tr("Trading days only"), tr("From \u2026 to \u2026")});
    m_from = new QTimeEdit;
    m_to = new QTimeEdit;
    for (QTimeEdit* edit : {m_from, m_to}) {
        edit->setDisplayFormat(kTimeFormat);
        connect(edit, &QTimeEdit::timeChanged, this, [this] { save(); });
    }
    connect(m_mode, &QComboBox::currentIndexChanged, this, [this] { save(); });
    m_digest = new QCheckBox(tr("Morning digest at"));
    m_digestTime = new QTimeEdit(QTime(9, 15));
    m_digestTime->setDisplayFormat(kTimeFormat);
    connect(m_digest, &QCheckBox::toggled, this, [this] { save(); });
    connect(m_digestTime, &QTimeEdit::timeChanged, this, [this] { save(); });

    auto* span = new QHBoxLayout;
    span->addWidget(new QLabel(tr("From")));
    span->addWidget(m_from);
    span->addWidget(new QLabel(tr("to")));
    span->addWidget(m_to);
    span->addWidget(new QLabel(tr("(Riyadh time)")));
    span->addStretch();

    auto* digest = new QHBoxLayout;
    digest->addWidget(m_digest);
    digest->addWidget(m_digestTime);
    digest->addWidget(new QLabel(tr("(Riyadh time, trading days)")));
    digest->addStretch();

    m_mutes = new QVBoxLayout;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_mode);
    layout->addLayout(span);
    layout->addLayout(digest);
    layout->addWidget(new QLabel(tr("Muted companies")));
    layout->addLayout(m_mutes);
    layout->addStretch();
    reload();
}

void QuietHoursEditor::reload()
{
    m_loading = true;
    const QuietHours quiet = m_preferences.quietHours();
    m_mode->setCurrentIndex(quiet.isOff() ? Off : quiet.isOutsideTrading() ? TradingDaysOnly : FromTo);
    if (!quiet.isOff() && !quiet.isOutsideTrading()) {
        m_from->setTime(QTime(0, 0).addSecs(quiet.startMinute() * 60));
        m_to->setTime(QTime(0, 0).addSecs(quiet.endMinute() * 60));
    }
    m_from->setEnabled(m_mode->currentIndex() == FromTo);
    m_to->setEnabled(m_mode->currentIndex() == FromTo);
    const std::optional<int> digest = m_preferences.digestTime();
    m_digest->setChecked(digest.has_value());
    if (digest)
        m_digestTime->setTime(QTime(0, 0).addSecs(*digest * 60));
    m_digestTime->setEnabled(digest.has_value());
    m_loading = false;
    listMutes();
}

void QuietHoursEditor::save()
{
    if (m_loading)
        return;
    const int mode = m_mode->currentIndex();
    m_from->setEnabled(mode == FromTo);
    m_to->setEnabled(mode == FromTo);
    if (mode == Off)
        m_preferences.setQuietHours(QString());
    else if (mode == TradingDaysOnly)
        m_preferences.setQuietHours(QuietHours::kOutsideTrading);
    else if (m_from->time() != m_to->time()) // equal times would be no span at all
        m_preferences.setQuietHours(m_from->time().toString(kTimeFormat) + QLatin1Char('-') +
                                    m_to->time().toString(kTimeFormat));
    m_digestTime->setEnabled(m_digest->isChecked());
    m_preferences.setDigestTime(m_digest->isChecked() ? m_digestTime->time().toString(kTimeFormat)
                                                      : QString());
}

void QuietHoursEditor::listMutes()
{
    // Later: a row's button may be the one being clicked.
    while (QLayoutItem* item = m_mutes->takeAt(0)) {
        if (QWidget* row = item->widget()) {
            row->hide();
            row->deleteLater();
        }
        delete item;
    }
    const Instant now = Instant::now();
    const QHash<QString, Instant> muted = m_preferences.mutedSymbols();
    QStringList symbols = muted.keys();
    symbols.sort();
    for (const QString& symbol : std::as_const(symbols)) {
        if (!(now < muted.value(symbol)))
            continue; // ended by itself
        auto* row = new QWidget;
        auto* line = new QHBoxLayout(row);
        line->setContentsMargins(0, 0, 0, 0);
        line->addWidget(new QLabel(
            tr("%1, muted until %2").arg(symbol, DisplayTime::announcement(muted.value(symbol), now))));
        auto* lift = new QPushButton(tr("Unmute"));
        connect(lift, &QPushButton::clicked, this, [this, symbol] {
            m_preferences.unmuteSymbol(symbol);
            listMutes();
        });
        line->addWidget(lift);
        line->addStretch();
        m_mutes->addWidget(row);
    }
    if (m_mutes->isEmpty())
        m_mutes->addWidget(new QLabel(tr("None")));
}
