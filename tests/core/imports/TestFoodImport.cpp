// Imports small crafted files of every kind into real food tables and checks the rows that come
// out, the report and the summary; exports and imports back; and runs the command line.

#include "OtherProgram.h"
#include "PlatewellRun.h"
#include "TestSupport.h"
#include "core/foods/FoodDatabase.h"
#include "core/imports/ColumnMapping.h"
#include "core/imports/FoodExport.h"
#include "core/imports/FoodImport.h"
#include "core/nutrients/NutrientCatalogue.h"
#include "core/storage/SqliteFoodStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <zip.h>
#include <zlib.h>

#include <unistd.h>

using Files = QMap<QString, QByteArray>;
using Rows = QList<QStringList>;

namespace {

void writeGzip(const QString& path, const QByteArray& bytes)
{
    gzFile gz = gzopen(QFile::encodeName(path).constData(), "wb");
    QVERIFY(gz);
    QCOMPARE(gzwrite(gz, bytes.constData(), unsigned(bytes.size())), int(bytes.size()));
    gzclose(gz);
}

void writeZip(const QString& path, const Files& files)
{
    int code = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    QVERIFY(archive);
    for (auto it = files.begin(); it != files.end(); ++it) {
        zip_source_t* source = zip_source_buffer(archive, it.value().constData(), zip_uint64_t(it.value().size()), 0);
        QVERIFY(zip_file_add(archive, ("FoodData_Central_csv/" + it.key()).toUtf8().constData(), source, 0) >= 0);
    }
    QCOMPARE(zip_close(archive), 0);
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

Rows tableRows(const QString& databasePath)
{
    SqliteFoodStore foods(databasePath);
    std::vector<TextColumn> columns;
    QString error;
    std::vector<FoodDatabase::Field> fields;
    for (int f = 0; f < FoodDatabase::FieldCount; ++f) {
        fields.push_back(FoodDatabase::Field(f));
    }
    if (!foods.refresh(&error) || !foods.readColumns(fields, &columns, nullptr, &error)) {
        qWarning() << error;
        return {};
    }
    Rows rows;
    for (qsizetype r = 0; r < columns[0].size(); ++r) {
        QStringList row;
        for (const TextColumn& column : columns) {
            row.append(column.at(r));
        }
        rows.append(row);
    }
    return rows;
}

// Every stored value as an SQL literal, so that 12 and '12' differ as the table holds them.
Rows storedRows(const QString& databasePath)
{
    SqliteFoodStore foods(databasePath);
    QString error;
    if (!foods.refresh(&error)) {
        qWarning() << error;
        return {};
    }
    QStringList quoted;
    for (const QString& field : FoodDatabase::fieldNames()) {
        quoted.append("quote(" + field + ")");
    }
    OtherProgram reader(databasePath);
    QSqlQuery query(reader.database());
    Rows rows;
    if (!query.exec("SELECT " + quoted.join(", ") + " FROM foods ORDER BY rowid")) {
        qWarning() << query.lastError().text();
        return {};
    }
    while (query.next()) {
        QStringList row;
        for (int f = 0; f < FoodDatabase::FieldCount; ++f) {
            row.append(query.value(f).toString());
        }
        rows.append(row);
    }
    return rows;
}

// Each column's field; a field in its own unit per serving is its name alone, else its unit and
// per100g follow ("CALORIES:kJ:per100g").
QStringList mappingText(const std::vector<ImportColumn>& mapping)
{
    QStringList texts;
    for (const ImportColumn& column : mapping) {
        const bool catalogued = column.field == ColumnMapping::CatalogueNutrient;
        QString text = catalogued ? column.nutrient.number : ColumnMapping::fieldName(column.field);
        const ImportColumn own
            = catalogued ? ColumnMapping::column(column.nutrient) : ColumnMapping::column(column.field);
        if (column.field != FoodImport::NoField && !(column == own)) {
            text += ":" + ColumnMapping::unitName(column.unit) + (column.per100g ? ":per100g" : "");
        }
        texts.append(text);
    }
    return texts;
}

struct Outcome
{
    bool ok = false;
    QString error;
    ImportSummary summary;
    QStringList problems;
};

Outcome importInto(const QString& databasePath, const QString& source, DuplicateRule rule = DuplicateRule::Skip,
    const FoodImport::ProgressCallback& progress = {})
{
    Outcome outcome;
    FoodImport import(source);
    outcome.ok = import.inspect(&outcome.error)
        && import.run(
            databasePath, rule, progress,
            [&](const ImportProblem& p) {
                outcome.problems.append(QStringLiteral("%1|%2|%3").arg(p.locationText(), p.name, p.reason));
            },
            &outcome.summary, &outcome.error);
    return outcome;
}

const QByteArray kFoodCsv = "\"fdc_id\",\"data_type\",\"description\",\"food_category_id\"\n"
                            "\"170567\",\"sr_legacy_food\",\"Nuts, almonds\",\"12\"\n";

} // namespace

class TestFoodImport : public QObject
{
    Q_OBJECT

private slots:
    void foodDataCentral_data();
    void foodDataCentral();
    void openFoodFacts_data();
    void openFoodFacts();
    void csvFiles_data();
    void csvFiles();
    void proposedMapping_data();
    void proposedMapping();
    void columnsOption_data();
    void columnsOption();
    void nutrientProposals_data();
    void nutrientProposals();
    void nutrientColumnsOption_data();
    void nutrientColumnsOption();
    void duplicates_data();
    void duplicates();
    void longNamesAreRefused();
    void problemsAreReported();
    void badSources_data();
    void badSources();
    void cancelLeavesTableAsItWas();
    void exportImportsBackTheSameTable();
    void exportRefusesTheTableItself_data();
    void exportRefusesTheTableItself();
    void commandLine_data();
    void commandLine();
    void commandLineReadsAPipe_data();
    void commandLineReadsAPipe();
};

void TestFoodImport::foodDataCentral_data()
{
    QTest::addColumn<Files>("files");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("problems");
    auto nutrients = [](const QByteArray& rows) { return "\"id\",\"fdc_id\",\"nutrient_id\",\"amount\"\n" + rows; };
    const QByteArray units
        = "\"id\",\"name\",\"unit_name\"\n\"1008\",\"Energy\",\"KCAL\"\n\"2047\",\"Energy\",\"KCAL\"\n"
          "\"1253\",\"Cholesterol\",\"MG\"\n";
    // Per 100 g: the best nutrient id wins wherever it stands in the file.
    QTest::newRow("best ids")
        << Files { { "food_nutrient.csv",
                       nutrients("1,170567,2047,590\n2,170567,1008,579\n3,170567,1050,20\n4,170567,1005,21.55\n"
                                 "5,170567,1004,49.93\n6,170567,1085,40\n7,170567,2000,4.35\n8,170567,1253,0\n"
                                 "9,170567,1079,12.5\n10,170567,1086,1\n") },
               { "nutrient.csv", units } }
        << QStringList { "Nuts, almonds", "100 g", "579", "21.55", "49.93", "4.35", "0", "14.9", "12.5", "1" }
        << QStringList();
    QTest::newRow("fallbacks") << Files { { "food_nutrient.csv",
        nutrients("1,170567,2048,100\n2,170567,2047,110\n3,170567,1050,20\n4,170567,1085,6\n"
                  "5,170567,1063,2\n6,170567,2033,5\n") } }
                               << QStringList { "Nuts, almonds", "100 g", "110", "20", "6", "2", "", "1.9", "5", "" }
                               << QStringList();
    QTest::newRow("energy in kJ, cholesterol in g")
        << Files { { "food_nutrient.csv", nutrients("1,170567,1008,418.4\n2,170567,1253,0.12\n") },
               { "nutrient.csv", "\"id\",\"name\",\"unit_name\"\n\"1008\",\"Energy\",\"kJ\"\n\"1253\",\"C\",\"G\"\n" } }
        << QStringList { "Nuts, almonds", "100 g", "100", "", "", "", "120", "", "", "" } << QStringList();
    const QByteArray measures = "\"id\",\"name\"\n\"1000\",\"cup\"\n\"9999\",\"undetermined\"\n";
    QTest::newRow("first portion by seq_num, unit name")
        << Files { { "food_nutrient.csv", nutrients("1,170567,1008,579\n2,170567,1004,50\n") },
               { "measure_unit.csv", measures },
               { "food_portion.csv",
                   "id,fdc_id,seq_num,amount,measure_unit_id,portion_description,modifier,gram_weight\n"
                   "1,170567,2,1.0,9999,,\"oz (22 whole kernels)\",28.35\n2,170567,1,0.5,1000,,whole,50\n" } }
        << QStringList { "Nuts, almonds", "0.5 cup, whole (50 g)", "289.5", "", "25", "", "", "7.9", "", "" }
        << QStringList();
    QTest::newRow("undetermined unit takes the modifier")
        << Files { { "food_nutrient.csv", nutrients("1,170567,1008,579\n") }, { "measure_unit.csv", measures },
               { "food_portion.csv",
                   "id,fdc_id,seq_num,amount,measure_unit_id,modifier,gram_weight\n"
                   "1,170567,1,1,9999,\"oz (22 whole kernels)\",28.35\n" } }
        << QStringList { "Nuts, almonds", "1 oz (22 whole kernels) (28.35 g)", "164.1", "", "", "", "", "", "", "" }
        << QStringList();
    const QByteArray branded
        = "fdc_id,brand_owner,brand_name,serving_size,serving_size_unit,household_serving_fulltext\n";
    QTest::newRow("branded label serving and brand")
        << Files { { "food_nutrient.csv", nutrients("1,170567,1008,50\n") },
               { "branded_food.csv", branded + "170567,Big Foods Inc.,Crunchy,240,g,1 cup\n" } }
        << QStringList { "Nuts, almonds (Crunchy)", "1 cup (240 g)", "120", "", "", "", "", "", "", "" }
        << QStringList();
    QTest::newRow("branded serving without household words, in ml")
        << Files { { "food_nutrient.csv", nutrients("1,170567,1008,50\n") },
               { "branded_food.csv", branded + "170567,Big Foods Inc.,,30,MLT,\n" } }
        << QStringList { "Nuts, almonds (Big Foods Inc.)", "30 ml", "15", "", "", "", "", "", "", "" } << QStringList();
    QTest::newRow("portion weight beyond any serving")
        << Files { { "food_nutrient.csv", nutrients("1,170567,1008,579\n") }, { "measure_unit.csv", measures },
               { "food_portion.csv",
                   "id,fdc_id,seq_num,amount,measure_unit_id,modifier,gram_weight\n1,170567,1,1,1000,,1e308\n" } }
        << QStringList { "Nuts, almonds", "100 g", "579", "", "", "", "", "", "", "" }
        << QStringList { "fdc_id 170567|Nuts, almonds|food_portion.csv gram_weight 1e+308 is no serving weight, so the "
                         "serving is "
                         "100 g" };
    QTest::newRow("branded serving beyond any serving")
        << Files { { "food_nutrient.csv", nutrients("1,170567,1008,50\n") },
               { "branded_food.csv", branded + "170567,,,250000,g,1 tub\n" } }
        << QStringList { "Nuts, almonds", "100 g", "50", "", "", "", "", "", "", "" }
        << QStringList { "fdc_id 170567|Nuts, almonds|branded_food.csv serving_size 250000 is no serving weight, so "
                         "the serving is 100 g" };
    // Each field is decoded on its own, and a text kept in the food that was read as Windows-1252
    // is told.
    const QByteArray foodHeader = "\"fdc_id\",\"data_type\",\"description\",\"food_category_id\"\n";
    QTest::newRow("Windows-1252 in a column not imported and in the brand")
        << Files { { "food.csv", foodHeader + "\"170567\",\"branded_food\",\"G\xC3\xA2teau\",\"caf\xE9\"\n" },
               { "food_nutrient.csv", nutrients("1,170567,1008,50\n") },
               { "branded_food.csv", branded + "170567,Caf\xE9 Co,,240,g,1 cup\n" } }
        << QStringList { "G\u00e2teau (Caf\u00e9 Co)", "1 cup (240 g)", "120", "", "", "", "", "", "", "" }
        << QStringList { "fdc_id 170567|G\u00e2teau (Caf\u00e9 Co)|not UTF-8, so read as Windows-1252: "
                         "branded_food.csv brand_owner" };
    QTest::newRow("Windows-1252 in the name and the portion")
        << Files { { "food.csv", foodHeader + "\"170567\",\"sr_legacy_food\",\"Cr\xE8me br\xFBl\xE9\x65\",\"12\"\n" },
               { "food_nutrient.csv", nutrients("1,170567,1008,300\n") }, { "measure_unit.csv", measures },
               { "food_portion.csv",
                   "id,fdc_id,seq_num,amount,measure_unit_id,modifier,gram_weight\n"
                   "1,170567,1,1,9999,petit pot \xE0 dessert,120\n" } }
        << QStringList { "Cr\u00e8me br\u00fbl\u00e9\x65", "1 petit pot \u00e0 dessert (120 g)", "360", "", "", "", "",
               "", "", "" }
        << QStringList { "fdc_id 170567|Cr\u00e8me br\u00fbl\u00e9\x65|not UTF-8, so read as Windows-1252: food.csv "
                         "description, food_portion.csv" };
}

void TestFoodImport::foodDataCentral()
{
    QFETCH(Files, files);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, problems);
    files.insert("food.csv",
        files.value("food.csv", kFoodCsv) + "\"170568\",\"sample_food\",\"Almonds, lab sample 3\",\"12\"\n");
    // The unpacked folder and the zip archive give the same food.
    for (const bool zipped : { false, true }) {
        TestFolder folder;
        folder.createFoods({});
        const QString source = folder.path() + (zipped ? "/download.zip" : "/download");
        if (zipped) {
            writeZip(source, files);
        } else {
            QDir().mkpath(source);
            for (auto it = files.begin(); it != files.end(); ++it) {
                writeFile(source + "/" + it.key(), it.value());
            }
        }
        const Outcome outcome = importInto(folder.databasePath(), source);
        QVERIFY2(outcome.ok, qPrintable(outcome.error));
        QCOMPARE(tableRows(folder.databasePath()), Rows { expected });
        QCOMPARE(outcome.problems, problems);
        QCOMPARE(outcome.summary.recordsNotFoods, 1);
    }
}

