#include "gui/common/Prompt.h"

#include "gui/common/WindowModal.h"

#include <QInputDialog>
#include <QMessageBox>

namespace {

struct PromptState
{
    bool answering = false;
    QList<QVariant> answers;
    QList<Prompt::Shown> shown;
};

PromptState& state()
{
    static PromptState s;
    return s;
}

// The name of the window a prompt opens over.
QString overWindow(const QWidget* parent)
{
    return parent ? parent->window()->objectName() : QString();
}

} // namespace

void Prompt::message(QWidget* parent, const QString& text, const QString& title, const QString& detail)
{
    if (state().answering) {
        state().shown.append({ Kind::Message, title, text, detail, overWindow(parent) });
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.setDetailedText(detail);
    execWindowModal(box);
}

void Prompt::error(QWidget* parent, const QString& text, const QString& detail)
{
    if (state().answering) {
        state().shown.append({ Kind::Message, Prompt::tr("Error"), text, detail, overWindow(parent) });
        return;
    }
    QMessageBox box(QMessageBox::Warning, Prompt::tr("Error"), text, QMessageBox::Ok, parent);
    box.setDetailedText(detail);
    execWindowModal(box);
}

bool Prompt::question(QWidget* parent, const QString& text, const QString& title)
{
    if (state().answering) {
        state().shown.append({ Kind::Question, title, text, {}, overWindow(parent) });
        return nextAnswer(true).toBool();
    }
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return execWindowModal(box) == QMessageBox::Yes;
}

QString Prompt::input(QWidget* parent, const QString& title, const QString& prompt)
{
    if (state().answering) {
        state().shown.append({ Kind::Input, title, prompt, {}, overWindow(parent) });
        return nextAnswer(QString()).toString();
    }
    QInputDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(QString());
    if (execWindowModal(dialog) != QDialog::Accepted) {
        return QString();
    }
    return dialog.textValue();
}

void Prompt::setAnswering(bool on)
{
    state().answering = on;
    state().answers.clear();
    state().shown.clear();
}

void Prompt::queueAnswer(const QVariant& answer)
{
    state().answers.append(answer);
}

QList<Prompt::Shown> Prompt::shown()
{
    return state().shown;
}

void Prompt::clearShown()
{
    state().shown.clear();
}

QVariant Prompt::nextAnswer(const QVariant& fallback)
{
    if (state().answers.isEmpty()) {
        return fallback;
    }
    return state().answers.takeFirst();
}
