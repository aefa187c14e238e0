#pragma once

#include <QDialog>

class QAbstractButton;
class QLineEdit;
class UserFiles;

// The window where the user sets the user name that names their plan files. The box starts
// empty at every opening; Apply stores the name exactly as typed, and the main window's user-name
// button shows it.
class UserNameDialog : public QDialog
{
    Q_OBJECT

public:
    explicit UserNameDialog(UserFiles& files, QWidget* parent = nullptr);

    // Makes `button` show the user name, now and whenever it changes: the name as typed, or
    // "User Name" while it forms no file key.
    static void showUserNameOn(QAbstractButton* button, const UserFiles& files);

public slots:
    void applyName();

private:
    UserFiles& m_files;
    QLineEdit* m_nameEdit = nullptr;
};
