#include "core/postgres/PgTransaction.h"

#include "core/postgres/PgConnection.h"

#include <QCoreApplication>

PgTransaction::~PgTransaction()
{
    rollback();
}

bool PgTransaction::begin(QString* error)
{
    m_open = m_connection.begin(error);
    return m_open;
}

bool PgTransaction::commit(QString* error)
{
    if (!m_open) {
        if (error)
            *error = QCoreApplication::translate("PgTransaction", "No transaction was begun.");
        return false;
    }
    m_open = false;
    return m_connection.commit(error);
}

void PgTransaction::rollback()
{
    if (m_open)
        m_connection.rollback();
    m_open = false;
}
