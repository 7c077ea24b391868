/* libmetalink: part-library metadata between an ODBC data source and a library XML file.
 *
 * Every function runs one complete operation and keeps no state between calls except the log
 * settings, which each call re-reads from ODBCCon.ini in the temporary directory (in the user's
 * own directory metalink-<uid> there when the temporary directory is shared, like /tmp). Calls
 * are made one at a time. Strings are NUL-terminated UTF-16.
 *
 * A data source argument is the name of an ODBC data source, or an ODBC connection string
 * ("DRIVER=...;DATABASE=..." or "DSN=...;..."): any text that contains '=' is taken as a
 * connection string and opened with SQLDriverConnect, so no odbc.ini entry is needed. The user
 * and password arguments are added to it as UID and PWD unless it sets them itself (pass "" to
 * add nothing). Log lines never show a password given in a connection string. */
#ifndef METALINK_METALINK_H_
#define METALINK_METALINK_H_

#ifdef _WIN32
#include <wchar.h>
typedef wchar_t metalink_char;
#define METALINK_EXPORT __declspec(dllexport)
#else
#ifdef __cplusplus
typedef char16_t metalink_char;
#else
#include <uchar.h>
typedef char16_t metalink_char;
#endif
#define METALINK_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* 1 when a connection to the data source opens with these credentials, else 0. */
METALINK_EXPORT int checkDataSource(const metalink_char* dataSource, const metalink_char* user,
                                    const metalink_char* password);

/* Writes the library held by the data source's mapped tables to `libraryFile`. `option` bits:
 * 1 required; 2 (with 1) also create attributes that objects do not define; 8 reference mode,
 * reading only the rows of the items of `referenceLibraryFile` (pass "" when unused).
 * 1 when the sync map loaded and the connection opened; details of failures are in the log. */
METALINK_EXPORT int exportMetadataDB(const metalink_char* libraryFile,
                                     const metalink_char* dataSource, const metalink_char* user,
                                     const metalink_char* password,
                                     const metalink_char* syncMapFile, int option,
                                     const metalink_char* referenceLibraryFile);

/* Completes the data source's schema for every mapped table and column, then writes the objects
 * of `libraryFile` into it, in one transaction. `logFile` (may be null or "") sends this call's
 * log lines to another file. 1 when every row was written. 0 when a row could not be written
 * (the rows that could stay written; metalinkLastImportFailedRows tells how many failed, the log
 * which and why), and 0 when the import could not run or was ended by a failure after which
 * nothing can be written (lost connection, read-only database, a lock not granted within
 * LockTimeout= seconds of ODBCCon.ini, default 30): the database is then as it was before. */
METALINK_EXPORT int importMetadataDB(const metalink_char* dataSource, const metalink_char* user,
                                     const metalink_char* password,
                                     const metalink_char* syncMapFile,
                                     const metalink_char* libraryFile,
                                     const metalink_char* logFile);

/* The number of rows (link rows included) that the last importMetadataDB call of this process
 * could not write; 0 before any import. */
METALINK_EXPORT long long metalinkLastImportFailedRows(void);
/* What importMetadataDB would do to one table. */
typedef struct metalink_import_plan {
  metalink_char* table;    /* the table's name */
  int created;             /* 1 when the import would create the table */
  long long inserted;      /* rows the import would insert */
  long long updated;       /* existing rows whose cells it would change */
  long long unchanged;     /* existing rows it would leave as they are */
  long long linksReplaced; /* link rows of these rows that it would delete */
  long long linksWritten;  /* link rows it would write for them */
} metalink_import_plan;

/* Dry run of importMetadataDB with the same arguments (no log file): reads the library, the sync
 * map and the database, and stores through `plans` an array of one entry per table that the
 * library fills, which the caller releases with metalinkFreeImportPlans. Returns the number of
 * entries, or -1 (and stores null) when a file or the connection failed. Writes nothing to the
 * database: tables and columns it lacks are counted as the import would create them. */
METALINK_EXPORT int planImportMetadataDB(const metalink_char* dataSource, const metalink_char* user,
                                         const metalink_char* password,
                                         const metalink_char* syncMapFile,
                                         const metalink_char* libraryFile,
                                         metalink_import_plan** plans);
/* Frees an array returned by planImportMetadataDB, with its `count` entries. Null is ignored. */
METALINK_EXPORT void metalinkFreeImportPlans(metalink_import_plan* plans, int count);

/* The list functions store, through `names`, an array of the returned count of names (an array
 * of length 0 when there are none) and return the count. The caller owns the array and its
 * entries and releases them with metalinkFreeNames. */
METALINK_EXPORT int getDataSources(metalink_char*** names);
METALINK_EXPORT int getTables(const metalink_char* dataSource, const metalink_char* user,
                              const metalink_char* password, metalink_char*** names);
METALINK_EXPORT int getColumns(const metalink_char* dataSource, const metalink_char* user,
                               const metalink_char* password, const metalink_char* table,
                               metalink_char*** names);

/* Frees an array returned by a list function, with its `count` entries. Null is ignored. */
METALINK_EXPORT void metalinkFreeNames(metalink_char** names, int count);

/* The log file in force after the last call (UTF-8): where its lines went, unless the call was
 * an import with a log file of its own. "" when there is no log (the reason went to standard
 * error). Valid until the next call. */
METALINK_EXPORT const char* metalinkLogFile(void);

/* Progress of long transfers: `phase` is "read" (export, rows read from the database) or "write"
 * (import, rows written); `total` is 0 when unknown. The handler is process-wide, called on the
 * caller's thread; null removes it. Results of the functions above do not depend on it. */
typedef void (*metalink_progress_handler)(void* context, const char* phase, long long done,
                                          long long total);
METALINK_EXPORT void metalinkSetProgressHandler(metalink_progress_handler handler, void* context);

#ifdef __cplusplus
}
#endif

#endif /* METALINK_METALINK_H_ */
