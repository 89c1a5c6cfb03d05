// The one table of resource ids: menus, dialogs, controls, strings, bitmaps.
// Portable code may include it (plain #defines only); the resource script does too.
#pragma once

// ---- Icon, menu, bitmaps, animation
#define IDI_QZSETUP             101
#define IDM_MAIN                103
#define IDB_LED_OFF             116
#define IDB_LED_ON              117
#define IDB_LAMP_FIRST          119   // 119-139: carried, painted by nobody
#define IDB_LAMP_LAST           139
#define IDB_JOG_FWD_UP          140
#define IDB_JOG_FWD_DOWN        142
#define IDB_JOG_FWD_FOCUS       144
#define IDB_JOG_REV_UP          145
#define IDB_JOG_REV_DOWN        146
#define IDB_JOG_REV_FOCUS       147
#define IDR_BUSY_AVI            199

// ---- Dialog templates
#define IDD_VERSION             102
#define IDD_CONNECT             104
#define IDD_VALUE_MONITOR       106
#define IDD_INPUT_MONITOR       109
#define IDD_MOTION_MONITOR      110
#define IDD_SERVO_PARAM_LIST    111
#define IDD_ALARM_MONITOR       113
#define IDD_JOG                 115
#define IDD_HOMING              117
#define IDD_POSITIONING         119
#define IDD_STEP                122
#define IDD_EXTERNAL_SIGNAL     125
#define IDD_POINT_SETTING       129
#define IDD_SERVO_ONOFF         131
#define IDD_MODULE_RESET        132
#define IDD_POINT_OPERATION     133
#define IDD_POINT_VERIFY        134
#define IDD_POINT_LIST          135
#define IDD_MULTI_SPEED         136
#define IDD_PASS_POINT          137
#define IDD_STATION             138
#define IDD_TRANSFER_SAVE       139
#define IDD_TRANSFER_LOAD       140
#define IDD_EDIT_DECIMAL        141
#define IDD_EDIT_BITS           142
#define IDD_EDIT_SELECTION      143
#define IDD_EDIT_DIGITS         144
#define IDD_BRAKE_ONOFF         148
#define IDD_IDENTIFICATION      151
#define IDD_OUTPUT_MONITOR      154
#define IDD_ENVIRONMENT         155
#define IDD_PARAM_VERIFY        156
#define IDD_EDIT_HEX            157
#define IDD_ALARM_HISTORY       159
#define IDD_MEMORY_READ         160
#define IDD_MEMORY_WRITE        161
#define IDD_OUTPUT_PORT         196
#define IDD_OPTION_PARAM_LIST   199
#define IDD_TREND_MONITOR       200   // our own addition

// ---- Main window
#define IDC_STATUS_BAR          1100

// ---- Version dialog (102)
#define IDC_VERSION_TEXT        1365
#define IDC_VERSION_OK          1366

// ---- Connection dialog (104)
#define IDC_CONNECT_COM1        1000
#define IDC_CONNECT_COM2        1001
#define IDC_CONNECT_COM3        1002
#define IDC_CONNECT_BAUD        1003
#define IDC_CONNECT_DATA_BITS   1004
#define IDC_CONNECT_PARITY      1005
#define IDC_CONNECT_STOP_BITS   1006
#define IDC_CONNECT_OTHER       1007   // fourth radio: the port of the drop-down
#define IDC_CONNECT_OTHER_PORT  1008
#define IDC_CONNECT_OK          1366

// ---- Environment settings dialog (155)
#define IDC_ENV_INTERVAL        1068
#define IDC_ENV_DISPLAY_UNIT    1069
#define IDC_ENV_COMMAND_UNIT    1238
#define IDC_ENV_SET             1366

// ---- Transfer dialogs: save 139, load 140, point-table verify 134, parameter verify 156
//      (list IDC_LIST, progress IDC_PROGRESS, label IDC_PROGRESS_LABEL, Cancel IDCANCEL)
#define IDC_TRANSFER_PROGRESS   1289
#define IDC_TRANSFER_LABEL      1078
#define IDC_VERIFY_LIST         1040

