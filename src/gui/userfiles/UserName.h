#pragma once

#include <QDialog>

struct SharedState;
class QLineEdit;
class QPushButton;

// The window where the user sets the user name that names their plan files. The box starts
// empty at every opening; Apply stores the name exactly as typed and shows it on the main
// window's user-name button.
class UserName : public QDialog
{
    Q_OBJECT

public:
    // `userNameButton` may be null when no button shows the name.
    UserName(SharedState& state, QPushButton* userNameButton, QWidget* parent = nullptr);

    // Whether the name can form file names beside `state`'s data folder: its file key may not hold
    // "/", "\" or a control character other than the tab, since those would lead a file out of its
    // folder or cannot stand in a file name, and the longest per-user file name it forms must fit
    // the file system's limit for a file name. Otherwise `reason` says why.
    static bool isUsable(const SharedState& state, const QString& name, QString* reason);

public slots:
    void Command1_Click();
    void Command2_Click();

private:
    SharedState& m_state;
    QPushButton* m_userNameButton;
    QLineEdit* m_text1 = nullptr;
};
