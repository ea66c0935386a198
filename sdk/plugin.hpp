// The file manager's 1.x plugin interface: the records, constants and service
// signatures that the host and the module exchange. All text is single-byte
// OEM (code page 866). Record sizes are this ABI's (pointers are 8 bytes);
// StructSize fields hold sizeof of these records. Fixed text fields keep
// their published sizes.
#pragma once

#include <cstdint>

#include "platform/win32.hpp"

#define NM 260  // size of the path fields of the records below

typedef intptr_t LONG_PTR;
typedef uintptr_t DWORD_PTR;

// The module exports its entry points by name and nothing else.
#define FAR_EXPORT extern "C" __attribute__((visibility("default")))

// ---------------------------------------------------------------------------
// Messages, menus
// ---------------------------------------------------------------------------
inline constexpr unsigned FMSG_WARNING = 0x00000001;
inline constexpr unsigned FMSG_ERRORTYPE = 0x00000002;
inline constexpr unsigned FMSG_KEEPBACKGROUND = 0x00000004;
inline constexpr unsigned FMSG_DOWN = 0x00000008;
inline constexpr unsigned FMSG_LEFTALIGN = 0x00000010;

inline constexpr unsigned FMENU_SHOWAMPERSAND = 0x0001;
inline constexpr unsigned FMENU_WRAPMODE = 0x0002;
inline constexpr unsigned FMENU_AUTOHIGHLIGHT = 0x0004;

struct FarMenuItem {
  char Text[128];
  int Selected;
  int Checked;
  int Separator;
};

// ---------------------------------------------------------------------------
// Dialogs
// ---------------------------------------------------------------------------
enum DialogItemTypes {
  DI_TEXT = 0,
  DI_VTEXT = 1,
  DI_SINGLEBOX = 2,
  DI_DOUBLEBOX = 3,
  DI_EDIT = 4,
  DI_PSWEDIT = 5,
  DI_FIXEDIT = 6,
  DI_BUTTON = 7,
  DI_CHECKBOX = 8,
  DI_RADIOBUTTON = 9,
};

inline constexpr unsigned DIF_COLORMASK = 0x000000ff;
inline constexpr unsigned DIF_SETCOLOR = 0x00000100;
inline constexpr unsigned DIF_BOXCOLOR = 0x00000200;
inline constexpr unsigned DIF_GROUP = 0x00000400;
inline constexpr unsigned DIF_LEFTTEXT = 0x00000800;
inline constexpr unsigned DIF_MOVESELECT = 0x00001000;
inline constexpr unsigned DIF_SHOWAMPERSAND = 0x00002000;
inline constexpr unsigned DIF_CENTERGROUP = 0x00004000;
inline constexpr unsigned DIF_NOBRACKETS = 0x00008000;
inline constexpr unsigned DIF_SEPARATOR = 0x00010000;
inline constexpr unsigned DIF_EDITOR = 0x00020000;
inline constexpr unsigned DIF_HISTORY = 0x00040000;
inline constexpr unsigned DIF_3STATE = 0x00800000;

struct FarDialogItem {
  int Type;
  int X1, Y1, X2, Y2;
  int Focus;
  union {
    int Selected;
    const char* History;  // history name of an edit field with DIF_HISTORY
  };
  DWORD Flags;
  int DefaultButton;
  char Data[512];
};

typedef LONG_PTR(WINAPI* FARWINDOWPROC)(HANDLE dialog, int message, int param1, LONG_PTR param2);

// ---------------------------------------------------------------------------
// Panels
// ---------------------------------------------------------------------------
inline constexpr unsigned PPIF_USERDATA = 0x20000000;
inline constexpr unsigned PPIF_SELECTED = 0x40000000;
inline constexpr unsigned PPIF_PROCESSDESCR = 0x80000000;

struct PluginPanelItem {
  WIN32_FIND_DATAA FindData;
  DWORD PackSizeHigh;
  DWORD PackSize;
  DWORD Flags;
  DWORD NumberOfLinks;
  char* Description;
  char* Owner;
  char** CustomColumnData;
  int CustomColumnNumber;
  DWORD_PTR UserData;
  DWORD CRC32;
  DWORD_PTR Reserved[2];
};

enum PanelType {
  PTYPE_FILEPANEL = 0,
  PTYPE_TREEPANEL = 1,
  PTYPE_QVIEWPANEL = 2,
  PTYPE_INFOPANEL = 3,
};

struct SmallRect {
  int left, top, right, bottom;
};