void TestFoodImport::openFoodFacts_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("problems");
    // product_name brands serving_size serving_quantity energy-kcal energy carbs fat sugars cholesterol fiber polyols
    QTest::newRow("per serving, brand, cholesterol in g")
        << QByteArray("Choco \"Bar\"\tAcme,Other\t1 bar\t40\t500\t2092\t60\t25\t50\t0.02\t3.5\t10")
        << QStringList { "Choco \"Bar\" (Acme)", "1 bar (40 g)", "200", "24", "10", "20", "8", "4.6", "1.4", "4" }
        << QStringList();
    QTest::newRow("kJ only, no serving") << QByteArray("Plain oats\t\t\t\t\t1568.84\t60\t7\t\t\t10\t")
                                         << QStringList { "Plain oats", "100 g", "375", "60", "7", "", "", "7.3", "10",
                                                "" }
                                         << QStringList();
    QTest::newRow("brand already named, serving names its grams")
        << QByteArray("Acme crisps\tACME\t30 g\t30\t540\t\t50\t30\t\t\t\t")
        << QStringList { "Acme crisps", "30 g", "162", "15", "9", "", "", "4", "", "" } << QStringList();
    QTest::newRow("serving names its grams without a blank")
        << QByteArray("Flapjack\t\t1 bar (30g)\t30\t400\t\t\t\t\t\t\t")
        << QStringList { "Flapjack", "1 bar (30g)", "120", "", "", "", "", "", "", "" } << QStringList();
    QTest::newRow("serving names other grams than the quantity")
        << QByteArray("Syrup\t\t1 tbsp (15 g)\t5\t300\t\t\t\t\t\t\t")
        << QStringList { "Syrup", "1 tbsp (15 g) (5 g)", "15", "", "", "", "", "", "", "" } << QStringList();
    QTest::newRow("serving quantity beyond any serving")
        << QByteArray("Choco bar\t\t1 bar\t1e308\t250\t\t\t\t\t\t\t")
        << QStringList { "Choco bar", "100 g", "250", "", "", "", "", "", "", "" }
        << QStringList { "line 2|Choco bar|serving_quantity 1e+308 is no serving weight, so the serving is 100 g" };
    QTest::newRow("negative serving quantity")
        << QByteArray("Choco bar\t\t1 bar\t-40\t250\t\t\t\t\t\t\t")
        << QStringList { "Choco bar", "100 g", "250", "", "", "", "", "", "", "" }
        << QStringList { "line 2|Choco bar|serving_quantity -40 is no serving weight, so the serving is 100 g" };
    QTest::newRow("nutrients too large for a number")
        << QByteArray("Lard block\t\t\t100000\t\t\t\t1e308\t\t1e306\t\t")
        << QStringList { "Lard block", "100000 g", "", "", "1.7976931348623157e+308", "", "1.7976931348623157e+308", "",
               "", "" }
        << QStringList { "line 2|Lard block|a nutrient too large for a number was held at the largest one" };
    // Each field is decoded on its own: one byte of Windows-1252 in any of the dump's columns
    // leaves a UTF-8 name as it is; a text kept in the food that was read so is told.
    QTest::newRow("Windows-1252 in a column not imported")
        << QByteArray("G\xC3\xA2teau\t\t\t\t400\t\t\t\t\t\t\t\tp\xE2tisserie")
        << QStringList { "G\u00e2teau", "100 g", "400", "", "", "", "", "", "", "" } << QStringList();
    QTest::newRow("Windows-1252 in the brand and the serving")
        << QByteArray("G\xC3\xA2teau\tCaf\xE9 Co\t1 part \xE0 partager\t50\t400\t\t\t\t\t\t\t\tp\xE2tisserie")
        << QStringList { "G\u00e2teau (Caf\u00e9 Co)", "1 part \u00e0 partager (50 g)", "200", "", "", "", "", "", "",
               "" }
        << QStringList { "line 2|G\u00e2teau (Caf\u00e9 Co)|not UTF-8, so read as Windows-1252: brands, serving_size" };
}

