#include "gui/common/WindowSizes.h"

#include "gui/common/ShrinkingScrollArea.h"

#include <QFileDialog>
#include <QLayout>
#include <QMainWindow>
#include <QMessageBox>
#include <QProgressDialog>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

namespace {

// The desktop's frame is not known before a window is first shown: room is left for a title bar
// and borders of these sizes, in pixels at 100 % scale.
constexpr int kTitleBar = 40;
constexpr int kBorder = 4;

// Puts what `window` shows into a scroll area, so that it can be smaller than its content; null
// for windows that size themselves (message and file windows).
ShrinkingScrollArea* wrapContent(QWidget* window)
{
    if (qobject_cast<QMessageBox*>(window) || qobject_cast<QFileDialog*>(window)
        || qobject_cast<QProgressDialog*>(window)) {
        return nullptr;
    }
    if (auto* main = qobject_cast<QMainWindow*>(window)) {
        QWidget* central = main->takeCentralWidget();
        if (!central) {
            return nullptr;
        }
        auto* area = new ShrinkingScrollArea(central, main);
        main->setCentralWidget(area);
        return area;
    }
    QLayout* layout = window->layout();
    if (!layout) {
        return nullptr;
    }
    auto* content = new QWidget;
    // The window's layout moves with the widgets it places; widgets it does not place (placed by
    // hand) move too, and stay shown if they were.
    content->setLayout(layout);
    for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow()) {
            continue;
        }
        const bool shown
            = child->testAttribute(Qt::WA_WState_ExplicitShowHide) && !child->testAttribute(Qt::WA_WState_Hidden);
        child->setParent(content);
        if (shown) {
            child->show();
        }
    }
    auto* area = new ShrinkingScrollArea(content, window);
    auto* outer = new QVBoxLayout(window);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(area);
    return area;
}

// Lays the window out afresh. Layouts inside a window not shown yet are not told when what they
// hold changes size, so all of them are made to ask again.
void relayout(QWidget* window)
{
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        widget->updateGeometry();
    }
    for (QLayout* layout : window->findChildren<QLayout*>()) {
        layout->invalidate();
    }
    if (QLayout* layout = window->layout()) {
        layout->invalidate();
        layout->activate();
    }
}

QScreen* screenOf(const QWidget* window)
{
    if (QWidget* parent = window->parentWidget()) {
        return parent->window()->screen();
    }
    return window->screen();
}

} // namespace

QSize WindowSizes::room(const QWidget* window)
{
    const QScreen* screen = screenOf(window);
    if (!screen) {
        return QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    return screen->availableGeometry().size() - QSize(2 * kBorder, kTitleBar + kBorder);
}

void WindowSizes::fitToScreen(QWidget* window)
{
    const QSize room = WindowSizes::room(window);
    relayout(window);
    const QSize needed = window->minimumSizeHint().expandedTo(window->minimumSize());
    if (needed.width() > room.width() || needed.height() > room.height()) {
        auto* area = window->findChild<ShrinkingScrollArea*>();
        if (!area) {
            area = wrapContent(window);
        }
        if (area) {
            // The area may take what the screen leaves, and no less than a few lines to scroll.
            const QSize least = area->contentMinimum() + room - needed;
            const int line = area->fontMetrics().height();
            area->setMinimumLimit(least.expandedTo(QSize(line * 4, line * 3)));
            window->setMinimumSize(0, 0);
            relayout(window);
        }
    }
    window->resize(window->size().boundedTo(room).expandedTo(window->minimumSizeHint()));
}
