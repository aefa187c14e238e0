#include "gui/userfiles/UserNameDialog.h"

#include "core/files/UserFiles.h"
#include "gui/common/Prompt.h"

#include "gui/common/WindowSizes.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <limits>

UserNameDialog::UserNameDialog(UserFiles& files, QWidget* parent)
    : QDialog(parent)
    , m_files(files)
{
    setObjectName(QStringLiteral("UserName"));
    setWindowTitle(tr("User Name"));

    auto* label1 = new QLabel(tr("Enter your User Name"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    m_nameEdit = new QLineEdit(this);
    // The box itself sets no limit on the name's length (a line edit would stop at 32,767 characters).
    m_nameEdit->setMaxLength(std::numeric_limits<int>::max());
    m_nameEdit->setObjectName(QStringLiteral("Text1"));
    label1->setBuddy(m_nameEdit);

    auto* command1 = new QPushButton(tr("Apply"), this);
    command1->setObjectName(QStringLiteral("Command1"));
    command1->setDefault(true);
    connect(command1, &QPushButton::clicked, this, &UserNameDialog::applyName);
    auto* command2 = new QPushButton(tr("Cancel"), this);
    command2->setObjectName(QStringLiteral("Command2"));
    command2->setAutoDefault(false);
    connect(command2, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(command1);
    buttons->addWidget(command2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label1);
    layout->addWidget(m_nameEdit);
    layout->addStretch(1);
    layout->addLayout(buttons);
    resize(WindowSizes::UserNameDialog);
    m_nameEdit->setFocus();
}

void UserNameDialog::applyName()
{
    const QString name = m_nameEdit->text();
    QString reason;
    if (!m_files.canTakeUserName(name, &reason)) {
        Prompt::error(this, reason);
        return;
    }
    m_files.setUserName(name);
    accept();
}

void UserNameDialog::showUserNameOn(QAbstractButton* button, const UserFiles& files)
{
    auto show = [button, &files] { button->setText(files.fileKey().isEmpty() ? tr("User Name") : files.userName()); };
    show();
    connect(&files, &UserFiles::userNameChanged, button, show);
}