void TestFoodImport::openFoodFacts()
{
    QFETCH(QByteArray, line);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, problems);
    const QByteArray dump
        = "code\tproduct_name\tbrands\tserving_size\tserving_quantity\tenergy-kcal_100g\tenergy_100g\t"
          "carbohydrates_100g\tfat_100g\tsugars_100g\tcholesterol_100g\tfiber_100g\tpolyols_100g\tcategories\n"
          "1\t"
        + line + "\n2\t\tNameless\t\t\t100\t\t\t\t\t\t\t\n";
    for (const bool compressed : { false, true }) {
        TestFolder folder;
        folder.createFoods({});
        const QString source = folder.path() + "/products.csv";
        compressed ? writeGzip(source, dump) : writeFile(source, dump);
        const Outcome outcome = importInto(folder.databasePath(), source);
        QVERIFY2(outcome.ok, qPrintable(outcome.error));
        QCOMPARE(tableRows(folder.databasePath()), Rows { expected });
        QCOMPARE(outcome.problems, problems);
        QCOMPARE(outcome.summary.productsWithoutName, 1);
    }
}

void TestFoodImport::csvFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Rows>("expected");
    QTest::addColumn<QStringList>("problems");
    QTest::newRow("starter header, quoting")
        << QByteArray("FOOD,SERVING_UN,CALORIES,CARBS,FAT,SUGAR,CHOLESTERO,POINTS,FIBER,SUGAR_ALC\n"
                      "\"Pie, \"\"apple\"\"\",\"1 slice\n(125 g)\",296,42.5,14,,0,7,2,\n")
        << Rows { { "Pie, \"apple\"", "1 slice (125 g)", "296", "42.5", "14", "", "0", "7", "2", "" } }
        << QStringList {
               "line 2|Pie, \"apple\"|tabs, line breaks or control characters in the serving unit became blanks"
           };
    QTest::newRow("byte order mark, CR LF, common spellings with units")
        << QByteArray("\xEF\xBB\xBFName,Serving Unit,Energy (kcal),Total Fat (g),Carbohydrates,Sugars,"
                      "Cholesterol (mg),Fibre,Polyols,Points\r\nToast,1 slice,80,1,15,1,0,2,,1.9\r\n")
        << Rows { { "Toast", "1 slice", "80", "15", "1", "1", "0", "1.9", "2", "" } } << QStringList();
    QTest::newRow("Windows-1252, semicolons, decimal commas")
        << QByteArray("Food;kcal;fat_g\nCr\xE8me br\xFBl\xE9\x65;250,5;12\n")
        << Rows { { "Cr\u00e8me br\u00fbl\u00e9e", "", "250.5", "", "12", "", "", "", "", "" } }
        << QStringList { "line 2|Cr\u00e8me br\u00fbl\u00e9e|not UTF-8, so read as Windows-1252: FOOD" };
    QTest::newRow("tab-separated, numbers kept as written")
        << QByteArray("Description\tCalories\tSugar Alcohols\nGum\t5 kcal\t2\n")
        << Rows { { "Gum", "", "5 kcal", "", "", "", "", "", "", "2" } } << QStringList();
    const QByteArray header = "FOOD,SERVING_UN,CALORIES,CARBS,FAT,SUGAR,CHOLESTERO,POINTS,FIBER,SUGAR_ALC\n";
    QTest::newRow("the table's own layout keeps text nutrients")
        << header + "Toast,1 slice,n/a,tr,12.5g,,-,,\"\",?\n"
        << Rows { { "Toast", "1 slice", "n/a", "tr", "12.5g", "", "-", "", "", "?" } } << QStringList();
    QTest::newRow("blanks tidied in a name are reported")
        << header + "\" Toast  with jam\",1 slice,80\n"
        << Rows { { "Toast with jam", "1 slice", "80", "", "", "", "", "", "", "" } }
        << QStringList { "line 2|Toast with jam|blanks around the name or doubled inside it were taken out" };
    QTest::newRow("other headers leave a value marked unknown empty")
        << header.toLower() + "Toast,1 slice,n/a,12\n"
        << Rows { { "Toast", "1 slice", "", "12", "", "", "", "", "", "" } }
        << QStringList { "line 2|Toast|not known, left empty: CALORIES \"n/a\"" };
    QTest::newRow("other headers refuse a text that is no number") << header.toLower()
            + "Toast,1 slice,lots,12\n" << Rows {} << QStringList { "line 2|Toast|not a number: CALORIES \"lots\"" };
    // Blank lines that only end the file are no rows; the others are rows without a name.
    QTest::newRow("blank records") << QByteArray("FOOD,CALORIES\nApple,1\n,\n\n \t\nPear,2\n\n,\n\n")
                                   << Rows { { "Apple", "", "1", "", "", "", "", "", "", "" },
                                          { "Pear", "", "2", "", "", "", "", "", "", "" } }
                                   << QStringList { "line 3||the food has no name", "line 4||the food has no name",
                                          "line 5||the food has no name" };

    // Energy in kJ is converted; a column in kcal takes the calories before one in kJ.
    QTest::newRow("energy in kJ") << QByteArray("Food,Energy (kJ)\nOats,1568.8\n")
                                  << Rows { { "Oats", "", "375", "", "", "", "", "", "", "" } } << QStringList();
    QTest::newRow("kcal after kJ") << QByteArray("Food,energy_kj,Energy kcal\nOats,1000,375\n")
                                   << Rows { { "Oats", "", "375", "", "", "", "", "", "", "" } } << QStringList();
    QTest::newRow("kJ written onto the name")
        << QByteArray("Name;Energy kJ\nTea;4,184\n") << Rows { { "Tea", "", "1", "", "", "", "", "", "", "" } }
        << QStringList();
    QTest::newRow("mg and \u00b5g") << QByteArray("Food,Fat (mg),Cholesterol (g),Fibre (\xC2\xB5g)\nX,1500,0.02,2e6\n")
                                    << Rows { { "X", "", "", "", "1.5", "", "20", "", "2", "" } } << QStringList();
    // Amounts per 100 g are scaled to the serving's weight, from the serving unit or a column.
    QTest::newRow("per 100 g, weight in the serving unit")
        << QByteArray("Food,Serving,kcal per 100 g,Fat_100g,Sugars\nBread,1 slice (40 g),250,3,\n")
        << Rows { { "Bread", "1 slice (40 g)", "100", "", "1.2", "", "", "", "", "" } } << QStringList();
    QTest::newRow("per 100 g, weight column")
        << QByteArray("Food,Serving,Serving weight (g),Energy (kcal/100 g)\nRice,1 cup,180,130\nSalt,,1,0\n")
        << Rows { { "Rice", "1 cup (180 g)", "234", "", "", "", "", "", "", "" },
               { "Salt", "1 g", "0", "", "", "", "", "", "", "" } }
        << QStringList();
    QTest::newRow("per 100 g, weight not known")
        << QByteArray("Food,Serving,kcal_100g\nSoup,1 bowl,40\nTea,,1\n")
        << Rows { { "Soup", "100 g", "40", "", "", "", "", "", "", "" },
               { "Tea", "100 g", "1", "", "", "", "", "", "", "" } }
        << QStringList { "line 2|Soup|the serving \"1 bowl\" gives no weight, so the amounts are for 100 g and the "
                         "serving is 100 g" };
    QTest::newRow("per 100 g beside per serving, weight not known")
        << QByteArray("Food,Serving,kcal_100g,Fat\nSoup,1 bowl,40,2\nStew,1 bowl (300 g),100,5\n")
        << Rows { { "Stew", "1 bowl (300 g)", "300", "", "5", "", "", "", "", "" } }
        << QStringList { "line 2|Soup|the amounts per 100 g cannot be scaled to the serving, whose weight is not "
                         "known, and others are per serving" };

    // One number style holds for the whole file; a text never stands for another number.
    QTest::newRow("grouping in a comma-separated file")
        << QByteArray("Food,kcal,Fat\nCake,\"1,234\",\"1,234.5\"\nPie,\"12,345\",0.5\n")
        << Rows { { "Cake", "", "1234", "", "1234.5", "", "", "", "", "" },
               { "Pie", "", "12345", "", "0.5", "", "", "", "", "" } }
        << QStringList();
    QTest::newRow("decimal commas in a semicolon-separated file")
        << QByteArray("Food;kcal;Fat;Sugar\nA;1,5;1.234,5;12 g\nB;12;3;2,5 g\n")
        << Rows { { "A", "", "1.5", "", "1234.5", "12 g", "", "", "", "" },
               { "B", "", "12", "", "3", "2.5", "", "", "", "" } }
        << QStringList();
    QTest::newRow("the values decide a tab-separated file's style")
        << QByteArray("Food\tkcal\nA\t1,5\nB\t1,234\n")
        << Rows { { "A", "", "1.5", "", "", "", "", "", "", "" }, { "B", "", "1.234", "", "", "", "", "", "", "" } }
        << QStringList();
    QTest::newRow("a value in the other style is refused")
        << QByteArray("Food;kcal\nA;1,5\nB;2,5\nC;1.5\nD;1 2\n")
        << Rows { { "A", "", "1.5", "", "", "", "", "", "", "" }, { "B", "", "2.5", "", "", "", "", "", "", "" } }
        << QStringList { "line 4|C|not a number: CALORIES \"1.5\" (the file writes its numbers as 1.234,5)",
               "line 5|D|not a number: CALORIES \"1 2\"" };
    QTest::newRow("the table's own layout reads numbers as the file writes them")
        << header + "Cake,1 slice,\"1,234\",12.5,n/a,\" 3\",tr\nPie,1 slice,\"1,5\",2.5\nTart,,1 2\n"
        << Rows { { "Cake", "1 slice", "1234", "12.5", "n/a", "3", "tr", "", "", "" } }
        << QStringList { "line 3|Pie|not a number: CALORIES \"1,5\" (the file writes its numbers as 1,234.5)",
               "line 4|Tart|not a number: CALORIES \"1 2\"" };
    QTest::newRow("the table's own layout with decimal commas")
        << header + "Cake,1 slice,\"1,5\",\"1.234,5\",-,&H10\n"
        << Rows { { "Cake", "1 slice", "1.5", "1234.5", "-", "&H10", "", "", "", "" } } << QStringList();
    QTest::newRow("a serving weight marked unknown")
        << QByteArray("Food,Serving,Serving weight (g),kcal\nSoup,1 bowl,n/a,40\nTea,1 cup,tr,1\n")
        << Rows { { "Soup", "1 bowl", "40", "", "", "", "", "", "", "" },
               { "Tea", "1 cup", "1", "", "", "", "", "", "", "" } }
        << QStringList { "line 2|Soup|not known, left empty: SERVING_G \"n/a\"",
               "line 3|Tea|not known, left empty: SERVING_G \"tr\"" };
    QTest::newRow("a serving weight marked unknown, amounts per 100 g")
        << QByteArray("Food,Serving,Serving weight (g),kcal_100g\nRice,1 cup,-,130\n")
        << Rows { { "Rice", "100 g", "130", "", "", "", "", "", "", "" } }
        << QStringList { "line 2|Rice|not known, left empty: SERVING_G \"-\"; the serving \"1 cup\" gives no weight, "
                         "so the amounts are for 100 g and the serving is 100 g" };
    QTest::newRow("columns not imported have no say in the style")
        << QByteArray("Food,Code,Ref,kcal\nA,\"1,5\",\"2,5\",12.5\nB,\"1,25\",\"7,5\",0.5\n")
        << Rows { { "A", "", "12.5", "", "", "", "", "", "", "" }, { "B", "", "0.5", "", "", "", "", "", "", "" } }
        << QStringList();
    QTest::newRow("values marked unknown")
        << QByteArray("Food,kcal,Fat,Sugar,Fiber\nTea,n/a,-,tr,0\n")
        << Rows { { "Tea", "", "", "", "", "", "", "", "0", "" } }
        << QStringList { "line 2|Tea|not known, left empty: CALORIES \"n/a\", FAT \"-\", SUGAR \"tr\"" };

    // Each field is decoded on its own.
    QTest::newRow("Windows-1252 in a column not imported")
        << QByteArray("Food,Note\nG\xC3\xA2teau,caf\xE9\n")
        << Rows { { "G\u00e2teau", "", "", "", "", "", "", "", "", "" } } << QStringList();
    QTest::newRow("Windows-1252 in another imported field")
        << QByteArray("Food,Serving\nG\xC3\xA2teau,1 tasse \xE0 caf\xE9\n")
        << Rows { { "G\u00e2teau", "1 tasse \u00e0 caf\u00e9", "", "", "", "", "", "", "", "" } }
        << QStringList { "line 2|G\u00e2teau|not UTF-8, so read as Windows-1252: SERVING_UN" };
}

