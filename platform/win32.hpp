// The Windows API subset the module is written against, implemented on POSIX
// by libfinderix-platform. Names, signatures, constants and error codes are
// Windows' own, so module code reads like any Windows program; what a
// Windows program cannot see (drive C: is the POSIX root, names are code page
// 866 outside and UTF-8 on disk, the registry is an SQLite file) is decided
// inside the implementation.
#pragma once

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------
// Basic types
// ---------------------------------------------------------------------------
typedef int BOOL;
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int64_t LONGLONG;
typedef unsigned int UINT;
typedef int INT;
typedef char CHAR;
typedef wchar_t WCHAR;  // 32-bit here; the module only ever holds BMP text in it
typedef void* HANDLE;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef BYTE* LPBYTE;
typedef const BYTE* LPCBYTE;
typedef DWORD* LPDWORD;
typedef BOOL* LPBOOL;
typedef uintptr_t SIZE_T;
typedef uintptr_t ULONG_PTR;
typedef struct HKEY__* HKEY;
typedef HKEY* PHKEY;
typedef DWORD REGSAM;
typedef LONG LSTATUS;

#define WINAPI
#define TRUE 1
#define FALSE 0
#define MAX_PATH 260

#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)

#define LOWORD(l) ((WORD)((uintptr_t)(l) & 0xFFFF))
#define HIWORD(l) ((WORD)(((uintptr_t)(l) >> 16) & 0xFFFF))

typedef union _LARGE_INTEGER {
  struct {
    DWORD LowPart;
    LONG HighPart;
  } u;
  LONGLONG QuadPart;
} LARGE_INTEGER, *PLARGE_INTEGER;

typedef struct _SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;  // accepted, never read
typedef struct _OVERLAPPED* LPOVERLAPPED;                    // must be null

// ---------------------------------------------------------------------------
// Last error and error codes
// ---------------------------------------------------------------------------
#define ERROR_SUCCESS 0L
#define ERROR_INVALID_FUNCTION 1L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_TOO_MANY_OPEN_FILES 4L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_INVALID_DATA 13L
#define ERROR_OUTOFMEMORY 14L
#define ERROR_NOT_SAME_DEVICE 17L
#define ERROR_NO_MORE_FILES 18L
#define ERROR_WRITE_FAULT 29L
#define ERROR_READ_FAULT 30L
#define ERROR_GEN_FAILURE 31L
#define ERROR_SHARING_VIOLATION 32L
#define ERROR_HANDLE_EOF 38L
#define ERROR_HANDLE_DISK_FULL 39L
#define ERROR_NOT_SUPPORTED 50L
#define ERROR_FILE_EXISTS 80L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_DISK_FULL 112L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_INVALID_NAME 123L
#define ERROR_DIR_NOT_EMPTY 145L
#define ERROR_BAD_PATHNAME 161L
#define ERROR_BUSY 170L
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_FILENAME_EXCED_RANGE 206L
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_DIRECTORY 267L
#define ERROR_EA_ACCESS_DENIED 994L  // owner, mode or an extended attribute cannot be kept
#define ERROR_IO_PENDING 997L
#define ERROR_INVALID_FLAGS 1004L
#define ERROR_FILE_INVALID 1006L
#define ERROR_BADDB 1009L
#define ERROR_BADKEY 1010L
#define ERROR_CANTOPEN 1011L
#define ERROR_CANTREAD 1012L
#define ERROR_CANTWRITE 1013L
#define ERROR_REGISTRY_CORRUPT 1015L
#define ERROR_REGISTRY_IO_FAILED 1016L
#define ERROR_KEY_DELETED 1018L
#define ERROR_NO_UNICODE_TRANSLATION 1113L
#define ERROR_CANCELLED 1223L
#define ERROR_UNABLE_TO_REMOVE_REPLACED 1175L
#define ERROR_UNABLE_TO_MOVE_REPLACEMENT 1176L
#define ERROR_IO_DEVICE 1117L

