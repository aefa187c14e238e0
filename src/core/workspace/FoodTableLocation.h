#pragma once

#include <QCoreApplication>
#include <QString>

// Where a Platewell folder's food table is: its own foods.db, or a food table on a PostgreSQL
// server that many desks share, named by a postgresql:// address. The address is chosen by
// `--database` for one run, by PLATEWELL_DATABASE in the environment, or kept in the folder's
// settings file; the first of these that is set wins. An address never holds a password:
// PostgreSQL's own places (~/.pgpass, PGPASSWORD, a service file) give it.
class FoodTableLocation
{
    Q_DECLARE_TR_FUNCTIONS(FoodTableLocation)

public:
    enum class Source { CommandLine, Environment, Settings, Folder };

    // The location of the food table of `folder`, and where it was chosen; false with a short
    // message when the chosen address cannot be used (nothing falls back to another table then).
    static bool resolve(
        const QString& folder, const QString& commandLine, QString* location, Source* source, QString* error);
    // Whether `address` names a server as Platewell takes one: a postgresql:// (or postgres://)
    // address without a password; false with the reason. Other libpq parameters (sslmode,
    // service...) pass through as they are.
    static bool checkAddress(const QString& address, QString* error);

    // The folder's settings file.
    static QString settingsPath(const QString& folder);
    // The server address kept in the folder's settings; empty when the folder uses its foods.db
    // or the settings cannot be read.
    static QString savedAddress(const QString& folder);
    // The same, false with a message when the settings are there but cannot be read.
    static bool readSavedAddress(const QString& folder, QString* address, QString* error);
    // Keeps `address` in the folder's settings (empty: the folder's foods.db again), after
    // checking it; written whole or not at all.
    static bool saveAddress(const QString& folder, const QString& address, QString* error);
};