void TestFoodImport::csvFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Rows, expected);
    QFETCH(QStringList, problems);
    TestFolder folder;
    folder.createFoods({});
    writeFile(folder.path() + "/foods.txt", bytes);
    const Outcome outcome = importInto(folder.databasePath(), folder.path() + "/foods.txt");
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    QCOMPARE(tableRows(folder.databasePath()), expected);
    QCOMPARE(outcome.problems, problems);
    QCOMPARE(outcome.summary.rowsRefused + outcome.summary.rowsMended, problems.size());
}

void TestFoodImport::proposedMapping_data()
{
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("grid captions") << QStringList { "Food", "Serving Unit", "Carbohydrates", "Sugar Alcohols" }
                                   << QStringList { "FOOD", "SERVING_UN", "CARBS", "SUGAR_ALC" };
    QTest::newRow("units and punctuation") << QStringList { "energy-kcal_100g", "Cholesterol [mg]", "Fat, total (g)" }
                                           << QStringList { "CALORIES:kcal:per100g", "CHOLESTERO", "" };
    QTest::newRow("a field takes the first column only") << QStringList { "Name", "Description", "kcal", "Calories",
        "Notes" } << QStringList { "FOOD", "", "CALORIES", "", "" };
    QTest::newRow("kJ columns") << QStringList { "Energy (kJ)", "energy_kj", "Energy kJ" }
                                << QStringList { "CALORIES:kJ", "", "" };
    QTest::newRow("a column in kcal wins over one in kJ before it")
        << QStringList { "Energy (kJ)", "Energy (kcal)", "Energy, kJ" } << QStringList { "", "CALORIES", "" };
    QTest::newRow("a name and a code, units in brackets")
        << QStringList { "Total Fat; fatce", "Cholesterol (g) [CHOLE]", "Total lipid (fat)", "Sugars, total (g/100 g)" }
        << QStringList { "FAT", "CHOLESTERO:g", "", "SUGAR:g:per100g" };
    QTest::newRow("serving weights") << QStringList { "Serving size (g)", "Serving", "Points (g)" }
                                     << QStringList { "SERVING_G", "SERVING_UN", "" };
}

