/*
 * xq_utils: utility library of the microscope control kit.
 *
 * Plain C interface, usable from C and C++. Every function is self-contained:
 * it reads its files or settings afresh, writes results into caller-owned
 * buffers and keeps nothing between calls. Capacities are in bytes and include
 * the terminating zero byte; a capacity of 0 is outside every contract.
 */
#ifndef XQ_UTILS_H
#define XQ_UTILS_H

#include <stdint.h>

#ifdef _WIN32
#  include <objbase.h> /* HRESULT, GUID, DllGetClassObject, DllCanUnloadNow */
#endif

/* Calling convention of every export: __stdcall on 32-bit Windows. */
#if defined(_WIN32) && !defined(_WIN64)
#  define XQ_CALL __stdcall
#else
#  define XQ_CALL
#endif

/* On Linux the library itself marks its exports visible; the version script
 * then admits exactly the published names. Windows exports come from the .def. */
#if !defined(_WIN32) && defined(XQ_UTILS_BUILDING) && defined(__GNUC__)
#  define XQ_API __attribute__((visibility("default")))
#else
#  define XQ_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Status record filled by SetError; the error flag is a separate int32_t. */
typedef struct StatusRecord {
    int32_t Origin;     /* caller's value, stored unchanged */
    int32_t ErrorClass; /* 3 for every report made by this library */
    int32_t ErrorCode;  /* message number in the catalogue */
    char Text[261];     /* formatted message, at most 260 characters */
} StatusRecord;

/* Header of a logical/physical conversion table. The caller allocates a block
 * of the size the library reports; the name, unit and the two tables follow
 * this header inside that block. The tables start at an even offset that need
 * not be a multiple of 4: read their cells with memcpy rather than indexing
 * ControlPos and DataPos directly, which is a misaligned access in C. */
typedef struct LcvDataHandle {
    int32_t MinPhyData;
    int32_t MinLogData;
    int32_t MaxPhyData;
    int32_t MaxLogData;
    int32_t ControlFactor;
    int32_t DataFactor;
    int32_t ControlDivider;
    int32_t DataDivider;
    int32_t PhyData;
    int32_t LogData;
    int32_t MaxNameLen;
    char *DataName;
    int32_t MaxUnitLen;
    char *DataUnit;
    int32_t TableLength;
    int32_t *ControlPos;
    int32_t *DataPos;
} LcvDataHandle;

/* Opaque token stream of CreateStrTokEx. */
typedef struct TokenStream TokenStream;

/* ---- Status reporting ------------------------------------------------------
 * Sets *errorFlag to 1, stores origin, class and code in *status and puts the
 * catalogue text of errorCode, in the user's language, formatted with the
 * non-null inserts ("%s" placeholders), into status->Text (at most 260
 * characters). Codes without text give "No error text found.". */
XQ_API int32_t XQ_CALL SetError(int32_t *errorFlag, int32_t origin, int32_t errorClass, int32_t errorCode,
                                const char *insert1, const char *insert2, const char *insert3,
                                StatusRecord *status);

/* ---- Named-entry files: lookup ---------------------------------------------
 * INI-style files of [sections] and name=value entries. Values read through
 * GetNamedString lose trailing white space, and a value beginning with ";"
 * reads as empty. Words are separated by blanks, tabs, CR and LF and are
 * numbered from 1. Every function reads its file afresh. */

/* 1 when the file can be opened for reading, else 0. */
XQ_API int32_t XQ_CALL ExistFile(const char *path);
/* The entry's value into buffer; the buffer's address, or null when the file
 * cannot be opened (buffer untouched) or the entry has no value (buffer empty). */
XQ_API char *XQ_CALL GetNamedString(const char *section, const char *entry, char *buffer, uint32_t capacity,
                                    const char *file);
/* The value as a decimal integer (out-of-range values clamp to the int32_t
 * range); 0 on any failure. */
XQ_API int32_t XQ_CALL GetNamedInt(const char *section, const char *entry, const char *file);
/* Word number index of the value into destination (cut to capacity - 1
 * characters, zero-filled); destination's address, or null. */