extern "C" {

DWORD WINAPI GetLastError(void);
void WINAPI SetLastError(DWORD code);

// ---------------------------------------------------------------------------
// Files
// ---------------------------------------------------------------------------
#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u

#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define FILE_SHARE_DELETE 0x00000004u

#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5

#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_HIDDEN 0x00000002u
#define FILE_ATTRIBUTE_SYSTEM 0x00000004u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020u
#define FILE_ATTRIBUTE_ENCRYPTED 0x00000040u  // never set here
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define FILE_ATTRIBUTE_TEMPORARY 0x00000100u
#define FILE_ATTRIBUTE_SPARSE_FILE 0x00000200u
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400u
#define FILE_ATTRIBUTE_COMPRESSED 0x00000800u
#define FILE_ATTRIBUTE_OFFLINE 0x00001000u

#define FILE_FLAG_WRITE_THROUGH 0x80000000u
#define FILE_FLAG_SEQUENTIAL_SCAN 0x08000000u
// With CREATE_NEW only: a scratch file that disappears when its handle is
// closed, unless ReplaceFileA commits it first (see there).
#define FILE_FLAG_DELETE_ON_CLOSE 0x04000000u

HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                          DWORD disposition, DWORD flags, HANDLE template_file);
BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD to_read, LPDWORD read, LPOVERLAPPED ov);
BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD to_write, LPDWORD written,
                      LPOVERLAPPED ov);
BOOL WINAPI CloseHandle(HANDLE object);
BOOL WINAPI GetFileSizeEx(HANDLE file, PLARGE_INTEGER size);

DWORD WINAPI GetFileAttributesA(LPCSTR name);

// MoveFileA never replaces an existing target (ERROR_ALREADY_EXISTS).
// MoveFileExA with MOVEFILE_REPLACE_EXISTING replaces it in one atomic step;
// with MOVEFILE_WRITE_THROUGH the folder holding the new name is flushed to
// disk before the call returns.
#define MOVEFILE_REPLACE_EXISTING 0x00000001u
#define MOVEFILE_COPY_ALLOWED 0x00000002u
#define MOVEFILE_WRITE_THROUGH 0x00000008u
BOOL WINAPI MoveFileA(LPCSTR existing, LPCSTR new_name);
BOOL WINAPI MoveFileExA(LPCSTR existing, LPCSTR new_name, DWORD flags);

BOOL WINAPI SetCurrentDirectoryA(LPCSTR path);
DWORD WINAPI GetFullPathNameA(LPCSTR name, DWORD size, LPSTR buffer, LPSTR* file_part);

// Puts a fully written replacement file in the place of a file in one
// atomic step: the replacement takes over the replaced file's owner, mode
// and extended attributes (ERROR_EA_ACCESS_DENIED when one cannot be kept),
// is flushed to disk, and is renamed over it; the folder is flushed too.
// The commit is relative to what was read: when a handle opened only for
// reading the replaced name is still open, the file it opened is the one
// replaced, and only if its name still refers to it, unchanged in identity,
// size and times since that open (otherwise ERROR_FILE_INVALID, nothing
// changed); the name is never resolved again. Without such a handle the
// file is taken as it is at the call. A symbolic link resolved at read time
// is followed: its target is replaced and the link stays.
// With a backup name the previous content stays under that name; unlike
// Windows, an existing backup is never overwritten (ERROR_ALREADY_EXISTS,
// nothing changed). The replacement must lie in the same folder as the
// replaced file's target. On failure the replaced file is untouched and the
// replacement is left for the caller to delete. The replacement may be a
// file still open from CreateFileA with FILE_FLAG_DELETE_ON_CLOSE: it is
// committed from its open handle, which then no longer deletes anything.
BOOL WINAPI ReplaceFileA(LPCSTR replaced, LPCSTR replacement, LPCSTR backup, DWORD flags,
                         LPVOID exclude, LPVOID reserved);

