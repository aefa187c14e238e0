// A power cut loses every write the system had not yet put on the disk. The test records the file
// operations of one real save of a plan, the targets and an export, then works out, for a cut
// after each of them, every state the disk may come back in: a file's data as of its last sync,
// and the folder's names as of its last sync plus any of the later renames and creations in
// order, as a journalling file system keeps them. The file must always be the whole old one or
// the whole new one, and once the save was reported the new one.

#include "TestSupport.h"
#include "core/files/FileOperationLog.h"
#include "core/imports/FoodExport.h"
#include "core/plans/PeriodFile.h"
#include "core/totals/NutrientTargets.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTest>

#include <optional>

namespace {

// A file's bytes, or none for no file of that name.
using Content = std::optional<QByteArray>;
using Operations = std::vector<FileOperationLog::Operation>;

QString shown(const Content& content)
{
    return content ? QStringLiteral("\"%1\"").arg(QString::fromUtf8(content->left(40))) : QStringLiteral("no file");
}

// Every content a power cut after the first `done` operations may leave at `target`, which
// held `before` when they began.
QList<Content> afterPowerCut(
    const Operations& operations, std::size_t done, const QString& target, const Content& before)
{
    using Kind = FileOperationLog::Kind;
    const QString folder = QFileInfo(target).absolutePath();
    QHash<QString, int> names;
    QHash<int, QByteArray> written;
    QHash<int, QByteArray> synced;
    int files = 0;
    if (before) {
        names.insert(target, files);
        written.insert(files, *before);
        synced.insert(files, *before);
        ++files;
    }
    std::vector<QHash<QString, int>> namesAfter { names };
    std::size_t folderSynced = 0;
    for (std::size_t i = 0; i < done; ++i) {
        const FileOperationLog::Operation& operation = operations[i];
        switch (operation.kind) {
        case Kind::Create:
            names.insert(operation.path, files);
            written.insert(files++, QByteArray());
            break;
        case Kind::Append:
            written[names.value(operation.path, -1)] += operation.bytes;
            break;
        case Kind::SyncFile:
            synced.insert(names.value(operation.path, -1), written.value(names.value(operation.path, -1)));
            break;
        case Kind::Rename:
            names.insert(operation.target, names.take(operation.path));
            break;
        case Kind::Remove:
            names.remove(operation.path);
            break;
        case Kind::SyncFolder:
            if (operation.path == folder) {
                folderSynced = i + 1;
            }
            break;
        }
        namesAfter.push_back(names);
    }
    QList<Content> contents;
    for (std::size_t j = folderSynced; j <= done; ++j) {
        const QHash<QString, int>& at = namesAfter[j];
        contents.append(at.contains(target) ? Content(synced.value(at.value(target))) : Content());
    }
    return contents;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestPowerLoss : public QObject
{
    Q_OBJECT

private slots:
    void savedFileSurvives_data();
    void savedFileSurvives();
};

void TestPowerLoss::savedFileSurvives_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<bool>("existing");
    QTest::addColumn<bool>("folderSyncDropped");
    QTest::newRow("plan over the old one") << "plan" << true << false;
    QTest::newRow("plan, first save") << "plan" << false << false;
    QTest::newRow("targets over the old ones") << "targets" << true << false;
    QTest::newRow("export over an old file") << "export" << true << false;
    QTest::newRow("export to a new file") << "export" << false << false;
    // The check itself: the same save without its folder sync may come back as the old file.
    QTest::newRow("plan, folder sync dropped") << "plan" << true << true;
    QTest::newRow("export, folder sync dropped") << "export" << false << true;
}

void TestPowerLoss::savedFileSurvives()
{
    QFETCH(QString, what);
    QFETCH(bool, existing);
    QFETCH(bool, folderSyncDropped);
    TestFolder folder;
    folder.createFoods({ foodRow(QStringLiteral("Apple"), QStringLiteral("1 medium"), { QStringLiteral("95") }),
        foodRow(QStringLiteral("Bread"), QStringLiteral("1 slice"), { QStringLiteral("80") }) });
    const std::unique_ptr<UserFiles> files = folder.files();
    const QString path = what == QLatin1String("plan") ? files->perUserFile(QStringLiteral("Daily"))
        : what == QLatin1String("targets")             ? files->perUserFile(NutrientTargets::fileSuffix())
                                                       : folder.path() + QStringLiteral("/foods.csv");
    Content before;
    if (existing) {
        before = QByteArray("the old file, whole\r\n").repeated(30);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(*before), before->size());
    }

    Operations operations;
    {
        FileOperationLog log;
        QString error;
        bool saved = false;
        if (what == QLatin1String("plan")) {
            MealPlan plan;
            plan.tables[MealPlan::Lunch].add(QStringLiteral("Apple"), QStringLiteral(" 2"));
            plan.tables[MealPlan::Dinner].add(QStringLiteral("Bread"), QStringLiteral(" 1"));
            saved = PeriodFile::save(path, plan, &error);
        } else if (what == QLatin1String("targets")) {
            NutrientTargets targets;
            QVERIFY(targets.setRange(0, { 1800.0, 2200.0 }, &error));
            saved = targets.save(path, &error);
        } else {
            saved = FoodExport::run(folder.databasePath(), path, {}, nullptr, &error);
        }
        QVERIFY2(saved, qPrintable(error));
        operations = log.operations();
    }
    const QByteArray after = fileBytes(path);
    QVERIFY(after != before);
    QVERIFY(!operations.empty());
    if (folderSyncDropped) {
        std::erase_if(operations,
            [](const FileOperationLog::Operation& o) { return o.kind == FileOperationLog::Kind::SyncFolder; });
    }

    QStringList torn;
    QStringList lost;
    for (std::size_t done = 0; done <= operations.size(); ++done) {
        for (const Content& content : afterPowerCut(operations, done, path, before)) {
            if (content != before && content != after) {
                torn.append(QStringLiteral("after %1 operations: %2").arg(done).arg(shown(content)));
            } else if (done == operations.size() && content != after) {
                lost.append(QStringLiteral("after the save: %1").arg(shown(content)));
            }
        }
    }
    QVERIFY2(torn.isEmpty(), qPrintable(torn.join(QLatin1Char('\n'))));
    if (folderSyncDropped) {
        QVERIFY(!lost.isEmpty());
    } else {
        QVERIFY2(lost.isEmpty(), qPrintable(lost.join(QLatin1Char('\n'))));
    }
}

QTEST_GUILESS_MAIN(TestPowerLoss)
#include "TestPowerLoss.moc"
