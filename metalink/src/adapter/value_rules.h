// How the database compares a value written as text with the values of a column of one kind, for
// the few kinds where that is known exactly:
//   - text (PostgreSQL text/varchar; SQLite columns of TEXT affinity): equal when the texts are
//     equal, letter case included (for a key only without a collation of its own);
//   - PostgreSQL character(n): equal when equal after trailing blanks are dropped;
//   - integer columns (SQLite INTEGER affinity, PostgreSQL smallint/integer/bigint): the text is
//     read as a number, so '0010' is the stored 10.
// Every other kind (REAL, dates, ...) is compared some way not modelled here.
#pragma once

#include <optional>
#include <string>

enum class ValueRule { kText, kTrailingBlanks, kInteger4, kInteger9, kInteger18 };

// The rule of a column of the declared type: SQLite's declared type (`sqlite`) or PostgreSQL's type
// name as format_type writes it; nullopt for a kind not modelled.
std::optional<ValueRule> valueRule(bool sqlite, const std::u16string& type);

// The text under which `value` is compared in a column of this kind; nullopt when the database
// would read it some way not modelled (an integer with a sign, blanks or an exponent, or too
// large for every integer type of the kind).
std::optional<std::u16string> normaliseValue(ValueRule rule, const std::u16string& value);

// Whether a SQLite table's CREATE text declares a collation anywhere, which may change how its
// text compares.
bool sqliteDeclaresCollation(const std::u16string& createText);
