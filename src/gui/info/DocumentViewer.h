#pragma once

#include <QDialog>
#include <QString>

class QHBoxLayout;
class QPushButton;
class QPlainTextEdit;
struct SharedState;

// The common frame of the three text document viewers: a read-only, scrolling text area that
// shows one document of the data folder, read afresh every time the window is created, and a
// row of buttons beneath it. Sizes are given in twips (15 twips to a pixel).
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
    struct Layout
    {
        int clientWidth;
        int clientHeight;
        int textLeft;
        int textTop;
        int textWidth;
        int textHeight;
        int buttonTop;
        int buttonHeight;
    };

    DocumentViewer(const SharedState& state, const QString& documentName, const Layout& layout, QWidget* parent);

    QPlainTextEdit* textArea() const { return m_textArea; }
    // Adds a button of the given width (twips) to the centred row beneath the text area.
    QPushButton* addButton(const QString& objectName, const QString& caption, int widthTwips);
    static int twips(int value) { return value / 15; }

private:
    QString m_path;
    QString m_text;
    QPlainTextEdit* m_textArea;
    QHBoxLayout* m_buttons;
    int m_buttonHeight = 0;
};
