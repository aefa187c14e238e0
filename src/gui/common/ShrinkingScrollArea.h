#pragma once

#include <QScrollArea>

// A frameless scroll area as large as its content needs, so that on a screen with room for the
// window it shows no scroll bars and its content is laid out as if it stood in the window itself.
// Only when the window must shrink to fit a smaller screen does it get smaller than its content,
// which then scrolls (WindowSizes::fitToScreen).
class ShrinkingScrollArea : public QScrollArea
{
    Q_OBJECT

public:
    explicit ShrinkingScrollArea(QWidget* content, QWidget* parent = nullptr);

    // The most the area asks for as its least size, scroll bars included; an invalid size for
    // no limit.
    void setMinimumLimit(QSize limit);
    // What the content needs with nothing to scroll.
    QSize contentMinimum() const;

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

private:
    QSize m_limit;
};
