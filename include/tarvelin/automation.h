/*
 * tarvelin-admin: the automation objects, reached by name at run time.
 *
 * Six classes (APIObject, DomainObject, AccountObject, RemoteAccountObject,
 * ScheduleObject, StatisticsObject) are created by class name, either form:
 * "OrvikCOM.APIObject" or "QuorantServer.APIObject", in any case, once the
 * library is registered (DllRegisterServer). Their members are found by name
 * (TvGetDispId, in any case) and called by number (TvInvoke), with arguments
 * and results as TvVariant. Every object initialises the library when it is
 * created, as Init with the host program's folder, else with
 * $TARVELIN_INSTALL_DIR, would; all objects of a process share the one
 * installation of the plain exports (tarvelin/api.h).
 *
 * Texts cross as UTF-8. Inside, texts are single-byte in the system code
 * page: Windows-1252 unless $TARVELIN_CODEPAGE names another iconv code
 * page; a character it cannot hold becomes "?".
 *
 * Statuses are int32_t: 0 success, or one of the negative TV_E_ values.
 * No call raises an error or exception to the caller; bad pointers, released
 * objects and wrong arguments answer a status.
 */
#ifndef TARVELIN_AUTOMATION_H_
#define TARVELIN_AUTOMATION_H_

#include <stdint.h>

#if defined(__GNUC__)
#define TARVELIN_AUTOMATION_API __attribute__((visibility("default")))
#else
#define TARVELIN_AUTOMATION_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct TvObject TvObject; /* reference counted */

enum {
  TV_EMPTY = 0,
  TV_NULL = 1,
  TV_I2 = 2,
  TV_I4 = 3,
  TV_R8 = 5,
  TV_DATE = 7,
  TV_TEXT = 8,
  TV_OBJECT = 9,
  TV_BOOL = 11,
  TV_UI1 = 17,
  TV_I8 = 20
};

typedef struct TvVariant {
  uint16_t type;
  union {
    int32_t i4;
    int64_t i8;
    double r8;         /* TV_R8 and TV_DATE (days since 1899-12-30) */
    int16_t boolean;   /* -1 true, 0 false */
    uint8_t ui1;
    int16_t i2;
    char* text;        /* UTF-8, NUL-terminated, owned by the variant */
    TvObject* object;  /* one reference, owned by the variant */
  } u;
} TvVariant;

/* What TvInvoke calls; a bit set. A member that is a method or a property
 * get answers TV_METHOD | TV_PROPERTYGET. */
enum { TV_METHOD = 1, TV_PROPERTYGET = 2, TV_PROPERTYPUT = 4 };

/* Statuses. */
#define TV_S_OK ((int32_t)0)
#define TV_E_MEMBERNOTFOUND ((int32_t)0x80020003) /* dispid or kind not offered */
#define TV_E_TYPEMISMATCH ((int32_t)0x80020005)   /* an argument that does not convert */
#define TV_E_UNKNOWNNAME ((int32_t)0x80020006)    /* no member of that name */
#define TV_E_EXCEPTION ((int32_t)0x80020009)      /* the member raised: TvLastErrorText */
#define TV_E_BADPARAMCOUNT ((int32_t)0x8002000E)
#define TV_E_CLASSNOTREG ((int32_t)0x80040154)    /* unknown or unregistered class */
#define TV_E_INVALIDARG ((int32_t)0x80070057)     /* null or released pointers */
#define TV_E_NOINTERFACE ((int32_t)0x80004002)
#define TV_E_FAIL ((int32_t)0x80004005)
#define TV_CLASS_E_CLASSNOTAVAILABLE ((int32_t)0x80040111)
#define TV_S_FALSE ((int32_t)1)

/* Creates an object by class name; *out holds one reference. */
TARVELIN_AUTOMATION_API int32_t TvCreateObject(const char* class_name, TvObject** out);
/* The new reference count; 0 for a null or released object. */
TARVELIN_AUTOMATION_API int32_t TvAddRef(TvObject* object);
TARVELIN_AUTOMATION_API int32_t TvRelease(TvObject* object);
/* The dispatch identifier of a member, by name in any case. */
TARVELIN_AUTOMATION_API int32_t TvGetDispId(TvObject* object, const char* member, int32_t* dispid);
/* Calls a member with `argc` arguments, first argument first (a property
 * put takes the value as its one argument). `result` may be null; it is
 * overwritten (clear an earlier value first) and stays TV_EMPTY when the
 * call fails. Arguments are borrowed. */
TARVELIN_AUTOMATION_API int32_t TvInvoke(TvObject* object, int32_t dispid, int32_t kind,
                                         const TvVariant* args, int32_t argc, TvVariant* result);
/* This thread's message of its last TV_E_EXCEPTION (and of the last failed
 * TvCreateObject); "" when there is none. Valid until this thread's next
 * call. */
TARVELIN_AUTOMATION_API const char* TvLastErrorText(void);
TARVELIN_AUTOMATION_API void TvVariantInit(TvVariant* v);
/* Frees the text, releases the object, leaves TV_EMPTY. */
TARVELIN_AUTOMATION_API void TvVariantClear(TvVariant* v);

/* Registration in the object registry: a ".reg" text file at
 * $TARVELIN_REGISTRY, else /etc/tarvelin/registry.reg when run as root, else
 * $XDG_CONFIG_HOME/tarvelin/registry.reg (~/.config when unset). */

typedef struct TvGuid {
  uint32_t data1;
  uint16_t data2;
  uint16_t data3;
  uint8_t data4[8];
} TvGuid;

/* A class factory: creates objects of one class without the registry. */
typedef struct TvClassFactory TvClassFactory;
struct TvClassFactory {
  int32_t (*CreateInstance)(TvClassFactory* self, TvObject** out);
  /* Nonzero keeps the library from unloading; zero undoes one such lock. */
  int32_t (*LockServer)(TvClassFactory* self, int32_t lock);
  int32_t (*AddRef)(TvClassFactory* self);
  int32_t (*Release)(TvClassFactory* self);
};

/* 0, or TV_E_FAIL (the registry file is damaged or cannot be written;
 * TvLastErrorText says why). */
TARVELIN_AUTOMATION_API int32_t DllRegisterServer(void);
TARVELIN_AUTOMATION_API int32_t DllUnregisterServer(void);
/* The factory of the class `clsid`, for `iid` the class factory interface
 * {00000001-0000-0000-C000-000000000046} or {00000000-...-000000000046};
 * TV_CLASS_E_CLASSNOTAVAILABLE for an unknown class. */
TARVELIN_AUTOMATION_API int32_t DllGetClassObject(const TvGuid* clsid, const TvGuid* iid,
                                                  void** out);
/* 0 when no object and no server lock is alive, else 1. */
TARVELIN_AUTOMATION_API int32_t DllCanUnloadNow(void);

#ifdef __cplusplus
}
#endif

#endif /* TARVELIN_AUTOMATION_H_ */