XQ_API char *XQ_CALL GetNamedSubstringString(const char *section, const char *entry, int32_t index,
                                             char *destination, uint32_t capacity, const char *file);
/* Number of the first word equal to text, 0 when none. */
XQ_API int32_t XQ_CALL GetNamedSubstringIndex(const char *section, const char *entry, const char *text,
                                              const char *file);
/* Cell `column` of a table row: entry entryName, or for "%Name" the entry Name
 * followed by arrayIndex in decimal (at most 39 characters, else 0). Cells
 * read like scanf's "%i", keeping the low 32 bits; 0 on failure. */
XQ_API int32_t XQ_CALL GetNamedArrayElement(const char *section, const char *entryName, int32_t arrayIndex,
                                            int32_t column, const char *file);
/* The value's first two words name a section and an entry: delivers them, or
 * with secondFile the section and the first word of that entry's value there. */
XQ_API int32_t XQ_CALL GetNamedStringIndirect(const char *section, const char *entry, const char *file,
                                              const char *secondFile, char *sectionBuffer, uint32_t sectionCapacity,
                                              char *entryBuffer, uint32_t entryCapacity);
/* Comma-separated field index of the value (cut to capacity - 1 characters);
 * on failure the status record is filled (class 3: code 18 file missing, 13
 * entry or field missing) and 0 returned. */
XQ_API int32_t XQ_CALL GetNamedData(const char *section, const char *entry, int32_t index, char *destination,
                                    uint32_t capacity, const char *file, int32_t origin, int32_t *errorFlag,
                                    StatusRecord *status);
/* 1 when text is "none" in any letter case, else 0. */
XQ_API int32_t XQ_CALL TestNoneString(const char *text);

/* ---- Named-entry files: rewriting ------------------------------------------
 * In-place rewrites never change the file's length: the new value must fit
 * the room of the old one in its line and is padded with leading blanks. */

/* Byte position of the entry's line, 0 when not found. */
XQ_API uint32_t XQ_CALL GetNamedStringPos(const char *section, const char *entry, const char *file);
XQ_API int32_t XQ_CALL RplNamedString(const char *section, const char *entry, const char *value, const char *file);
XQ_API int32_t XQ_CALL RplNamedInt(const char *section, const char *entry, int32_t number, const char *file);
/* Replaces word index of the value in place. */
XQ_API int32_t XQ_CALL RplNamedSubstringString(const char *section, const char *entry, int32_t index,
                                               const char *text, const char *file);
/* Replaces comma-separated field index and rewrites the entry's line; on
 * failure the status record is filled and 0 returned (class 3: 18 file
 * missing, 13 entry missing, 24 field missing or value too long, 36 write
 * failed). */
XQ_API int32_t XQ_CALL RplNamedData(const char *section, const char *entry, int32_t index, const char *data,
                                    const char *file, int32_t origin, int32_t *errorFlag, StatusRecord *status);
/* Copies existingFile to newFile (note the order); 1 when copied. */
XQ_API int32_t XQ_CALL DoubleFile(const char *newFile, const char *existingFile, int32_t failIfExists);

/* ---- Token streams and date ------------------------------------------------ */

/* A tokenizer over a private copy of text; the delimiter text is borrowed and
 * must outlive the stream. Null when an argument is null or memory runs out. */
XQ_API TokenStream *XQ_CALL CreateStrTokEx(const char *text, const char *delimiters);
/* The next token (inside the stream's copy), or null at the end. A non-null
 * delimiters replaces the set from this call on. */
XQ_API char *XQ_CALL GetStrTokEx(TokenStream *stream, const char *delimiters);
/* Frees the stream and its tokens; 1, or 0 for a null stream. */
XQ_API int32_t XQ_CALL CloseStrTokEx(TokenStream *stream);
/* Today's date in UTC; null addresses are skipped. */
XQ_API void XQ_CALL GetDate(uint16_t *day, uint16_t *month, uint16_t *year);

/* ---- Installation settings -------------------------------------------------
 * Read from the registry key "SOFTWARE\Brenvik\Vorta XQ SDK\<version>\Ini"
 * below HKEY_LOCAL_MACHINE, where <version> is the product key's value
 * "CurrentVersion" (on Linux: the registry file named by XQ_UTILS_REGISTRY,
 * default /etc/xq_utils/registry.reg). Getters return 1 and deliver a
 * documented default when a value is missing, too long or unreadable. */