void TestFoodImport::proposedMapping()
{
    QFETCH(QStringList, columns);
    QFETCH(QStringList, fields);
    QCOMPARE(mappingText(FoodImport::proposeMapping(columns)), fields);
}

void TestFoodImport::columnsOption_data()
{
    QTest::addColumn<QStringList>("headers");
    QTest::addColumn<QString>("option");
    // The mapping as mappingText writes it, or the start of the error.
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("error");
    const QStringList headers { "Name", "Energie", "Fett, gesamt", "Portion (g)", "Notes" };
    QTest::newRow("fields, units, per 100 g")
        << headers << "Energie=CALORIES:kJ:per100g, Fett\\, gesamt=fat:mg , Portion (g)=SERVING_G"
        << QStringList { "FOOD", "CALORIES:kJ:per100g", "FAT:mg", "SERVING_G", "" } << QString();
    QTest::newRow("by number and caption")
        << headers << "#2=Calories,#3=Fat:\u00b5g" << QStringList { "FOOD", "CALORIES", "FAT:\u00b5g", "SERVING_G", "" }
        << QString();
    QTest::newRow("a field given leaves the column proposed for it")
        << headers << "notes=food" << QStringList { "", "", "", "SERVING_G", "FOOD" } << QString();
    QTest::newRow("none") << headers << "Name=none,Portion (g)=-" << QStringList { "", "", "", "", "" } << QString();
    QTest::newRow("no field") << headers << "Energie" << QStringList() << "\"Energie\" gives no field";
    QTest::newRow("no such column") << headers << "Energy=CALORIES" << QStringList()
                                    << "no column is named \"Energy\"; the columns are \"Name\", \"Energie\"";
    QTest::newRow("no such number") << headers << "#9=FAT" << QStringList() << "the file has no column #9";
    QTest::newRow("no such field") << headers << "Energie=PROTEIN" << QStringList() << "\"PROTEIN\" is no food field";
    QTest::newRow("a unit the field cannot be in")
        << headers << "Energie=CALORIES:mg" << QStringList() << "Calories of column \"Energie\" cannot be in mg";
    QTest::newRow("no unit") << headers << "Energie=CALORIES:lots" << QStringList() << "\"lots\" is neither a unit";
    QTest::newRow("per 100 g of a name") << headers << "Name=FOOD:per100g" << QStringList()
                                         << "Food of column \"Name\" is no amount per 100 g";
    QTest::newRow("one field twice") << headers << "Energie=FAT,Notes=FAT" << QStringList() << "both \"Energie\" and";
    QTest::newRow("a header named twice") << QStringList { "Name", "kcal", "kcal" } << "kcal=CALORIES" << QStringList()
                                          << "2 columns are named \"kcal\"; give the one meant as #2";
}

void TestFoodImport::columnsOption()
{
    QFETCH(QStringList, headers);
    QFETCH(QString, option);
    QFETCH(QStringList, fields);
    QFETCH(QString, error);
    std::vector<ImportColumn> mapping = ColumnMapping::propose(headers);
    const std::vector<ImportColumn> before = mapping;
    QString reason;
    const bool ok = ColumnMapping::applyOption(option, headers, &mapping, &reason);
    QCOMPARE(ok, error.isEmpty());
    if (!ok) {
        QVERIFY2(reason.startsWith(error), qPrintable(reason));
        QVERIFY(mapping == before);
        return;
    }
    QCOMPARE(mappingText(mapping), fields);
}

// A catalogue as FoodData Central names its nutrients, with commas.
static NutrientCatalogue commaCatalogue()
{
    return NutrientCatalogue({ { "307", "Sodium, Na", "mg", NutrientGroup::Minerals, 1 },
        { "417", "Folate, total", "\u00b5g", NutrientGroup::Vitamins, 2 },
        { "341", "Tocopherol, beta", "mg", NutrientGroup::Vitamins, 3 },
        { "342", "Tocopherol, gamma", "mg", NutrientGroup::Vitamins, 4 },
        { "323", "Vitamin E (alpha-tocopherol)", "mg", NutrientGroup::Vitamins, 5 } });
}

void TestFoodImport::nutrientProposals_data()
{
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<bool>("commas");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("Export's headings") << QStringList { "FOOD", "307 Sodium (mg)", "203 Protein (g)" } << false
                                       << QStringList { "FOOD", "307", "203" };
    QTest::newRow("a heading in another unit, one lacking from the catalogue") << QStringList { "Name",
        "307 Sodium (g)", "957.1 Something (ug)" } << false << QStringList { "FOOD", "307:g", "957.1" };
    QTest::newRow("a heading in a unit that cannot be converted")
        << QStringList { "Name", "324 Vitamin D (ug)" } << false << QStringList { "FOOD", "" };
    QTest::newRow("common names") << QStringList { "Name", "Protein", "Sodium (mg)", "Saturated fat", "Calcium", "Iron",
        "Potassium", "Vitamin C" } << false
                                  << QStringList { "FOOD", "203", "307", "606", "301", "303", "306", "401" };
    QTest::newRow("the ten fields come first")
        << QStringList { "Total Fat", "Calories", "Cholesterol", "Fiber", "Sugars", "Carbohydrate", "Protein" } << false
        << QStringList { "FAT", "CALORIES", "CHOLESTERO", "FIBER", "SUGAR", "CARBS", "203" };
    QTest::newRow("a field's name taken already stays unread") << QStringList { "Fat", "Total fat", "Protein (g)",
        "Protein" } << false << QStringList { "FAT", "", "203", "" };
    QTest::newRow("units and per 100 g") << QStringList { "protein_100g", "sodium_mg", "Iron (\u00b5g/100 g)" } << false
                                         << QStringList { "203:g:per100g", "307", "303:\u00b5g:per100g" };
    QTest::newRow("a unit the nutrient cannot be in")
        << QStringList { "Sodium (kcal)", "Protein (IU)" } << false << QStringList { "", "" };
    QTest::newRow("a heading takes its nutrient before a name")
        << QStringList { "Sodium", "307 Sodium (mg)" } << false << QStringList { "", "307" };
    QTest::newRow("a name before a comma, when no other has it") << QStringList { "Sodium", "Folate (mcg)",
        "Tocopherol", "Vitamin E" } << true << QStringList { "307", "417", "", "323" };
}

void TestFoodImport::nutrientProposals()
{
    QFETCH(QStringList, columns);
    QFETCH(bool, commas);
    QFETCH(QStringList, fields);
    QCOMPARE(
        mappingText(ColumnMapping::propose(columns, commas ? commaCatalogue() : NutrientCatalogue::starter())), fields);
}

