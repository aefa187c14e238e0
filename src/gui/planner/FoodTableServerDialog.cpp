#include "gui/planner/FoodTableServerDialog.h"

#include "core/workspace/FoodTableLocation.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

FoodTableServerDialog::FoodTableServerDialog(const QString& saved, const QString& current, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FoodTableServer"));
    setWindowTitle(tr("Food Table on a Server"));
    auto* now = new QLabel(tr("This run plans from: %1").arg(current), this);
    now->setObjectName(QStringLiteral("FoodTableNow"));
    now->setTextInteractionFlags(Qt::TextSelectableByMouse);
    now->setWordWrap(true);
    auto* prompt = new QLabel(tr("&Server address, from the next start (empty: this folder's foods.db):"), this);
    m_address = new QLineEdit(saved, this);
    m_address->setObjectName(QStringLiteral("ServerAddress"));
    m_address->setPlaceholderText(QStringLiteral("postgresql://user@host/foods"));
    m_address->setClearButtonEnabled(true);
    m_address->setAccessibleName(tr("Server address"));
    prompt->setBuddy(m_address);
    auto* hint = new QLabel(tr("The password is read from ~/.pgpass or PGPASSWORD, never from the address."), this);
    hint->setWordWrap(true);
    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("ServerAddressProblem"));
    m_problem->setWordWrap(true);
    m_problem->setForegroundRole(QPalette::BrightText);
    m_problem->hide();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &FoodTableServerDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_address, &QLineEdit::textChanged, m_problem, &QWidget::hide);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(now);
    layout->addWidget(prompt);
    layout->addWidget(m_address);
    layout->addWidget(hint);
    layout->addWidget(m_problem);
    layout->addWidget(buttons);
    m_address->setFocus(Qt::OtherFocusReason);
}

QString FoodTableServerDialog::address() const
{
    return m_address->text().trimmed();
}

void FoodTableServerDialog::accept()
{
    QString reason;
    if (!address().isEmpty() && !FoodTableLocation::checkAddress(address(), &reason)) {
        m_problem->setText(tr("Platewell cannot use this address: %1.").arg(reason));
        m_problem->show();
        m_address->setFocus(Qt::OtherFocusReason);
        return;
    }
    QDialog::accept();
}
