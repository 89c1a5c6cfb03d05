// Transfer notices: step labels through one message word, data-changed entries
// that carry their definition generation, and the verify row queue's bound.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "editing/parameter_rows.h"
#include "files/transfer_notice.h"

TEST(TransferNotice, StepLabelsSurviveTheMessageWord) {
  char placeholder[STEP_PLACEHOLDER_CHARS + 1];
  EXPECT_EQ(unpackStepNotice(packStepNotice(IDS_VERIFY_PARAM, "0A1F"), placeholder), IDS_VERIFY_PARAM);
  EXPECT_STREQ(placeholder, "0A1F");
  EXPECT_EQ(unpackStepNotice(packStepNotice(IDS_SAVE_POINT, "  7"), placeholder), IDS_SAVE_POINT);
  EXPECT_STREQ(placeholder, "  7");
  EXPECT_EQ(unpackStepNotice(packStepNotice(0, ""), placeholder), 0);
  EXPECT_STREQ(placeholder, "");

  // Composed in UTF-16 as the dialog shows it: only the first run is overwritten.
  std::u16string label = u"PnXXXX パラメータ比較中 XXXX";
  composeStepLabel(label.data(), "0A1F");
  EXPECT_EQ(label, u"Pn0A1F パラメータ比較中 XXXX");
  std::u16string point = u"No.XXX ポイントテーブル比較中";
  composeStepLabel(point.data(), " 42");
  EXPECT_EQ(point, u"No. 42 ポイントテーブル比較中");
}

TEST(TransferNotice, AParameterRefreshFromAnEarlierGenerationRefreshesNothing) {
  static ParameterTable table;
  table.count = 3;
  table.entries[0].number = 0x0100;
  table.entries[1].number = 0x0801;
  table.entries[2].number = 0x0802;
  static ParameterRowMaps maps;
  clearRowMaps(&maps, 7);
  assignRow(&maps, 1);
  assignRow(&maps, 2);

  uint64_t fresh = dataChangedEntry(IDD_OPTION_PARAM_LIST, 2, 7);
  EXPECT_TRUE(refreshApplies(unpackParameterRefresh(fresh), maps, IDD_OPTION_PARAM_LIST, table, 7));
  EXPECT_EQ(unpackParameterRefresh(fresh).definitionIndex, 2);
  // Sent under generation 7, arriving after the definitions were switched.
  EXPECT_FALSE(refreshApplies(unpackParameterRefresh(fresh), maps, IDD_OPTION_PARAM_LIST, table, 8));
  // A point list gets the point number itself.
  EXPECT_EQ(dataChangedEntry(IDD_POINT_LIST, 50, 7), 50u);
}

TEST(TransferNotice, TheRowQueueHandsOverEveryRowOnceAndRefusesPastItsRoom) {
  VerifyRowQueue queue;
  queue.reserve(2);
  VerifyRow row{};
  std::strcpy(row.columns[0], "Pn0100");
  EXPECT_TRUE(queue.append(row));
  std::strcpy(row.columns[0], "Pn0101");
  EXPECT_TRUE(queue.append(row));
  EXPECT_FALSE(queue.append(row));
  std::vector<VerifyRow> taken;
  queue.takeAll(&taken);
  ASSERT_EQ(taken.size(), 2u);
  EXPECT_STREQ(taken[1].columns[0], "Pn0101");
  queue.takeAll(&taken);
  EXPECT_TRUE(taken.empty());
}
