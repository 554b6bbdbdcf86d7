#pragma once

#include <QColor>
#include <QWidget>

// A word-wrapped label that shows at most a given number of lines and ends the last one with an
// ellipsis when the text goes on. An empty text takes no height.
class LineClampLabel : public QWidget
{
    Q_OBJECT
public:
    explicit LineClampLabel(const QString& text = {}, QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);
    void setMaxLines(int lines);
    // Qt::AlignLeft or Qt::AlignRight (kept as given, not mirrored with the widget's direction).
    void setTextAlignment(Qt::Alignment alignment);
    Qt::Alignment textAlignment() const { return m_alignment; }
    void setTextDirection(Qt::LayoutDirection direction);
    Qt::LayoutDirection textDirection() const { return m_direction; }
    void setTextColor(const QColor& color);

    // The number of lines shown at a given width (0 for an empty text).
    int visibleLineCount(int width) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Lines
    {
        int width = -1;
        QList<std::pair<int, int>> spans; // start and length in m_layoutText
        bool truncated = false;
    };
    const Lines& linesFor(int width) const;
    void invalidate();

    QString m_text;
    QString m_layoutText; // line feeds as line separators
    int m_maxLines = 2;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    Qt::LayoutDirection m_direction = Qt::LeftToRight;
    QColor m_color;
    mutable Lines m_cache;
};
