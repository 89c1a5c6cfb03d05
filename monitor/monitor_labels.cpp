// The monitors' tables of texts and labels.
#include "monitor/monitor_labels.h"

#include <cstring>

const MotionStateText MotionStateTexts[MOTION_STATE_COUNT] = {
    {0, 144, "停止状態"},
    {1, 145, "単純位置決め動作中"},
    {2, 146, "外部位置決め動作中"},
    {3, 147, "多段速度位置決め中"},
    {4, 148, "通過点信号出力位置決め中"},
    {5, 149, "定速運転中"},
    {6, 150, "ステーション位置決め中"},
    {7, 151, "ポイントテーブル位置決め中"},
    {8, 152, "原点復帰中"},
    {9, 153, "停止処理中"},
    {10, 154, "非常停止"},
    {11, 155, "外部信号位置決め付きFeed"},
};

const char* motionStateText(uint8_t code) {
  for (const MotionStateText& s : MotionStateTexts)
    if (s.code == code) return s.text;
  return nullptr;
}

uint16_t motionStateStringId(uint8_t code) {
  for (const MotionStateText& s : MotionStateTexts)
    if (s.code == code) return s.stringId;
  return 0;
}

const char* const MotionStatusBitLabels[16] = {
    "block_end", "den", "near", "inpos", "予備", "予備", "予備", "予備",
    "予備",      "予備", "予備", "予備",  "予備", "予備", "予備", "予備",
};

const char* const SignalSectionCaptions[SIGNAL_WORDS] = {"TARV", "TARV→QZXXX", "QZXXX"};

namespace {
constexpr SignalBit kSpare = {"", "ｱｷ"};
constexpr const char* kCn1Input = "[CN1]入力信号ﾃﾞｰﾀ 0:ｸﾛｰｽﾞ/1:ｵｰﾌﾟﾝ";
constexpr const char* kAlarmCodeBit = "ｱﾗｰﾑｺｰﾄﾞﾋﾞｯﾄ出力";
constexpr const char* kSpeedSelect = "内部設定速度選択";
constexpr const char* kLatchSignal = "ﾗｯﾁ信号設定ﾃﾞｰﾀ";
}  // namespace

const SignalBit InputSignalBits[SIGNAL_WORDS][16] = {
    {{"si0", kCn1Input}, {"si1", kCn1Input}, {"si2", kCn1Input}, {"si3", kCn1Input},
     {"si4", kCn1Input}, {"si5", kCn1Input}, {"si6", kCn1Input}, kSpare,
     {"alm", "ｱﾗｰﾑ"}, {"coin", "位置決め完了"}, {"v-cmp", "速度一致"}, {"tgon", "ﾓｰﾀ回転中"},
     {"s-rdy", "ｻｰﾎﾞﾚﾃﾞｨ"}, {"clt", "ﾄﾙｸ制限中"}, {"vlt", "速度制限中"}, {"bk", "ﾌﾞﾚｰｷ出力"}},
    {{"warn", "ﾜｰﾆﾝｸﾞ"}, {"near", "位置決め近傍"}, {"c-phase", "擬似C相出力"}, kSpare,
     kSpare, kSpare, kSpare, kSpare,
     {"svon", "ｻｰﾎﾞｵﾝ完了"}, {"pon", "主回路完了"}, {"pgon", "sen=on完了"}, kSpare,
     {"alo1", kAlarmCodeBit}, {"alo2", kAlarmCodeBit}, {"alo3", kAlarmCodeBit}, {"lcmp", "ﾗｯﾁ完了ﾌﾗｸﾞ"}},
    {kSpare, kSpare, {"esp", "非常停止"}, {"", "A･B相断線"},
     {"", "C相断線"}, {"", "通信電源状態"}, kSpare, kSpare,
     kSpare, kSpare, kSpare, kSpare, kSpare, kSpare, kSpare, kSpare},
};

const SignalBit OutputSignalBits[SIGNAL_WORDS][16] = {
    {{"s-on", "ｻｰﾎﾞｵﾝ指令"}, {"p-con", "P/PI 動作切替"}, {"p-ot", "正転駆動禁止"}, {"n-ot", "逆転駆動禁止"},
     {"almrst", "ｱﾗｰﾑﾘｾｯﾄ"}, {"p-cl", "正転ﾄﾙｸ制限"}, {"n-cl", "逆転ﾄﾙｸ制限"}, {"sen", "ｱﾌﾞｿPG時のｾﾝｻON"},
     {"spd-d", kSpeedSelect}, {"spd-a", kSpeedSelect}, {"spd-b", kSpeedSelect}, {"c-sel", "制御切替"},
     {"zclamp", "ｾﾞﾛｸﾗﾝﾌﾟ"}, {"inhbit", "ｲﾝﾋﾋﾞｯﾄ"}, {"g-sel", "ｹﾞｲﾝ切替"}, {"bkc", "ﾌﾞﾚｰｷ指令"}},
    {{"zstop", "ｾﾞﾛ速停止"}, kSpare, kSpare, kSpare,
     kSpare, kSpare, kSpare, {"clr", "位置偏差ｸﾘｱ"},
     kSpare, kSpare, kSpare, kSpare,
     {"lsgn0", kLatchSignal}, {"lsgn1", kLatchSignal}, {"ltpgsel", "ﾗｯﾁPG選択ﾃﾞｰﾀ"}, {"lt", "ﾗｯﾁ要求ﾌﾗｸﾞ"}},
    {{"", "ﾉｯﾁ出力1"}, {"", "ﾉｯﾁ出力2"}, kSpare, kSpare,
     kSpare, kSpare, kSpare, kSpare,
     kSpare, kSpare, kSpare, kSpare, kSpare, kSpare, kSpare, kSpare},
};

bool isSpareSignal(const SignalBit& bit) { return std::strcmp(bit.label, kSpare.label) == 0 && !*bit.mnemonic; }
