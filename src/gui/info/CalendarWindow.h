#pragma once

#include <QDate>
#include <QDialog>

class QCalendarWidget;

// A month calendar to look at beside the main window. It is not modal, and the program has at
// most one: openSingle() creates it, or brings the open one forward without loading it again.
class CalendarWindow : public QDialog
{
    Q_OBJECT

public:
    explicit CalendarWindow(QWidget* parent = nullptr);

    // Shows the one calendar window, creating it when none is open. The window has no parent, so
    // it stays open when the main window closes, and it deletes itself when closed; the next call
    // then creates a new one, starting again from the initial date.
    static CalendarWindow* openSingle();

    // The date the calendar shows whenever the window is created.
    static QDate initialDate() { return QDate(2010, 11, 25); }

protected:
    void showEvent(QShowEvent* event) override;

private slots:
    void showToday();

private:
    QCalendarWidget* m_monthView;
    bool m_outerWidthSet = false;
};
