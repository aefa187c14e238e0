#include "gui/fooddb/ImportFoodsDialog.h"

#include "core/FoodDatabase.h"
#include "core/SharedState.h"
#include "gui/common/BackgroundWork.h"
#include "gui/common/CommandButton.h"
#include "gui/common/Prompt.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QTextStream>
#include <QVBoxLayout>

namespace {

constexpr QSize kWindowSize { 640, 460 };
// The mended or refused rows the report shows; the report file holds them all.
constexpr int kProblemsShown = 10;

QString grouped(qint64 value)
{
    return QLocale().toString(value);
}

} // namespace

ImportFoodsDialog::ImportFoodsDialog(const SharedState& state, QWidget* parent)
    : QDialog(parent)
    , m_state(state)
{
    setObjectName(QStringLiteral("ImportFoods"));
    setWindowTitle(tr("Import Foods"));

    m_source = new QLineEdit(this);
    m_source->setObjectName(QStringLiteral("ImportSource"));
    m_source->setPlaceholderText(tr("A FoodData Central download, an Open Food Facts file or a CSV file"));
    auto* sourceLabel = new QLabel(tr("&From:"), this);
    sourceLabel->setBuddy(m_source);
    connect(m_source, &QLineEdit::editingFinished, this, [this] {
        if (!m_import || m_import->sourcePath() != m_source->text()) {
            setSource(m_source->text());
        }
    });
    auto* file = makeCommandButton(this, QStringLiteral("ImportChooseFile"), tr("&File..."));
    auto* folder = makeCommandButton(this, QStringLiteral("ImportChooseFolder"), tr("F&older..."));
    connect(file, &QPushButton::clicked, this, &ImportFoodsDialog::chooseFile);
    connect(folder, &QPushButton::clicked, this, &ImportFoodsDialog::chooseFolder);

    m_kind = new QLabel(tr("Choose the file to import foods from, or the unpacked folder of a FoodData Central "
                           "download."),
        this);
    m_kind->setObjectName(QStringLiteral("ImportKind"));
    m_kind->setWordWrap(true);

    m_columns = new QTableWidget(0, 3, this);
    m_columns->setObjectName(QStringLiteral("ImportColumns"));
    m_columns->setHorizontalHeaderLabels({ tr("Column"), tr("First values"), tr("Goes to") });
    m_columns->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_columns->verticalHeader()->hide();
    m_columns->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_columns->setAccessibleName(tr("Columns of the file and the food fields they go to"));
    m_columns->hide();

    m_duplicates = new QComboBox(this);
    m_duplicates->setObjectName(QStringLiteral("ImportDuplicates"));
    m_duplicates->addItem(tr("Skip it: keep the food already in the table"), int(DuplicateRule::Skip));
    m_duplicates->addItem(tr("Replace the food in the table with it"), int(DuplicateRule::Replace));
    m_duplicates->addItem(tr("Keep both"), int(DuplicateRule::KeepBoth));
    auto* duplicatesLabel = new QLabel(tr("A food whose name is already in the &table:"), this);
    duplicatesLabel->setBuddy(m_duplicates);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    m_start = buttons->addButton(tr("&Import"), QDialogButtonBox::AcceptRole);
    m_start->setObjectName(QStringLiteral("ImportStart"));
    m_start->setEnabled(false);
    connect(m_start, &QPushButton::clicked, this, &ImportFoodsDialog::startImport);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* sourceRow = new QGridLayout;
    sourceRow->addWidget(sourceLabel, 0, 0);
    sourceRow->addWidget(m_source, 0, 1);
    sourceRow->addWidget(file, 0, 2);
    sourceRow->addWidget(folder, 0, 3);
    sourceRow->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(sourceRow);
    layout->addWidget(m_kind);
    layout->addWidget(m_columns, 1);
    layout->addStretch(0);
    layout->addWidget(duplicatesLabel);
    layout->addWidget(m_duplicates);
    layout->addWidget(buttons);
    resize(kWindowSize);
}

