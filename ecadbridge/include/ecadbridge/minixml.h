/* The minixml reader: reads the status and BOM documents of the Java client into plain C records.
 *
 * Calling order: minixml_parser_init once; any number of (minixml_parser_parse, getters) rounds;
 * minixml_parser_close at the end. Between init and close the process's standard output goes to
 * the log file; during each parse the standard error goes to that parse's error file. One thread at
 * a time, and nothing else in the process should write to those streams meanwhile.
 *
 * Ownership: every record, list node and text is allocated by the library and stays valid until the
 * process ends, also after later parses and after minixml_parser_close. The caller never frees
 * them. Every field is a NUL-terminated text (UTF-8) or null when the attribute was absent; list
 * heads are null or point to the first node. Lists run in reverse document order. The field order
 * of each struct is the layout callers read and never changes.
 */
#ifndef ECADBRIDGE_MINIXML_H_
#define ECADBRIDGE_MINIXML_H_

/* The same export mark as eda.h: both headers declare functions of libecadbridge. */
#ifndef ECADBRIDGE_EXPORT
#if defined(_WIN32)
#define ECADBRIDGE_EXPORT __declspec(dllexport)
#else
#define ECADBRIDGE_EXPORT __attribute__((visibility("default")))
#endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes of minixml_parser_parse and minixml_parser_test. */
enum {
  MINIXML_OK = 0,
  MINIXML_INIT_FAILED = 1,           /* the XML parser library did not initialise */
  MINIXML_ERROR_FILE_NOT_OPENED = 2, /* the error output file could not be created */
  MINIXML_NO_PARSER = 11,            /* no results object: parse before init, or test */
  MINIXML_TEST_NO_FILE = 33,         /* test: empty input file name */
  MINIXML_PARSE_NO_FILE = 333,       /* parse: empty input file name */
  MINIXML_PARSE_NO_MODE = 555,       /* parse: empty parse mode */
  MINIXML_ERRORS_BASE = 1000         /* 1000 + n: the reader reported n errors */
};

/* ---- BOM documents (parse mode "Bom") ---- */

typedef struct datasetElement {
  char* type;
  char* UID;
  char* src;
  char* checkedOut;
  char* nonLatest;
  char* version;
  char* sub;
  char* name;
  struct datasetElement* next;
} datasetElement;

typedef struct ccaVariantElement {
  char* variantName;
  char* itemName;
  char* itemId;
  char* revId;
  char* bom;
  struct ccaVariantElement* next;
} ccaVariantElement;

typedef struct CCAElements {
  char* name;
  char* itemId;
  char* revId;
  char* bom;
  datasetElement* datasets;
  ccaVariantElement* variants;
} CCAElements;

/* ---- Status documents (parse mode "Status") ---- */

typedef struct variantBomOptionElement {
  char* variantName;
  char* BOMOption;
  struct variantBomOptionElement* next;
} variantBomOptionElement;

typedef struct relatedDSRefreshStatusElement {
  char* datasetType;
  char* UID;
  char* refreshed;
  char* name;
  char* sub;
  struct relatedDSRefreshStatusElement* next;
} relatedDSRefreshStatusElement;

typedef struct EDAStatusElement {
  char* status;
  char* message;
} EDAStatusElement;

typedef struct EDAPreSaveStatusElement {
  char* status;
  char* message;
  char* BOMOption;
  char* viewableOption;
  char* datasetMappedAttrNames;
  char* rdnMappedAttrNames;
  char* nonVariantToVariantConversion;
  char* itemId;
  variantBomOptionElement* variantBomOptions;
} EDAPreSaveStatusElement;

typedef struct EDASaveStatusElement {
  char* status;
  char* message;
  char* UID;
} EDASaveStatusElement;

typedef struct EDAPreSaveAsStatusElement {
  char* status;
  char* message;
  char* itemId;
  char* itemName;
  char* viewableOption;
  char* saveAsVariant;
  char* BOMOption;
  char* datasetMappedAttrNames;
  char* rdnMappedAttrNames;
  char* designFolder;
  char* saveAsCopy;
  char* nonVariantToVariantConversion;
  char* checkIn;
  char* doNotKeep;
  variantBomOptionElement* variantBomOptions;
} EDAPreSaveAsStatusElement;

