#pragma once

#include <QDialog>

class QLabel;

// The about window: the about picture, which opens the maker's web site when clicked, and "Close".
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void openWebSite();

private:
    QLabel* m_picture;
};