ImportFoodsDialog::~ImportFoodsDialog() = default;

void ImportFoodsDialog::chooseFile()
{
    const QString path = QFileDialog::getOpenFileName(
        this, tr("Import Foods"), QDir::homePath(), tr("Food files (*.zip *.csv *.tsv *.txt *.gz);;All files (*)"));
    if (!path.isEmpty()) {
        setSource(path);
    }
}

void ImportFoodsDialog::chooseFolder()
{
    const QString path = QFileDialog::getExistingDirectory(this, tr("Import Foods"), QDir::homePath());
    if (!path.isEmpty()) {
        setSource(path);
    }
}

void ImportFoodsDialog::setSource(const QString& path)
{
    m_source->setText(path);
    m_import = std::make_unique<FoodImport>(path);
    QString error;
    const bool usable = !path.trimmed().isEmpty() && m_import->inspect(&error);
    m_start->setEnabled(usable);
    m_start->setDefault(usable);
    if (!usable) {
        m_kind->setText(path.trimmed().isEmpty() ? tr("Choose a file or a folder.") : error);
        m_columns->hide();
        return;
    }
    m_kind->setText(m_import->format() == ImportFormat::Csv
            ? tr("A CSV file with %n column(s). Choose the food field each column goes to; the food's name is "
                 "needed.",
                nullptr, int(m_import->columns().size()))
            : tr("%1: the foods go in with their serving and nutrients.")
                  .arg(FoodImport::formatName(m_import->format())));
    showColumns();
}

void ImportFoodsDialog::showColumns()
{
    if (m_import->format() != ImportFormat::Csv) {
        m_columns->hide();
        return;
    }
    const QStringList& columns = m_import->columns();
    m_columns->setRowCount(int(columns.size()));
    for (int c = 0; c < columns.size(); ++c) {
        m_columns->setItem(c, 0, new QTableWidgetItem(columns[c]));
        QStringList samples;
        for (const QStringList& row : m_import->previewRows()) {
            samples.append(row.value(c));
        }
        m_columns->setItem(c, 1, new QTableWidgetItem(samples.join(QStringLiteral(" | "))));
        auto* field = new QComboBox(m_columns);
        field->setObjectName(QStringLiteral("ImportField%1").arg(c + 1));
        field->setAccessibleName(tr("Food field for the column %1").arg(columns[c]));
        field->addItem(tr("(not imported)"), FoodImport::NoField);
        for (int f = 0; f < FoodDatabase::FieldCount; ++f) {
            field->addItem(FoodDatabase::gridCaptions().at(f), f);
        }
        field->setCurrentIndex(field->findData(m_import->mapping()[std::size_t(c)].field));
        m_columns->setCellWidget(c, 2, field);
    }
    m_columns->resizeColumnToContents(0);
    m_columns->resizeColumnToContents(2);
    m_columns->show();
}

