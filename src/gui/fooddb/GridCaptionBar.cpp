#include "gui/fooddb/GridCaptionBar.h"

#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QTableView>

GridCaptionBar::GridCaptionBar(QTableView* view, const QStringList& captions, QWidget* parent)
    : QWidget(parent)
    , m_view(view)
{
    setCaptions(captions);
    QHeaderView* header = m_view->horizontalHeader();
    connect(header, &QHeaderView::sectionResized, this, &GridCaptionBar::placeCaptions);
    connect(header, &QHeaderView::sectionMoved, this, &GridCaptionBar::placeCaptions);
    connect(m_view->horizontalScrollBar(), &QScrollBar::valueChanged, this, &GridCaptionBar::placeCaptions);
    // The grid's frame and vertical header decide where its first column starts.
    m_view->installEventFilter(this);
    m_view->viewport()->installEventFilter(this);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void GridCaptionBar::setCaptions(const QStringList& captions)
{
    while (m_labels.size() > captions.size()) {
        delete m_labels.takeLast();
    }
    QFont bold = font();
    bold.setBold(true);
    for (int column = 0; column < captions.size(); ++column) {
        if (column == m_labels.size()) {
            auto* label = new QLabel(this);
            label->setObjectName(QStringLiteral("ColumnCaption%1").arg(column));
            label->setFont(bold);
            m_labels.append(label);
        }
        m_labels.at(column)->setText(captions.at(column));
    }
    placeCaptions();
}

QSize GridCaptionBar::sizeHint() const
{
    int height = 0;
    for (const QLabel* label : m_labels) {
        height = std::max(height, label->sizeHint().height());
    }
    return { 0, height };
}

void GridCaptionBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeCaptions();
}

void GridCaptionBar::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    placeCaptions();
}

bool GridCaptionBar::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize || event->type() == QEvent::Move) {
        placeCaptions();
    }
    return QWidget::eventFilter(watched, event);
}

void GridCaptionBar::placeCaptions()
{
    const QHeaderView* header = m_view->horizontalHeader();
    const QPoint origin = mapFromGlobal(m_view->viewport()->mapToGlobal(QPoint(0, 0)));
    for (int column = 0; column < m_labels.size(); ++column) {
        QLabel* label = m_labels.at(column);
        if (column >= header->count()) {
            label->hide();
            continue;
        }
        label->setGeometry(
            origin.x() + header->sectionViewportPosition(column), 0, header->sectionSize(column), height());
        label->show();
    }
}
