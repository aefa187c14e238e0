#include "gui/info/CalendarWindow.h"

#include "gui/common/WindowSizes.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QFont>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// The window's width in pixels at 100 % scale, frame included.
constexpr int OuterWidth = 235;
// The margin around the calendar, which at its smallest just fills that width.
constexpr int kMargin = 7;
} // namespace

CalendarWindow::CalendarWindow(QWidget* parent)
    : QDialog(parent)
    , m_monthView(new QCalendarWidget(this))
{
    setObjectName(QStringLiteral("ViewCalendar"));
    setWindowTitle(tr("Calendar"));
    setModal(false);

    m_monthView->setObjectName(QStringLiteral("MonthView1"));
    m_monthView->setAccessibleName(tr("Calendar"));
    // The days are a view of the calendar's own; a screen reader names it as the calendar.
    for (QAbstractItemView* days : m_monthView->findChildren<QAbstractItemView*>()) {
        days->setAccessibleName(tr("Days of the month"));
    }
    m_monthView->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    m_monthView->setDateRange(QDate(1753, 1, 1), QDate(9999, 12, 31));
    // The calendar keeps the window's small width by using the dialog font of the design, 8.25
    // points, at which its day names and dates fit whole.
    QFont font = m_monthView->font();
    font.setPointSizeF(8.25);
    m_monthView->setFont(font);

    auto* close = new QPushButton(tr("Close"), this);
    close->setObjectName(QStringLiteral("Command1"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    column->addWidget(m_monthView, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    buttons->addStretch(1);
    column->addLayout(buttons);

    showToday();
}

CalendarWindow* CalendarWindow::openSingle()
{
    static QPointer<CalendarWindow> instance;
    if (!instance) {
        instance = new CalendarWindow(nullptr);
        instance->setAttribute(Qt::WA_DeleteOnClose);
        WindowSizes::fitToScreen(instance);
    }
    instance->show();
    instance->raise();
    instance->activateWindow();
    return instance;
}

void CalendarWindow::showToday()
{
    m_monthView->setSelectedDate(initialDate());
    m_monthView->setCurrentPage(initialDate().year(), initialDate().month());
    resize(OuterWidth, sizeHint().height());
}

void CalendarWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The outer width includes the window frame, which is known only once the window is shown.
    if (!m_outerWidthSet) {
        m_outerWidthSet = true;
        const int frame = frameGeometry().width() - width();
        resize(OuterWidth - frame, height());
    }
}
