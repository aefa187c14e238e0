#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <QVariantList>

// Another program at work on a food table file: a Qt SQL connection of its own, through which a
// test changes or reads the file behind the program's back.
class OtherProgram
{
public:
    explicit OtherProgram(const QString& path);
    ~OtherProgram();
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    QSqlDatabase database() const;
    // Runs one statement with `values` bound in order; false (with a warning) when it fails.
    bool exec(const QString& sql, const QVariantList& values = {});
    // The first column of the first row a query gives, or an invalid value.
    QVariant value(const QString& sql, const QVariantList& values = {});

private:
    QString m_name;
};
