#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <QStringView>

// Keeps every message the program shows short enough to read and to fit on the screen, whatever
// the names and lines it quotes: a quoted text is cut to a few dozen characters, and a list names
// its first few items and counts the rest.
class MessageText
{
    Q_DECLARE_TR_FUNCTIONS(MessageText)

public:
    // The most characters of one name or line a message quotes.
    static constexpr int QuotedCharacters = 60;
    // The most items a message lists before it counts the rest.
    static constexpr int MaxListedItems = 10;

    // `text` as it is when short, else its first QuotedCharacters characters and "...". A cut
    // never splits a surrogate pair.
    static QString quoted(QStringView text, int maxCharacters = QuotedCharacters);

    // Whether a quoted name stands in quotation marks.
    enum class Marks { Without, With };

    // The first `maxItems` of `items` and, when there are more, "... and N more." as a last line.
    static QStringList listed(const QStringList& items, int maxItems = MaxListedItems);
    // Each of `items` quoted(), in quotation marks when `marks` says so.
    static QStringList quotedEach(const QStringList& items, Marks marks = Marks::Without);
    // The first MaxListedItems of `items`, each quoted() (in quotation marks when `marks` says so),
    // then "... and N more." when there are more, joined by `separator`: the list of names a
    // message gives.
    static QString quotedList(
        const QStringList& items, Marks marks = Marks::Without, const QString& separator = QStringLiteral(", "));
};

// Gathers items for a message one at a time, keeping only the first few and counting the rest,
// so that a million problems take no more memory than ten.
class ListedItems
{
public:
    explicit ListedItems(int maxItems = MessageText::MaxListedItems)
        : m_max(maxItems)
    { }

    // False when the item was only counted (the caller may skip building it next time).
    bool add(const QString& item);
    // Whether the next item would still be listed.
    bool listsNext() const { return m_items.size() < m_max; }
    void countUnlisted(qint64 n = 1) { m_count += n; }
    qint64 count() const { return m_count; }
    // The listed items, then "... and N more." when some were only counted.
    QStringList lines() const;

private:
    int m_max;
    QStringList m_items;
    qint64 m_count = 0;
};
