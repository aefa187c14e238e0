#pragma once

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QVariant>

class QWidget;

// Every message box and input box of the program goes through here. Tests switch on answering
// mode: nothing is shown, every prompt is recorded, and questions take the answers queued for
// them (an OK, a Yes, or the text typed into an input box).
class Prompt
{
    Q_DECLARE_TR_FUNCTIONS(Prompt)

public:
    enum class Kind { Message, Question, Input };
    struct Shown
    {
        Kind kind;
        QString title;
        QString text;
        // The scrollable detail under the text, when the message has one.
        QString detail;
        // The object name of the window it opened over; empty for none.
        QString window;
    };

    // A message box with the text, the title and one OK button; a `detail` (a long list, say) is
    // shown behind "Show Details...", where it scrolls, so that the box itself stays small.
    static void message(QWidget* parent, const QString& text, const QString& title, const QString& detail = {});
    // The program's failure message, titled "Error".
    static void error(QWidget* parent, const QString& text, const QString& detail = {});
    // Yes or No; true for Yes.
    static bool question(QWidget* parent, const QString& text, const QString& title);
    // An input box; Cancel gives the empty text.
    static QString input(QWidget* parent, const QString& title, const QString& prompt);

    static void setAnswering(bool on);
    // The answer for the next question (bool) or input box (QString).
    static void queueAnswer(const QVariant& answer);
    static QList<Shown> shown();
    static void clearShown();

private:
    static QVariant nextAnswer(const QVariant& fallback);
};
