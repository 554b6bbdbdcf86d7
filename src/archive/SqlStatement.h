#pragma once

#include "model/Announcement.h"

#include <QByteArray>
#include <QString>
#include <sqlite3.h>

// Binding and reading texts of a prepared statement, and its reset when the caller is done with it,
// whatever path it takes. Shared by the archive's tables and the history's search.
struct SqlStatement
{
    sqlite3_stmt* statement;

    ~SqlStatement()
    {
        if (statement) {
            sqlite3_reset(statement);
            sqlite3_clear_bindings(statement);
        }
    }

    static QString text(sqlite3_stmt* statement, int column)
    {
        const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        return QString::fromUtf8(bytes, sqlite3_column_bytes(statement, column));
    }

    static void bind(sqlite3_stmt* statement, int index, const QString& value)
    {
        const QByteArray utf8 = value.toUtf8();
        sqlite3_bind_text(statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }

    // The stored form of an announcement's symbols: a JSON array.
    static QString companiesText(const QStringList& companies);
    static QStringList companies(const QString& text);
    // An announcement from the columns id, title, description, link, pub_date, companies and category,
    // in this order from `first`; it keeps the category it was stored with.
    static Announcement announcement(sqlite3_stmt* statement, int first = 0);
};
