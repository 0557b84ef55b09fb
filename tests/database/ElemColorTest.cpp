#include "database/ElemColor.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/base/Exception.h"

#include "support/TestFolder.h"

TEST(ElemColorTest, TableValuesAndExactLookups) {
  ElemColor table;
  int c = table.IndexOfSymbol("C");
  ASSERT_EQ(c, 5);
  EXPECT_EQ(table.RadiusAt(c, 0), 70);
  EXPECT_EQ(table.RadiusAt(c, 1), 67);
  EXPECT_EQ(table.RadiusAt(c, 2), 170);
  int fr = table.IndexOfSymbol("Fr");
  EXPECT_EQ(fr, 86);
  EXPECT_EQ(table.RadiusAt(fr, 0), -1);
  EXPECT_EQ(table.RadiusAt(fr, 1), -1);
  EXPECT_EQ(table.RadiusAt(fr, 2), 348);
  EXPECT_EQ(table.RadiusAt(fr, 3), -1);
  EXPECT_EQ(table.RadiusAt(118, 0), -1);
  EXPECT_EQ(table.RadiusAt(-1, 2), -1);

  EXPECT_EQ(table.IndexOfSymbol("h"), -1);
  EXPECT_EQ(table.IndexOfSymbol("CL"), -1);
  EXPECT_EQ(table.IndexOfSymbol("Cl"), 16);
  EXPECT_EQ(table.IndexOfSymbol("Uuo"), 117);
  for (const char* unknown : {"X", "D", ""}) EXPECT_EQ(table.ColorOfSymbol(unknown), 0xFFFFFFu) << unknown;
  EXPECT_EQ(table.ColorOfSymbol("O"), 0x0000FFu);
  EXPECT_EQ(table.ColorAt(-1), 0xFFFFFFu);
  EXPECT_EQ(table.ColorAt(118), 0xFFFFFFu);
  EXPECT_EQ(table.SymbolAt(117), "Uuo");
  EXPECT_EQ(table.SymbolAt(118), "");
  EXPECT_EQ(table.SymbolAt(-1), "");
  EXPECT_EQ(table.Count(), 118);
}

TEST(ElemColorTest, ResetUndoesUserColours) {
  ElemColor table;
  table.SetColorAt(7, 0x123456);
  EXPECT_EQ(table.ColorOfSymbol("O"), 0x123456u);
  table.Reset();
  EXPECT_EQ(table.ColorOfSymbol("O"), 0x0000FFu);
}

TEST(ElemColorTest, SavedMapIsFourBytesPerElementLittleEndian) {
  TestFolder folder;
  ElemColor table;
  const std::string path = folder.Path("~colmap.cfg");
  WriteColourMap(path, table);
  std::string bytes = ReadFileText(path);
  ASSERT_EQ(bytes.size(), 472u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\x90\x90\x90\x00", 4));
  EXPECT_EQ(bytes.substr(28, 4), std::string("\xFF\x00\x00\x00", 4));
  WriteColourMap(path, table);
  EXPECT_EQ(ReadFileText(path), bytes);

  table.SetColorAt(117, 0xABCDEF);
  WriteColourMap(path, table);
  ElemColor read;
  ReadColourMap(path, read);
  EXPECT_EQ(read.ColorAt(117), 0xABCDEFu);
  EXPECT_EQ(read.ColorAt(0), 0x909090u);
}

TEST(ElemColorTest, ShortMapKeepsMissingColoursAndMasksTheHighByte) {
  TestFolder folder;
  const std::string path = folder.Path("short.cfg");
  std::ofstream(path, std::ios::binary) << std::string("\x01\x02\x03\x7F\x04\x05", 6);
  ElemColor table;
  ReadColourMap(path, table);
  EXPECT_EQ(table.ColorAt(0), 0x030201u);
  EXPECT_EQ(table.ColorAt(1), 0xFFFF00u);  // He keeps its table colour
  ReadColourMap(folder.Path("missing.cfg"), table);
  EXPECT_EQ(table.ColorAt(0), 0x030201u);
}

TEST(ElemColorTest, FailedSaveThrowsAndLeavesNoFile) {
  TestFolder folder;
  ElemColor table;
  EXPECT_THROW(WriteColourMap(folder.Path("no/such/folder/map.cfg"), table), Exception);
  EXPECT_FALSE(std::filesystem::exists(folder.Path("no")));
}