/* Root directory; "0" when not set (missing, empty or "None"). Result 1. */
XQ_API int32_t XQ_CALL GetVortaRootDir(char *buffer, uint32_t capacity);
/* User-interface language (e.g. "ENG", "GER"); the language override wins;
 * "0" when not set. Result 1. */
XQ_API int32_t XQ_CALL GetVortaLang(char *buffer, uint32_t capacity);
/* Writes the registry value "Lang". Result always 1 (the write is not checked). */
XQ_API int32_t XQ_CALL SetVortaLang(const char *text);
/* First-setup flag; "FALSE" when not set. Result 1. */
XQ_API int32_t XQ_CALL GetVortaFirstSetup(char *buffer, uint32_t capacity);
/* Writes the registry value "FirstSetup". Result always 1. */
XQ_API int32_t XQ_CALL SetVortaFirstSetup(const char *text);
/* Logical / physical configuration file name relative to the root; the
 * override when set, else the registry value, else "None". The text is cut to
 * capacity - 1 characters. The registry path leaves the capacity's last byte
 * unwritten. Result 1. */
XQ_API int32_t XQ_CALL GetVortaLogConfFile(char *buffer, uint32_t capacity);
XQ_API int32_t XQ_CALL GetVortaPhyConfFile(char *buffer, uint32_t capacity);
/* Kit version (the product key's "CurrentVersion"). 1 if read, else 0 and
 * the buffer is left as it was. */
XQ_API int32_t XQ_CALL GetVortaSDKVersion(char *buffer, uint32_t capacity);
/* Per-process overrides, never cleared once set. Root and file names take
 * texts of up to 259 characters (the empty text included); the language takes
 * exactly "ENG" or "GER". Result 1 if taken, 0 if refused (slot unchanged). */
XQ_API int32_t XQ_CALL VOKSDKChangeRoot(const char *text);
XQ_API int32_t XQ_CALL VOKSDKChangeLogConfFile(const char *text);
XQ_API int32_t XQ_CALL VOKSDKChangePhyConfFile(const char *text);
XQ_API int32_t XQ_CALL VOKSDKChangeLang(const char *text);

/* ---- Value conversion: scaling, number text, conversion tables ------------ */

/* value * multiplier / divisor, rounded to the nearest integer with halves
 * away from zero (computed in double precision). A quotient beyond the 32-bit
 * range keeps its low 32 bits; a divisor of 0 gives 0. LcvScaleInt is the same. */
XQ_API int32_t XQ_CALL ScaleInt(int32_t value, int32_t multiplier, int32_t divisor);
XQ_API int32_t XQ_CALL LcvScaleInt(int32_t value, int32_t multiplier, int32_t divisor);

/* y at x in the table of `count` points (xTable[k], yTable[k]), linear between
 * neighbouring points; segments may rise or fall, and the first segment that
 * holds x (ends included) serves it. No extrapolation: when count is below 2,
 * x lies in no segment or a table is null, the result is 0 and *errorFlag 1;
 * otherwise *errorFlag is 0 (a null errorFlag is not written). Table
 * differences and the final sum wrap in 32 bits. */
XQ_API int32_t XQ_CALL LinIpolInt(int32_t count, const int32_t *xTable, const int32_t *yTable, int32_t x,
                                  int32_t *errorFlag);
/* LinIpolInt without the flag: 0 on failure, like an interpolated 0. */
XQ_API int32_t XQ_CALL LcvLinIpolInt(int32_t count, const int32_t *xTable, const int32_t *yTable, int32_t x);

/* Writes multiplier * value / divisor as text into buffer: "-" when the
 * quotient is negative, the integer digits of its magnitude rounded to
 * `decimals` fraction digits (halves up; no digits below 1, so 0.5 gives
 * ".50" with 2 decimals and 0.05 gives ".05"), "." and exactly `decimals`
 * fraction digits when decimals > 0, one blank, the unit, a terminator:
 * 12345 * 1 / 1000 with 2 decimals and unit "mm" is "12.35 mm". The quotient
 * is exact. A negative `decimals` counts as 0; a divisor of 0 makes the
 * quotient 0. Returns buffer, or null, writing nothing, when digits + unit
 * length + 3 is bufferSize or more (or buffer or unit is null). A value of 0
 * with 0 decimals gives an empty number (" mm"). */
