#pragma once

#include <QColor>
#include <QMargins>
#include <QWidget>

// A company symbol on a tinted, rounded background. The text area may carry a second tint of its
// own inside the outer one (the list rows draw both).
class TagLabel : public QWidget
{
    Q_OBJECT
public:
    struct Look
    {
        QFont font;
        QColor text;
        QColor fill;
        QColor innerFill; // invalid: none
        qreal radius = 4;
        QMargins padding; // around the text
    };

    TagLabel(const QString& text, Look look, QWidget* parent = nullptr);

    QString text() const { return m_text; }
    const Look& look() const { return m_look; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    Look m_look;
    QSize m_hint;
};
