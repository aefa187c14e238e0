#include "gui/fooddb/ImportFoodsDialog.h"

#include "core/files/SafeFile.h"
#include "core/files/UserFiles.h"
#include "core/text/MessageText.h"
#include "gui/common/BackgroundWork.h"
#include "gui/common/CommandButton.h"
#include "gui/common/Prompt.h"
#include "gui/fooddb/ImportChoiceDelegate.h"
#include "gui/fooddb/ImportColumnsModel.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr QSize kWindowSize { 760, 480 };
// The mended or refused rows the report shows; the report file holds them all.
constexpr int kProblemsShown = MessageText::MaxListedItems;
// A file of more columns than this is searched through the filter box; fewer are seen at a glance.
constexpr qsizetype kColumnsWithoutFilter = 10;
// The report file is written in blocks of this size, not a line at a time.
constexpr qsizetype kReportBlockBytes = 64 * 1024;

QString grouped(qint64 value)
{
    return QLocale().toString(value);
}

} // namespace

ImportFoodsDialog::ImportFoodsDialog(const UserFiles& files, QWidget* parent)
    : QDialog(parent)
    , m_files(files)
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
    // Enter there looks at the source; it never starts the import, whose columns are yet to be
    // chosen.
    m_source->installEventFilter(this);
    auto* file = makeCommandButton(this, QStringLiteral("ImportChooseFile"), tr("&File..."));
    auto* folder = makeCommandButton(this, QStringLiteral("ImportChooseFolder"), tr("F&older..."));
    connect(file, &QPushButton::clicked, this, &ImportFoodsDialog::chooseFile);
    connect(folder, &QPushButton::clicked, this, &ImportFoodsDialog::chooseFolder);

    m_kind = new QLabel(tr("Choose the file to import foods from, or the unpacked folder of a FoodData Central "
                           "download."),
        this);
    m_kind->setObjectName(QStringLiteral("ImportKind"));
    m_kind->setWordWrap(true);

    m_columnRows = new ImportColumnsModel(this);
    m_columns = new QTableView(this);
    m_columns->setObjectName(QStringLiteral("ImportColumns"));
    m_columns->setModel(m_columnRows);
    m_columns->setItemDelegate(new ImportChoiceDelegate(m_columns));
    m_columns->horizontalHeader()->setSectionResizeMode(ImportColumnsModel::SamplesColumn, QHeaderView::Stretch);
    m_columns->verticalHeader()->hide();
    m_columns->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_columns->setAccessibleName(tr("Columns of the file and the food fields they go to"));
    m_columns->hide();
    // A choice writes itself into the import; a field it takes leaves another column, whose
    // drop-downs follow.
    connect(m_columnRows, &QAbstractItemModel::dataChanged, this,
        [this](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
            for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
                showChoices(row);
            }
            // The style numbers are read in is told by the columns read as numbers.
            showNumbers();
            updateStart();
        });
    // A file of hundreds of columns is found through its names.
    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("ImportColumnFilter"));
    m_filter->setPlaceholderText(tr("Find a column by its name"));
    m_filter->setAccessibleName(tr("Find a column by its name"));
    m_filter->setClearButtonEnabled(true);
    m_filter->hide();
    connect(m_filter, &QLineEdit::textChanged, this, &ImportFoodsDialog::filterColumns);
    // Enter there finds a column; it never starts the import.
    m_filter->installEventFilter(this);
    m_numbers = new QLabel(this);
    m_numbers->setObjectName(QStringLiteral("ImportNumbers"));
    m_numbers->setWordWrap(true);
    m_numbers->hide();

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
    layout->addWidget(m_filter);
    layout->addWidget(m_columns, 1);
    layout->addWidget(m_numbers);
    layout->addStretch(0);
    layout->addWidget(duplicatesLabel);
    layout->addWidget(m_duplicates);
    layout->addWidget(buttons);
    resize(kWindowSize);
}

ImportFoodsDialog::~ImportFoodsDialog()
{
    // The source box loses the focus as the window closes, after the import it would look at is
    // gone.
    m_source->disconnect(this);
    m_columnRows->setImport(nullptr);
}

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

