#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>

class QWidget;

// Lets the window's shortcuts for `keys` work while `field` has the focus, where a text field
// would otherwise keep them for itself (Ctrl+Z for its own text, Ctrl+Home for its cursor).
void giveKeysToWindow(QWidget* field, const QList<QKeySequence>& keys);
