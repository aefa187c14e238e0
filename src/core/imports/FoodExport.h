#pragma once

#include <QCoreApplication>
#include <QString>

#include <functional>

class QIODevice;

// Writes the whole food table to a CSV file as the starter table is written: the header
// FOOD,SERVING_UN,...,SUGAR_ALC, then SERVING_G (the grams of a serving) and one column per
// nutrient of the table's catalogue, headed "<number> <name> (<unit>)" ("307 Sodium (mg)"), then
// one row per food in table order, RFC 4180 quoting where a field needs it, UTF-8, LF line ends.
// Each value is the text the grid shows for it (numbers as the table holds them, an empty
// nutrient empty, an unknown one too), so importing the file into an empty table gives back the
// same table. The file is written through SafeFile: it appears whole or not at all.
class FoodExport
{
    Q_DECLARE_TR_FUNCTIONS(FoodExport)

public:
    // Called every few thousand rows with the rows written and the rows there are; return false
    // to cancel, which leaves any file already at `csvPath` as it was.
    using ProgressCallback = std::function<bool(qint64 rowsWritten, qint64 rowCount)>;

    // Refuses, writing nothing, a `csvPath` that is the food table's own file under any name, or
    // that names something other than a regular file (a named pipe, a device, a folder).
    static bool run(const QString& databasePath, const QString& csvPath, const ProgressCallback& progress,
        qint64* rowsWritten, QString* error);
    // Writes the CSV to `device` as it goes, such as standard output, which cannot be whole or
    // nothing; `name` stands for it in messages.
    static bool writeTo(const QString& databasePath, QIODevice* device, const QString& name,
        const ProgressCallback& progress, qint64* rowsWritten, QString* error);
    // A field as a CSV row holds it: quoted when it has a comma, a quote, a line break or blanks at
    // either end, with its quotes doubled.
    static void appendField(QByteArray* row, QByteArrayView field);
};
