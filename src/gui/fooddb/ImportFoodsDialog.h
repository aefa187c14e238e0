#pragma once

#include "core/imports/FoodImport.h"

#include <QDialog>

#include <memory>

class ImportColumnsModel;
class UserFiles;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// The Import Foods window: the file or folder to import from, what kind of source it was found
// to be, for a CSV file which column goes to which food field (in which unit, per serving or per
// 100 g), and what to do with a food whose name is already in the table. The choices are written
// into the import itself as they are made; Import is offered once a column holds the names.
// Import runs with a progress window and Cancel; the import is one transaction, so a Cancel or a
// failure leaves the food table as it was. Afterwards a report gives the counts and the first
// rows that were mended, refused or repeated; ImportReport.txt lists them all, and is removed
// when an import has none, so that it never tells of an earlier import.
class ImportFoodsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ImportFoodsDialog(const UserFiles& files, QWidget* parent = nullptr);
    ~ImportFoodsDialog() override;

    // Looks at the source at `path` and shows what was found.
    void setSource(const QString& path);
    // Whether the last import committed foods to the table.
    bool changedTable() const { return m_changedTable; }
    // The file the last import's mended and refused rows were written to; empty when none.
    QString reportPath() const { return m_reportPath; }

public slots:
    void chooseFile();
    void chooseFolder();
    // Imports with the chosen columns and duplicate rule; the window closes once foods went in.
    void startImport();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showColumns();
    // Keeps a drop-down open in each cell of `row` that offers a choice, and none in the others.
    void showChoices(int row);
    void updateStart();
    void filterColumns(const QString& text);
    // Shows the counts and the first mended or refused rows, and where the whole list is.
    void showReport(bool committed, bool cancelled, const ImportSummary& summary, qint64 problemCount,
        const QStringList& firstProblems, const QString& error);

    const UserFiles& m_files;
    std::unique_ptr<FoodImport> m_import;
    ImportColumnsModel* m_columnRows = nullptr;
    QLineEdit* m_source = nullptr;
    QLabel* m_kind = nullptr;
    QTableView* m_columns = nullptr;
    QLineEdit* m_filter = nullptr;
    QLabel* m_numbers = nullptr;
    QComboBox* m_duplicates = nullptr;
    QPushButton* m_start = nullptr;
    bool m_changedTable = false;
    QString m_reportPath;
};
