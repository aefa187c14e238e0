#pragma once

#include <QString>
#include <QStringList>

// What the main window's live totals show: whether they are shown at all, and which values, each
// by its key: a name of the nine values as the targets file writes it ("Calories") or a nutrient
// number ("203"). Kept in a short text file beside the plan on screen: "hidden" on a line of its
// own when switched off, then one key a line.
struct LiveTotalsChoice
{
    bool shown = true;
    QStringList keys = defaultKeys();

    // Calories, protein, carbohydrates and fat.
    static QStringList defaultKeys();
    // The most values shown at once.
    static constexpr int MostKeys = 24;

    // The choice kept at `path`; the default one when there is none or it cannot be read. Lines
    // that are no key of the nine or of a nutrient number, repeats and keys past MostKeys are
    // passed over; a file larger than any choice is not read at all.
    static LiveTotalsChoice load(const QString& path);
    // Writes the choice whole or not at all; nothing to do for an empty path.
    bool save(const QString& path, QString* error) const;

    bool operator==(const LiveTotalsChoice&) const = default;
};