struct PanelInfo {
  int StructSize;
  int PanelType;
  int Plugin;
  SmallRect PanelRect;
  PluginPanelItem* PanelItems;  // owned by the host, valid until the next panel call
  int ItemsNumber;
  PluginPanelItem* SelectedItems;
  int SelectedItemsNumber;
  int CurrentItem;
  int TopPanelItem;
  int Visible;
  int Focus;
  int ViewMode;
  char ColumnTypes[80];
  char ColumnWidths[80];
  char CurDir[NM];
  int ShortNames;
  int SortMode;
  DWORD Flags;
  DWORD Reserved;
};

struct PanelRedrawInfo {
  int CurrentItem;
  int TopPanelItem;
};

enum FileControlCommands {
  FCTL_CLOSEPLUGIN = 0,
  FCTL_GETPANELINFO = 1,
  FCTL_GETANOTHERPANELINFO = 2,
  FCTL_UPDATEPANEL = 3,
  FCTL_UPDATEANOTHERPANEL = 4,
  FCTL_REDRAWPANEL = 5,
  FCTL_REDRAWANOTHERPANEL = 6,
  FCTL_SETANOTHERPANELDIR = 7,
  FCTL_GETCMDLINE = 8,
  FCTL_SETCMDLINE = 9,
  FCTL_SETSELECTION = 10,
  FCTL_SETANOTHERSELECTION = 11,
  FCTL_SETVIEWMODE = 12,
  FCTL_SETANOTHERVIEWMODE = 13,
  FCTL_INSERTCMDLINE = 14,
  FCTL_SETUSERSCREEN = 15,
  FCTL_SETPANELDIR = 16,
};

// ---------------------------------------------------------------------------
// Match reports: a private Control command of this host family
// ---------------------------------------------------------------------------
// A file search reports each file it lists, as it finds it, with
// Control(INVALID_HANDLE_VALUE, FCTL_REPORTMATCH, &report). A host without
// the command returns FALSE (as a 1.x host does for any command it does not
// know); the module then sends no more reports until its next command. The
// module's results, questions and settings are the same either way.
//
// MRK_FILE: a listed file. LinesAvailable says whether the module can tell
// the lines that made it match (not for an inverse search or a search
// without text). The host sets WantLines to have them; only then does the
// module look for them, at once, before the next file.
// MRK_LINE: one such line of the file of the last MRK_FILE, in file order,
// each line once; the host returns FALSE when it wants no more of them.
// MRK_LINESEND: the lines of that file are over (sent whenever the host
// set WantLines, also when there were none).
inline constexpr int FCTL_REPORTMATCH = 0x46580001;

enum MatchReportKinds {
  MRK_FILE = 0,
  MRK_LINE = 1,
  MRK_LINESEND = 2,
};

struct MatchReport {
  int StructSize;
  int Kind;              // MatchReportKinds
  const char* FileName;  // as the results list names the file
  int LinesAvailable;    // MRK_FILE
  int WantLines;         // MRK_FILE, set by the host
  int64_t LineNumber;    // MRK_LINE, from 1
  const char* LineText;  // MRK_LINE: the line's bytes as stored, without its line end
  size_t LineLength;
  // MRK_LINE: the character table the match was found through: -1 the OEM
  // code page, else the number the CharTable service gives the table.
  int CharTable;
};

// ---------------------------------------------------------------------------
// Editor
// ---------------------------------------------------------------------------
enum EditorControlCommands {
  ECTL_GETSTRING = 0,
  ECTL_SETSTRING = 1,
  ECTL_INSERTSTRING = 2,
  ECTL_DELETESTRING = 3,
  ECTL_DELETECHAR = 4,
  ECTL_INSERTTEXT = 5,
  ECTL_GETINFO = 6,
  ECTL_SETPOSITION = 7,
  ECTL_SELECT = 8,
  ECTL_REDRAW = 9,
  ECTL_EDITORTOOEM = 10,
  ECTL_OEMTOEDITOR = 11,
  ECTL_TABTOREAL = 12,
  ECTL_REALTOTAB = 13,
};

enum EditorBlockTypes {
  BTYPE_NONE = 0,
  BTYPE_STREAM = 1,
  BTYPE_COLUMN = 2,
};

struct EditorInfo {
  int EditorID;
  const char* FileName;
  int WindowSizeX;
  int WindowSizeY;
  int TotalLines;
  int CurLine;
  int CurPos;
  int CurTabPos;
  int TopScreenLine;
  int LeftPos;
  int Overtype;
  int BlockType;
  int BlockStartLine;
  int AnsiMode;
  int TableNum;
  DWORD Options;
  int TabSize;
  int BookMarkCount;
  DWORD CurState;
  DWORD Reserved[6];
};

