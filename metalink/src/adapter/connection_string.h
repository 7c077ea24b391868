// Data sources given as ODBC connection strings ("DRIVER=...;DATABASE=...") rather than as names
// of odbc.ini. A data source name cannot contain '=', so any text with one is a connection string.
#pragma once

#include <string>

bool isConnectionString(const std::u16string& dataSource);

// The connection string with `user` and `password` added as UID and PWD, each unless it is empty
// or the string already sets that key (ignoring case; USER, USERNAME and PASSWORD count too), so
// that credentials passed beside a connection string reach the driver as they do beside a data
// source name. A value that contains ';', '{' or '}', or begins or ends with a blank, is written
// in braces with '}' doubled.
std::u16string withCredentials(const std::u16string& connectionString, const std::u16string& user,
                               const std::u16string& password);

// The data source as messages may show it: a connection string with the values of PWD and
// PASSWORD replaced by "***"; a data source name as it is.
std::u16string withoutPassword(const std::u16string& dataSource);