void TestFoodImport::nutrientColumnsOption_data()
{
    QTest::addColumn<QStringList>("headers");
    QTest::addColumn<QString>("option");
    // The mapping as mappingText writes it, or the start of the error.
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("error");
    const QStringList headers { "Name", "Na", "Eiweiss", "Portion (g)" };
    QTest::newRow("by number, unit and per 100 g")
        << headers << "Na=307:g:per100g,Eiweiss=protein" << QStringList { "FOOD", "307:g:per100g", "203", "SERVING_G" }
        << QString();
    QTest::newRow("by name in any case, and caption")
        << headers << "Na=SODIUM:\u00b5g,Eiweiss=Protein (g)"
        << QStringList { "FOOD", "307:\u00b5g", "203", "SERVING_G" } << QString();
    QTest::newRow("a field's name before a nutrient's")
        << headers << "Na=Cholesterol" << QStringList { "FOOD", "CHOLESTERO", "", "SERVING_G" } << QString();
    QTest::newRow("international units for a nutrient kept in them")
        << headers << "Na=324:IU" << QStringList { "FOOD", "324", "", "SERVING_G" } << QString();
    QTest::newRow("none leaves out one of Export's headings")
        << QStringList { "FOOD", "307 Sodium (mg)" } << "307 Sodium (mg)=none" << QStringList { "FOOD", "" }
        << QString();
    QTest::newRow("a nutrient given leaves the column proposed for it") << QStringList { "FOOD", "307 Sodium (mg)",
        "Na" } << "Na=307:g" << QStringList { "FOOD", "", "307:g" } << QString();
    QTest::newRow("no such nutrient") << headers << "Na=Unobtainium" << QStringList()
                                      << "\"Unobtainium\" is neither a food field (FOOD, SERVING_UN, CALORIES";
    QTest::newRow("no such number") << headers << "Na=999" << QStringList() << "\"999\" is neither a food field";
    QTest::newRow("a mass in energy") << headers << "Na=307:kcal" << QStringList()
                                      << "\"Sodium\" of column \"Na\" cannot be in kcal: it is kept in mg, which kcal "
                                         "cannot be converted to";
    QTest::newRow("a mass in international units")
        << headers << "Na=324:mg" << QStringList()
        << "\"Vitamin D\" of column \"Na\" cannot be in mg: it is kept in IU";
    QTest::newRow("one nutrient twice") << headers << "Na=307,Eiweiss=sodium" << QStringList()
                                        << "both \"Na\" and \"Eiweiss\" go to Sodium (mg)";
}

void TestFoodImport::nutrientColumnsOption()
{
    QFETCH(QStringList, headers);
    QFETCH(QString, option);
    QFETCH(QStringList, fields);
    QFETCH(QString, error);
    const NutrientCatalogue& catalogue = NutrientCatalogue::starter();
    std::vector<ImportColumn> mapping = ColumnMapping::propose(headers, catalogue);
    const std::vector<ImportColumn> before = mapping;
    QString reason;
    const bool ok = ColumnMapping::applyOption(option, headers, catalogue, &mapping, &reason);
    QCOMPARE(ok, error.isEmpty());
    if (!ok) {
        QVERIFY2(reason.startsWith(error), qPrintable(reason));
        QVERIFY(mapping == before);
        return;
    }
    QCOMPARE(mappingText(mapping), fields);
}

void TestFoodImport::duplicates_data()
{
    QTest::addColumn<DuplicateRule>("rule");
    QTest::addColumn<Rows>("expected");
    QTest::addColumn<QList<qint64>>("counts"); // added, skipped, replaced, kept, repeated within the file
    QTest::addColumn<QString>("handled");
    QTest::newRow("skip") << DuplicateRule::Skip
                          << Rows { { "Apple", "old", "1" }, { "Kiwi", "old", "2" }, { "Apple", "old", "3" },
                                 { "Pear", "new", "5" } }
                          << QList<qint64> { 1, 1, 0, 0, 2 } << "skipped";
    QTest::newRow("replace in place") << DuplicateRule::Replace
                                      << Rows { { "Apple", "newer", "7" }, { "Kiwi", "old", "2" },
                                             { "Apple", "newer", "7" }, { "Pear", "new", "6" } }
                                      << QList<qint64> { 1, 0, 1, 0, 2 } << "it replaced that one";
    QTest::newRow("keep both") << DuplicateRule::KeepBoth
                               << Rows { { "Apple", "old", "1" }, { "Kiwi", "old", "2" }, { "Apple", "old", "3" },
                                      { "Apple", "new", "4" }, { "Pear", "new", "5" }, { "Pear", "new", "6" },
                                      { "Apple", "newer", "7" } }
                               << QList<qint64> { 4, 0, 0, 1, 2 } << "both kept";
}

void TestFoodImport::duplicates()
{
    QFETCH(DuplicateRule, rule);
    QFETCH(Rows, expected);
    QFETCH(QList<qint64>, counts);
    QFETCH(QString, handled);
    TestFolder folder;
    folder.createFoods(
        { foodRow("Apple", "old", { "1" }), foodRow("Kiwi", "old", { "2" }), foodRow("Apple", "old", { "3" }) });
    writeFile(
        folder.path() + "/new.csv", "FOOD,SERVING_UN,CALORIES\nApple,new,4\nPear,new,5\nPear,new,6\nApple,newer,7\n");
    const Outcome outcome = importInto(folder.databasePath(), folder.path() + "/new.csv", rule);
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    Rows rows;
    for (const QStringList& row : tableRows(folder.databasePath())) {
        rows.append(row.mid(0, 3));
    }
    QCOMPARE(rows, expected);
    const ImportSummary& s = outcome.summary;
    QCOMPARE((QList<qint64> {
                 s.foodsAdded, s.duplicatesSkipped, s.duplicatesReplaced, s.duplicatesKept, s.repeatedInSource }),
        counts);
    // A name met earlier in the file is told with its line, not counted as one the table had.
    QCOMPARE(outcome.problems,
        (QStringList { "line 4|Pear|the name came earlier in the file (line 3); " + handled,
            "line 5|Apple|the name came earlier in the file (line 2); " + handled }));
}

void TestFoodImport::longNamesAreRefused()
{
    TestFolder folder;
    folder.createFoods({});
    const QByteArray huge(17 << 20, 'a');
    writeFile(folder.path() + "/long.csv",
        "Food,kcal\n" + QByteArray(1000, 'b') + ",1\n" + QByteArray(1001, 'c') + ",2\n" + huge + ",3\n\"  "
            + QByteArray(1000, 'd') + "  \",4\n");
    const Outcome outcome = importInto(folder.databasePath(), folder.path() + "/long.csv");
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    QCOMPARE(outcome.summary.foodsAdded, 2);
    QCOMPARE(outcome.summary.rowsRefused, 2);
    // Each problem carries the name whole, for the report file; what shows it cuts it.
    QCOMPARE(outcome.problems,
        (QStringList { "line 3|" + QString(1001, 'c') + "|the name has 1,001 characters; a food's name may have 1,000",
            "line 4|" + QString::fromLatin1(huge) + "|the name has 17,825,792 characters; a food's name may have 1,000",
            "line 5|" + QString(1000, 'd') + "|blanks around the name or doubled inside it were taken out" }));
}

void TestFoodImport::problemsAreReported()
{
    TestFolder folder;
    folder.createFoods({});
    writeFile(folder.path() + "/foods.csv",
        "Food,Calories,Fat\n"
        "  Fish_and_chips  ,500,20\n"
        ",100,1\n"
        "\"Tea\tgreen\",1,0\n"
        "Cake,lots,30\n"
        "Soup, tomato,80,2\n"
        "\n"
        "Bread,&H10,.5\n");
    const Outcome outcome = importInto(folder.databasePath(), folder.path() + "/foods.csv");
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    QCOMPARE(outcome.problems,
        (QStringList { "line 2|Fish-and-chips|blanks around the name or doubled inside it were taken out; \"_\" in "
                       "the name became \"-\", as the plan files separate their fields "
                       "with \"_\"",
            "line 3||the food has no name",
            "line 4|Tea green|tabs, line breaks or control characters in the name became blanks",
            "line 5|Cake|not a number: CALORIES \"lots\"",
            "line 6|Soup|the row has 4 fields where the header has 3 (a name with an unquoted comma?)",
            "line 7||the food has no name" }));
    QCOMPARE(outcome.summary.foodsAdded, 3);
    QCOMPARE(outcome.summary.rowsMended, 2);
    QCOMPARE(outcome.summary.rowsRefused, 4);
    QCOMPARE(tableRows(folder.databasePath()).last().mid(0, 5), (QStringList { "Bread", "", "&H10", "", "0.5" }));
}

