#include "gui/userfiles/UserName.h"

#include "core/Module1.h"
#include "gui/common/Prompt.h"
#include "core/SharedState.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <limits>

#include <unistd.h>

UserName::UserName(SharedState& state, QPushButton* userNameButton, QWidget* parent)
    : QDialog(parent)
    , m_state(state)
    , m_userNameButton(userNameButton)
{
    setObjectName(QStringLiteral("UserName"));
    setWindowTitle(QStringLiteral("User Name"));

    auto* label1 = new QLabel(QStringLiteral("Enter your User Name"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    m_text1 = new QLineEdit(this);
    // The box itself sets no limit on the name's length (a line edit would stop at 32,767 characters).
    m_text1->setMaxLength(std::numeric_limits<int>::max());
    m_text1->setObjectName(QStringLiteral("Text1"));
    label1->setBuddy(m_text1);

    auto* command1 = new QPushButton(QStringLiteral("Apply"), this);
    command1->setObjectName(QStringLiteral("Command1"));
    command1->setDefault(true);
    connect(command1, &QPushButton::clicked, this, &UserName::Command1_Click);
    auto* command2 = new QPushButton(QStringLiteral("Cancel"), this);
    command2->setObjectName(QStringLiteral("Command2"));
    command2->setAutoDefault(false);
    connect(command2, &QPushButton::clicked, this, &UserName::Command2_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(command1);
    buttons->addWidget(command2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label1);
    layout->addWidget(m_text1);
    layout->addStretch(1);
    layout->addLayout(buttons);
    resize(300, 130);
    m_text1->setFocus();
}

namespace {

// The longest file name, in bytes, that the folder holding the per-user files takes.
qsizetype fileNameLimit(const SharedState& state)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(state.DataFolder).absolutePath());
    const long limit = ::pathconf(folder.constData(), _PC_NAME_MAX);
    return limit > 0 ? limit : NAME_MAX;
}

} // namespace

bool UserName::isUsable(const SharedState& state, const QString& name, QString* reason)
{
    const QString key = Module1::StripSpaces(name);
    for (const QChar ch : key) {
        QString what;
        if (ch == u'/' || ch == u'\\') {
            what = QStringLiteral("\"%1\"").arg(ch);
        } else if (ch != u'\t' && ch.category() == QChar::Other_Control) {
            what = QStringLiteral("a control character");
        }
        if (!what.isEmpty()) {
            if (reason) {
                *reason = QStringLiteral("A user name cannot contain %1, because the user name forms the names of "
                                         "your plan files. Please type another name.")
                              .arg(what);
            }
            return false;
        }
    }
    SharedState named = state;
    named.CurrentUserName = name;
    qsizetype longest = 0;
    for (const QString& suffix : Periods::copySuffixes()) {
        longest = std::max(longest, QFile::encodeName(QFileInfo(named.perUserFile(suffix)).fileName()).size());
    }
    const qsizetype limit = fileNameLimit(state);
    if (longest > limit) {
        if (reason) {
            *reason = QStringLiteral("This user name is too long: it forms the names of your plan files, and the "
                                     "longest of them would take %1 bytes where a file name may take %2. Please "
                                     "type a shorter name.")
                          .arg(longest)
                          .arg(limit);
        }
        return false;
    }
    return true;
}

void UserName::Command1_Click()
{
    const QString name = m_text1->text();
    QString reason;
    if (!isUsable(m_state, name, &reason)) {
        Prompt::error(this, reason);
        return;
    }
    m_state.CurrentUserName = name;
    if (m_userNameButton) {
        m_userNameButton->setText(Module1::StripSpaces(name).isEmpty() ? QStringLiteral("User Name") : name);
    }
    accept();
}

void UserName::Command2_Click()
{
    reject();
}
