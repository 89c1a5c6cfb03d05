// The one table of resource ids: menus, dialogs, controls, strings, bitmaps.
// Portable code may include it (plain #defines only).
#pragma once

// Strings used by the portable core
#define IDS_TITLE               1
#define IDS_CAPTION             2
#define IDS_CONFIRM_EXIT        3
#define IDS_INVALID_INPUT       256
#define IDS_PORT_INIT_FAILED    257
#define IDS_COMM_ERROR          258
#define IDS_DEFINITION_READ_FAILED 260
#define IDS_DATA_READ_FAILED    261
#define IDS_DATA_WRITE_FAILED   262
#define IDS_POINT_READ_FAILED   263
#define IDS_POINT_WRITE_FAILED  264
#define IDS_ERROR_REPLY         265
#define IDS_BAD_REPLY_FORMAT    266