void TestFoodImport::badSources_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    QByteArray gzip;
    {
        QTemporaryDir dir;
        writeGzip(dir.filePath("x.gz"), "FOOD,CALORIES\n" + QByteArray("Apple,95\n").repeated(20000));
        gzip = fileBytes(dir.filePath("x.gz"));
    }
    QByteArray zip;
    {
        QTemporaryDir dir;
        writeZip(dir.filePath("x.zip"),
            { { "food.csv", kFoodCsv.repeated(5000) },
                { "food_nutrient.csv",
                    "id,fdc_id,nutrient_id,amount\n" + QByteArray("1,170567,1008,5\n").repeated(5000) } });
        zip = fileBytes(dir.filePath("x.zip"));
    }
    QByteArray damagedZip = zip;
    damagedZip[zip.size() / 3] = char(damagedZip[zip.size() / 3] ^ 0x55);
    QTest::newRow("empty file") << QByteArray() << "the file is empty";
    QTest::newRow("truncated gzip") << gzip.left(gzip.size() / 2) << "gzip data is damaged or cut short";
    QTest::newRow("damaged zip data") << damagedZip << "the zip archive";
    QTest::newRow("truncated zip") << zip.left(zip.size() - 40) << "zip archive cannot be read";
    QTest::newRow("zip without FoodData Central files")
        << QByteArray("PK\x05\x06").append(18, '\0') << "holds no FoodData Central download";
    QTest::newRow("picture") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << "not a text file";
    QTest::newRow("database") << QByteArray("SQLite format 3\0", 16).append(100, '\1') << "SQLite database";
    QTest::newRow("quote that never closes")
        << QByteArray("FOOD,CALORIES\nApple,95\n\"Pear,50\n") << "ends inside a quoted field";
    QTest::newRow("no food column") << QByteArray("Colour,Size\nred,3\n") << "no column holds the food names";
    QTest::newRow("a header of too many columns") << "FOOD" + QByteArray(",x").repeated(10000) + "\nApple\n"
                                                  << "first line has over 10000 columns";
    QTest::newRow("a record of too many fields") << "FOOD,CALORIES\nApple,95\n" + QByteArray(20000, ',') + "\n"
                                                 << "line 3: a record has over 10000 fields";
}

void TestFoodImport::badSources()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    TestFolder folder;
    folder.createStarterFoods();
    const QByteArray before = fileBytes(folder.databasePath());
    writeFile(folder.path() + "/source", bytes);
    const Outcome outcome = importInto(folder.databasePath(), folder.path() + "/source");
    QVERIFY(!outcome.ok);
    QVERIFY2(outcome.error.contains(message), qPrintable(outcome.error));
    QVERIFY2(outcome.error.size() < 300, qPrintable(outcome.error));
    QCOMPARE(fileBytes(folder.databasePath()), before);
}

void TestFoodImport::cancelLeavesTableAsItWas()
{
    TestFolder folder;
    folder.createStarterFoods();
    const QByteArray before = fileBytes(folder.databasePath());
    QByteArray csv = "FOOD,CALORIES\n";
    for (int i = 0; i < 100000; ++i) {
        csv += "Food number " + QByteArray::number(i) + ",1\n";
    }
    writeFile(folder.path() + "/big.csv", csv);
    int calls = 0;
    const Outcome outcome = importInto(folder.databasePath(), folder.path() + "/big.csv", DuplicateRule::Skip,
        [&](const ImportProgress& progress) { return ++calls < 10 || progress.foodsAdded == 0; });
    QVERIFY(!outcome.ok);
    QVERIFY(outcome.summary.cancelled);
    QVERIFY(outcome.summary.foodsAdded > 0 && outcome.summary.foodsAdded < 100000);
    QCOMPARE(fileBytes(folder.databasePath()), before);
}

void TestFoodImport::exportImportsBackTheSameTable()
{
    TestFolder folder;
    folder.createStarterFoods();
    SqliteFoodStore foods(folder.databasePath());
    QString error;
    QVERIFY(foods.refresh(&error));
    // Texts the food editor keeps among the numbers, blanks around a number, a serving of blanks.
    const QList<QStringList> awkward {
        { "Odd \"one\", here", " 1 cup", "12.5g", "1e300", "", "-0.25" },
        { "Caf\u00e9 cr\u00e8me", "", "", "", "", "", "", "", "", "3" },
        { "Crisps, salted", "1 bag", "n/a", "tr", "-", "?", "", " 12 ", "  ", "3 g" },
        { "Trail mix", "  ", "&H10", ".5", "2.5 oz", "\"", "", "", "", "0" },
    };
    for (const QStringList& record : awkward) {
        QVERIFY2(foods.insertRecord(record, nullptr, &error), qPrintable(error));
    }
    foods.close();
    const QString csv = folder.path() + "/out.csv";
    qint64 written = 0;
    QVERIFY2(FoodExport::run(folder.databasePath(), csv, {}, &written, &error), qPrintable(error));
    QCOMPARE(written, 7878 + awkward.size());

    TestFolder other;
    other.createFoods({});
    const Outcome outcome = importInto(other.databasePath(), csv);
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    QCOMPARE(outcome.problems, QStringList());
    QCOMPARE(tableRows(other.databasePath()), tableRows(folder.databasePath()));
    const Rows stored = storedRows(folder.databasePath());
    QCOMPARE(stored.size(), written);
    QCOMPARE(storedRows(other.databasePath()), stored);
}

void TestFoodImport::exportRefusesTheTableItself_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("link");
    QTest::newRow("its own path") << "foods.db"
                                  << "";
    QTest::newRow("another spelling of its path") << "sub/../foods.db"
                                                  << "";
    QTest::newRow("a symbolic link to it") << "link.csv"
                                           << "symbolic";
    QTest::newRow("a hard link to it") << "hard.csv"
                                       << "hard";
    QTest::newRow("its journal") << "foods.db-journal"
                                 << "";
}

void TestFoodImport::exportRefusesTheTableItself()
{
    QFETCH(QString, target);
    QFETCH(QString, link);
    TestFolder folder;
    folder.createStarterFoods();
    QVERIFY(QDir(folder.path()).mkdir("sub"));
    const QString path = folder.path() + "/" + target;
    if (link == "symbolic") {
        QVERIFY(QFile::link(folder.databasePath(), path));
    } else if (link == "hard") {
        QCOMPARE(::link(QFile::encodeName(folder.databasePath()).constData(), QFile::encodeName(path).constData()), 0);
    }
    const QByteArray before = fileBytes(folder.databasePath());
    qint64 written = -1;
    QString error;
    QVERIFY(!FoodExport::run(folder.databasePath(), path, {}, &written, &error));
    QVERIFY2(error.contains("is the food table itself"), qPrintable(error));
    QCOMPARE(written, 0);
    QCOMPARE(fileBytes(folder.databasePath()), before);
    QCOMPARE(QFileInfo::exists(path), !link.isEmpty() || target != "foods.db-journal");
}

namespace {

// Runs the program on `folder` with `arguments`, feeding it `input` through a pipe.
PlatewellRun runProgram(const TestFolder& folder, const QStringList& arguments, const QByteArray& input = {})
{
    return PlatewellRun::start(arguments + QStringList { "--home", folder.path() }, folder.path(), QString(), input);
}

} // namespace

