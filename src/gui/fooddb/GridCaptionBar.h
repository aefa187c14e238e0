#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>

class QLabel;
class QTableView;

// A row of bold captions standing over the columns of a grid that shows no header of its own.
// Each caption follows its column as columns are resized or the grid scrolls sideways.
class GridCaptionBar : public QWidget
{
    Q_OBJECT

public:
    GridCaptionBar(QTableView* view, const QStringList& captions, QWidget* parent = nullptr);

    QLabel* caption(int column) const { return m_labels.value(column); }
    // Captions for columns the grid gained or lost; those of the columns kept stay as they are.
    void setCaptions(const QStringList& captions);
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeCaptions();

    QTableView* m_view;
    QList<QLabel*> m_labels;
};
