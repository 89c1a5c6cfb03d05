// The connection dialog's port list and the saved-port rules: number order,
// friendly names, a saved port that is absent now, and what is kept at exit.
#include <gtest/gtest.h>

#include "link/connection.h"
#include "serial/port_list.h"

TEST(PortChoices, PresentPortsInNumberOrderWithTheSavedPortMarkedWhenAbsent) {
  std::vector<SerialPortInfo> present = {
      {"COM12", "USB Serial Port"}, {"COM3", ""}, {"COM7", "Prolific USB-to-Serial Comm Port"},
      {"/dev/ttyUSB0", "not a COM name"}, {"COM1", "Communications Port"}};
  int selected = 99;
  std::vector<PortChoice> choices = portChoices(present, 0, &selected);
  EXPECT_EQ(selected, -1) << "COM1 is a radio button";
  ASSERT_EQ(choices.size(), 4u);
  EXPECT_EQ(choices[0].text, "COM1  Communications Port");
  EXPECT_EQ(choices[1].text, "COM3");
  EXPECT_EQ(choices[2].text, "COM7  Prolific USB-to-Serial Comm Port");
  EXPECT_EQ(choices[3].port, 11);
  EXPECT_EQ(choices[3].text, "COM12  USB Serial Port");

  choices = portChoices(present, 11, &selected);   // saved COM12, present
  ASSERT_EQ(choices.size(), 4u);
  EXPECT_EQ(selected, 3);
  EXPECT_TRUE(choices[3].present);

  choices = portChoices(present, 9, &selected);    // saved COM10, absent: placed by number
  ASSERT_EQ(choices.size(), 5u);
  ASSERT_EQ(selected, 3);
  EXPECT_EQ(choices[3].port, 9);
  EXPECT_FALSE(choices[3].present);
  EXPECT_EQ(choices[3].text, "COM10");
  EXPECT_EQ(choices[4].port, 11);

  choices = portChoices({}, 255, &selected);       // COM256, nothing present
  ASSERT_EQ(choices.size(), 1u);
  EXPECT_EQ(selected, 0);
  EXPECT_EQ(choices[0].text, "COM256");
  portChoices(present, 2, &selected);
  EXPECT_EQ(selected, -1) << "COM3 is a radio button";
  choices = portChoices(present, NO_PORT_SELECTED, &selected);
  EXPECT_EQ(selected, -1);
  EXPECT_EQ(choices.size(), 4u);
}

TEST(PortChoices, SavedPortIsKeptAtExitUnlessNoneWasChosen) {
  for (uint16_t port : {0, 1, 2, 3, 11, 255}) EXPECT_EQ(savedPortAtExit(port), port);
  EXPECT_EQ(savedPortAtExit(256), 0);
  EXPECT_EQ(savedPortAtExit(NO_PORT_SELECTED), 0);
}

TEST(PortList, SortsComByNumberThenDevicesNaturallyAndTrimsFriendlyNames) {
  std::vector<SerialPortInfo> ports = {{"/dev/ttyS10", ""}, {"COM10", ""}, {"/dev/ttyS2", ""},
                                       {"COM2", ""},        {"/dev/ttyACM0", ""}, {"COM10", "again"}};
  sortSerialPorts(&ports);
  std::vector<std::string> names;
  for (const SerialPortInfo& p : ports) names.push_back(p.name);
  EXPECT_EQ(names, (std::vector<std::string>{"COM2", "COM10", "/dev/ttyACM0", "/dev/ttyS2", "/dev/ttyS10"}));
  EXPECT_EQ(friendlyWithoutPortName("USB Serial Port (COM7)", "COM7"), "USB Serial Port");
  EXPECT_EQ(friendlyWithoutPortName("USB Serial Port (COM17)", "COM7"), "USB Serial Port (COM17)");
  EXPECT_EQ(friendlyWithoutPortName(" (COM7)", "COM7"), " (COM7)");
}