void TestFoodImport::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("unsaid");
    // The last food in the table afterwards, name and calories, when it matters.
    QTest::addColumn<QStringList>("last");
    QTest::newRow("import") << QStringList { "--import", "in.csv", "--on-duplicate", "keep" } << 3
                            << "Foods added:                    2" << QString() << QStringList { "Apple", "90" };
    QTest::newRow("refused rows are listed")
        << QStringList { "--import", "in.csv" } << 3 << "line 3: \"\": refused: the food has no name" << QString()
        << QStringList();
    QTest::newRow("unplaced columns") << QStringList { "--import", "in.csv" } << 3 << "Columns not imported: Colour"
                                      << QString() << QStringList();
    QTest::newRow("a name repeated in the file")
        << QStringList { "--import", "in.csv" } << 3
        << "line 4: \"Apple\": repeated: the name came earlier in the file (line 2); skipped" << QString()
        << QStringList();
    QTest::newRow("every row went in") << QStringList { "--import", "good.csv" } << 0
                                       << "Foods added:                    2"
                                       << "line " << QStringList { "Plum", "30" };
    QTest::newRow("every row refused") << QStringList { "--import", "none.csv" } << 1
                                       << "Nothing was imported from none.csv (CSV file)"
                                       << "Imported" << QStringList();
    QTest::newRow("a long name is cut where it is quoted")
        << QStringList { "--import", "long.csv" } << 1 << "\"" + QString(60, 'x') + "...\": refused" << QString(61, 'x')
        << QStringList();
    QTest::newRow("columns") << QStringList { "--import", "kj.csv", "--columns",
        "Energie=CALORIES:kJ:per100g,Gewicht=SERVING_G" }
                             << 0 << "Foods added:                    1" << QString() << QStringList { "Pear", "250" };
    QTest::newRow("columns naming no column")
        << QStringList { "--import", "kj.csv", "--columns", "Energy=CALORIES:kJ" } << 2
        << "--columns: no column is named \"Energy\"" << QString() << QStringList();
    QTest::newRow("columns without import") << QStringList { "--export", "out.csv", "--columns", "a=FOOD" } << 2
                                            << "--columns goes with --import" << QString() << QStringList();
    QTest::newRow("help tells of nutrients in --columns")
        << QStringList { "--help" } << 0 << "FIELD may also be a nutrient of the food table's catalogue" << QString()
        << QStringList();
    QTest::newRow("help tells the exit statuses")
        << QStringList { "--help" } << 0 << "3 when some rows were refused" << QString() << QStringList();
    QTest::newRow("unknown rule") << QStringList { "--import", "in.csv", "--on-duplicate", "merge" } << 2
                                  << "skip, replace or keep" << QString() << QStringList();
    QTest::newRow("missing file") << QStringList { "--import", "nothing.csv" } << 1 << "the file does not exist"
                                  << QString() << QStringList();
    QTest::newRow("misspelt option") << QStringList { "--import", "in.csv", "--on-duplcate", "keep" } << 2
                                     << "Unknown option 'on-duplcate'" << QString() << QStringList();
    QTest::newRow("a word too many") << QStringList { "--import", "in.csv", "more.csv" } << 2
                                     << "Unexpected argument: more.csv" << QString() << QStringList();
    QTest::newRow("rule without import") << QStringList { "--export", "out.csv", "--on-duplicate", "keep" } << 2
                                         << "--on-duplicate goes with --import" << QString() << QStringList();
    QTest::newRow("import and export") << QStringList { "--import", "in.csv", "--export", "out.csv" } << 2 << "not both"
                                       << QString() << QStringList();
    QTest::newRow("export") << QStringList { "--export", "out.csv" } << 0 << "Exported 7,878 foods" << QString()
                            << QStringList();
    QTest::newRow("export onto the food table")
        << QStringList { "--export", "foods.db" } << 1 << "Nothing was exported: foods.db is the food table itself"
        << QString() << QStringList();
    // The rows added before the failure were rolled back, so no count of them is given.
    QTest::newRow("failed import") << QStringList { "--import", "cut.csv.gz" } << 1
                                   << "Nothing was added: the food table is as it was"
                                   << "Foods added" << QStringList();
}

void TestFoodImport::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, output);
    QFETCH(QString, unsaid);
    QFETCH(QStringList, last);
    TestFolder folder;
    folder.createStarterFoods();
    writeFile(folder.path() + "/in.csv", "Food,Calories,Colour\nApple,95,red\n,1,\nApple,90,green\n");
    writeFile(folder.path() + "/good.csv", "Food,kcal\nPear,50\nPlum,30\n");
    writeFile(folder.path() + "/none.csv", "Food,kcal\n,50\n,30\n");
    writeFile(folder.path() + "/long.csv", "Food,kcal\n" + QByteArray(5000, 'x') + ",50\n");
    writeFile(folder.path() + "/kj.csv", "Name,Energie,Gewicht\nPear,2092,50\n");
    QByteArray rows = "FOOD,CALORIES\n";
    // More than the megabyte the kind of file is told by, so that the import itself meets the cut.
    for (int i = 0; i < 300000; ++i) {
        rows += "Food " + QByteArray::number(i) + ",1\n";
    }
    writeGzip(folder.path() + "/whole.gz", rows);
    const QByteArray gzip = fileBytes(folder.path() + "/whole.gz");
    writeFile(folder.path() + "/cut.csv.gz", gzip.left(gzip.size() * 3 / 4));
    const QByteArray before = fileBytes(folder.databasePath());
    const PlatewellRun run = runProgram(folder, arguments);
    QCOMPARE(run.status, status);
    // --help wraps its lines.
    QVERIFY2(run.printed().contains(output) || run.printed().simplified().contains(output), qPrintable(run.printed()));
    QVERIFY2(unsaid.isEmpty() || !run.printed().contains(unsaid), qPrintable(run.printed()));
    if (status == 1 || status == 2) {
        QCOMPARE(fileBytes(folder.databasePath()), before);
        QVERIFY(!QFileInfo::exists(folder.path() + "/out.csv"));
    }
    if (!last.isEmpty()) {
        const QStringList row = tableRows(folder.databasePath()).last();
        QCOMPARE((QStringList { row[0], row[2] }), last);
    }
}

void TestFoodImport::commandLineReadsAPipe_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("compressed");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("output");
    // Past the megabyte the kind of file is told by, so that the rest must come from the same read.
    QTest::newRow("- , a large file") << "-" << 200000 << false << 0 << "Foods added:                    200,000";
    QTest::newRow("/dev/stdin, a large file")
        << "/dev/stdin" << 200000 << false << 0 << "Foods added:                    200,000";
    QTest::newRow("- , a small file") << "-" << 3 << false << 0 << "Foods added:                    3";
    QTest::newRow("/dev/stdin, a small file") << "/dev/stdin" << 3 << false << 0 << "Foods added:                    3";
    QTest::newRow("- , nothing") << "-" << -1 << false << 1 << "standard input: the file is empty";
    QTest::newRow("a compressed file") << "-" << 3 << true << 1 << "a compressed file cannot be read from a pipe";
}

void TestFoodImport::commandLineReadsAPipe()
{
    QFETCH(QString, source);
    QFETCH(int, rows);
    QFETCH(bool, compressed);
    QFETCH(int, status);
    QFETCH(QString, output);
    TestFolder folder;
    folder.createFoods({});
    QByteArray input;
    if (rows >= 0) {
        input = "Food,kcal\n";
        for (int i = 0; i < rows; ++i) {
            input += "Food number " + QByteArray::number(i) + ",1\n";
        }
    }
    if (compressed) {
        writeGzip(folder.path() + "/in.gz", input);
        input = fileBytes(folder.path() + "/in.gz");
    }
    const QByteArray before = fileBytes(folder.databasePath());
    const PlatewellRun run = runProgram(folder, { "--import", source }, input);
    QCOMPARE(run.status, status);
    QVERIFY2(run.printed().contains(output), qPrintable(run.printed()));
    if (status == 0) {
        QCOMPARE(tableRows(folder.databasePath()).size(), rows);
    } else {
        QCOMPARE(fileBytes(folder.databasePath()), before);
    }
}

QTEST_MAIN(TestFoodImport)
#include "TestFoodImport.moc"
