#include "core/text/MessageText.h"

#include <QLocale>

QString MessageText::quoted(QStringView text, int maxCharacters)
{
    if (text.size() <= maxCharacters) {
        return text.toString();
    }
    qsizetype cut = maxCharacters;
    if (cut > 0 && text.at(cut - 1).isHighSurrogate()) {
        --cut;
    }
    return text.first(cut).toString() + QStringLiteral("...");
}

QStringList MessageText::listed(const QStringList& items, int maxItems)
{
    ListedItems list(maxItems);
    for (const QString& item : items) {
        list.add(item);
    }
    return list.lines();
}

namespace {

QString quotedIn(QStringView text, MessageText::Marks marks)
{
    const QString cut = MessageText::quoted(text);
    return marks == MessageText::Marks::With ? QStringLiteral("\"%1\"").arg(cut) : cut;
}

} // namespace

QStringList MessageText::quotedEach(const QStringList& items, Marks marks)
{
    QStringList quotedItems;
    quotedItems.reserve(items.size());
    for (const QString& item : items) {
        quotedItems.append(quotedIn(item, marks));
    }
    return quotedItems;
}

QString MessageText::quotedList(const QStringList& items, Marks marks, const QString& separator)
{
    // Only the names listed are cut and quoted; the others are counted.
    ListedItems list;
    for (const QString& item : items) {
        if (list.listsNext()) {
            list.add(quotedIn(item, marks));
        } else {
            list.countUnlisted();
        }
    }
    return list.lines().join(separator);
}

bool ListedItems::add(const QString& item)
{
    ++m_count;
    if (m_items.size() < m_max) {
        m_items.append(item);
        return true;
    }
    return false;
}

QStringList ListedItems::lines() const
{
    QStringList all = m_items;
    if (m_count > m_items.size()) {
        all.append(MessageText::tr("... and %1 more.").arg(QLocale().toString(m_count - m_items.size())));
    }
    return all;
}