// ---- Parameter lists 111 and 199, editors 141 (D), 157 (H), 142 (B), 143 (S), 144 (N)
//      (list IDC_LIST, progress IDC_PROGRESS, label IDC_PROGRESS_LABEL, Cancel IDCANCEL)
#define IDC_PARAM_LIST_EDIT     1048
#define IDC_PARAM_NUMBER        1169  // editors: "Pn****"
#define IDC_PARAM_NAME          1124
#define IDC_PARAM_SET           1366
#define IDC_PARAM_VALUE         1070  // D, H: value edit and unit
#define IDC_PARAM_UNIT          1069
#define IDC_PARAM_SELECTION     1108  // S: choice combo
// B (rows 1-16) and N (rows 1-4): labels and combos of each row
#define IDC_PARAM_LABEL1        1267
#define IDC_PARAM_LABEL2        1126
#define IDC_PARAM_LABEL3        1127
#define IDC_PARAM_LABEL4        1128
#define IDC_PARAM_LABEL5        1129
#define IDC_PARAM_LABEL6        1130
#define IDC_PARAM_LABEL7        1131
#define IDC_PARAM_LABEL8        1132
#define IDC_PARAM_LABEL9        1133
#define IDC_PARAM_LABEL10       1134
#define IDC_PARAM_LABEL11       1135
#define IDC_PARAM_LABEL12       1136
#define IDC_PARAM_LABEL13       1137
#define IDC_PARAM_LABEL14       1154
#define IDC_PARAM_LABEL15       1155
#define IDC_PARAM_LABEL16       1157
#define IDC_PARAM_COMBO1        1138
#define IDC_PARAM_COMBO2        1139
#define IDC_PARAM_COMBO3        1140
#define IDC_PARAM_COMBO4        1141
#define IDC_PARAM_COMBO5        1142
#define IDC_PARAM_COMBO6        1143
#define IDC_PARAM_COMBO7        1144
#define IDC_PARAM_COMBO8        1145
#define IDC_PARAM_COMBO9        1146
#define IDC_PARAM_COMBO10       1147
#define IDC_PARAM_COMBO11       1148
#define IDC_PARAM_COMBO12       1149
#define IDC_PARAM_COMBO13       1150
#define IDC_PARAM_COMBO14       1151
#define IDC_PARAM_COMBO15       1152
#define IDC_PARAM_COMBO16       1153

// ---- Point-table list 135 and point-table setting 129
//      (the list uses IDC_LIST, IDC_PROGRESS, IDC_PROGRESS_LABEL and IDCANCEL)
#define IDC_POINT_SETTING_NUMBER        1139
#define IDC_POINT_SETTING_SPEED         1059
#define IDC_POINT_SETTING_SPEED_UNIT    1268
#define IDC_POINT_SETTING_CURRENT       1140
#define IDC_POINT_SETTING_ENTERED       1141
#define IDC_POINT_SETTING_POSITION      1060
#define IDC_POINT_SETTING_POSITION_UNIT 1269
#define IDC_POINT_SETTING_SET           1366