void ImportFoodsDialog::startImport()
{
    if (!m_import || m_import->format() == ImportFormat::Unknown) {
        return;
    }
    QString error;
    if (m_import->format() == ImportFormat::Csv) {
        std::vector<ImportColumn> mapping;
        for (int c = 0; c < m_columns->rowCount(); ++c) {
            mapping.push_back(
                ColumnMapping::column(static_cast<QComboBox*>(m_columns->cellWidget(c, 2))->currentData().toInt()));
        }
        if (!m_import->setMapping(mapping, &error)) {
            Prompt::error(this, error);
            return;
        }
    }
    const auto rule = static_cast<DuplicateRule>(m_duplicates->currentData().toInt());

    // Every mended or refused row goes to the report file as it comes; the first few are also
    // kept for the report window.
    const QString reportPath = QDir(m_state.DataFolder).filePath(QStringLiteral("ImportReport.txt"));
    QFile reportFile(reportPath);
    QTextStream report(&reportFile);
    qint64 problemCount = 0;
    QStringList firstProblems;
    ImportSummary summary;
    bool committed = false;
    const FoodImport& import = *m_import;
    const QString database = m_state.FoodDatabasePath;
    BackgroundWork::run(
        this, QStringLiteral("ImportProgress"), tr("Importing Foods"), [&](const BackgroundWork::Report& tell) {
            auto progress = [&](const ImportProgress& now) {
                return tell(now.bytesRead, now.totalBytes,
                    tr("%1 rows read, %2 foods added").arg(grouped(now.rowsRead), grouped(now.foodsAdded)));
            };
            auto problem = [&](const ImportProblem& p) {
                const QString line
                    = QStringLiteral("%1\t%2\t%3\t%4").arg(p.locationText(), p.name, p.kindText(), p.reason);
                if (problemCount == 0 && reportFile.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
                    report.setEncoding(QStringConverter::Utf8);
                }
                if (reportFile.isOpen()) {
                    report << line << '\n';
                }
                if (firstProblems.size() < kProblemsShown) {
                    firstProblems.append(QStringLiteral("%1: \"%2\": %3").arg(p.locationText(), p.name, p.reason));
                }
                ++problemCount;
            };
            committed = import.run(database, rule, progress, problem, &summary, &error);
        });
    report.flush();
    reportFile.close();
    m_reportPath = problemCount > 0 && reportFile.error() == QFileDevice::NoError ? reportPath : QString();
    m_changedTable = committed && (summary.foodsAdded > 0 || summary.duplicatesReplaced > 0);
    showReport(committed, summary.cancelled, summary, problemCount, firstProblems, error);
    if (committed) {
        accept();
    }
}

void ImportFoodsDialog::showReport(bool committed, bool cancelled, const ImportSummary& summary, qint64 problemCount,
    const QStringList& firstProblems, const QString& error)
{
    if (cancelled) {
        Prompt::message(this, tr("The import was cancelled. The food table is as it was."), tr("Import Foods"));
        return;
    }
    QStringList lines;
    if (!committed) {
        // Nothing of the import stayed: the counts of what it had done so far would mislead.
        lines.append(tr("Nothing was imported; the food table is as it was."));
        lines.append(error);
        lines.append(tr("Rows read before it stopped: %1").arg(grouped(summary.rowsRead)));
        Prompt::error(this, lines.join(QLatin1Char('\n')));
        return;
    }
    lines.append(tr("The foods were imported."));
    lines.append(QString());
    lines.append(tr("Foods read: %1").arg(grouped(summary.foodsRead)));
    lines.append(tr("Foods added: %1").arg(grouped(summary.foodsAdded)));
    if (summary.duplicatesSkipped + summary.duplicatesReplaced + summary.duplicatesKept > 0) {
        lines.append(tr("Already in the table: %1 skipped, %2 replaced, %3 kept beside the old")
                         .arg(grouped(summary.duplicatesSkipped), grouped(summary.duplicatesReplaced),
                             grouped(summary.duplicatesKept)));
    }
    lines.append(
        tr("Rows mended: %1; rows refused: %2").arg(grouped(summary.rowsMended), grouped(summary.rowsRefused)));
    if (summary.productsWithoutName > 0) {
        lines.append(tr("Products without a name, skipped: %1").arg(grouped(summary.productsWithoutName)));
    }
    if (!summary.unplacedColumns.isEmpty()) {
        lines.append(tr("Columns not imported: %1").arg(summary.unplacedColumns.join(QStringLiteral(", "))));
    }
    if (problemCount > 0) {
        lines.append(QString());
        lines += firstProblems;
        if (problemCount > firstProblems.size()) {
            lines.append(tr("... and %1 more.").arg(grouped(problemCount - firstProblems.size())));
        }
        if (!m_reportPath.isEmpty()) {
            lines.append(
                tr("Every mended or refused row is listed in %1.").arg(QDir::toNativeSeparators(m_reportPath)));
        }
    }
    Prompt::message(this, lines.join(QLatin1Char('\n')), tr("Import Foods"));
}