bool ImportFoodsDialog::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == m_source || watched == m_filter) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == m_source && (!m_import || m_import->sourcePath() != m_source->text())) {
                setSource(m_source->text());
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ImportFoodsDialog::setSource(const QString& path)
{
    m_source->setText(path);
    // The columns shown are those of the import they are written into.
    m_columnRows->setImport(nullptr);
    m_import = std::make_unique<FoodImport>(path);
    m_import->setNutrientCatalogue(FoodImport::catalogueOf(m_files.foodDatabasePath()));
    QString error;
    // A pipe or a device would hold the window until something writes to it, or forever.
    const QFileInfo info(path);
    const bool stream = info.exists() && !info.isFile() && !info.isDir();
    if (stream) {
        error = tr("%1 is no file or folder; import from a pipe on the command line (platewell --import -).")
                    .arg(QDir::toNativeSeparators(path));
    }
    const bool usable = !path.trimmed().isEmpty() && !stream && m_import->inspect(&error);
    if (!usable) {
        m_kind->setText(path.trimmed().isEmpty() ? tr("Choose a file or a folder.") : error);
        m_columns->hide();
        m_filter->hide();
        m_numbers->hide();
        updateStart();
        return;
    }
    m_kind->setText(m_import->format() == ImportFormat::Csv
            ? tr("A CSV file with %n column(s). Choose the food field each column goes to; the food's name is "
                 "needed.",
                nullptr, int(m_import->columns().size()))
            : tr("%1: the foods go in with their serving and nutrients.")
                  .arg(FoodImport::formatName(m_import->format())));
    showColumns();
    updateStart();
}

void ImportFoodsDialog::updateStart()
{
    // A CSV file goes in only once a column holds the names.
    const bool usable = m_import && m_import->format() != ImportFormat::Unknown
        && (m_import->format() != ImportFormat::Csv || m_import->hasNameColumn());
    m_start->setEnabled(usable);
    m_start->setDefault(usable);
}

void ImportFoodsDialog::showColumns()
{
    m_filter->clear();
    if (m_import->format() != ImportFormat::Csv) {
        m_columns->hide();
        m_filter->hide();
        m_numbers->hide();
        return;
    }
    m_columnRows->setImport(m_import.get());
    for (int row = 0; row < m_columnRows->rowCount(); ++row) {
        showChoices(row);
    }
    m_columns->resizeColumnToContents(ImportColumnsModel::NameColumn);
    m_columns->resizeColumnToContents(ImportColumnsModel::FieldColumn);
    m_columns->resizeColumnToContents(ImportColumnsModel::UnitColumn);
    m_columns->resizeColumnToContents(ImportColumnsModel::AmountsColumn);
    m_columns->show();
    m_filter->setVisible(m_import->columns().size() > kColumnsWithoutFilter);
    showNumbers();
    m_numbers->show();
}

void ImportFoodsDialog::showNumbers()
{
    if (!m_import || m_import->format() != ImportFormat::Csv) {
        return;
    }
    m_numbers->setText(tr("Numbers are read as written %1. Amounts per 100 g are scaled to the serving when its "
                          "weight is known, from a column that goes to \"%2\" or from a serving unit such as \"1 "
                          "cup (240 g)\"; otherwise the serving is 100 g.")
                           .arg(WrittenNumber::example(m_import->numberStyle()),
                               ColumnMapping::fieldCaption(ColumnMapping::ServingGrams)));
}

void ImportFoodsDialog::showChoices(int row)
{
    for (const int column :
        { ImportColumnsModel::FieldColumn, ImportColumnsModel::UnitColumn, ImportColumnsModel::AmountsColumn }) {
        const QModelIndex cell = m_columnRows->index(row, column);
        if (m_columnRows->isChoice(cell)) {
            m_columns->openPersistentEditor(cell);
        } else {
            m_columns->closePersistentEditor(cell);
        }
    }
}

void ImportFoodsDialog::filterColumns(const QString& text)
{
    const QString wanted = text.trimmed();
    for (int c = 0; c < m_columnRows->rowCount(); ++c) {
        m_columns->setRowHidden(
            c, !wanted.isEmpty() && !m_import->columns().at(c).contains(wanted, Qt::CaseInsensitive));
    }
}

void ImportFoodsDialog::startImport()
{
    if (!m_import || m_import->format() == ImportFormat::Unknown) {
        return;
    }
    if (!m_start->isEnabled()) {
        return;
    }
    QString error;
    const auto rule = static_cast<DuplicateRule>(m_duplicates->currentData().toInt());

    // Every mended, refused or repeated row goes to the report file; the first few are also kept
    // for the report window. Only a regular file of its name is replaced: a named pipe there
    // would hold the window until something read from it. The report of an earlier import goes
    // first, so that it never stands for this one.
    const QString reportPath = m_files.importReportPath();
    QString reportError;
    bool reportPlace = SafeFile::isReplaceable(reportPath, &reportError);
    QFile oldReport(reportPath);
    if (reportPlace && oldReport.exists() && !oldReport.remove()) {
        reportError = tr("the report of the last import cannot be removed: %1").arg(oldReport.errorString());
        reportPlace = false;
    }
    if (!reportPlace) {
        Prompt::error(this,
            tr("Nothing was imported; the food table is as it was.") + QLatin1Char('\n')
                + QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(reportPath), reportError));
        return;
    }
    qint64 problemCount = 0;
    QStringList firstProblems;
    ImportSummary summary;
    bool committed = false;
    bool reportWritten = false;
    const FoodImport& import = *m_import;
    const QString database = m_files.foodDatabasePath();
    BackgroundWork::run(
        this, QStringLiteral("ImportProgress"), tr("Importing Foods"), [&](const BackgroundWork::Report& tell) {
            auto progress = [&](const ImportProgress& now) {
                return tell(now.bytesRead, now.totalBytes,
                    tr("%1 rows read, %2 foods added").arg(grouped(now.rowsRead), grouped(now.foodsAdded)));
            };
            // The lines go to the report in blocks, not one at a time.
            QByteArray block;
            SafeFile* reportFile = nullptr;
            bool writing = true;
            auto writeBlock = [&] {
                writing = writing && reportFile && reportFile->append(block);
                block.clear();
            };
            auto problem = [&](const ImportProblem& p) {
                block += QStringLiteral("%1\t%2\t%3\t%4\n")
                             .arg(p.locationText(), p.name, p.kindText(), p.reason)
                             .toUtf8();
                if (block.size() >= kReportBlockBytes) {
                    writeBlock();
                }
                if (firstProblems.size() < kProblemsShown) {
                    firstProblems.append(
                        QStringLiteral("%1: \"%2\": %3").arg(p.locationText(), MessageText::quoted(p.name), p.reason));
                }
                ++problemCount;
            };
            auto runImport = [&] { committed = import.run(database, rule, progress, problem, &summary, &error); };
            bool ran = false;
            // The report is whole or not there: it is written beside its place and takes it at the
            // end. With nothing to report, none is left.
            reportWritten = SafeFile::write(
                reportPath,
                [&](SafeFile& file, QString* reason) {
                    reportFile = &file;
                    runImport();
                    ran = true;
                    writeBlock();
                    reportFile = nullptr;
                    if (!writing) {
                        *reason = file.errorString();
                    }
                    return writing && problemCount > 0;
                },
                &reportError);
            // Where the report could not even be begun, the import runs all the same, and its
            // message tells why the list is missing.
            if (!ran) {
                writing = false;
                runImport();
            }
        });
    m_reportPath = reportWritten ? reportPath : QString();
    if (problemCount == 0) {
        reportError.clear();
    }
    m_changedTable = committed && (summary.foodsAdded > 0 || summary.duplicatesReplaced > 0);
    showReport(committed, summary.cancelled, summary, problemCount, firstProblems, error, reportError);
    if (committed) {
        accept();
    }
}