// ---- Operation dialogs: jog 115, step 122, positioning 119, point-table 133, station 138,
//      external signal 125, multi-speed 136, pass point 137, homing 117
#define IDC_OP_FORWARD          1054   // jog: hold-to-run; step: one step forward
#define IDC_OP_REVERSE          1055
#define IDC_OP_SPEED            1059
#define IDC_OP_POSITION         1060   // target position; step: typed distance
#define IDC_OP_START            1061
#define IDC_OP_INTERVAL         1068
#define IDC_OP_STOP             1096
#define IDC_OP_ABS              1101
#define IDC_OP_INC              1102
#define IDC_OP_SPEED_PARAM      1106
#define IDC_OP_SPEED_CURRENT    1107
#define IDC_OP_REPEAT           1109
#define IDC_OP_ACCEL_PARAM      1143
#define IDC_OP_ACCEL_CHOICE     1144
#define IDC_OP_FILTER_PARAM     1146
#define IDC_OP_FILTER_CHOICE    1147
#define IDC_OP_SPEED_TYPED      1149
#define IDC_OP_STOP_DEC         1150
#define IDC_OP_STOP_ZERO        1151
#define IDC_OP_SPEED_UNIT       1268
#define IDC_OP_POSITION_UNIT    1269
// Step 122
#define IDC_OP_STEP_BY_PARAM    1243
#define IDC_OP_STEP_TYPED       1244
#define IDC_OP_STEP_PARAMETER   1265
// Point-table 133
#define IDC_OP_POINT            1238
// Station 138
#define IDC_OP_STATION_FORWARD  1116
#define IDC_OP_STATION_REVERSE  1117
#define IDC_OP_STATION          1119
// External signal 125
#define IDC_OP_EXT_DISTANCE     1108
#define IDC_OP_EXT_SPEED        1110
#define IDC_OP_EXT_SPEED_PARAM  1243
#define IDC_OP_EXT_SPEED_TYPED  1244
#define IDC_OP_EXT_DISTANCE_PARAM 1245
#define IDC_OP_EXT_DISTANCE_TYPED 1246
#define IDC_OP_EXT_DISTANCE_UNIT 1277
#define IDC_OP_EXT_SPEED_UNIT   1278
// Multi-speed 136 (the table is IDC_LIST)
#define IDC_OP_MS_POSITION      1067
#define IDC_OP_MS_SPEED         1070
#define IDC_OP_MS_NUMBER        1110
#define IDC_OP_MS_SPEED_UNIT    1274
#define IDC_OP_MS_POSITION_UNIT 1275
#define IDC_OP_MS_DELETE        1276
#define IDC_OP_MS_ADD           1277
#define IDC_OP_MS_SET           1278
// Pass point 137
#define IDC_OP_SIGNAL_INC       1104
#define IDC_OP_SIGNAL1_ON       1108
#define IDC_OP_SIGNAL1_OFF      1110
#define IDC_OP_SIGNAL1_NORMAL   1111
#define IDC_OP_SIGNAL1_REVERSED 1112
#define IDC_OP_SIGNAL2_NORMAL   1113
#define IDC_OP_SIGNAL2_REVERSED 1114
#define IDC_OP_SIGNAL2_ON       1115
#define IDC_OP_SIGNAL2_OFF      1116
#define IDC_OP_SIGNAL1_ON_UNIT  1278
#define IDC_OP_SIGNAL1_OFF_UNIT 1279
#define IDC_OP_SIGNAL2_ON_UNIT  1280
#define IDC_OP_SIGNAL2_OFF_UNIT 1281
#define IDC_OP_SIGNAL_ABS       1363
// (operation ids end here)

// ---- Monitors: motion status 110, input signals 109, output signals 154, current values 106,
//      alarm information 113, alarm history 159
// Motion status 110: state text, then per status bit a lamp and an ON/OFF text (their
// ids per bit are in monitor/monitor_view.cpp), and the bit labels 2000-2015.
#define IDC_MOTION_STATE        1296
#define IDC_MOTION_LAMP0        1107
#define IDC_MOTION_TEXT0        1041
#define IDC_MOTION_LABEL0       2000
// Input 109 and output 154 signals: three framed sections of 16 bits. Lamps: word 0
// 1204-1219, word 1 1220-1235, word 2 1124-1139; texts: word 0 1172-1187 (bit 4 first),
// word 1 1188-1203, word 2 1071-1086; mnemonics 2000 + 16 x word + bit, labels 2048 + ...
#define IDC_SIGNAL_LAMP_W0      1204
#define IDC_SIGNAL_LAMP_W1      1220
#define IDC_SIGNAL_LAMP_W2      1124
#define IDC_SIGNAL_TEXT_W0      1172
#define IDC_SIGNAL_TEXT_W1      1188
#define IDC_SIGNAL_TEXT_W2      1071
#define IDC_SIGNAL_MNEMONIC0    2000
#define IDC_SIGNAL_LABEL0       2048
#define IDC_SIGNAL_SECTION0     2096  // 2096-2098: the section frames
// Current values 106
#define IDC_VALUE_COMMAND       1006
#define IDC_VALUE_FEEDBACK      1013
#define IDC_VALUE_DEVIATION     1014
#define IDC_VALUE_LATCH         1012
#define IDC_VALUE_TORQUE        1016
#define IDC_VALUE_MONITOR1      1041
#define IDC_VALUE_MONITOR2      1042
#define IDC_VALUE_UNIT0         1270  // 1270-1273: position units
#define IDC_VALUE_UNIT1         1271
#define IDC_VALUE_UNIT2         1272
#define IDC_VALUE_UNIT3         1273
// Alarm information 113 and alarm history 159
#define IDC_ALARM_LIST          1239
#define IDC_ALARM_CLEAR         1288
// Trend monitor 200: per band a value choice, a fixed-limits box and its two limits;
// the plot, the time window, pause, the two exports and the recording's count.
#define IDC_TREND_PLOT          2200
#define IDC_TREND_TRACE0        2201  // 2201-2204: the value of bands 1-4
#define IDC_TREND_FIXED0        2205  // 2205-2208: fixed limits on
#define IDC_TREND_LOW0          2209  // 2209-2212: lower limits
#define IDC_TREND_HIGH0         2213  // 2213-2216: upper limits
#define IDC_TREND_WINDOW        2217
#define IDC_TREND_PAUSE         2218
#define IDC_TREND_SAVE_CSV      2219
#define IDC_TREND_SAVE_SVG      2220
#define IDC_TREND_COUNT         2221
// (monitor ids end here)