XQ_API char *XQ_CALL BinToAsc(char *buffer, uint32_t bufferSize, int32_t multiplier, int32_t divisor,
                              int32_t value, const char *unit, int32_t decimals);
/* BinToAsc, except that a value of 0 with 0 decimals gives "0" (then the blank
 * and the unit) whatever the multiplier and divisor. */
XQ_API char *XQ_CALL LcvBinToAsc(char *buffer, uint32_t bufferSize, int32_t multiplier, int32_t divisor,
                                 int32_t value, const char *unit, int32_t decimals);

/* Conversion tables. A table is a section of a named-entry file with the
 * entries TableLength, MaxNameLen, MaxUnitLen (decimal), ControlName (the
 * column tied to the physical values), ColumnName, ColumnUnit (one word per
 * column), ColumnFactor, ColumnDivider (one integer per column), MinPhyData,
 * MaxPhyData (decimal) and the rows Pos1 ... Pos<TableLength> (one integer
 * per column; cells read like scanf's "%li"). A position p of a column stands
 * for p * divider / factor in the column's unit. Missing entries, words and
 * numbers read as 0. Each function below reads the file once per call.
 *
 * Block size for the section: sizeof(LcvDataHandle) (68 on 32-bit targets)
 * + MaxNameLen + 1 + MaxUnitLen + 1 + 8 * TableLength, rounded up to even;
 * negative sizes count as 0. 0 when the block would exceed 2^31 - 1 bytes. */
XQ_API uint32_t XQ_CALL LcvGetDataHandleSize(const char *section, const char *file);
/* Fills the caller's block (at least LcvGetDataHandleSize bytes for the same
 * file, aligned for pointers; it refers to itself, so it must not be moved)
 * for the data column columnName: header, then name area, unit area, one
 * padding byte when needed for an even offset, control table, data table. The
 * name and unit are cut to MaxNameLen and MaxUnitLen characters and always
 * terminated; a data column without a unit word gets the empty unit. The
 * logical limits are the data column's values at the physical limits, in
 * order (0 where a limit lies outside the table). PhyData and LogData are not
 * written. Result 1; 0, writing nothing, when the size is refused or handle
 * is null. */
XQ_API int32_t XQ_CALL LcvInitDataHandle(const char *section, const char *file, const char *columnName,
                                         LcvDataHandle *handle);
/* The entry as a decimal integer (value read with capacity 261); 0 on failure. */
XQ_API int32_t XQ_CALL LcvGetNamedInt(const char *section, const char *entry, const char *file);
/* Cell `column` of a row, as GetNamedArrayElement but with a value capacity
 * of 261; the name argument may have at most 30 characters and the entry name
 * built from it at most 31, else 0. */
XQ_API int32_t XQ_CALL LcvGetNamedArrayElement(const char *section, const char *entryName, int32_t arrayIndex,
                                               int32_t column, const char *file);
/* RplNamedInt: rewrites the entry's value in place; 1 when written. */
XQ_API int32_t XQ_CALL LcvRplNamedInt(const char *section, const char *entry, int32_t value, const char *file);

/* Logical value (data column position) to physical value: the value is held
 * to [MinLogData, MaxLogData] and stored in LogData, interpolated to a
 * control position, scaled by ControlDivider / ControlFactor, held to
 * [MinPhyData, MaxPhyData], stored in PhyData and returned. */
XQ_API int32_t XQ_CALL LcvLogToPhy(int32_t value, LcvDataHandle *handle);
/* Physical value to logical value, unclamped: PhyData = value, the control
 * position value * ControlFactor / ControlDivider is interpolated to the data
 * column (0 outside the table), stored in LogData and returned. */
XQ_API int32_t XQ_CALL LcvPhyToLog(int32_t value, LcvDataHandle *handle);
/* LcvBinToAsc of value * DataDivider / DataFactor with the unit (null: the
 * handle's unit); null when it does not fit. */
