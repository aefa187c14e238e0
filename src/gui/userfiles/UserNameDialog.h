#pragma once

#include <QDialog>

struct SharedState;
class QLineEdit;
class QPushButton;

// The window where the user sets the user name that names their plan files. The box starts
// empty at every opening; Apply stores the name exactly as typed and shows it on the main
// window's user-name button.
class UserNameDialog : public QDialog
{
    Q_OBJECT

public:
    // `userNameButton` may be null when no button shows the name.
    UserNameDialog(SharedState& state, QPushButton* userNameButton, QWidget* parent = nullptr);

public slots:
    void applyName();

private:
    SharedState& m_state;
    QPushButton* m_userNameButton;
    QLineEdit* m_nameEdit = nullptr;
};