// ---- Signal output 131, 148, 196; system maintenance 132, 198, 151, 160, 161
// Servo on/off 131 and brake on/off 148 share their two buttons.
#define IDC_ONOFF_OFF           1076
#define IDC_ONOFF_ON            1077
// Output-port write 196: per row an override box, a value toggle, a lamp and a
// label; their ids come from portOverrideBoxId and its neighbours
// (monitor/signal_output.h): boxes 1151-1171, 1240-1251, 1286-1300; toggles
// 1317, 1319-1361, 1363-1366; lamps 1124-1139, 1204-1235; labels 1400-1447.
#define IDC_OUTPUT_PORT_WRITE   1362
#define IDC_OUTPUT_PORT_CAPTION0 1450   // the three section frames
#define IDC_OUTPUT_PORT_CAPTION1 1451
#define IDC_OUTPUT_PORT_CAPTION2 1452
// Module reset 132 and its wait dialog 198.
#define IDD_RESET_WAIT          198
#define IDC_RESET_START         1079
#define IDC_RESET_ANIMATION     1263
// ID information 151: the six result texts.
#define IDC_ID_SV_TYPE          1290
#define IDC_ID_SV_VERSION       1291
#define IDC_ID_EN_VERSION       1292
#define IDC_ID_QZ_TYPE          1293
#define IDC_ID_QZ_VERSION       1294
#define IDC_ID_MT_TYPE          1295
// Memory read 160 and memory write 161.
#define IDC_MEMORY_ADDRESS      1241
#define IDC_MEMORY_SIZE         1247
#define IDC_MEMORY_DATA         1070
#define IDC_MEMORY_BYTE         1282   // radio group: byte, word, long
#define IDC_MEMORY_WORD         1283
#define IDC_MEMORY_LONG         1284
#define IDC_MEMORY_READ_START   1285
#define IDC_MEMORY_CLEAR        3
#define IDC_MEMORY_LIST         1264
#define IDC_MEMORY_WRITE_START  1286
// (signal and system ids end here)

// ---- Controls shared by the dialogs of later features
#define IDC_ACCEL_TYPE          1145
#define IDC_FILTER_TYPE         1148
#define IDC_LIST                1040
#define IDC_PROGRESS            1289
#define IDC_PROGRESS_LABEL      1078

// ---- Menu commands
#define IDM_JOG                 40010
#define IDM_STEP                40011
#define IDM_POSITIONING         40012
#define IDM_POINT_OPERATION     40013
#define IDM_MODULE_RESET        40014
#define IDM_MEMORY_READ         40015
#define IDM_CONNECT             40023
#define IDM_SERVO_PARAM_LIST    40031
#define IDM_IDENTIFICATION      40037
#define IDM_EXTERNAL_SIGNAL     40042
#define IDM_LOAD_POINTS         40044
#define IDM_LOAD_PARAMS         40045
#define IDM_SAVE_POINTS         40046
#define IDM_SAVE_PARAMS         40047
#define IDM_VERIFY_POINTS       40049
#define IDM_VERIFY_PARAMS       40050
#define IDM_ENVIRONMENT         40052
#define IDM_CLOSE               40053
#define IDM_STATION             40054
#define IDM_MULTI_SPEED         40055
#define IDM_PASS_POINT          40056
#define IDM_HOMING              40057
#define IDM_SERVO_ONOFF         40058
#define IDM_BRAKE_ONOFF         40059
#define IDM_POINT_LIST          40060
#define IDM_POINT_SETTING       40061
#define IDM_MOTION_MONITOR      40062
#define IDM_INPUT_MONITOR       40063
#define IDM_OUTPUT_MONITOR      40064
#define IDM_VALUE_MONITOR       40065
#define IDM_ALARM_MONITOR       40066
#define IDM_ALARM_HISTORY       40067
#define IDM_VERSION             40068
#define IDM_MEMORY_WRITE        40069
#define IDM_OUTPUT_PORT         40070
#define IDM_OPTION_PARAM_LIST   40071
#define IDM_DATA_FILE_SELECT    40072
#define IDM_LOAD_ROTARY_DEFS    40073   // no menu entry: sent by the program itself
#define IDM_LOAD_LINEAR_DEFS    40074
#define IDM_TREND_MONITOR       40075   // our own addition