// Group commit, an extension of this platform for a program that replaces
// many files in a row. QueueReplaceFileA makes ReplaceFileA's checks and
// takes over the owner, mode and attributes at once (FALSE with its error
// codes, nothing queued), then hands the replacement to committers that
// flush several in parallel and returns. The handle of a scratch
// replacement is spent: the queue owns its content, the handle only needs
// closing, and the file that was read may be closed too. Each replacement
// is later committed exactly as ReplaceFileA commits, checks included, in
// the order of the calls, on the caller's thread, during later calls of
// these functions (which keep a few dozen in flight at most).
BOOL WINAPI QueueReplaceFileA(LPCSTR replaced, LPCSTR replacement, LPCSTR backup);
// The outcome of the oldest queued replace whose outcome was not taken:
// TRUE with *error ERROR_SUCCESS (the file was replaced) or the code
// ReplaceFileA would have failed with. FALSE with ERROR_IO_PENDING while it
// is not decided (never when wait), ERROR_NO_MORE_ITEMS when none is left.
BOOL WINAPI GetQueuedReplaceResult(BOOL wait, LPDWORD error);
// Commits every queued replace and flushes each folder they changed, once;
// their outcomes stay to be taken. Until it returns, a commit may not
// survive a crash (the file then keeps its previous content).
BOOL WINAPI FlushQueuedReplaces();

// Creates a uniquely named empty file "<prefix><hex>.tmp" in a folder.
UINT WINAPI GetTempFileNameA(LPCSTR path, LPCSTR prefix, UINT unique, LPSTR temp_name);

// The final path of an open file, with every symbolic link resolved
// (VOLUME_NAME_DOS form, "C:\..."; the "\\?\" prefix is left out here).
DWORD WINAPI GetFinalPathNameByHandleA(HANDLE file, LPSTR buffer, DWORD size, DWORD flags);

// ---------------------------------------------------------------------------
// Drives
// ---------------------------------------------------------------------------
#define DRIVE_UNKNOWN 0
#define DRIVE_NO_ROOT_DIR 1
#define DRIVE_REMOVABLE 2
#define DRIVE_FIXED 3
#define DRIVE_REMOTE 4
#define DRIVE_CDROM 5
#define DRIVE_RAMDISK 6

DWORD WINAPI GetLogicalDrives(void);
UINT WINAPI GetDriveTypeA(LPCSTR root);

// ---------------------------------------------------------------------------
// Times
// ---------------------------------------------------------------------------
typedef struct _FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
} FILETIME, *LPFILETIME;
typedef const FILETIME* LPCFILETIME;

typedef struct _SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
} SYSTEMTIME, *LPSYSTEMTIME;
typedef const SYSTEMTIME* LPCSYSTEMTIME;

BOOL WINAPI FileTimeToSystemTime(LPCFILETIME file_time, LPSYSTEMTIME system_time);
BOOL WINAPI SystemTimeToFileTime(LPCSYSTEMTIME system_time, LPFILETIME file_time);
LONG WINAPI CompareFileTime(LPCFILETIME a, LPCFILETIME b);

// ---------------------------------------------------------------------------
// Folder listing
// ---------------------------------------------------------------------------
typedef struct _WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[MAX_PATH];
  CHAR cAlternateFileName[14];
} WIN32_FIND_DATAA, *LPWIN32_FIND_DATAA;
typedef WIN32_FIND_DATAA WIN32_FIND_DATA;

// An open file's identity: the volume serial number and the file index
// together name one file however many names it has (a Linux device and
// inode), and nNumberOfLinks counts its hard links.
typedef struct _BY_HANDLE_FILE_INFORMATION {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD dwVolumeSerialNumber;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD nNumberOfLinks;
  DWORD nFileIndexHigh;
  DWORD nFileIndexLow;
} BY_HANDLE_FILE_INFORMATION, *LPBY_HANDLE_FILE_INFORMATION;
BOOL WINAPI GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information);