void ImportFoodsDialog::showReport(bool committed, bool cancelled, const ImportSummary& summary, qint64 problemCount,
    const QStringList& firstProblems, const QString& error, const QString& reportError)
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
    const qint64 taken = summary.foodsRead - summary.rowsRefused - summary.productsWithoutName;
    lines.append(summary.rowsRefused > 0 && taken == 0 ? tr("No food was imported: every row was refused.")
                                                       : tr("The foods were imported."));
    lines.append(QString());
    lines.append(tr("Foods read: %1").arg(grouped(summary.foodsRead)));
    lines.append(tr("Foods added: %1").arg(grouped(summary.foodsAdded)));
    if (summary.duplicatesSkipped + summary.duplicatesReplaced + summary.duplicatesKept > 0) {
        lines.append(tr("Already in the table: %1 skipped, %2 replaced, %3 kept beside the old")
                         .arg(grouped(summary.duplicatesSkipped), grouped(summary.duplicatesReplaced),
                             grouped(summary.duplicatesKept)));
    }
    if (summary.repeatedInSource > 0) {
        lines.append(tr("Names repeated within the file: %1").arg(grouped(summary.repeatedInSource)));
    }
    lines.append(
        tr("Rows mended: %1; rows refused: %2").arg(grouped(summary.rowsMended), grouped(summary.rowsRefused)));
    if (summary.productsWithoutName > 0) {
        lines.append(tr("Products without a name, skipped: %1").arg(grouped(summary.productsWithoutName)));
    }
    if (summary.nutrientValues > 0) {
        lines.append(tr("Nutrients brought: %1 values for %2 foods")
                         .arg(grouped(summary.nutrientValues), grouped(summary.foodsWithNutrients)));
    }
    if (!summary.nutrientsLeftOut.isEmpty()) {
        lines.append(tr("Nutrients left out, their unit cannot be converted: %1")
                         .arg(MessageText::listed(summary.nutrientsLeftOut).join(QStringLiteral(", "))));
    }
    // A file of hundreds of columns names a few here and all of them in the details.
    QString detail;
    if (!summary.unplacedColumns.isEmpty()) {
        lines.append(tr("Columns not imported: %1").arg(MessageText::quotedList(summary.unplacedColumns)));
        if (summary.unplacedColumns.size() > MessageText::MaxListedItems) {
            detail = tr("Columns not imported:") + QLatin1Char('\n')
                + MessageText::quotedEach(summary.unplacedColumns).join(QLatin1Char('\n'));
        }
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
        } else if (!reportError.isEmpty()) {
            lines.append(tr("The list of every mended or refused row could not be written to %1: %2")
                             .arg(QDir::toNativeSeparators(m_files.importReportPath()), reportError));
        }
    }
    Prompt::message(this, lines.join(QLatin1Char('\n')), tr("Import Foods"), detail);
}