// ---- Strings
#define IDS_TITLE               1
#define IDS_CAPTION             2
#define IDS_CONFIRM_EXIT        3
#define IDS_LOAD_POINT          4     // progress labels with placeholders
#define IDS_LOAD_PARAM          5
#define IDS_SAVE_POINT          6
#define IDS_SAVE_PARAM          7
#define IDS_VERIFY_POINT        8
#define IDS_VERIFY_PARAM        9
#define IDS_READ_POINT          10
#define IDS_READ_PARAM          11
#define IDS_READY               32
#define IDS_SERVO_OFF           33
#define IDS_SERVO_ON            34
#define IDS_MAIN_OFF            35
#define IDS_MAIN_ON             36
#define IDS_ALARM               37
#define IDS_ROTARY_MOTOR        40
#define IDS_LINEAR_MOTOR        41
#define IDS_PARITY_NONE         48
#define IDS_PARITY_ODD          49
#define IDS_PARITY_EVEN         50
#define IDS_POINT_VERIFY_COL0   51    // 51-55: point verify list columns
#define IDS_PARAM_VERIFY_COL0   56    // 56-60: parameter verify list columns
#define IDS_UNIT_MM             61
#define IDS_UNIT_DEG            62
#define IDS_UNIT_NONE           63
#define IDS_ACCEL_TYPE0         80    // 80-83: acceleration types
#define IDS_FILTER_TYPE0        84    // 84-87: filter types
#define IDS_STEP_PARAM0         88    // 88-91: step feed parameters 1-4
#define IDS_SPEED_CHANGE_COL0   92    // 92-94: speed-change list columns
#define IDS_POINT_LIST_COL0     112   // 112-114: point list columns
#define IDS_PARAM_LIST_COL0     128   // 128-131: parameter list columns
#define IDS_MOTION_STATE0       144   // 144-155: motion states 0-11
#define IDS_ALARM_COL0          160   // 160-163: alarm list columns
#define IDS_ALARM_HISTORY_COL0  164   // 164-165: alarm history columns
#define IDS_MEMORY_COL0         176   // 176-177: memory list columns
#define IDS_INVALID_INPUT       256
#define IDS_PORT_INIT_FAILED    257
#define IDS_COMM_ERROR          258
#define IDS_REPEAT_RUNNING      259
#define IDS_DEFINITION_READ_FAILED 260
#define IDS_DATA_READ_FAILED    261
#define IDS_DATA_WRITE_FAILED   262
#define IDS_POINT_READ_FAILED   263
#define IDS_POINT_WRITE_FAILED  264
#define IDS_ERROR_REPLY         265
#define IDS_BAD_REPLY_FORMAT    266
// Our own addition: the executable's text when the resource library is missing.
#define IDS_RESOURCE_MISSING    300
#define IDS_PATH_TOO_LONG       301   // followed by the path, when it is known
#define IDS_PORT_ABSENT         302   // after a saved port that is not present now
#define IDS_TREND_VALUE0        320   // 320-326: the seven current values' names
#define IDS_TREND_NONE          327
#define IDS_TREND_WINDOW0       328   // 328-331: the time windows
#define IDS_TREND_PAUSE         332
#define IDS_TREND_RESUME        333
#define IDS_TREND_COUNT         334   // %u samples, %u seconds
#define IDS_TREND_BAD_LIMITS    335
#define IDS_TREND_TIME_AXIS     336