// "*" and "?" are allowed in the last component only.
HANDLE WINAPI FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data);
typedef enum _FINDEX_INFO_LEVELS { FindExInfoStandard, FindExInfoBasic } FINDEX_INFO_LEVELS;
typedef enum _FINDEX_SEARCH_OPS { FindExSearchNameMatch } FINDEX_SEARCH_OPS;
#define FIND_FIRST_EX_LARGE_FETCH 0x00000002
// This platform's own flag. On Windows a listing's attributes, times and
// sizes come with the names; here each costs a system call per entry. With
// this flag, plain folders and regular files are listed with their
// directory and hidden attributes only: no times, size 0, not read-only.
// Links and entries of unknown type are described in full.
#define FIND_FIRST_EX_NAMES_ONLY 0x80000000
HANDLE WINAPI FindFirstFileExA(LPCSTR pattern, FINDEX_INFO_LEVELS level, LPVOID data,
                               FINDEX_SEARCH_OPS search, LPVOID filter, DWORD flags);
BOOL WINAPI FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA data);
BOOL WINAPI FindClose(HANDLE find);

// What a listing says of one entry, without a find handle.
typedef enum _GET_FILEEX_INFO_LEVELS { GetFileExInfoStandard } GET_FILEEX_INFO_LEVELS;
typedef struct _WIN32_FILE_ATTRIBUTE_DATA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
} WIN32_FILE_ATTRIBUTE_DATA, *LPWIN32_FILE_ATTRIBUTE_DATA;
BOOL WINAPI GetFileAttributesExA(LPCSTR name, GET_FILEEX_INFO_LEVELS level, LPVOID information);

// ---------------------------------------------------------------------------
// Memory maps: whole-file, read-only views
// ---------------------------------------------------------------------------
#define PAGE_READONLY 0x02
#define FILE_MAP_READ 0x0004

HANDLE WINAPI CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES sa, DWORD protect,
                                 DWORD size_high, DWORD size_low, LPCSTR name);
LPVOID WINAPI MapViewOfFile(HANDLE mapping, DWORD access, DWORD offset_high, DWORD offset_low,
                            SIZE_T bytes);
BOOL WINAPI UnmapViewOfFile(LPCVOID base);

// ---------------------------------------------------------------------------
// Process heap
// ---------------------------------------------------------------------------
#define HEAP_ZERO_MEMORY 0x00000008u

HANDLE WINAPI GetProcessHeap(void);
LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);
BOOL WINAPI HeapFree(HANDLE heap, DWORD flags, LPVOID block);

// ---------------------------------------------------------------------------
// Registry (HKEY_CURRENT_USER only)
// ---------------------------------------------------------------------------
#define HKEY_CURRENT_USER ((HKEY)(uintptr_t)0x80000001u)

#define REG_NONE 0
#define REG_SZ 1
#define REG_BINARY 3
#define REG_DWORD 4

#define REG_OPTION_NON_VOLATILE 0
#define REG_CREATED_NEW_KEY 1
#define REG_OPENED_EXISTING_KEY 2

#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F

LSTATUS WINAPI RegCreateKeyExA(HKEY key, LPCSTR sub_key, DWORD reserved, LPSTR class_name,
                               DWORD options, REGSAM sam, LPSECURITY_ATTRIBUTES sa, PHKEY result,
                               LPDWORD disposition);
LSTATUS WINAPI RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD options, REGSAM sam, PHKEY result);
LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR value_name, LPDWORD reserved, LPDWORD type,
                                LPBYTE data, LPDWORD data_size);
LSTATUS WINAPI RegSetValueExA(HKEY key, LPCSTR value_name, DWORD reserved, DWORD type,
                              const BYTE* data, DWORD data_size);
LSTATUS WINAPI RegDeleteValueA(HKEY key, LPCSTR value_name);
LSTATUS WINAPI RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD name_size,
                             LPDWORD reserved, LPSTR class_name, LPDWORD class_size,
                             FILETIME* last_write);
