#include "gui/common/WindowKeys.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace {

// Declines the field's claim on the keys, so that they reach the window's shortcuts.
class KeysToWindow : public QObject
{
public:
    KeysToWindow(const QList<QKeySequence>& keys, QObject* parent)
        : QObject(parent)
        , m_keys(keys)
    { }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ShortcutOverride) {
            const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
            if (m_keys.contains(pressed)) {
                event->ignore();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QList<QKeySequence> m_keys;
};

} // namespace

void giveKeysToWindow(QWidget* field, const QList<QKeySequence>& keys)
{
    field->installEventFilter(new KeysToWindow(keys, field));
}
