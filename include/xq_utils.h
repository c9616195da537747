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
 * this header inside that block. */
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