// Deletes a key that has no subkeys (ERROR_ACCESS_DENIED otherwise), with its values.
LSTATUS WINAPI RegDeleteKeyA(HKEY key, LPCSTR sub_key);
LSTATUS WINAPI RegCloseKey(HKEY key);

// ---------------------------------------------------------------------------
// Console
// ---------------------------------------------------------------------------
#define STD_INPUT_HANDLE ((DWORD)-10)
#define STD_OUTPUT_HANDLE ((DWORD)-11)
#define STD_ERROR_HANDLE ((DWORD)-12)

#define KEY_EVENT 0x0001
#define MOUSE_EVENT 0x0002
#define WINDOW_BUFFER_SIZE_EVENT 0x0004

#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_F1 0x70
#define VK_F2 0x71
#define VK_F3 0x72
#define VK_F4 0x73
#define VK_F5 0x74
#define VK_F6 0x75
#define VK_F7 0x76
#define VK_F8 0x77
#define VK_F9 0x78
#define VK_F10 0x79
#define VK_F11 0x7A
#define VK_F12 0x7B

#define RIGHT_ALT_PRESSED 0x0001
#define LEFT_ALT_PRESSED 0x0002
#define RIGHT_CTRL_PRESSED 0x0004
#define LEFT_CTRL_PRESSED 0x0008
#define SHIFT_PRESSED 0x0010

typedef struct _KEY_EVENT_RECORD {
  BOOL bKeyDown;
  WORD wRepeatCount;
  WORD wVirtualKeyCode;
  WORD wVirtualScanCode;
  union {
    WCHAR UnicodeChar;
    CHAR AsciiChar;
  } uChar;
  DWORD dwControlKeyState;
} KEY_EVENT_RECORD;

typedef struct _INPUT_RECORD {
  WORD EventType;
  union {
    KEY_EVENT_RECORD KeyEvent;
  } Event;
} INPUT_RECORD, *PINPUT_RECORD;

HANDLE WINAPI GetStdHandle(DWORD which);
BOOL WINAPI PeekConsoleInputA(HANDLE input, PINPUT_RECORD buffer, DWORD length, LPDWORD read);
BOOL WINAPI ReadConsoleInputA(HANDLE input, PINPUT_RECORD buffer, DWORD length, LPDWORD read);
BOOL WINAPI SetConsoleTitleA(LPCSTR title);
void WINAPI Sleep(DWORD milliseconds);

// ---------------------------------------------------------------------------
// Code pages and letter case
// ---------------------------------------------------------------------------
#define CP_ACP 0
#define CP_OEMCP 1
#define CP_UTF8 65001

#define MB_PRECOMPOSED 0x00000001
#define MB_ERR_INVALID_CHARS 0x00000008
#define WC_NO_BEST_FIT_CHARS 0x00000400

UINT WINAPI GetACP(void);    // 1251
// Code pages: CP_ACP, CP_OEMCP, 866, 1251, 20866 (KOI8-R), 28595 (ISO-8859-5), CP_UTF8.
int WINAPI MultiByteToWideChar(UINT code_page, DWORD flags, LPCSTR text, int length,
                               LPWSTR wide, int wide_size);
int WINAPI WideCharToMultiByte(UINT code_page, DWORD flags, LPCWSTR wide, int length,
                               LPSTR text, int size, LPCSTR default_char, LPBOOL used_default);
BOOL WINAPI OemToCharBuffA(LPCSTR source, LPSTR dest, DWORD length);
BOOL WINAPI CharToOemBuffA(LPCSTR source, LPSTR dest, DWORD length);
// Letter case of ANSI (1251) text. As on Windows, a "string" whose high word
// is zero is a single character, and the converted character is returned.
LPSTR WINAPI CharUpperA(LPSTR text);
LPSTR WINAPI CharLowerA(LPSTR text);

}  // extern "C"
