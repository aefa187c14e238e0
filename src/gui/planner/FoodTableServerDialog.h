#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;

// File > Food Table on a Server...: the address of a PostgreSQL server whose food table the
// folder plans from, kept in the folder's settings for the next start; an empty address gives
// the folder's own foods.db back. An address Platewell cannot use (one with a password, say) is
// said under the box, and the window stays open.
class FoodTableServerDialog : public QDialog
{
    Q_OBJECT

public:
    // `saved`: the address kept now; `current`: the food table this run uses, as shown to the user.
    FoodTableServerDialog(const QString& saved, const QString& current, QWidget* parent = nullptr);

    QString address() const;
    void accept() override;

private:
    QLineEdit* m_address = nullptr;
    QLabel* m_problem = nullptr;
};