XQ_API char *XQ_CALL LcvToAsc(char *buffer, uint32_t bufferSize, int32_t value, int32_t decimals, const char *unit,
                              const LcvDataHandle *handle);
/* Makes columnName the data column of a filled handle (same section and
 * file): unit (empty without a unit word), factor, divider, table, logical
 * limits and name. A name that is no column gives zeros. Result 1 (0 for a
 * null handle). */
XQ_API int32_t XQ_CALL LcvNewLogDataUnit(const char *section, const char *file, const char *columnName,
                                         LcvDataHandle *handle);
/* The logical limits; the setters check nothing and last until the next
 * filling or column switch. */
XQ_API int32_t XQ_CALL LcvGetMinLogDataValue(const LcvDataHandle *handle);
XQ_API int32_t XQ_CALL LcvGetMaxLogDataValue(const LcvDataHandle *handle);
XQ_API void XQ_CALL LcvSetMinLogDataValue(int32_t value, LcvDataHandle *handle);
XQ_API void XQ_CALL LcvSetMaxLogDataValue(int32_t value, LcvDataHandle *handle);
/* GetNamedString of the section's ColumnName entry: the column names,
 * separated by blanks. The fifth argument is not used. */
XQ_API char *XQ_CALL LcvGetLogDataNames(const char *section, const char *file, char *buffer, uint32_t bufferSize,
                                        int32_t unused);

/* ---- Microscope configuration and physical server interface --------------- */
/* Lookups in the two configuration files found through the installation
 * settings: the logical file (root, backslash, LogConfFile) and the physical
 * file (root, backslash, PhyConfFile). Every call reads the settings and each
 * file it needs afresh. Entries are read with the default "None" (a missing
 * file, section or entry reads "None") and hold at most 258 characters;
 * values split into words at the space character only (a tab belongs to a
 * word). A word that is empty or exactly "None" is not configured. Texts are
 * cut to capacity - 1 characters and the rest of the capacity is zero-filled.
 * Components are named as in section "Configuration" of the logical file;
 * each one's physical entry (named by word 1 there) stands in the physical
 * file's section of the component's name. */

/* The stand's name (word 1 of the physical entry in section "Stand" named by
 * word 1 of "Stand" in "MicStand"), or "None". Result 1, or 0 with the buffer
 * untouched when no stand is configured. */
XQ_API int32_t XQ_CALL GetQelStand(char *buffer, uint32_t capacity);
/* The stand's port (word 2 of "Stand" in "MicStand"), or "None". Result 1, or
 * 0 with the buffer untouched when no stand is configured. */
XQ_API int32_t XQ_CALL GetQelStandPort(char *buffer, uint32_t capacity);
/* 1 when word 3 of the component's physical entry is exactly "M" (a
 * component of the stand), else 0. */
XQ_API int32_t XQ_CALL GetQelStandComp(const char *component);

/* 1 when the component's word 1 in "Configuration" is configured, else 0. */
XQ_API int32_t XQ_CALL GetQelServerEnabled(const char *component);
/* The root, a backslash and word 1 of entry "Server" ("ServerApi") in the
 * logical file's section of the component, or "None" when that word is not
 * configured. Result 1. */
XQ_API int32_t XQ_CALL GetQelServer(const char *component, char *buffer, uint32_t capacity);
XQ_API int32_t XQ_CALL GetQelServerApi(const char *component, char *buffer, uint32_t capacity);
/* Word 3 of the component's entry in "Configuration" as a decimal integer (0
 * without digits); -1 when the component is not configured. */
XQ_API int32_t XQ_CALL GetQelMode(const char *component);
/* Word 2 of the component's entry in "Configuration" (empty when missing), or
 * "None" when the component is not configured. Result 1. */
XQ_API int32_t XQ_CALL GetQelPort(const char *component, char *buffer, uint32_t capacity);
/* 1 when word 1 of "MultipleInstances" in "GeneralSettings" is configured
 * (whatever it says), else 0. */
XQ_API int32_t XQ_CALL GetQelMultiInstances(void);
/* Entry "ImagePathCount" ("ImagePathDeviceCount") of section "OpticalPath" as
 * a decimal integer; 0 when missing or without digits. */
