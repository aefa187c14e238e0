#include "gui/info/AboutDialog.h"

#include "gui/common/CommandButton.h"
#include "gui/common/Prompt.h"
#include "gui/info/AboutPicture.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int kCloseButtonWidth = 81;

} // namespace

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent)
    , m_picture(new QLabel(this))
{
    setObjectName(QStringLiteral("About"));
    setWindowTitle(tr("Platewell"));

    m_picture->setObjectName(QStringLiteral("Picture1"));
    m_picture->setPixmap(QPixmap::fromImage(AboutPicture::draw()));
    m_picture->setFixedSize(AboutPicture::Width, AboutPicture::Height);
    m_picture->setCursor(Qt::PointingHandCursor);
    m_picture->setToolTip(AboutPicture::webAddress());
    m_picture->installEventFilter(this);

    QPushButton* close = makeCommandButton(this, QStringLiteral("Command1"), tr("Close"), QSize(kCloseButtonWidth, 0));
    close->setAutoDefault(true);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* column = new QVBoxLayout(this);
    column->addWidget(m_picture, 0, Qt::AlignHCenter);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    buttons->addStretch(1);
    column->addLayout(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);
}

bool AboutDialog::eventFilter(QObject* watched, QEvent* event)
{
    // A click is a left press and release on the picture, as for a button.
    if (watched == m_picture && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && m_picture->rect().contains(mouse->position().toPoint())) {
            openWebSite();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void AboutDialog::openWebSite()
{
    const QString address = AboutPicture::webAddress();
    if (!QDesktopServices::openUrl(QUrl(address))) {
        Prompt::error(this, tr("No web browser could be started to show %1.").arg(address));
    }
}