typedef struct EDASaveAsStatusElement {
  char* status;
  char* message;
  char* UID;
  char* saveAsCopy;
  char* checkIn;
  char* nonVariantToVariantConversion;
} EDASaveAsStatusElement;

typedef struct EDACheckOutOrRefreshStatusElement {
  char* status;
  char* message;
  char* refreshed;
  char* primaryDsUID;
  relatedDSRefreshStatusElement* relatedDatasets;
} EDACheckOutOrRefreshStatusElement;

typedef struct EDAGetStagingDirStatusElement {
  char* status;
  char* message;
  char* stagingDir;
} EDAGetStagingDirStatusElement;

typedef struct EDAReconcilePartsSelectStatusElement {
  char* status;
  char* message;
  char* BOMOption;
  variantBomOptionElement* variantBomOptions;
} EDAReconcilePartsSelectStatusElement;

typedef struct EDAPreCheckInStatusElement {
  char* status;
  char* message;
  char* BOMOption;
  char* viewableOption;
  char* datasetMappedAttrNames;
  char* rdnMappedAttrNames;
  char* nonVariantToVariantConversion;
  char* itemId;
  char* doNotKeep;
  variantBomOptionElement* variantBomOptions;
} EDAPreCheckInStatusElement;

typedef struct EDACancelCheckoutStatusElement {
  char* status;
  char* message;
  char* doNotKeep;
} EDACancelCheckoutStatusElement;

/* Reopens standard output on logFile (truncated) and creates the results object. 0, or -1 when the
 * file cannot be opened (standard output is then left as it was). */
ECADBRIDGE_EXPORT int minixml_parser_init(const char* logFile);

/* Parses inputXmlFile in parseMode "Status", "Bom" or "Print" (case-sensitive), writing a trace
 * and the reader's error reports to errOutFile. Returns one of the codes above. */
ECADBRIDGE_EXPORT int minixml_parser_parse(const char* inputXmlFile, const char* parseMode,
                                           const char* errOutFile);

/* Parses inputXmlFile in "Print" mode without touching the results; needs minixml_parser_init. */
ECADBRIDGE_EXPORT int minixml_parser_test(const char* inputXmlFile, const char* errOutFile);

/* Drops the results object, closes the log file and gives standard output back. Always 0. Records
 * already handed out stay valid. */
ECADBRIDGE_EXPORT int minixml_parser_close(void);

/* Each getter stores the current record pointer in *out (when out is not null) and returns it;
 * null before minixml_parser_init, after minixml_parser_close, or when the last parse of that kind
 * found no such element. */
ECADBRIDGE_EXPORT void* minixml_parser_getCCAElements(void** out);
ECADBRIDGE_EXPORT void* minixml_parser_getEDAStatus(void** out);
ECADBRIDGE_EXPORT void* minixml_parser_getEDAPreSaveStatus(void** out);
ECADBRIDGE_EXPORT void* minixml_parser_getEDASaveStatus(void** out);
ECADBRIDGE_EXPORT void* minixml_parser_getEDAPreSaveAsStatus(void** out);
ECADBRIDGE_EXPORT void* minixml_parser_getEDASaveAsStatus(void** out);
ECADBRIDGE_EXPORT void* minixml_parser_getEDACheckOutOrRefreshStatus(void** out);
ECADBRIDGE_EXPORT void* minixml_parser_getEDAGetStagingDirStatus(void** out);
ECADBRIDGE_EXPORT void* minixml_parser_getEDAReconcilePartsSelectStatus(void** out);
ECADBRIDGE_EXPORT void* minixml_parser_getEDAPreCheckInStatus(void** out);
ECADBRIDGE_EXPORT void* minixml_parser_getEDACancelCheckoutStatus(void** out);

#ifdef __cplusplus
}
#endif

#endif /* ECADBRIDGE_MINIXML_H_ */
