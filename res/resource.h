/* Resource ids of Velmo Clipboard, shared by the C++ code and VelmoClipboard.rc.
   Only plain #defines here: windres reads this file too. */
#ifndef VELMO_RESOURCE_H
#define VELMO_RESOURCE_H

/* The program icon. It has the lowest id so that Explorer shows it for the .exe. */
#define IDI_PROGRAM 1

/* Menu icons: the id of a menu image is IDI_MENU_BASE + its index in the menu image list. */
#define IDI_MENU_BASE 100

#define IDI_MENU_EXIT          100
#define IDI_MENU_SHOW          101
#define IDI_MENU_REMOVE_FORMAT 106
#define IDI_MENU_SHORTCUT      107
#define IDI_MENU_OPTIONS       108
#define IDI_MENU_KEEP_FORMAT   109
#define IDI_MENU_SAVE          110
#define IDI_MENU_ABOUT         111
#define IDI_MENU_CANCEL        112
#define IDI_MENU_FLAG_DE       113
#define IDI_MENU_FLAG_PL       114
#define IDI_MENU_FLAG_EN       115
#define IDI_MENU_HELP          117

/* The folder glyph on the browse button of the folder picker field. */
#define IDI_DIRECTORY_GLYPH 200

#endif
