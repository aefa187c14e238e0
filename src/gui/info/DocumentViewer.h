#pragma once

#include <QDialog>
#include <QSize>
#include <QString>

class QHBoxLayout;
class QPushButton;
class QPlainTextEdit;
class UserFiles;

// The common frame of the three text document viewers: a read-only, scrolling text area that
// shows one document of the data folder, read afresh every time the window is created, and a
// centred row of buttons beneath it.
class DocumentViewer : public QDialog
{
    Q_OBJECT

public:
    // The text read from the document, each line followed by CR LF; empty when it was not found.
    QString text() const { return m_text; }

    // Reads the document into the text area, replacing what it held. A document that cannot be
    // read gives "File Not Found" and leaves the text area empty.
    void loadDocument();

protected:
    // What a viewer shows: the document's file name in the data folder, the window's object name
    // and caption, and its default size.
    struct Document
    {
        QString fileName;
        QString objectName;
        QString caption;
        QSize size;
    };

    DocumentViewer(const UserFiles& files, const Document& document, QWidget* parent);

    // A viewer for reading at length: a large serif font and one "Close" button; the document
    // is loaded at once.
    void setUpForReading();

    QPlainTextEdit* textArea() const { return m_textArea; }
    // Adds a button, at least `minimumWidth` wide, to the centred row beneath the text area.
    QPushButton* addButton(const QString& objectName, const QString& caption, int minimumWidth);

private:
    QString m_path;
    QString m_text;
    QPlainTextEdit* m_textArea;
    QHBoxLayout* m_buttons;
};
