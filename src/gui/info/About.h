#pragma once

#include <QDialog>

class QLabel;

// The about window: the about picture, which opens the maker's web site when clicked, and "Close".
class About : public QDialog
{
    Q_OBJECT

public:
    explicit About(QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void Picture1_Click();
    void Command1_Click();

private:
    QLabel* m_picture;
};