struct EditorGetString {
  int StringNumber;  // -1: the current line
  const char* StringText;
  const char* StringEOL;
  int StringLength;
  int SelStart;  // -1: the line has no selection
  int SelEnd;    // -1: the selection runs past the end of the line
};

struct EditorSetString {
  int StringNumber;
  const char* StringText;
  const char* StringEOL;
  int StringLength;
};

struct EditorSetPosition {  // -1 in a field leaves it unchanged
  int CurLine;
  int CurPos;
  int CurTabPos;
  int TopScreenLine;
  int LeftPos;
  int Overtype;
};

struct EditorSelect {
  int BlockType;
  int BlockStartLine;
  int BlockStartPos;
  int BlockWidth;
  int BlockHeight;
};

struct EditorConvertText {
  char* Text;
  int TextLength;
};

struct EditorConvertPos {
  int StringNumber;
  int SrcPos;
  int DestPos;
};

// ---------------------------------------------------------------------------
// Character tables
// ---------------------------------------------------------------------------
struct CharTableSet {
  unsigned char DecodeTable[256];  // table byte -> OEM byte
  unsigned char EncodeTable[256];  // OEM byte -> table byte
  unsigned char UpperTable[256];
  unsigned char LowerTable[256];
  char TableName[128];
};
static_assert(sizeof(CharTableSet) == 1152);

// ---------------------------------------------------------------------------
// Plugin registration and the results panel
// ---------------------------------------------------------------------------
inline constexpr unsigned PF_PRELOAD = 0x0001;
inline constexpr unsigned PF_DISABLEPANELS = 0x0002;
inline constexpr unsigned PF_EDITOR = 0x0004;
inline constexpr unsigned PF_VIEWER = 0x0008;

struct PluginInfo {
  int StructSize;
  DWORD Flags;
  const char* const* DiskMenuStrings;
  int* DiskMenuNumbers;
  int DiskMenuStringsNumber;
  const char* const* PluginMenuStrings;
  int PluginMenuStringsNumber;
  const char* const* PluginConfigStrings;
  int PluginConfigStringsNumber;
  const char* CommandPrefix;
  DWORD Reserved;
};

enum OpenPluginFrom {
  OPEN_DISKMENU = 0,
  OPEN_PLUGINSMENU = 1,
  OPEN_FINDLIST = 2,
  OPEN_SHORTCUT = 3,
  OPEN_COMMANDLINE = 4,
  OPEN_EDITOR = 5,
  OPEN_VIEWER = 6,
};

enum OperationModes {
  OPM_SILENT = 0x0001,
  OPM_FIND = 0x0002,
  OPM_VIEW = 0x0004,
  OPM_EDIT = 0x0008,
  OPM_TOPLEVEL = 0x0010,
  OPM_DESCR = 0x0020,
};

inline constexpr unsigned OPIF_USEFILTER = 0x00000001;
inline constexpr unsigned OPIF_USESORTGROUPS = 0x00000002;
inline constexpr unsigned OPIF_USEHIGHLIGHTING = 0x00000004;
inline constexpr unsigned OPIF_ADDDOTS = 0x00000008;
inline constexpr unsigned OPIF_RAWSELECTION = 0x00000010;
inline constexpr unsigned OPIF_REALNAMES = 0x00000020;
inline constexpr unsigned OPIF_SHOWNAMESONLY = 0x00000040;
inline constexpr unsigned OPIF_SHOWRIGHTALIGNNAMES = 0x00000080;

struct InfoPanelLine {
  char Text[80];
  char Data[80];
  int Separator;
};

struct PanelMode {
  char* ColumnTypes;
  char* ColumnWidths;
  char** ColumnTitles;
  int FullScreen;
  int DetailedStatus;
  int AlignExtensions;
  int CaseConversion;
  char* StatusColumnTypes;
  char* StatusColumnWidths;
  DWORD Reserved[2];
};

struct KeyBarTitles {
  char* Titles[12];
  char* CtrlTitles[12];
  char* AltTitles[12];
  char* ShiftTitles[12];
  char* CtrlShiftTitles[12];
  char* AltShiftTitles[12];
  char* CtrlAltTitles[12];
};

struct OpenPluginInfo {
  int StructSize;
  DWORD Flags;
  const char* HostFile;
  const char* CurDir;
  const char* Format;
  const char* PanelTitle;
  const InfoPanelLine* InfoLines;
  int InfoLinesNumber;
  const char* const* DescrFiles;
  int DescrFilesNumber;
  const PanelMode* PanelModesArray;
  int PanelModesNumber;
  int StartPanelMode;
  int StartSortMode;
  int StartSortOrder;
  const KeyBarTitles* KeyBar;
  const char* ShortcutData;
  long Reserved;
};