XQ_API int32_t XQ_CALL GetQelImagePathCount(void);
XQ_API int32_t XQ_CALL GetQelImagePathDeviceCount(void);
/* The value (at most 78 characters) of the entry at position index + 2 of
 * section "OpticalPath", counting its first entry as 1 (index -1 is the first
 * entry, index 0 the second); "None" when there is no such entry or its value
 * is empty. Only the entry names that fit into 999 bytes are counted. Result
 * 1, or 0 with the buffer untouched when no scratch memory can be had. */
XQ_API int32_t XQ_CALL GetQelOpticalPath(int32_t index, char *buffer, uint32_t capacity);

/* Physical server interface. Word 4 of a component's physical entry names its
 * server section ("NO": none), words 5 and 6 its global and operational data
 * sections. The results below are at most 259 characters long (cut to the
 * capacity) and always 1; "None" means not configured: a component without
 * physical entry name, a server section "NO", or an entry that is missing or
 * holds "None". "Root" is the root setting ("None" when absent) and one
 * backslash. */

/* Root\ and entry "Server" ("ServerApi", "ServerData", "GlobalData",
 * "OperData") of the component's server section, whole. */
XQ_API int32_t XQ_CALL GetPsiServer(const char *component, char *buffer, uint32_t capacity);
XQ_API int32_t XQ_CALL GetPsiServerApi(const char *component, char *buffer, uint32_t capacity);
XQ_API int32_t XQ_CALL GetPsiServerData(const char *component, char *buffer, uint32_t capacity);
XQ_API int32_t XQ_CALL GetPsiGlobalData(const char *component, char *buffer, uint32_t capacity);
XQ_API int32_t XQ_CALL GetPsiOperData(const char *component, char *buffer, uint32_t capacity);
/* Entry "NextLayer" of the component's server section, without Root\: the
 * name of the next layer's section in the physical file. */
XQ_API int32_t XQ_CALL GetPsiNextLayer(const char *component, char *buffer, uint32_t capacity);
/* Word 5 (6) of the component's physical entry: its global (operational)
 * data section; empty when the entry has no such word, "None" when the
 * component has no physical entry name. Word 4 is not consulted. */
XQ_API int32_t XQ_CALL GetPsiGlobalDataSection(const char *component, char *buffer, uint32_t capacity);
XQ_API int32_t XQ_CALL GetPsiOperationalDataSection(const char *component, char *buffer, uint32_t capacity);
/* Root\ and entry "Server" ("ServerApi", "ServerData") of the section named
 * layer in the physical file. */
XQ_API int32_t XQ_CALL GetPsiNextLayerServer(const char *layer, char *buffer, uint32_t capacity);
XQ_API int32_t XQ_CALL GetPsiNextLayerServerApi(const char *layer, char *buffer, uint32_t capacity);
XQ_API int32_t XQ_CALL GetPsiNextLayerServerData(const char *layer, char *buffer, uint32_t capacity);
/* Entry "GlobalData" ("OperData") of the section named layer, without Root\:
 * the next layer's data section names. */
XQ_API int32_t XQ_CALL GetPsiNextLayerGlobalDataSection(const char *layer, char *buffer, uint32_t capacity);
XQ_API int32_t XQ_CALL GetPsiNextLayerOperationalDataSection(const char *layer, char *buffer, uint32_t capacity);

/* ---- In-process component entry points --------------------------------------
 * The library registers no component classes: DllCanUnloadNow and
 * DllRegisterServer return 0, DllGetClassObject sets *object to null and
 * returns 0x80040111 (class not available). */
#ifdef _WIN32
STDAPI DllRegisterServer(void); /* as declared by <olectl.h> */
#else
typedef int32_t HRESULT;
typedef struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
} GUID;
XQ_API HRESULT XQ_CALL DllCanUnloadNow(void);
XQ_API HRESULT XQ_CALL DllGetClassObject(const GUID *classId, const GUID *interfaceId, void **object);
XQ_API HRESULT XQ_CALL DllRegisterServer(void);
#endif

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* XQ_UTILS_H */
