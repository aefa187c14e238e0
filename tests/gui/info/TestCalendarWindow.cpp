#include "gui/info/CalendarWindow.h"

#include <QCalendarWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>

class TestCalendarWindow : public QObject
{
    Q_OBJECT

private slots:
    void startsAtInitialDate();
    void openSingleKeepsOneWindow();
    void closingAndReopeningResets_data();
    void closingAndReopeningResets();
    void staysOpenWhenOtherWindowsClose();
};

void TestCalendarWindow::startsAtInitialDate()
{
    CalendarWindow calendar;
    calendar.show();
    QCOMPARE(calendar.windowTitle(), QStringLiteral("Calendar"));
    QVERIFY(!calendar.isModal());
    auto* monthView = calendar.findChild<QCalendarWidget*>(QStringLiteral("MonthView1"));
    QVERIFY(monthView);
    QCOMPARE(monthView->selectedDate(), QDate(2010, 11, 25));
    QCOMPARE(monthView->yearShown(), 2010);
    QCOMPARE(monthView->monthShown(), 11);
    QCOMPARE(monthView->minimumDate(), QDate(1753, 1, 1));
    QCOMPARE(monthView->maximumDate(), QDate(9999, 12, 31));
    QCOMPARE(calendar.frameGeometry().width(), 235);
    QCOMPARE(calendar.findChild<QPushButton*>(QStringLiteral("Command1"))->text(), QStringLiteral("Close"));

    // The range holds: dates outside it are refused.
    monthView->setSelectedDate(QDate(1700, 1, 1));
    QCOMPARE(monthView->selectedDate(), QDate(1753, 1, 1));
}

void TestCalendarWindow::openSingleKeepsOneWindow()
{
    QPointer<CalendarWindow> first = CalendarWindow::openSingle();
    QVERIFY(first);
    QVERIFY(first->isVisible());
    QVERIFY(!first->parentWidget());
    auto* monthView = first->findChild<QCalendarWidget*>(QStringLiteral("MonthView1"));
    monthView->setCurrentPage(2024, 3);

    // Choosing the calendar again brings the same window forward, still on the month moved to.
    QPointer<CalendarWindow> second = CalendarWindow::openSingle();
    QCOMPARE(second.data(), first.data());
    QCOMPARE(monthView->yearShown(), 2024);
    QCOMPARE(monthView->monthShown(), 3);
    int calendars = 0;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        calendars += qobject_cast<CalendarWindow*>(window) != nullptr;
    }
    QCOMPARE(calendars, 1);

    first->close();
    QTRY_VERIFY(!first);
}

void TestCalendarWindow::closingAndReopeningResets_data()
{
    QTest::addColumn<bool>("byButton");
    QTest::newRow("Close button") << true;
    QTest::newRow("close box") << false;
}

void TestCalendarWindow::closingAndReopeningResets()
{
    QFETCH(bool, byButton);
    QPointer<CalendarWindow> calendar = CalendarWindow::openSingle();
    auto* monthView = calendar->findChild<QCalendarWidget*>(QStringLiteral("MonthView1"));
    monthView->setCurrentPage(2015, 6);
    monthView->setSelectedDate(QDate(2015, 6, 3));
    if (byButton) {
        QTest::mouseClick(calendar->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    } else {
        calendar->close();
    }
    QTRY_VERIFY(!calendar);

    QPointer<CalendarWindow> again = CalendarWindow::openSingle();
    monthView = again->findChild<QCalendarWidget*>(QStringLiteral("MonthView1"));
    QCOMPARE(monthView->selectedDate(), QDate(2010, 11, 25));
    QCOMPARE(monthView->monthShown(), 11);
    QCOMPARE(monthView->yearShown(), 2010);
    again->close();
    QTRY_VERIFY(!again);
}

void TestCalendarWindow::staysOpenWhenOtherWindowsClose()
{
    auto* mainWindow = new QWidget;
    mainWindow->setAttribute(Qt::WA_DeleteOnClose);
    mainWindow->show();
    QPointer<CalendarWindow> calendar = CalendarWindow::openSingle();
    mainWindow->close();
    QCoreApplication::processEvents();
    QVERIFY(calendar);
    QVERIFY(calendar->isVisible());
    calendar->close();
    QTRY_VERIFY(!calendar);
}

QTEST_MAIN(TestCalendarWindow)
#include "TestCalendarWindow.moc"