// ---------------------------------------------------------------------------
// The service table
// ---------------------------------------------------------------------------
typedef int(WINAPI* FARAPIMENU)(int plugin_number, int x, int y, int max_height, unsigned flags,
                                const char* title, const char* bottom, const char* help_topic,
                                const int* break_keys, int* break_code,
                                const FarMenuItem* items, int items_number);
typedef int(WINAPI* FARAPIDIALOG)(int plugin_number, int x1, int y1, int x2, int y2,
                                  const char* help_topic, FarDialogItem* items, int items_number);
typedef int(WINAPI* FARAPIDIALOGEX)(int plugin_number, int x1, int y1, int x2, int y2,
                                    const char* help_topic, FarDialogItem* items,
                                    int items_number, DWORD reserved, DWORD flags,
                                    FARWINDOWPROC dialog_proc, LONG_PTR param);
typedef int(WINAPI* FARAPIMESSAGE)(int plugin_number, unsigned flags, const char* help_topic,
                                   const char* const* items, int items_number,
                                   int buttons_number);
typedef const char*(WINAPI* FARAPIGETMSG)(int plugin_number, int message_id);
typedef int(WINAPI* FARAPICONTROL)(HANDLE plugin, int command, void* param);
typedef HANDLE(WINAPI* FARAPISAVESCREEN)(int x1, int y1, int x2, int y2);
typedef void(WINAPI* FARAPIRESTORESCREEN)(HANDLE screen);
typedef int(WINAPI* FARAPICHARTABLE)(int command, char* buffer, int buffer_size);
typedef void(WINAPI* FARAPITEXT)(int x, int y, int color, const char* text);
typedef int(WINAPI* FARAPIEDITORCONTROL)(int command, void* param);

struct PluginStartupInfo {
  int StructSize;
  char ModuleName[NM];
  int ModuleNumber;
  const char* RootKey;
  FARAPIMENU Menu;
  FARAPIDIALOG Dialog;
  FARAPIMESSAGE Message;
  FARAPIGETMSG GetMsg;
  FARAPICONTROL Control;
  FARAPISAVESCREEN SaveScreen;
  FARAPIRESTORESCREEN RestoreScreen;
  FARAPICHARTABLE CharTable;
  FARAPITEXT Text;
  FARAPIEDITORCONTROL EditorControl;
  FARAPIDIALOGEX DialogEx;
};

// ---------------------------------------------------------------------------
// The module's exports, as the host looks them up by name
// ---------------------------------------------------------------------------
typedef void(WINAPI* SetStartupInfoFn)(const PluginStartupInfo* info);
typedef void(WINAPI* GetPluginInfoFn)(PluginInfo* info);
typedef HANDLE(WINAPI* OpenPluginFn)(int open_from, intptr_t item);
typedef int(WINAPI* ConfigureFn)(int item_number);
typedef void(WINAPI* ExitFARFn)(void);
typedef void(WINAPI* GetOpenPluginInfoFn)(HANDLE plugin, OpenPluginInfo* info);
typedef int(WINAPI* GetFindDataFn)(HANDLE plugin, PluginPanelItem** items, int* items_number,
                                   int op_mode);
typedef int(WINAPI* SetDirectoryFn)(HANDLE plugin, const char* dir, int op_mode);
typedef int(WINAPI* ProcessKeyFn)(HANDLE plugin, int key, unsigned control_state);
typedef void(WINAPI* ClosePluginFn)(HANDLE plugin);

// Control-state bits of ProcessKey.
inline constexpr unsigned PKF_CONTROL = 0x00000001;
inline constexpr unsigned PKF_ALT = 0x00000002;
inline constexpr unsigned PKF_SHIFT = 0x00000004;

// Key codes of ProcessKey: a character arrives as its code page 866 byte, so
// Backspace, Tab, Enter and Esc arrive as their control codes; every other
// key is KEY_VIRTUAL plus its Windows virtual key.
inline constexpr int KEY_BS = 0x08;
inline constexpr int KEY_TAB = 0x09;
inline constexpr int KEY_ENTER = 0x0D;
inline constexpr int KEY_ESC = 0x1B;
inline constexpr int KEY_VIRTUAL = 0x100;
inline constexpr int KEY_F7 = KEY_VIRTUAL + VK_F7;
