// Basic kernel-mode types, with the widths of Windows (32-bit integers; pointers as the host's).
#pragma once

#include <cstddef>
#include <cstdint>

#ifndef NTAPI
#define NTAPI
#endif
#ifndef DDKAPI
#define DDKAPI
#endif
#ifndef FASTCALL
#define FASTCALL
#endif
#ifndef IN
#define IN
#endif
#ifndef OUT
#define OUT
#endif
#ifndef OPTIONAL
#define OPTIONAL
#endif
#ifndef VOID
#define VOID void
#endif
#ifndef CONST
#define CONST const
#endif

typedef unsigned char UCHAR;
typedef UCHAR* PUCHAR;
typedef char CHAR;
typedef CHAR* PCHAR;
typedef char CCHAR;
typedef short SHORT;
typedef short CSHORT;
typedef unsigned short USHORT;
typedef USHORT* PUSHORT;
typedef std::int32_t LONG;
typedef LONG* PLONG;
typedef std::uint32_t ULONG;
typedef ULONG* PULONG;
typedef std::int64_t LONGLONG;
typedef std::uint64_t ULONGLONG;
typedef std::intptr_t LONG_PTR;
typedef std::uintptr_t ULONG_PTR;
typedef ULONG_PTR* PULONG_PTR;
typedef ULONG_PTR SIZE_T;
typedef int INT;
typedef unsigned int UINT;
typedef UCHAR BOOLEAN;
typedef BOOLEAN* PBOOLEAN;
typedef void* PVOID;
typedef const void* PCVOID;
typedef void* HANDLE;
typedef HANDLE* PHANDLE;
typedef LONG NTSTATUS;
typedef NTSTATUS* PNTSTATUS;
typedef ULONG ACCESS_MASK;
typedef ULONG DEVICE_TYPE;
typedef ULONG LOGICAL;

// WCHAR is 16 bits as on Windows. On the host a wide literal (L"...") is 32 bits wide, so code
// that must build for both writes its wide texts as arrays of WCHAR, e.g. from narrow ones.
typedef char16_t WCHAR;
typedef WCHAR* PWCHAR;
typedef WCHAR* PWSTR;
typedef const WCHAR* PCWSTR;
typedef CHAR* PSTR;
typedef const CHAR* PCSTR;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
#ifndef NULL
#define NULL nullptr
#endif

typedef union _LARGE_INTEGER {
    struct {
        ULONG LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
} LARGE_INTEGER, *PLARGE_INTEGER;

typedef struct _LIST_ENTRY {
    struct _LIST_ENTRY* Flink;
    struct _LIST_ENTRY* Blink;
} LIST_ENTRY, *PLIST_ENTRY;

typedef struct _UNICODE_STRING {
    USHORT Length;        // bytes, without a terminator
    USHORT MaximumLength; // bytes
    PWSTR Buffer;
} UNICODE_STRING, *PUNICODE_STRING;
typedef const UNICODE_STRING* PCUNICODE_STRING;

#define FIELD_OFFSET(type, field) ((LONG)offsetof(type, field))
#define CONTAINING_RECORD(address, type, field)                                                    \
    ((type*)((PCHAR)(address) - (ULONG_PTR)offsetof(type, field)))

typedef UCHAR KIRQL;
typedef KIRQL* PKIRQL;
typedef CCHAR KPROCESSOR_MODE;

#define PASSIVE_LEVEL 0
#define APC_LEVEL 1
#define DISPATCH_LEVEL 2

typedef enum _MODE { KernelMode, UserMode, MaximumMode } MODE;

typedef enum _POOL_TYPE {
    NonPagedPool = 0,
    PagedPool = 1,
    NonPagedPoolMustSucceed = 2,
    NonPagedPoolCacheAligned = 4,
    PagedPoolCacheAligned = 5,
} POOL_TYPE;

// Object types the kernel routines pass around but the driver never looks into.
typedef struct _EPROCESS* PEPROCESS;
typedef struct _ETHREAD* PETHREAD;
typedef struct _IO_TIMER* PIO_TIMER;
typedef struct _VPB* PVPB;
typedef struct _SECURITY_DESCRIPTOR* PSECURITY_DESCRIPTOR;
typedef struct _IO_SECURITY_CONTEXT* PIO_SECURITY_CONTEXT;
typedef struct _CM_RESOURCE_LIST* PCM_RESOURCE_LIST;
typedef struct _FAST_IO_DISPATCH* PFAST_IO_DISPATCH;
typedef struct _DEVOBJ_EXTENSION* PDEVOBJ_EXTENSION;
