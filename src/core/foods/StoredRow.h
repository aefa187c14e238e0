#pragma once

#include "core/foods/FoodFields.h"

#include <QByteArrayView>

#include <array>

// One value of a food as the table holds it: nothing, an integer, a real number or a text.
struct StoredCell
{
    enum Kind { Null, Integer, Real, Text };

    Kind kind = Null;
    qint64 integer = 0;
    double real = 0;
    // A text's bytes as stored: UTF-8, or Windows-1252 from an older tool (see StoredText).
    QByteArrayView text;
};

// The ten fields of one food row as the table holds them; the texts stay valid only while the row
// is handed out.
using StoredRow = std::array<StoredCell, FoodFields::FieldCount>;
