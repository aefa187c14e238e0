#pragma once

#include "core/foods/FoodFields.h"
#include "core/foods/StoredRow.h"
#include "core/postgres/PgConnection.h"

#include <QByteArrayView>
#include <QString>
#include <QVariant>

#include <memory>

class SqliteConnection;
class SqliteStatement;

// The cells of a food table kept on a PostgreSQL server, held so that every reader gets back
// exactly what an SQLite food table gives for the same writes. Each of the ten fields is a text
// column: the name and serving unit as written, a nutrient as the text a grid shows for the value
// an SQLite NUMERIC column makes of what was written (an integer, a real number, or the typed text
// kept as it is, such as "12.5g"). That text tells its kind again on reading: integers and real
// numbers have one spelling each, and a text SQLite keeps as a text never reads as a number. An
// infinity, whose grid text "inf" could be a typed text, is kept as "1e999" or "-1e999", which
// SQLite never keeps as a text.
class PgFoodCells
{
public:
    PgFoodCells();
    ~PgFoodCells();
    PgFoodCells(const PgFoodCells&) = delete;
    PgFoodCells& operator=(const PgFoodCells&) = delete;

    // The parameter to store in `field` for a value as the SQLite table is given it (null, a
    // double, or a text: FoodValues::storedValueOf's result); false, with the reason, where SQLite
    // cannot be asked what it makes of it.
    bool stored(FoodFields::Field field, const QVariant& value, PgConnection::Param* param, QString* error);
    // The same for a text as typed (FoodValues::storedValueOf of it).
    bool storedTyped(FoodFields::Field field, const QString& text, PgConnection::Param* param, QString* error);

    // The cell of `field` as SQLite would hand it out, from the stored text (null for SQL NULL).
    static void cellOf(FoodFields::Field field, QByteArrayView bytes, bool isNull, StoredCell* cell);
    // The text a grid shows for a stored cell, as FoodDatabase::cellText gives it.
    static QString cellText(FoodFields::Field field, QByteArrayView bytes, bool isNull);
    // A stored nutrient as a number, as FoodDatabase::nutrientValue reads it.
    static double nutrientValue(QByteArrayView bytes, bool isNull);

private:
    bool prepare(QString* error);

    std::unique_ptr<SqliteConnection> m_sqlite;
    std::unique_ptr<SqliteStatement> m_put;
    std::unique_ptr<SqliteStatement> m_get;
};
