#include "TestSupport.h"

#include "gui/common/Prompt.h"

#include "core/files/PlatewellFolder.h"
#include "core/foods/FoodDatabase.h"
#include "core/storage/SqliteFoodStore.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QPointer>

#include <QTest>
#include <QTimer>
#include <QWidget>
#include <cstring>

TestFolder::TestFolder()
{
    QDir().mkpath(dataFolder());
}

QString TestFolder::databasePath() const
{
    return PlatewellFolder::foodDatabasePath(path());
}

QString TestFolder::dataFolder() const
{
    return PlatewellFolder::dataFolder(path());
}

UserFiles::Places TestFolder::places() const
{
    return UserFiles::placesIn(path());
}

std::unique_ptr<Workspace> TestFolder::workspace() const
{
    return std::make_unique<Workspace>(places());
}

std::unique_ptr<UserFiles> TestFolder::files() const
{
    return std::make_unique<UserFiles>(places());
}

void addToMeal(PlanDocument& plan, int meal, const QString& food, const QString& quantity)
{
    MealTable table = plan.meal(meal);
    table.add(food, quantity);
    plan.setMeal(meal, table);
}

void TestFolder::createFoods(const QStringList& csvRows) const
{
    QFile::remove(databasePath());
    const QString csv = FoodDatabase::fieldNames().join(QLatin1Char(',')) + QLatin1Char('\n')
        + csvRows.join(QLatin1Char('\n')) + QLatin1Char('\n');
    QString error;
    if (!FoodDatabase::createFromCsv(databasePath(), csv, &error)) {
        qFatal("cannot create the test food table: %s", qPrintable(error));
    }
}

void TestFolder::createStarterFoods() const
{
    QFile::remove(databasePath());
    QString error;
    if (!FoodDatabase::createFromCsv(databasePath(), PlatewellFolder::starterFoodsCsv(), &error)) {
        qFatal("cannot create the starter food table: %s", qPrintable(error));
    }
}

QString foodRow(const QString& name, const QString& unit, const QStringList& nutrients)
{
    QStringList fields { QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\""))
            + QLatin1Char('"'),
        QLatin1Char('"') + unit + QLatin1Char('"') };
    for (int i = 0; i < 8; ++i) {
        fields.append(nutrients.value(i));
    }
    return fields.join(QLatin1Char(','));
}

QPointer<QTimer> whenModal(std::function<void(QWidget*)> action)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        QPointer<QWidget> shown(modal);
        action(modal);
        // An action that stopped early (a failed check returns at once) leaves the window up; it
        // is closed here, answering Yes to any question, so that the test fails instead of
        // waiting for ever.
        if (shown && shown->isVisible() && QApplication::activeModalWidget() == shown) {
            Prompt::queueAnswer(true);
            shown->close();
            if (shown && shown->isVisible()) {
                if (auto* dialog = qobject_cast<QDialog*>(shown.data())) {
                    dialog->done(QDialog::Rejected);
                }
            }
        }
    });
    timer->start();
    return timer;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

FoodStore::RowId rowOf(const FoodStore& foods, const QString& name)
{
    std::vector<TextColumn> columns;
    std::vector<FoodStore::RowId> rows;
    foods.readColumns({ FoodFields::FOOD }, &columns, &rows, nullptr);
    for (qsizetype r = 0; r < columns[0].size(); ++r) {
        if (columns[0].at(r) == name) {
            return rows[std::size_t(r)];
        }
    }
    return 0;
}

FoodNutrients nutrientsOf(const FoodStore& foods, const QString& name)
{
    FoodNutrients nutrients;
    QString error;
    if (!foods.readFoodNutrients(rowOf(foods, name), &nutrients, &error)) {
        qWarning("%s", qPrintable(error));
    }
    return nutrients;
}

FoodNutrients nutrientsOf(const QString& database, const QString& name)
{
    SqliteFoodStore store(database);
    QString error;
    if (!store.refresh(&error)) {
        qWarning("%s", qPrintable(error));
        return FoodNutrients();
    }
    return nutrientsOf(store, name);
}

bool writeNutrients(FoodStore& foods, const QString& name, const FoodNutrientChanges& changes)
{
    QString error;
    if (!foods.writeFoodNutrients(rowOf(foods, name), name, changes, &error)) {
        qWarning("%s", qPrintable(error));
        return false;
    }
    return true;
}

bool sameBits(const TotalsResult& a, const TotalsResult& b)
{
    if (a.rows.size() != b.rows.size() || a.hasTotalsRow != b.hasTotalsRow || a.stopped != b.stopped) {
        return false;
    }
    for (std::size_t r = 0; r < a.rows.size(); ++r) {
        if (a.rows[r].label != b.rows[r].label
            || std::memcmp(a.rows[r].values.data(), b.rows[r].values.data(), sizeof(a.rows[r].values)) != 0) {
            return false;
        }
    }
    return true;
}

QString storedCellText(const StoredCell& cell)
{
    switch (cell.kind) {
    case StoredCell::Null:
        return QStringLiteral("null");
    case StoredCell::Integer:
        return QStringLiteral("int %1").arg(cell.integer);
    case StoredCell::Real: {
        quint64 bits = 0;
        std::memcpy(&bits, &cell.real, sizeof bits);
        return QStringLiteral("real %1").arg(bits, 16, 16, QLatin1Char('0'));
    }
    case StoredCell::Text:
        return QStringLiteral("text %1").arg(QString::fromLatin1(cell.text.toByteArray().toHex()));
    }
    return QString();
}
